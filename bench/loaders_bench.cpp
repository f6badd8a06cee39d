// The family questions every function asks, for every person of a generated project: the
// partners (GetCoParents), the children (GetChildren) and the birth sort date.
//
//   bench_loaders [--people=N] [--dir=PATH] [Google Benchmark flags]
//
// Reports people per second and the peak resident memory of the process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "db/ctmgdb.h"
#include "loaders/event_loader.h"
#include "loaders/format_tables.h"
#include "loaders/person_loader.h"
#include "mktmg/generator.h"

namespace fs = std::filesystem;

namespace {

long gPeople = 100000;
std::string gDir;
std::string gPjc;

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void FamilyQuestions(benchmark::State &state) {
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        hk::db::CTMGDB db;
        db.OpenProject(gPjc);
        db.SetDSID(1);
        hk::CTMGTagTypes tagTypes;
        hk::LoadTagTypes(db, tagTypes);
        hk::CTMGPersonLoader people;
        hk::CTMGEventLoader events;
        people.OpenTables(db);
        events.OpenTables(db);
        long persons = 0, partners = 0, children = 0, dated = 0;
        people.MoveFirst();
        while (people.MoveNext()) {
            ++persons;
            partners += people.GetCoParents(events, tagTypes, true, -1).Count();
            children += people.GetChildren(-1).Count();
            dated += !events.GetBirthSortDate(people.PerNo(), tagTypes).empty();
        }
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["people"] = static_cast<double>(persons);
        state.counters["people_per_s"] = persons / seconds;
        state.counters["partners"] = static_cast<double>(partners);
        state.counters["children"] = static_cast<double>(children);
        state.counters["dated_births"] = static_cast<double>(dated);
        state.counters["peak_MiB"] = PeakMemoryKiB() / 1024.0;
    }
}

} // namespace

int main(int argc, char **argv) {
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--people=", 9) == 0)
            gPeople = std::atol(argv[i] + 9);
        else if (std::strncmp(argv[i], "--dir=", 6) == 0)
            gDir = argv[i] + 6;
        else
            rest.push_back(argv[i]);
    }
    if (gDir.empty())
        gDir = (fs::temp_directory_path() / "hk_bench_loaders").string();
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());

    fs::remove_all(gDir);
    fs::create_directories(gDir);
    std::fprintf(stderr, "generating %ld people in %s ...\n", gPeople, gDir.c_str());
    hk::mktmg::GeneratorOptions o;
    o.pjcPath = gDir + "/Bench__.pjc";
    o.people = gPeople;
    o.datasets = 1;
    hk::mktmg::GenerateProject(o);
    gPjc = o.pjcPath;
    std::fprintf(stderr, "peak memory after generating: %.1f MiB\n", PeakMemoryKiB() / 1024.0);

    benchmark::RegisterBenchmark("family_questions", FamilyQuestions)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(gDir);
    return 0;
}
