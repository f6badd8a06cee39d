#include "bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "mktmg/generator.h"

namespace hk::bench {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    return out;
}

// Passes every report on to the display the flags chose, and keeps each benchmark's time per
// iteration: the median of its repetitions where there are several, else the mean of its runs.
class RecordingReporter : public benchmark::BenchmarkReporter {
public:
    struct Entry {
        std::string name;  // the full name without aggregate suffix: pairs are matched on it
        std::string label; // the name without the iteration and timing suffixes
        double total = 0;
        int runs = 0;
        std::optional<double> median;

        double Seconds() const { return median ? *median : runs ? total / runs : 0; }
    };

    explicit RecordingReporter(benchmark::BenchmarkReporter* display) : display_(display) {}

    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            // The "Time" column of the display (wall clock, or hand time), in seconds. Processor
            // time would be steadier on a busy machine but leaves out waiting for the disk.
            double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Iteration) {
                Entry& e = EntryOf(run);
                e.total += seconds;
                ++e.runs;
            } else if (run.aggregate_name == "median") {
                EntryOf(run).median = seconds;
            }
        }
        display_->ReportRuns(runs);
    }
    void Finalize() override { display_->Finalize(); }

    const Entry* Find(const std::string& name) const {
        for (const Entry& e : entries_)
            if (e.name == name)
                return &e;
        return nullptr;
    }
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    Entry& EntryOf(const Run& run) {
        std::string name = run.run_name.str();
        for (Entry& e : entries_)
            if (e.name == name)
                return e;
        std::string label = run.run_name.function_name;
        if (!run.run_name.args.empty())
            label += "/" + run.run_name.args;
        return entries_.emplace_back(Entry{name, label});
    }

    benchmark::BenchmarkReporter* display_;
    std::vector<Entry> entries_; // in the order the benchmarks ran
};

std::string FormatSeconds(double s) {
    char buf[32];
    if (s >= 1)
        std::snprintf(buf, sizeof buf, "%.3f s", s);
    else if (s >= 1e-3)
        std::snprintf(buf, sizeof buf, "%.3f ms", s * 1e3);
    else if (s >= 1e-6)
        std::snprintf(buf, sizeof buf, "%.3f us", s * 1e6);
    else
        std::snprintf(buf, sizeof buf, "%.1f ns", s * 1e9);
    return buf;
}

std::string WithoutFirst(std::string text, std::string_view part) {
    size_t at = text.find(part);
    if (at != std::string::npos)
        text.erase(at, part.size());
    return text;
}

void PrintRatios(const RecordingReporter& recorded, std::string_view ours,
                 std::string_view baseline, std::FILE* out) {
    struct Row {
        std::string label;
        double ours, baseline;
    };
    std::vector<Row> rows;
    size_t width = 4;
    for (const RecordingReporter::Entry& e : recorded.Entries()) {
        size_t at = e.name.find(ours);
        if (at == std::string::npos)
            continue;
        std::string other = e.name;
        other.replace(at, ours.size(), baseline);
        const RecordingReporter::Entry* b = recorded.Find(other);
        if (!b)
            continue;
        rows.push_back({WithoutFirst(e.label, ours), e.Seconds(), b->Seconds()});
        width = std::max(width, rows.back().label.size());
    }
    if (rows.empty())
        return;
    int w = static_cast<int>(width);
    std::fprintf(out, "\n%-*s %14s %14s %8s\n", w, "case", "ours", "baseline", "ratio");
    for (const Row& r : rows)
        std::fprintf(out, "%-*s %14s %14s %8.2f\n", w, r.label.c_str(),
                     FormatSeconds(r.ours).c_str(), FormatSeconds(r.baseline).c_str(),
                     r.baseline > 0 ? r.ours / r.baseline : 0.0);
}

} // namespace

BenchArgs::BenchArgs(int argc, char** argv)
    : args_(argv, argv + argc), taken_(static_cast<size_t>(argc), false) {}

std::optional<std::string_view> BenchArgs::Take(std::string_view name, bool withValue) {
    std::optional<std::string_view> value; // the last one given wins
    for (size_t i = 1; i < args_.size(); ++i) {
        std::string_view arg = args_[i];
        if (!arg.starts_with("--") || arg.substr(2, name.size()) != name)
            continue;
        std::string_view rest = arg.substr(2 + name.size());
        if (withValue ? rest.starts_with('=') : rest.empty()) {
            taken_[i] = true;
            value = withValue ? rest.substr(1) : rest;
        }
    }
    return value;
}

long BenchArgs::Number(std::string_view name, long fallback) {
    auto value = Take(name, true);
    return value ? std::atol(std::string(*value).c_str()) : fallback;
}

std::vector<long> BenchArgs::Numbers(std::string_view name, std::vector<long> fallback) {
    auto value = Take(name, true);
    if (!value)
        return fallback;
    std::vector<long> out;
    std::string text(*value);
    for (char* p = text.data(); *p;) {
        out.push_back(std::strtol(p, &p, 10));
        if (*p == ',')
            ++p;
        else if (*p)
            break;
    }
    return out;
}

bool BenchArgs::Flag(std::string_view name) {
    return Take(name, false).has_value();
}

std::string BenchArgs::Dir(std::string_view fallbackName) {
    if (auto value = Take("dir", true))
        return std::string(*value);
    return (std::filesystem::temp_directory_path() / fallbackName).string();
}

void BenchArgs::InitializeBenchmark() {
    std::vector<char*> rest;
    for (size_t i = 0; i < args_.size(); ++i)
        if (!taken_[i])
            rest.push_back(args_[i]);
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
}

ScratchFolder::ScratchFolder(std::string path) : path_(std::move(path)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string GenerateProject(const std::string& folder, long people) {
    std::string pjc = folder + "/Bench__.pjc";
    ChildRun run = RunInChild([&] {
        Stopwatch watch;
        std::filesystem::create_directories(folder);
        mktmg::GeneratorOptions o;
        o.pjcPath = pjc;
        o.people = people;
        o.datasets = 1;
        mktmg::GenerateProject(o);
        return Timing{watch.Seconds(), ""};
    });
    if (!run.ok) {
        std::fprintf(stderr, "generating %ld people in %s failed\n", people, folder.c_str());
        std::exit(2);
    }
    std::fprintf(stderr, "generated %ld people in %.1f s (peak %.0f MiB)\n", people,
                 run.timing.seconds, run.peakMiB);
    return pjc;
}

uint64_t ReadRangesOnce(const std::vector<FileRange>& ranges) {
    std::vector<char> buffer(1u << 20);
    uint64_t bytes = 0;
    int fd = -1;
    const std::string* openPath = nullptr;
    for (const FileRange& r : ranges) {
        if (!openPath || *openPath != r.path) {
            if (fd >= 0)
                close(fd);
            fd = open(r.path.c_str(), O_RDONLY);
            if (fd < 0)
                throw std::runtime_error("cannot open " + r.path);
            openPath = &r.path;
        }
        for (uint64_t done = 0; done < r.length;) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), r.length - done));
            ssize_t got = pread(fd, buffer.data(), n, static_cast<off_t>(r.offset + done));
            if (got <= 0)
                break;
            bytes += static_cast<uint64_t>(got);
            done += static_cast<uint64_t>(got);
        }
    }
    if (fd >= 0)
        close(fd);
    return bytes;
}

std::vector<FileRange> WholeFiles(const std::vector<std::string>& paths) {
    std::vector<FileRange> ranges;
    for (const std::string& p : paths)
        ranges.push_back({p, 0, std::filesystem::file_size(p)});
    return ranges;
}

void CopyFolderSynced(const std::string& from, const std::string& to) {
    std::filesystem::remove_all(to);
    std::filesystem::create_directories(to);
    for (const auto& e : std::filesystem::directory_iterator(from)) {
        if (!e.is_regular_file())
            continue;
        std::filesystem::path target = std::filesystem::path(to) / e.path().filename();
        std::filesystem::copy_file(e.path(), target);
        int fd = open(target.c_str(), O_RDONLY);
        if (fd < 0 || fsync(fd) != 0)
            throw std::runtime_error("cannot sync " + target.string());
        close(fd);
    }
}

ChildRun RunInChild(const std::function<Timing()>& work) {
    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0)
        return run;
    std::fflush(nullptr); // nothing buffered is written twice
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return run;
    }
    if (pid == 0) {
        close(fds[0]);
        int rc = 1;
        try {
            Timing t = work();
            char seconds[64];
            std::snprintf(seconds, sizeof seconds, "%.9f\n", t.seconds);
            rc = WriteAll(fds[1], seconds + t.label) ? 0 : 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "failed: %s\n", e.what());
        }
        _exit(rc);
    }
    close(fds[1]);
    std::string message = ReadAll(fds[0]);
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    size_t newline = message.find('\n');
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && newline != std::string::npos;
    if (run.ok) {
        run.timing.seconds = std::atof(message.c_str());
        run.timing.label = message.substr(newline + 1);
    }
    run.peakMiB = usage.ru_maxrss / 1024.0;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                     usage.ru_stime.tv_usec / 1e6;
    return run;
}

void ReportRun(benchmark::State& state, const ChildRun& run, long people) {
    if (!run.ok) {
        state.SkipWithError("the run failed");
        return;
    }
    state.SetIterationTime(run.timing.seconds);
    state.counters["people"] = static_cast<double>(people);
    state.counters["people_per_s"] = people / run.timing.seconds;
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["cpu_s"] = run.cpuSeconds;
    if (!run.timing.label.empty())
        state.SetLabel(run.timing.label);
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

benchmark::internal::Benchmark* RegisterOnce(const std::string& name,
                                             std::function<void(benchmark::State&)> fn) {
    return benchmark::RegisterBenchmark(name.c_str(), std::move(fn))
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void RunBenchmarks(std::string_view ours, std::string_view baseline) {
    // The default display is created once and kept by the library: not ours to delete.
    benchmark::BenchmarkReporter* display = benchmark::CreateDefaultDisplayReporter();
    RecordingReporter recorder(display);
    benchmark::RunSpecifiedBenchmarks(&recorder);
    // Below the console table; JSON or CSV on standard output stays readable as such.
    bool console = dynamic_cast<benchmark::ConsoleReporter*>(display) != nullptr;
    if (!ours.empty())
        PrintRatios(recorder, ours, baseline, console ? stdout : stderr);
    benchmark::Shutdown();
}

void SqliteExec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", sql.c_str(), err ? err : "");
        std::exit(2);
    }
}

MsgAnswer QuietUserInterface::ShowMessageBox(std::string_view, std::string_view, MsgButtons buttons,
                                             MsgIcon) {
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                              : MsgAnswer::Ok;
}

void QuietUserInterface::ShowErrorDialog(std::string_view, std::string_view text) {
    std::fprintf(stderr, "error: %.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace hk::bench
