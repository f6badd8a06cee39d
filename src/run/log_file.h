#pragma once
// CLogFile: the writer of one run log. The file is Windows-1252 text with CR LF line ends;
// callers pass UTF-8. It counts the errors, warnings and notes it wrote and the bytes so far.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "run/clock.h"

namespace hk {

// n with thousands separators and at least one digit ("#,###,###,##0"): 1234567 -> "1,234,567".
std::string FormatThousands(long long n);

class CLogFile {
public:
    // `clock` stamps LogTimestamp lines; the system clock when null.
    explicit CLogFile(const Clock* clock = nullptr);
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Create or truncate / append; both remember FileName. Failures throw hk::Error.
    void OpenOutput(const std::string& path);
    void OpenAppend(const std::string& path);
    // Creates a new file "<stem>.log", or "<stem>-2.log", "-3" ... when that name is taken, so
    // that two runs starting in the same second never share a log. Remembers FileName.
    void OpenNew(const std::string& stem);
    // Close and open FileName again for appending.
    void Reopen();
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Writes text as it is; line ends are the caller's (LogLine adds CR LF). Every writer
    // below goes through here.
    void WriteText(std::string_view text);
    void LogLine(std::string_view text);
    void LogBlankLine();
    // text, " ", the current date and time "yyyy-mm-dd hh:mm:ss".
    void LogTimestamp(std::string_view text);
    void LogError(std::string_view text);   // "*ERROR* " text, counts an error
    void LogWarning(std::string_view text); // "*Warning* " text, counts a warning
    void LogNote(std::string_view text);    // "*NOTE* " text, counts a note
    // label "=" n formatted with thousands separators; the line is also kept in Totals.
    void LogCount(std::string_view label, long long n);
    // Errors (level >= 1), Warnings (>= 2), Notes (>= 3), each only when non-zero.
    void LogCounts(int level);

    const std::string& FileName() const { return fileName_; }
    long ErrorCount() const { return errorCount_; }
    long WarningCount() const { return warningCount_; }
    long NoteCount() const { return noteCount_; }
    // Bytes written through this writer since it was created.
    long long BytesWritten() const { return bytesWritten_; }
    // The lines LogCount wrote, in order ("People=1,234"), for a front end to repeat.
    const std::vector<std::string>& Totals() const { return totals_; }

private:
    void Open(const std::string& path, const char* mode, const char* procedure);

    const Clock* clock_;
    std::FILE* file_ = nullptr;
    std::string fileName_;
    long errorCount_ = 0;
    long warningCount_ = 0;
    long noteCount_ = 0;
    long long bytesWritten_ = 0;
    std::vector<std::string> totals_;
};

} // namespace hk
