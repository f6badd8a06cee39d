#pragma once
// The synthetic project of mktmg: datasets with places, repositories and sources, then
// families over several generations with names, events, witnesses, citations, exhibits,
// research-log tasks and DNA records, streamed to the tables as they are made, so memory does
// not grow with the number of people.
#include <cstdint>
#include <string>
#include <vector>

#include "project_writer.h"
#include "reference_data.h"

namespace hk::mktmg {

struct GeneratorOptions {
    std::string pjcPath;   // OUT_FOLDER/NAME__.pjc
    int64_t people = 1000; // live people; a few deleted ones are added
    uint64_t seed = 1;
    TmgLayout layout = TmgLayout::Current;
    int datasets = 3; // the old layout has no datasets: always 1
    FixedDate date;
};

struct GeneratorResult {
    std::vector<DatasetInfo> datasets;
    ProjectCounts counts;
    std::vector<std::string> files; // relative to the project folder
};

GeneratorResult GenerateProject(const GeneratorOptions& options);

// People per dataset: the first dataset large, the others small.
std::vector<int64_t> DatasetQuotas(int64_t people, int datasets);

} // namespace hk::mktmg
