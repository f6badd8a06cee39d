#pragma once
// What the benchmarks share: their own flags beside Google Benchmark's, generated projects,
// runs in a child process with that process's peak memory, hand timing, and the table of
// ratios between our side and its baseline (SQLite or hand-written code).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "read_counting_file_system.h"
#include "run/user_interface.h"

namespace hk::bench {

// This program's flags (--name=VALUE, --name) taken out of the command line; whatever no call
// takes is handed to Google Benchmark by InitializeBenchmark.
class BenchArgs {
public:
    BenchArgs(int argc, char** argv);

    // --name=N
    long Number(std::string_view name, long fallback);
    // --name=N,N,...
    std::vector<long> Numbers(std::string_view name, std::vector<long> fallback);
    // --name
    bool Flag(std::string_view name);
    // --dir=PATH, else the folder `fallbackName` in the temporary folder.
    std::string Dir(std::string_view fallbackName);
    // Call after the flags above have been read.
    void InitializeBenchmark();

private:
    std::optional<std::string_view> Take(std::string_view name, bool withValue);

    std::vector<char*> args_;
    std::vector<bool> taken_;
};

// The benchmark's own folder: emptied when made, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string path);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::string path_;
};

// Writes a generated project of `people` people and one data set as <folder>/Bench__.pjc and
// returns that path. Runs in a child process, so that the generator's memory is not counted
// as ours; exits the program when it fails.
std::string GenerateProject(const std::string& folder, long people);

// Reads each range once (to the end of its file at most), in chunks of at most 1 MiB, and
// returns the bytes read: the floor for work that reads those bytes. Throws when a file cannot
// be opened.
uint64_t ReadRangesOnce(const std::vector<FileRange>& ranges);
// The whole of each file.
std::vector<FileRange> WholeFiles(const std::vector<std::string>& paths);

// Copies the files of folder `from` into `to` (emptied first) and syncs them, so that no
// write-back of the copy falls into a timed run that syncs the project.
void CopyFolderSynced(const std::string& from, const std::string& to);

// What a piece of work measured about itself.
struct Timing {
    double seconds = 0;
    std::string label; // a line that goes with the result, such as a run's totals
};

struct ChildRun {
    bool ok = false;
    Timing timing;
    double peakMiB = 0;    // the child's peak resident memory
    double cpuSeconds = 0; // the child's user and system time: steadier on a busy machine
};

// Runs `work` in a child process of its own. An exception in the work is printed and fails
// the run.
ChildRun RunInChild(const std::function<Timing()>& work);

// Sets a whole-project run's time and its counters (people, people_per_s, peak_MiB, cpu_s)
// and label; a failed run is skipped with an error.
void ReportRun(benchmark::State& state, const ChildRun& run, long people);

// This process's peak resident memory.
double PeakMiB();

class Stopwatch {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Times `fn` by hand on each iteration: for cases whose set-up must stay outside the time.
template <typename Fn> void TimeEach(benchmark::State& state, Fn&& fn) {
    for (auto _ : state) {
        Stopwatch watch;
        fn();
        state.SetIterationTime(watch.Seconds());
    }
}

// Registers a benchmark that runs once, timed by hand, in milliseconds: the large cases.
benchmark::internal::Benchmark* RegisterOnce(const std::string& name,
                                             std::function<void(benchmark::State&)> fn);

// Runs the chosen benchmarks. Then, when `ours` is given, prints a table: each benchmark whose
// name holds `ours`, beside the one with `baseline` in its place, and the ratio of their times.
void RunBenchmarks(std::string_view ours = {}, std::string_view baseline = {});

// Runs SQL that must succeed; exits the program when it does not.
void SqliteExec(sqlite3* db, const std::string& sql);

// Says OK and Yes to everything and shows nothing: a function runs as if the user agreed.
class QuietUserInterface : public UserInterface {
public:
    MsgAnswer ShowMessageBox(std::string_view, std::string_view, MsgButtons buttons,
                             MsgIcon) override;
    void ShowErrorDialog(std::string_view, std::string_view text) override;
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
    long ChooseDataset(const std::vector<DatasetChoice>&) override { return 1; }
    void SetProgressRange(long) override {}
    void SetProgress(long) override {}
    void ResetProgress() override {}
    void SetStatusText(std::string_view) override {}
    void ShowLog(const std::string&) override {}
    void OpenDocument(const std::string&) override {}
};

} // namespace hk::bench
