// Set Living=N, Set Birth Order and Adjust Birth and Death, each run whole (open, walk, write,
// log) on generated projects of 10,000 and 100,000 people, and with --million Set Living=N on
// 1,000,000 people as well (generating that project takes about a minute).
//
//   bench_functions51 [--sizes=N,N,...] [--million] [--dir=PATH] [Google Benchmark flags]
//
// Every run happens in a child process of its own, so that the reported peak memory is the
// function's (with the project open), not the generator's or an earlier run's.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/ctmgdb.h"
#include "functions/adjust_birth_death.h"
#include "functions/set_birth_order.h"
#include "functions/set_living.h"
#include "mktmg/generator.h"
#include "shell/run_frame.h"
#include "support/memory_settings_store.h"

namespace fs = std::filesystem;

namespace {

std::string gDir;

// Answers every question with OK and shows nothing.
class QuietUserInterface : public hk::UserInterface {
public:
    hk::MsgAnswer ShowMessageBox(std::string_view, std::string_view, hk::MsgButtons buttons,
                                 hk::MsgIcon) override {
        return buttons == hk::MsgButtons::YesNo || buttons == hk::MsgButtons::YesNoCancel
                   ? hk::MsgAnswer::Yes
                   : hk::MsgAnswer::Ok;
    }
    void ShowErrorDialog(std::string_view, std::string_view text) override {
        std::fprintf(stderr, "error: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    hk::YesNoAllAnswer AskYesNoAll(std::string_view) override {
        return hk::YesNoAllAnswer::YesToAll;
    }
    std::optional<std::string> InputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view,
                                              std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view, std::string_view,
                                              std::string_view) override {
        return std::nullopt;
    }
    long ChooseDataset(const std::vector<hk::DatasetChoice>&) override { return 1; }
    void SetProgressRange(long) override {}
    void SetProgress(long) override {}
    void ResetProgress() override {}
    void SetStatusText(std::string_view) override {}
    void ShowLog(const std::string&) override {}
    void OpenDocument(const std::string&) override {}
};

// Runs `work` in a child process; returns its seconds and peak resident memory (MiB).
bool InChild(const std::function<double()>& work, double& seconds, double& peakMiB) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        double s = -1;
        try {
            s = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "failed: %s\n", e.what());
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        double out[2] = {s, usage.ru_maxrss / 1024.0};
        ssize_t written = write(pipeFds[1], out, sizeof out);
        _exit(written == sizeof out && s >= 0 ? 0 : 1);
    }
    close(pipeFds[1]);
    double in[2] = {-1, 0};
    ssize_t got = read(pipeFds[0], in, sizeof in);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    seconds = in[0];
    peakMiB = in[1];
    return got == sizeof in && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ProjectOf(long people) {
    return gDir + "/p" + std::to_string(people) + "/Bench__.pjc";
}

void Generate(long people) {
    double seconds = 0, peak = 0;
    bool ok = InChild(
        [&] {
            auto start = std::chrono::steady_clock::now();
            hk::mktmg::GeneratorOptions o;
            o.pjcPath = ProjectOf(people);
            o.people = people;
            o.datasets = 1;
            fs::create_directories(fs::path(o.pjcPath).parent_path());
            hk::mktmg::GenerateProject(o);
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        },
        seconds, peak);
    std::fprintf(stderr, "generated %ld people in %.1f s (peak %.0f MiB)%s\n", people, seconds,
                 peak, ok ? "" : " FAILED");
}

// One whole run of a function on the project, as the command line does it.
double RunFunction(hk::MaintenanceFunction& fn, const hk::ControlStates& options, long people) {
    QuietUserInterface ui;
    hk::SystemClock clock;
    hk::MemorySettingsStore store;
    hk::Settings settings(store);
    std::string logs = gDir + "/logs/";
    fs::create_directories(logs);
    auto start = std::chrono::steady_clock::now();
    hk::db::CTMGDB db;
    db.OpenProject(ProjectOf(people));
    db.SetDSID(1);
    hk::RunContext ctx(ui, clock, settings, logs);
    // No settings file there: the descendant and ancestor years take their defaults.
    ctx.programFolder = gDir + "/";
    ctx.db = &db;
    fn.Run(ctx, options);
    bool failed = ctx.log && ctx.log->ErrorCount() > 0;
    db.CloseProject();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (failed)
        throw std::runtime_error("the run logged an error");
    return seconds;
}

void Register(const std::string& name, std::shared_ptr<hk::MaintenanceFunction> fn,
              hk::ControlStates options, long people) {
    benchmark::RegisterBenchmark(
        (name + "/" + std::to_string(people)).c_str(),
        [fn, options, people](benchmark::State& state) {
            for (auto _ : state) {
                double seconds = 0, peak = 0;
                if (!InChild([&] { return RunFunction(*fn, options, people); }, seconds, peak)) {
                    state.SkipWithError("the run failed");
                    return;
                }
                state.SetIterationTime(seconds);
                state.counters["people"] = static_cast<double>(people);
                state.counters["people_per_s"] = people / seconds;
                state.counters["peak_MiB"] = peak;
            }
        })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes = {10000, 100000};
    bool million = false;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) == 0) {
            sizes.clear();
            for (char* p = argv[i] + 8; *p;) {
                sizes.push_back(std::strtol(p, &p, 10));
                if (*p == ',')
                    ++p;
            }
        } else if (std::strcmp(argv[i], "--million") == 0) {
            million = true;
        } else if (std::strncmp(argv[i], "--dir=", 6) == 0) {
            gDir = argv[i] + 6;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (gDir.empty())
        gDir = (fs::temp_directory_path() / "hk_bench_functions51").string();
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    fs::remove_all(gDir);

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
        Generate(people);
        Register("set_living", setLiving, living, people);
        Register("set_birth_order", birthOrder, {}, people);
        Register("adjust_birth_death", adjust, choosePrimary, people);
    }
    if (million) {
        Generate(1000000);
        Register("set_living", setLiving, living, 1000000);
    }
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(gDir);
    return 0;
}
