#include "run/log_file.h"

#include <cerrno>
#include <cstring>

#include "support/error.h"
#include "support/text.h"

namespace hk {

std::string FormatThousands(long long n) {
    unsigned long long magnitude = static_cast<unsigned long long>(n);
    if (n < 0)
        magnitude = 0ULL - magnitude;
    std::string digits = std::to_string(magnitude);
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count > 0 && count % 3 == 0)
            out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++count;
    }
    return n < 0 ? "-" + out : out;
}

CLogFile::CLogFile(const Clock* clock) : clock_(clock) {}

CLogFile::~CLogFile() {
    if (file_ != nullptr)
        std::fclose(file_); // a destructor cannot report a failed flush
}

void CLogFile::Open(const std::string& path, const char* mode, const char* procedure) {
    Close();
    fileName_ = path;
    file_ = std::fopen(path.c_str(), mode);
    if (file_ == nullptr)
        throw Error(-1, ErrorSource("CLogFile", procedure),
                    "Cannot open the log file " + path + ": " + std::strerror(errno));
}

void CLogFile::OpenOutput(const std::string& path) {
    Open(path, "wb", "OpenOutput");
}

void CLogFile::OpenNew(const std::string& stem) {
    Close();
    // "x": fails when the file exists, so a name is claimed atomically, even across processes.
    for (int n = 1; n <= 999; ++n) {
        std::string path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".log";
        file_ = std::fopen(path.c_str(), "wbx");
        if (file_ != nullptr) {
            fileName_ = path;
            return;
        }
        if (errno != EEXIST)
            throw Error(-1, ErrorSource("CLogFile", "OpenNew"),
                        "Cannot open the log file " + path + ": " + std::strerror(errno));
    }
    throw Error(-1, ErrorSource("CLogFile", "OpenNew"),
                "Cannot open a new log file " + stem + ".log: too many logs of that second.");
}

void CLogFile::OpenAppend(const std::string& path) {
    Open(path, "ab", "OpenAppend");
}

void CLogFile::Reopen() {
    Open(fileName_, "ab", "Reopen");
}

void CLogFile::Close() {
    if (file_ == nullptr)
        return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0)
        throw Error(-1, ErrorSource("CLogFile", "Close"),
                    "Cannot write the log file " + fileName_ + ": " + std::strerror(errno));
}

void CLogFile::WriteText(std::string_view text) {
    if (file_ == nullptr)
        throw Error(-1, ErrorSource("CLogFile", "WriteText"), "The log file is not open.");
    std::string out = Utf8ToCp1252(text);
    if (std::fwrite(out.data(), 1, out.size(), file_) != out.size())
        throw Error(-1, ErrorSource("CLogFile", "WriteText"),
                    "Cannot write the log file " + fileName_ + ": " + std::strerror(errno));
    bytesWritten_ += static_cast<long long>(out.size());
}

void CLogFile::LogLine(std::string_view text) {
    WriteText(std::string(text) + "\r\n");
}

void CLogFile::LogBlankLine() {
    WriteText("\r\n");
}

void CLogFile::LogTimestamp(std::string_view text) {
    SystemClock systemClock;
    const Clock& clock = clock_ ? *clock_ : systemClock;
    LogLine(std::string(text) + " " + FormatDateTime(clock.Now()));
}

void CLogFile::LogError(std::string_view text) {
    LogLine("*ERROR* " + std::string(text));
    ++errorCount_;
}

void CLogFile::LogWarning(std::string_view text) {
    LogLine("*Warning* " + std::string(text));
    ++warningCount_;
}

void CLogFile::LogNote(std::string_view text) {
    LogLine("*NOTE* " + std::string(text));
    ++noteCount_;
}

void CLogFile::LogCount(std::string_view label, long long n) {
    std::string line = std::string(label) + "=" + FormatThousands(n);
    LogLine(line);
    totals_.push_back(std::move(line));
}

void CLogFile::LogCounts(int level) {
    if (level >= 1 && errorCount_ > 0)
        LogCount("Errors", errorCount_);
    if (level >= 2 && warningCount_ > 0)
        LogCount("Warnings", warningCount_);
    if (level >= 3 && noteCount_ > 0)
        LogCount("Notes", noteCount_);
}

} // namespace hk
