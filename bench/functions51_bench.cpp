// Set Living=N, Set Birth Order and Adjust Birth and Death, each run whole (open, walk, write,
// log) on generated projects of 10,000 and 100,000 people, and with --million Set Living=N on
// 1,000,000 people as well (generating that project takes about a minute).
//
//   bench_functions51 [--sizes=N,N,...] [--million] [--budget-mb=N] [--dir=PATH]
//                     [Google Benchmark flags]
//
// --budget-mb sets the project's memory budget (default: CTMGDB's).
//
// Every run happens in a child process of its own, so that the reported peak memory is the
// function's (with the project open), not the generator's or an earlier run's.
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "functions/adjust_birth_death.h"
#include "functions/set_birth_order.h"
#include "functions/set_living.h"
#include "run/run_frame.h"
#include "support/memory_settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace fs = std::filesystem;
using namespace hk::bench;

namespace {

std::string gDir;
long gBudgetMb = 0;

std::string FolderOf(long people) {
    return gDir + "/p" + std::to_string(people);
}

// One whole run of a function on the project, as the command line does it.
Timing RunFunction(hk::MaintenanceFunction& fn, const hk::ControlStates& options, long people) {
    QuietUserInterface ui;
    hk::SystemClock clock;
    hk::MemorySettingsStore store;
    hk::Settings settings(store);
    std::string logs = gDir + "/logs/";
    fs::create_directories(logs);
    Stopwatch watch;
    hk::db::CTMGDB db;
    if (gBudgetMb > 0)
        db.SetMemoryBudget(size_t(gBudgetMb) << 20);
    db.OpenProject(FolderOf(people) + "/Bench__.pjc");
    db.SetDSID(1);
    hk::RunContext ctx(ui, clock, settings, logs);
    // No settings file there: the descendant and ancestor years take their defaults.
    ctx.programFolder = gDir + "/";
    ctx.db = &db;
    fn.Run(ctx, options);
    bool failed = ctx.log && ctx.log->ErrorCount() > 0;
    db.CloseProject();
    double seconds = watch.Seconds();
    if (failed)
        throw std::runtime_error("the run logged an error");
    return {seconds, ""};
}

void Register(const std::string& name, std::shared_ptr<hk::MaintenanceFunction> fn,
              hk::ControlStates options, long people) {
    auto run = [fn, options, people](benchmark::State& state) {
        for (auto _ : state)
            ReportRun(state, RunInChild([&] { return RunFunction(*fn, options, people); }), people);
    };
    RegisterOnce(name + "/" + std::to_string(people), run);
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    std::vector<long> sizes = args.Numbers("sizes", {10000, 100000});
    bool million = args.Flag("million");
    gBudgetMb = args.Number("budget-mb", 0);
    gDir = args.Dir("hk_bench_functions51");
    args.InitializeBenchmark();
    ScratchFolder scratch(gDir);

    hk::ControlStates living;
    living["txtSLFYear"].text = "1900";
    living["chkUseParents"].value = 1;
    living["chkUseChildren"].value = 1;
    living["chkFiveGenerations"].value = 1;
    hk::ControlStates choosePrimary;
    choosePrimary["chkAuditChoosePrimary"].value = 1;
    auto setLiving = std::make_shared<hk::SetLivingFunction>();
    auto birthOrder = std::make_shared<hk::SetBirthOrderFunction>();
    auto adjust = std::make_shared<hk::AdjustBirthDeathFunction>();

    for (long people : sizes) {
        GenerateProject(FolderOf(people), people);
        Register("set_living", setLiving, living, people);
        Register("set_birth_order", birthOrder, {}, people);
        Register("adjust_birth_death", adjust, choosePrimary, people);
    }
    if (million) {
        GenerateProject(FolderOf(1000000), 1000000);
        Register("set_living", setLiving, living, 1000000);
    }
    RunBenchmarks();
    return 0;
}
