#pragma once
// Runs the sort-date functions end to end on a built project, as the command line does: the
// project is opened, the options applied and kept, the run confirmed, and the log read back.
// Also the check every writing run gets: the project files before and after.
#include <cstdio>

#include "support/table_data.h"
#include "unit/functions/people_functions_fixture.h"

namespace hk::test {

// A regular exact date: "1" YYYYMMDD "03" and ten zeros.
inline std::string Exact(int y, int m, int d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "1%04d%02d%02d030000000000", y, m, d);
    return buf;
}

struct SortDatesProject {
    TempDir dir;
    TestProjectBuilder builder{dir.File("proj"), "Fam"};
    MemorySettingsStore store;
    FunctionRegistry functions;
    ManualClock clock;
    std::istringstream in;
    std::ostringstream out, err;
    std::string log; // the last run's log

    SortDatesProject() {
        RegisterAllFunctions(functions);
        clock.now = {2024, 1, 31, 14, 25, 2};
    }

    std::filesystem::path Folder() const { return dir.Path() / "proj"; }
    std::string Table(const std::string& suffix) const { return builder.TablePath(suffix); }

    // hearthkit-cli run KEY PROJECT --yes [extra...]; keeps the log text.
    int Run(const std::string& key, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"run",   key,         builder.PjcPath(),
                                         "--yes", "--log-dir", dir.File("logs")};
        args.insert(args.end(), extra.begin(), extra.end());
        out.str("");
        err.str("");
        cli::CliEnvironment env{
            functions,       store, in, out, err, std::string(HK_SOURCE_DIR) + "/data/",
            dir.File("docs")};
        env.clock = &clock;
        int rc = cli::RunCli(args, env);
        std::string o = out.str();
        size_t at = o.find("Log: ");
        log = at == std::string::npos ? std::string()
                                      : ReadBytes(o.substr(at + 5, o.find('\n', at) - at - 5));
        return rc;
    }

    // Runs once under Log Only and once for real: the Log Only run must change no file and
    // write the same log but for its switch line, journal line and closing note. Returns the real
    // run's code.
    int RunBothWays(const std::string& key, std::vector<std::string> extra = {}) {
        auto before = Snapshot(Folder());
        std::vector<std::string> logOnly = extra;
        logOnly.push_back("--log-only");
        int rc = Run(key, logOnly);
        EXPECT_EQ(Snapshot(Folder()), before) << "Log Only changed a project file";
        std::string onlyLog = log;
        int rcReal = Run(key, extra);
        EXPECT_EQ(rc, rcReal);
        std::string expected = log;
        if (size_t at = expected.find("Log Only=False"); at != std::string::npos)
            expected.replace(at, 14, "Log Only=True");
        // A Log Only run keeps no journal, so its footer has no journal line.
        if (size_t at = expected.find("\r\nJournal="); at != std::string::npos)
            expected.erase(at, expected.find("\r\n", at + 2) - at);
        if (log.find("Tags changed=0\r\n") == std::string::npos)
            expected += "\r\nNo changes were made because the Log Only option is selected.\r\n";
        EXPECT_EQ(onlyLog, expected);
        return rcReal;
    }
};

// The trimmed value of a field in the record whose RECNO is `recNo`.
inline std::string FieldOf(const std::string& tablePath, int recNo, const std::string& field) {
    TableData t(tablePath);
    for (size_t row = 0; row < t.Size(); ++row)
        if (t.Int(row, "RECNO") == recNo)
            return t.Str(row, field);
    return "<missing " + std::to_string(recNo) + ">";
}

} // namespace hk::test
