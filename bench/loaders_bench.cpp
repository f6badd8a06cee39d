// The family questions every function asks, for every person of a generated project: the
// partners (GetCoParents), the children (GetChildren) and the birth sort date.
//
//   bench_loaders [--people=N] [--dir=PATH] [Google Benchmark flags]
//
// Reports people per second and the peak resident memory of the process: the project is
// generated in a child process, so that peak is the questions' own.
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "loaders/event_loader.h"
#include "loaders/format_tables.h"
#include "loaders/person_loader.h"
#include "tmgdb/ctmgdb.h"

using namespace hk::bench;

namespace {

long gPeople = 100000;
std::string gDir;
std::string gPjc;

void FamilyQuestions(benchmark::State& state) {
    for (auto _ : state) {
        Stopwatch watch;
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
        double seconds = watch.Seconds();
        state.SetIterationTime(seconds);
        state.counters["people"] = static_cast<double>(persons);
        state.counters["people_per_s"] = persons / seconds;
        state.counters["partners"] = static_cast<double>(partners);
        state.counters["children"] = static_cast<double>(children);
        state.counters["dated_births"] = static_cast<double>(dated);
        state.counters["peak_MiB"] = PeakMiB();
    }
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gPeople = args.Number("people", gPeople);
    gDir = args.Dir("hk_bench_loaders");
    args.InitializeBenchmark();

    ScratchFolder scratch(gDir);
    std::fprintf(stderr, "generating %ld people in %s ...\n", gPeople, gDir.c_str());
    gPjc = GenerateProject(gDir, gPeople);

    RegisterOnce("family_questions", FamilyQuestions);
    RunBenchmarks();
    return 0;
}
