// Set Sort Dates, Fix Sort Dates and Set Year Only Dates, each run whole (Log Only off) on a
// copy of a generated project of each size. "+journal" runs Set Sort Dates and Fix Sort Dates as
// the window does, in the run frame with the project's lock and its rollback journal (commit
// and undo record included); without it the function runs bare, for the journal's overhead.
//
//   bench_functions52 [--sizes=10000,100000] [--million] [--budget-mb=N] [--dir=PATH]
//                     [Google Benchmark flags]
//
// --budget-mb sets the project's memory budget (default: CTMGDB's).
//
// --million adds a project of 1,000,000 people for Fix Sort Dates (generating it takes about a
// minute). Every run happens in a child process, so "peak_MiB" is that run's own peak
// resident memory, not the generator's. The totals of each run's log are its label.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/open_project.h"
#include "bench_support.h"
#include "functions/register_functions.h"
#include "run/run_frame.h"
#include "support/memory_settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace fs = std::filesystem;
using namespace hk;
using namespace hk::bench;

namespace {

std::string gDir;
long gBudgetMb = 0;
std::map<long, std::string> gProjects; // people -> generated .pjc

// The totals of a log ("label=count" lines after the footer), joined by "; ".
std::string Totals(const std::string& logPath) {
    std::ifstream in(logPath, std::ios::binary);
    std::string line, out;
    bool footer = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("Elapsed Time=", 0) == 0)
            footer = true;
        else if (footer && line.find('=') != std::string::npos)
            out += (out.empty() ? "" : "; ") + line;
    }
    return out;
}

// Opens the project and runs the function with every tag type / group chosen; returns the
// seconds the run took (closing the project included) and the log's totals.
Timing RunOnce(const std::string& key, const std::string& pjc, bool journaled) {
    FunctionRegistry registry;
    RegisterAllFunctions(registry);
    MaintenanceFunction* fn = registry.FindByKey(key);
    MemorySettingsStore store;
    Settings settings(store);
    QuietUserInterface ui;
    SystemClock clock;
    std::string logs = fs::path(pjc).parent_path().string() + "/logs/";
    fs::create_directories(logs);

    db::CTMGDB db;
    if (gBudgetMb > 0)
        db.SetMemoryBudget(size_t(gBudgetMb) << 20);
    db.OpenProject(pjc);
    db.SetDSID(1);
    ControlStates options;
    fn->FillOptionLists(db, settings, kSettingsRoot, "File Preferences\\Bench_", options);
    for (auto& [name, state] : options)
        for (ListItem& item : state.items)
            item.selected = true;
    for (const OptionDecl& d : fn->Options())
        if (d.kind == OptionKind::CheckBox)
            options[d.control].value = 1;
    RunContext ctx(ui, clock, settings, logs);
    ctx.project = ProjectInfoOf(db);
    ctx.db = &db;
    Stopwatch watch;
    if (journaled)
        DispatchCommand(ctx, [&](RunContext& c) { fn->Run(c, options); });
    else
        fn->Run(ctx, options);
    db.CloseProject();
    return {watch.Seconds(), ctx.log ? Totals(ctx.log->FileName()) : std::string("no log")};
}

void Function(benchmark::State& state, const std::string& key, long people, bool journaled) {
    for (auto _ : state) {
        std::string work = gDir + "/run";
        fs::remove_all(work);
        fs::copy(fs::path(gProjects.at(people)).parent_path(), work);
        std::string pjc = work + "/" + fs::path(gProjects.at(people)).filename().string();
        ReportRun(state, RunInChild([&] { return RunOnce(key, pjc, journaled); }), people);
        fs::remove_all(work);
    }
}

void Register(const std::string& key, long people, bool journaled = false) {
    RegisterOnce(key + (journaled ? "+journal/" : "/") + std::to_string(people),
                 [key, people, journaled](benchmark::State& state) {
                     Function(state, key, people, journaled);
                 });
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    std::vector<long> sizes = args.Numbers("sizes", {10000, 100000});
    bool million = args.Flag("million");
    gBudgetMb = args.Number("budget-mb", 0);
    gDir = args.Dir("hk_bench_functions52");
    args.InitializeBenchmark();
    ScratchFolder scratch(gDir);

    for (long people : sizes) {
        gProjects[people] = GenerateProject(gDir + "/p" + std::to_string(people), people);
        for (const char* key : {"sortdates", "fixsortdates", "yearonlydates"})
            Register(key, people);
        for (const char* key : {"sortdates", "fixsortdates"})
            Register(key, people, true);
    }
    if (million) {
        gProjects[1000000] = GenerateProject(gDir + "/p1000000", 1000000);
        for (const char* key : {"sortdates", "fixsortdates"}) {
            Register(key, 1000000);
            Register(key, 1000000, true);
        }
    }
    RunBenchmarks();
    return 0;
}
