// Every implemented function run whole as the window runs it (open the project, run through the
// run frame with the project's lock and rollback journal, Log Only off, close), each on a fresh
// copy of a generated project, beside the cost of reading the bytes it read.
//
//   bench_functions [--sizes=100000] [--million] [--files] [--budget-mb=N] [--dir=PATH]
//                   [Google Benchmark flags]
//
// --budget-mb sets the project's memory budget (the program's default otherwise).
// --million adds a project of 1,000,000 people (generating it takes half a minute or so). Every run
// happens in a child process, so its peak memory is its own. A counting file system under the
// project object records the 4 KiB blocks the run reads (--files lists them per file); after
// the run the same child reads those blocks once more from the page cache, in chunks of at most
// 1 MiB (a warm-up pass, then the fastest of three timed ones): "x read" is the run's time over
// that. Set Sort Dates and Fix Sort Dates also run bare ("_nojournal": no run frame, lock or
// journal), for the journal's overhead. --benchmark_filter=REGEX picks cases (the projects of
// every size are generated all the same); with --benchmark_repetitions=N the table keeps each
// case's fastest run and fastest reference read. The table at the end goes into bench/README.md.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/folders.h"
#include "app/open_project.h"
#include "bench_support.h"
#include "functions/check_project.h"
#include "functions/register_functions.h"
#include "loaders/factory.h"
#include "read_counting_file_system.h"
#include "run/option_persistence.h"
#include "run/run_frame.h"
#include "run/run_request.h"
#include "support/memory_settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace fs = std::filesystem;
using namespace hk;
using namespace hk::bench;

namespace {

std::string gDir;
std::string gProgramFolder;
bool gShowFiles = false;               // --files: each run lists the files it read
long gBudgetMb = 0;                    // the project's memory budget; 0: the program's default
std::map<long, std::string> gProjects; // people -> folder of the generated project

struct Case {
    std::string key;
    bool journaled = true;
    std::string Name() const { return key + (journaled ? "" : "_nojournal"); }
};

struct Measure {
    double seconds = 0, cpuSeconds = 0, openSeconds = 0, peakMiB = 0, readSeconds = 0;
    uint64_t bytesRead = 0;      // through the file system, a page read twice counted twice
    uint64_t fileBytes = 0;      // the whole sizes of the files read
    uint64_t referenceBytes = 0; // the blocks read, each once: what the reference read reads
    size_t files = 0;
    std::string totals;
};
std::map<std::string, std::map<long, Measure>> gResults; // case name -> people -> measure
std::vector<std::string> gOrder;                         // case names, in the order run

// The project open as the window opens one (version check, dataset choice), on a project
// object of our own over the counting file system.
class BenchSession : public ProjectSession {
public:
    BenchSession(db::FileSystem& fs, Settings& settings)
        : settings_(settings), db_(std::make_shared<db::CTMGDB>(&fs)) {
        AfterRun();
    }
    OpenResult Open(const std::string& pjcPath, UserInterface& ui, const OpenHooks&) override {
        OpenProjectSteps steps;
        steps.programFolder = gProgramFolder;
        steps.settings = &settings_;
        return OpenProjectFile(*db_, pjcPath, ui, steps) ? OpenResult::Opened : OpenResult::Failed;
    }
    void Close() override {
        AfterRun();
        db_->CloseProject();
    }
    bool IsOpen() const override { return db_->IsOpen(); }
    ProjectInfo Info() const override { return ProjectInfoOf(*db_); }
    std::string Caption() const override { return ProjectCaption(*db_, true); }
    ProjectLists Lists(const std::string&) override { return {}; }
    db::CTMGDB* Database() override { return db_.get(); }
    CFactory* Factory() override { return factory_.get(); }
    void AfterRun() override {
        factory_.reset();
        db_->CloseAllTables();
        factory_ = std::make_unique<CFactory>();
        factory_->SetTMGDB(db_);
    }

private:
    Settings& settings_;
    std::shared_ptr<db::CTMGDB> db_;
    std::unique_ptr<CFactory> factory_;
};

// The options each function ran with in the benchmarks before this one, so that each changes
// something on a generated project; a function added later runs with its lists as filled.
ControlStates OptionsFor(const MaintenanceFunction& fn, db::CTMGDB& db, Settings& settings) {
    ControlStates options;
    fn.FillOptionLists(db, settings, kSettingsRoot, ProjectFileKey(db.ProjectPrefix()), options);
    const std::string key = fn.Key();
    if (key == "setliving") {
        options["txtSLFYear"].text = "1900";
        options["chkUseParents"].value = 1;
        options["chkUseChildren"].value = 1;
        options["chkFiveGenerations"].value = 1;
    } else if (key == "adjustbirthdeath") {
        options["chkAuditChoosePrimary"].value = 1;
    } else if (key == "sortdates" || key == "fixsortdates" || key == "yearonlydates") {
        for (auto& [name, state] : options)
            for (ListItem& item : state.items)
                item.selected = true;
        for (const OptionDecl& d : fn.Options())
            if (d.kind == OptionKind::CheckBox)
                options[d.control].value = 1;
    }
    return options;
}

// What the run read through the project's file system: the bytes of every read, the files
// read (`fileBytes`: their whole sizes) and the blocks read, each once, that still exist.
struct ReadsOfRun {
    uint64_t bytesRead = 0, fileBytes = 0;
    size_t files = 0;
    std::vector<FileRange> ranges;
};

ReadsOfRun ReadsOf(const ReadCountingFileSystem& counting) {
    ReadsOfRun reads;
    for (const auto& [path, file] : counting.Files()) {
        reads.bytesRead += file.bytesRead;
        std::error_code ec;
        if (gShowFiles)
            std::fprintf(
                stderr, "  %12llu bytes read of %12llu: %s\n",
                static_cast<unsigned long long>(file.bytesRead),
                static_cast<unsigned long long>(fs::exists(path, ec) ? fs::file_size(path, ec) : 0),
                path.c_str());
        if (file.bytesRead > 0 && fs::is_regular_file(path, ec)) {
            ++reads.files;
            reads.fileBytes += fs::file_size(path, ec);
        }
    }
    for (const FileRange& r : counting.RangesRead()) {
        std::error_code ec;
        if (fs::is_regular_file(r.path, ec))
            reads.ranges.push_back(r);
    }
    return reads;
}

// Every file of the folder.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file())
            files.push_back(e.path().string());
    return files;
}

// This process's user and system time so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

// One run in this (child) process; the measures travel back in the label.
Timing RunOnce(const Case& c, const std::string& pjc) {
    ReadCountingFileSystem counting(db::FileSystem::Default());
    FunctionRegistry registry;
    RegisterAllFunctions(registry);
    MaintenanceFunction* fn = registry.FindByKey(c.key);
    MemorySettingsStore store;
    Settings settings(store);
    QuietUserInterface ui;
    SystemClock clock;
    std::string logs = gDir + "/logs/";
    fs::create_directories(logs);

    Stopwatch watch;
    BenchSession session(counting, settings);
    if (session.Open(pjc, ui, {}) != OpenResult::Opened)
        throw std::runtime_error("cannot open " + pjc);
    const double openSeconds = watch.Seconds();
    db::CTMGDB& db = *session.Database();
    if (gBudgetMb > 0)
        db.SetMemoryBudget(static_cast<size_t>(gBudgetMb) << 20);
    RunRequest request;
    request.session = &session;
    request.functionKey = c.key;
    request.options = OptionsFor(*fn, db, settings);
    request.ui = &ui;
    request.logFolder = logs;
    request.programFolder = gProgramFolder;
    RunOutcome outcome;
    if (c.journaled) {
        outcome = RunExecutor(registry, clock, settings).Execute(request);
    } else { // the function alone: no lock, no journal, no error frame
        RunContext ctx(ui, clock, settings, logs);
        ctx.programFolder = gProgramFolder;
        ctx.functionCaption = fn->Caption();
        ctx.project = session.Info();
        ctx.db = &db;
        ctx.factory = session.Factory();
        fn->Run(ctx, request.options);
        session.AfterRun();
        outcome.ok = true;
        outcome.errors = ctx.log ? ctx.log->ErrorCount() : 1;
        outcome.totals = ctx.log ? ctx.log->Totals() : std::vector<std::string>{};
    }
    session.Close();
    const double seconds = watch.Seconds();
    const double cpuSeconds = CpuSeconds();
    if (!outcome.ok || outcome.errors > 0)
        throw std::runtime_error(c.Name() + " logged an error");
    for (const std::string& total : outcome.totals)
        if (total.rfind(kFaultsFoundLabel, 0) == 0 &&
            total != std::string(kFaultsFoundLabel) + "=0")
            throw std::runtime_error("the generated project has faults: " + total);

    ReadsOfRun reads = ReadsOf(counting);
    // Check Project opens the tables it checks on the default file system, not the project's:
    // it reads every file of the project, so the whole project is its reference.
    std::vector<FileRange> reference =
        c.key == "checkproject" ? WholeFiles(FilesIn(fs::path(pjc).parent_path().string()))
                                : reads.ranges;
    ReadRangesOnce(reference); // warm-up: whatever the run left out of the page cache comes in
    uint64_t referenceBytes = 0;
    double readSeconds = 0;
    for (int pass = 0; pass < 3; ++pass) { // the fastest of three: one pass of a few ms is noisy
        Stopwatch readWatch;
        referenceBytes = ReadRangesOnce(reference);
        readSeconds = pass == 0 ? readWatch.Seconds() : std::min(readSeconds, readWatch.Seconds());
    }

    std::ostringstream label;
    label.precision(9);
    label << cpuSeconds << ' ' << openSeconds << ' ' << reads.bytesRead << ' ' << reads.fileBytes
          << ' ' << reads.files << ' ' << referenceBytes << ' ' << readSeconds << '\n';
    for (size_t i = 0; i < outcome.totals.size(); ++i)
        label << (i ? "; " : "") << outcome.totals[i];
    return {seconds, label.str()};
}

void RunCase(benchmark::State& state, const Case& c, long people) {
    for (auto _ : state) {
        const fs::path generated = gProjects.at(people);
        const std::string work = gDir + "/run";
        CopyFolderSynced(generated.string(), work);
        // An empty log folder, as at a first run: keeping a run's undo record reads every
        // record already there.
        fs::remove_all(gDir + "/logs");
        const std::string pjc = work + "/Bench__.pjc";
        ChildRun run = RunInChild([&] { return RunOnce(c, pjc); });
        fs::remove_all(work);
        Measure m;
        std::istringstream label(run.timing.label);
        label >> m.cpuSeconds >> m.openSeconds >> m.bytesRead >> m.fileBytes >> m.files >>
            m.referenceBytes >> m.readSeconds;
        label.ignore(1);
        std::getline(label, m.totals);
        run.timing.label = m.totals;
        ReportRun(state, run, people);
        if (!run.ok)
            continue;
        m.seconds = run.timing.seconds;
        m.peakMiB = run.peakMiB;
        state.counters["open_s"] = m.openSeconds;
        state.counters["files_MiB"] = m.fileBytes / 1048576.0;
        state.counters["ref_MiB"] = m.referenceBytes / 1048576.0;
        state.counters["read_MiB"] = m.bytesRead / 1048576.0;
        state.counters["x_read"] = m.readSeconds > 0 ? m.seconds / m.readSeconds : 0;
        if (!gResults.count(c.Name()))
            gOrder.push_back(c.Name());
        // Of repeated runs (--benchmark_repetitions=N) the fastest, the one a busy machine slowed
        // least, and likewise the fastest reference read of them all.
        auto& bySize = gResults[c.Name()];
        if (bySize.count(people)) {
            const Measure& kept = bySize[people];
            double readSeconds = std::min(kept.readSeconds, m.readSeconds);
            if (kept.seconds < m.seconds)
                m = kept;
            m.readSeconds = readSeconds;
        }
        bySize[people] = m;
    }
}

// The table of bench/README.md: one row per case and size; the growth from the smallest size
// to each larger one in that one's row.
void PrintTable() {
    const std::string base = gProjects.empty() ? "-" : std::to_string(gProjects.begin()->first);
    std::printf("\n| function | people | s | cpu s | open s | peak MiB | files | files MiB "
                "| read MiB | distinct MiB | read distinct ms | x read | x time from %s "
                "| x cpu from %s |\n",
                base.c_str(), base.c_str());
    std::printf("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
    for (const std::string& name : gOrder) {
        const auto& bySize = gResults.at(name);
        for (const auto& [people, m] : bySize) {
            const Measure& first = bySize.begin()->second;
            std::string growth, cpuGrowth;
            if (people != bySize.begin()->first && first.seconds > 0 && first.cpuSeconds > 0) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.1f", m.seconds / first.seconds);
                growth = buf;
                std::snprintf(buf, sizeof buf, "%.1f", m.cpuSeconds / first.cpuSeconds);
                cpuGrowth = buf;
            }
            std::printf(
                "| %s | %ld | %.2f | %.2f | %.2f | %.0f | %zu | %.1f | %.1f | %.1f | %.1f | %.1f "
                "| %s | %s |\n",
                name.c_str(), people, m.seconds, m.cpuSeconds, m.openSeconds, m.peakMiB, m.files,
                m.fileBytes / 1048576.0, m.bytesRead / 1048576.0, m.referenceBytes / 1048576.0,
                m.readSeconds * 1e3, m.readSeconds > 0 ? m.seconds / m.readSeconds : 0.0,
                growth.c_str(), cpuGrowth.c_str());
        }
    }
    for (const std::string& name : gOrder)
        for (const auto& [people, m] : gResults.at(name))
            std::printf("%s/%ld: %s\n", name.c_str(), people, m.totals.c_str());
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    std::vector<long> sizes = args.Numbers("sizes", {100000});
    if (args.Flag("million"))
        sizes.push_back(1000000);
    gShowFiles = args.Flag("files");
    gBudgetMb = args.Number("budget-mb", 0);
    gDir = args.Dir("hk_bench_functions");
    args.InitializeBenchmark();
    gProgramFolder = FindProgramFolder();
    if (gProgramFolder.empty()) {
        std::fprintf(stderr, "%s\n", ProgramFolderNotFoundText(ProgramFolderCandidates()).c_str());
        return 2;
    }
    if (gProgramFolder.back() != '/')
        gProgramFolder += '/';
    ScratchFolder scratch(gDir);

    std::vector<Case> cases;
    FunctionRegistry registry;
    RegisterAllFunctions(registry);
    for (const auto& fn : registry.All())
        cases.push_back({fn->Key(), true});
    for (const char* key : {"sortdates", "fixsortdates"})
        cases.push_back({key, false});
    for (long people : sizes) {
        gProjects[people] = fs::path(GenerateProject(gDir + "/p" + std::to_string(people), people))
                                .parent_path()
                                .string();
        for (const Case& c : cases)
            RegisterOnce(c.Name() + "/" + std::to_string(people),
                         [c, people](benchmark::State& state) { RunCase(state, c, people); });
    }
    RunBenchmarks();
    PrintTable();
    return 0;
}
