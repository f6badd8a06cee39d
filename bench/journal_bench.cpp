// The cost of the rollback journal: the same writing work on a table with three tags, plain,
// through a disarmed journaling file system, and under an armed journal committed at the end, each
// in a child process on a fresh copy of the table. Reports time, peak memory, the journal's size
// and the syncs made; the ratio journal/plain is printed below. Not a test.
//
//   bench_journal [--records=N] [--ops=M] [--dir=PATH] [Google Benchmark flags]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "bench_support.h"
#include "xbase/journal.h"
#include "xbase/table.h"

using namespace hk::db;
using namespace hk::bench;
namespace fs = std::filesystem;

namespace {

long gRecords = 1000000;
long gOps = 100000;
std::string gDir;

std::string Surname(long i) {
    static const char* names[] = {"Smith",  "Jones",   "Taylor", "Brown",    "Williams",
                                  "Wilson", "Johnson", "Davies", "Robinson", "Wright"};
    return std::string(names[i % 10]) + std::to_string((i * 7919) % 5000);
}

void Build() {
    fs::create_directories(gDir + "/orig");
    auto t =
        Table::Create(gDir + "/orig/people.dbf",
                      {{"PER_NO", 'I'}, {"SURNAME", 'C', 30}, {"FATHER", 'I'}, {"NOTE", 'C', 40}});
    for (long i = 1; i <= gRecords; ++i) {
        t->AppendStart();
        t->AssignLong(0, i);
        t->AssignString(1, Surname(i));
        t->AssignLong(2, i / 3);
        t->AssignString(3, "note of person " + std::to_string(i));
        t->Append();
    }
    t->CreateProductionIndex(
        {{"PER_NO", "PER_NO"}, {"SURNAME", "UPPER(SURNAME)"}, {"FATHER", "FATHER"}});
    t->Sync();
}

// Random records get a new surname and father: both keys move.
void ChangeKeys(Table& t) {
    std::mt19937 rng(7);
    for (long i = 0; i < gOps; ++i) {
        t.Go(1 + static_cast<uint32_t>(rng() % gRecords));
        t.AssignString(1, Surname(static_cast<long>(rng() % 100000)));
        t.AssignLong(2, static_cast<long>(rng() % gRecords));
    }
}

void Append(Table& t) {
    for (long i = gRecords + 1; i <= gRecords + gOps; ++i) {
        t.AppendStart();
        t.AssignLong(0, i);
        t.AssignString(1, Surname(i));
        t.AssignLong(2, i / 3);
        t.AssignString(3, "appended " + std::to_string(i));
        t.Append();
    }
}

enum class Mode { Plain, Disarmed, Journaled };

void Case(benchmark::State& state, void (*work)(Table&), Mode mode) {
    const bool journaled = mode == Mode::Journaled;
    const std::string dir = gDir + "/work";
    for (auto _ : state) {
        fs::remove_all(dir);
        fs::copy(gDir + "/orig", dir);
        ChildRun run = RunInChild([&] {
            CountingFileSystem counting(FileSystem::Default());
            JournalingFileSystem journal(counting);
            FileSystem& files = mode == Mode::Plain ? static_cast<FileSystem&>(counting) : journal;
            Stopwatch watch;
            if (journaled)
                journal.Begin(dir + "/run.hkj", dir + "/", {"bench", "", "bench.log", dir});
            auto t = Table::Open(dir + "/people.dbf", {.fs = &files});
            work(*t);
            double commitSeconds = 0;
            if (journaled) {
                t->Flush();
                Stopwatch commit;
                journal.Commit();
                commitSeconds = commit.Seconds();
            } else {
                t->Sync();
            }
            t.reset();
            Timing timing{watch.Seconds(), {}};
            char label[160];
            std::snprintf(label, sizeof label, "journal=%.1f MiB syncs=%llu written=%.1f MiB",
                          journal.JournalBytes() / 1048576.0,
                          static_cast<unsigned long long>(counting.Syncs()),
                          counting.BytesWritten() / 1048576.0);
            if (journaled) { // the commit's share, and the undo of the run by its journal
                Stopwatch undo;
                RestoreFromJournal(FileSystem::Default(), dir + "/run.hkj");
                std::snprintf(label + std::strlen(label), sizeof label - std::strlen(label),
                              " commit=%.2f s undo=%.2f s", commitSeconds, undo.Seconds());
            }
            timing.label = label;
            return timing;
        });
        if (!run.ok) {
            state.SkipWithError("the run failed");
            continue;
        }
        state.SetIterationTime(run.timing.seconds);
        state.counters["peak_MiB"] = run.peakMiB;
        state.counters["cpu_s"] = run.cpuSeconds;
        state.SetLabel(run.timing.label);
    }
    fs::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gRecords = args.Number("records", gRecords);
    gOps = args.Number("ops", gOps);
    gDir = args.Dir("hk_bench_journal");
    args.InitializeBenchmark();

    ScratchFolder scratch(gDir);
    std::fprintf(stderr, "building %ld records with 3 tags in %s ...\n", gRecords, gDir.c_str());
    Build();

    // "disarmed": through a journaling file system with no run armed, as between runs.
    using Work = void (*)(Table&);
    for (auto [name, work] : {std::pair<const char*, Work>{"change_keys", ChangeKeys},
                              std::pair<const char*, Work>{"append", Append}}) {
        for (auto [suffix, mode] :
             {std::pair{"/plain", Mode::Plain}, std::pair{"/disarmed", Mode::Disarmed},
              std::pair{"/journal", Mode::Journaled}})
            RegisterOnce(std::string(name) + suffix,
                         [work, mode](benchmark::State& s) { Case(s, work, mode); });
    }
    RunBenchmarks("/journal", "/plain");
    return 0;
}
