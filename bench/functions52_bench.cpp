// Set Sort Dates, Fix Sort Dates and Set Year Only Dates, each run whole (as the window runs
// it, Log Only off) on a copy of a generated project of each size.
//
//   bench_functions52 [--sizes=10000,100000] [--million] [--dir=PATH] [Google Benchmark flags]
//
// --million adds a project of 1,000,000 people for Fix Sort Dates (generating it takes about a
// minute). Every run happens in a child process, so "peak_MiB" is that run's own peak
// resident memory, not the generator's. The totals of each run's log are its label.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "db/ctmgdb.h"
#include "functions/register_functions.h"
#include "mktmg/generator.h"
#include "shell/open_project.h"
#include "support/memory_settings_store.h"

namespace fs = std::filesystem;
using namespace hk;

namespace {

std::string gDir;
std::map<long, std::string> gProjects; // people -> generated .pjc

// Says OK and Yes to everything and shows nothing.
class QuietUserInterface : public UserInterface {
public:
    MsgAnswer ShowMessageBox(std::string_view, std::string_view, MsgButtons b, MsgIcon) override {
        return b == MsgButtons::OkCancel || b == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    void ShowErrorDialog(std::string_view, std::string_view text) override {
        std::fprintf(stderr, "error: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    YesNoAllAnswer AskYesNoAll(std::string_view) override { return YesNoAllAnswer::YesToAll; }
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
    long ChooseDataset(const std::vector<DatasetChoice> &) override { return 1; }
    void SetProgressRange(long) override {}
    void SetProgress(long) override {}
    void ResetProgress() override {}
    void SetStatusText(std::string_view) override {}
    void ShowLog(const std::string &) override {}
    void OpenDocument(const std::string &) override {}
};

// The totals of a log ("label=count" lines after the footer), joined by "; ".
std::string Totals(const std::string &logPath) {
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
std::pair<double, std::string> RunOnce(const std::string &key, const std::string &pjc) {
    FunctionRegistry registry;
    RegisterAllFunctions(registry);
    MaintenanceFunction *fn = registry.FindByKey(key);
    MemorySettingsStore store;
    Settings settings(store);
    QuietUserInterface ui;
    SystemClock clock;
    std::string logs = fs::path(pjc).parent_path().string() + "/logs/";
    fs::create_directories(logs);

    db::CTMGDB db;
    db.OpenProject(pjc);
    db.SetDSID(1);
    ControlStates options;
    fn->FillOptionLists(db, settings, kSettingsRoot, "File Preferences\\Bench_", options);
    for (auto &[name, state] : options)
        for (ListItem &item : state.items)
            item.selected = true;
    for (const OptionDecl &d : fn->Options())
        if (d.kind == OptionKind::CheckBox)
            options[d.control].value = 1;
    RunContext ctx(ui, clock, settings, logs);
    ctx.project = ProjectInfoOf(db);
    ctx.db = &db;
    auto start = std::chrono::steady_clock::now();
    fn->Run(ctx, options);
    db.CloseProject();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {seconds, ctx.log ? Totals(ctx.log->FileName()) : std::string("no log")};
}

void Function(benchmark::State &state, std::string key, long people) {
    for (auto _ : state) {
        std::string work = gDir + "/run";
        fs::remove_all(work);
        fs::copy(fs::path(gProjects.at(people)).parent_path(), work);
        std::string pjc = work + "/" + fs::path(gProjects.at(people)).filename().string();

        int fds[2];
        if (pipe(fds) != 0)
            std::abort();
        pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            auto [seconds, totals] = RunOnce(key, pjc);
            std::string msg = std::to_string(seconds) + "\n" + totals;
            ssize_t written = write(fds[1], msg.data(), msg.size());
            _exit(written == static_cast<ssize_t>(msg.size()) ? 0 : 1);
        }
        close(fds[1]);
        std::string msg;
        char buf[4096];
        ssize_t n;
        while ((n = read(fds[0], buf, sizeof buf)) > 0)
            msg.append(buf, static_cast<size_t>(n));
        close(fds[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || msg.empty()) {
            state.SkipWithError("the run failed");
            break;
        }
        state.SetIterationTime(std::atof(msg.c_str()));
        state.counters["people"] = static_cast<double>(people);
        state.counters["peak_MiB"] = usage.ru_maxrss / 1024.0;
        // The child's processor time: steadier than the wall clock on a busy machine.
        state.counters["cpu_s"] = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                                  usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
        state.SetLabel(msg.substr(msg.find('\n') + 1));
        fs::remove_all(work);
    }
}

// Generates in a child process, so the benchmark process stays small.
std::string Generate(long people) {
    std::string folder = gDir + "/p" + std::to_string(people);
    fs::create_directories(folder);
    std::string pjc = folder + "/Bench__.pjc";
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        mktmg::GeneratorOptions o;
        o.pjcPath = pjc;
        o.people = people;
        o.datasets = 1;
        mktmg::GenerateProject(o);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::fprintf(stderr, "generated %ld people in %.1f s\n", people,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return pjc;
}

} // namespace

int main(int argc, char **argv) {
    std::vector<long> sizes = {10000, 100000};
    bool million = false;
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) == 0) {
            sizes.clear();
            for (char *p = argv[i] + 8; *p;) {
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
        gDir = (fs::temp_directory_path() / "hk_bench_functions52").string();
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    fs::remove_all(gDir);
    fs::create_directories(gDir);

    for (long people : sizes) {
        gProjects[people] = Generate(people);
        for (const char *key : {"sortdates", "fixsortdates", "yearonlydates"})
            benchmark::RegisterBenchmark((std::string(key) + "/" + std::to_string(people)).c_str(),
                                         Function, std::string(key), people)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
    if (million) {
        gProjects[1000000] = Generate(1000000);
        benchmark::RegisterBenchmark("fixsortdates/1000000", Function, std::string("fixsortdates"),
                                     1000000L)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(gDir);
    return 0;
}
