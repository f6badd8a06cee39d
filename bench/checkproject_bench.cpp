// Check Project run whole (open, check every table, index and link, log) on generated projects
// of 100,000 people, and with --million 1,000,000 as well (generating that project takes a
// minute or so), beside the time to read every file of the project once in 1 MiB chunks: the
// check should take at most three times as long.
//
//   bench_checkproject [--sizes=N,N,...] [--million] [--cold] [--dir=PATH] [Google flags]
//
// Warm: the project's files are in the page cache, as right after generating or after a first
// run. --cold adds both again with the files dropped from the page cache first (as on a
// machine that has not read the project yet). Every check runs in a child process, so its
// peak memory is its own.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "functions/check_project.h"
#include "run/run_frame.h"
#include "support/memory_settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace fs = std::filesystem;
using namespace hk::bench;

namespace {

std::string gDir;
std::map<long, std::string> gProjects; // people -> .pjc

std::vector<fs::path> ProjectFiles(long people) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(gProjects.at(people)).parent_path()))
        if (e.is_regular_file())
            files.push_back(e.path());
    return files;
}

// Drops the project's files from the page cache (they are clean: nothing writes them).
void DropFromCache(long people) {
    for (const fs::path& p : ProjectFiles(people)) {
        int fd = open(p.c_str(), O_RDONLY);
        if (fd < 0)
            continue;
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
    }
}

// Reads every file of the project once, in 1 MiB chunks: the floor for anything that reads
// the whole project.
Timing ReadFiles(long people) {
    std::vector<char> buffer(1u << 20);
    uint64_t bytes = 0;
    Stopwatch watch;
    for (const fs::path& p : ProjectFiles(people)) {
        int fd = open(p.c_str(), O_RDONLY);
        if (fd < 0)
            throw std::runtime_error("cannot open " + p.string());
        for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;)
            bytes += static_cast<uint64_t>(n);
        close(fd);
    }
    return {watch.Seconds(), std::to_string(bytes >> 20) + " MiB"};
}

// One whole run of Check Project on dataset 1, as the command line runs it.
Timing RunCheck(long people) {
    QuietUserInterface ui;
    hk::SystemClock clock;
    hk::MemorySettingsStore store;
    hk::Settings settings(store);
    std::string logs = gDir + "/logs/";
    fs::create_directories(logs);
    Stopwatch watch;
    hk::db::CTMGDB db;
    db.OpenProject(gProjects.at(people));
    db.SetDSID(1);
    hk::RunContext ctx(ui, clock, settings, logs);
    ctx.db = &db;
    ctx.writesProject = false;
    hk::CheckProjectFunction check;
    hk::DispatchCommand(ctx, [&](hk::RunContext& c) { check.Run(c, {}); });
    db.CloseProject();
    double seconds = watch.Seconds();
    if (!ctx.log || ctx.log->ErrorCount() > 0)
        throw std::runtime_error("the check logged an error");
    for (const std::string& total : ctx.log->Totals())
        if (total != std::string(hk::kFaultsFoundLabel) + "=0" &&
            total.rfind(hk::kFaultsFoundLabel, 0) == 0)
            throw std::runtime_error("the generated project has faults: " + total);
    return {seconds, ""};
}

void Register(long people, bool cold) {
    const std::string suffix = (cold ? "_cold/" : "/") + std::to_string(people);
    RegisterOnce("read_files" + suffix, [people, cold](benchmark::State& state) {
        for (auto _ : state) {
            if (cold)
                DropFromCache(people);
            ReportRun(state, RunInChild([&] { return ReadFiles(people); }), people);
        }
    });
    RegisterOnce("check_project" + suffix, [people, cold](benchmark::State& state) {
        for (auto _ : state) {
            if (cold)
                DropFromCache(people);
            ReportRun(state, RunInChild([&] { return RunCheck(people); }), people);
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    std::vector<long> sizes = args.Numbers("sizes", {100000});
    if (args.Flag("million"))
        sizes.push_back(1000000);
    const bool cold = args.Flag("cold");
    gDir = args.Dir("hk_bench_checkproject");
    args.InitializeBenchmark();
    ScratchFolder scratch(gDir);

    for (long people : sizes) {
        gProjects[people] = GenerateProject(gDir + "/p" + std::to_string(people), people);
        Register(people, false);
        if (cold)
            Register(people, true);
    }
    RunBenchmarks("check_project", "read_files");
    return 0;
}
