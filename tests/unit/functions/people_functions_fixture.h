#pragma once
// Test helpers for the People functions: a project written by the test project builder, runs
// through the command line in-process, the run log taken apart, table values, byte snapshots
// of the project, and the index and oracle checks of a table a run wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli_app.h"
#include "functions/register_functions.h"
#include "run/run_frame.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "unit/xbase/cdx_test_util.h"
#include "xbase/table.h"

namespace hk::test {

using Lines = std::vector<std::string>;

// A run log as UTF-8 lines without their line ends.
struct RunLog {
    Lines lines;

    static RunLog Read(const std::string& path) {
        RunLog log;
        std::istringstream in(Cp1252ToUtf8(ReadBytes(path)));
        for (std::string l; std::getline(in, l);)
            log.lines.push_back(l.substr(0, l.find('\r')));
        return log;
    }
    bool Has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool Mentions(const std::string& text) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](auto& l) { return l.find(text) != std::string::npos; });
    }
    // From the line after `from` up to (not with) the first line starting with `to`.
    Lines Between(const std::string& from, const std::string& to) const {
        auto at = std::find(lines.begin(), lines.end(), from);
        auto end = at == lines.end() ? at : std::find_if(at + 1, lines.end(), [&](auto& l) {
            return l.rfind(to, 0) == 0;
        });
        return at == lines.end() ? Lines{} : Lines(at + 1, end);
    }
    // The detail lines under the column heading (the blank line before the footer dropped).
    Lines Details(const std::string& heading) const {
        Lines out = Between(heading, "Finished at");
        if (!out.empty() && out.back().empty())
            out.pop_back();
        return out;
    }
    // The "label=count" lines after the footer's elapsed time (and the journal's size).
    Lines Totals() const {
        auto at = std::find_if(lines.begin(), lines.end(),
                               [](auto& l) { return l.rfind("Elapsed Time=", 0) == 0; });
        Lines out;
        for (; at != lines.end() && ++at != lines.end() && !at->empty();)
            if (at->rfind("Journal=", 0) != 0)
                out.push_back(*at);
        return out;
    }
    // The log as it reads whatever the Log Only switch: its header line, the journal's size
    // (a Log Only run keeps none) and the note removed.
    Lines WithoutLogOnly() const {
        Lines out;
        for (const std::string& l : lines)
            if (l.rfind("Log Only=", 0) != 0 && l.rfind("Journal=", 0) != 0 && l != kLogOnlyNote)
                out.push_back(l);
        while (!out.empty() && out.back().empty())
            out.pop_back();
        return out;
    }
};

// A project of the builder, and the functions of this build run through the command line
// in-process with a fixed clock.
struct FunctionProject {
    TempDir dir;
    TestProjectBuilder build{dir.Folder() + "proj", "Family"};
    MemorySettingsStore store;
    FunctionRegistry functions;
    ManualClock clock;
    std::istringstream in;
    std::ostringstream out, err;
    std::string programFolder = std::string(HK_SOURCE_DIR) + "/data/";
    bool yes = true; // --yes: every question answered with OK
    int runs = 0;
    std::string logPath;

    FunctionProject() { RegisterAllFunctions(functions); }
    std::filesystem::path Folder() const { return dir.Path() / "proj"; }
    std::string Table(const std::string& suffix) const { return build.TablePath(suffix); }

    // run KEY PROJECT --dataset 1 --yes ARGS... [--log-only] --log-dir <a fresh folder>.
    int Run(const std::string& key, Lines args, bool logOnly = false) {
        Lines all = {"run", key, build.PjcPath(), "--dataset", "1"};
        if (yes)
            all.push_back("--yes");
        all.insert(all.end(), args.begin(), args.end());
        if (logOnly)
            all.push_back("--log-only");
        std::string logDir = (dir.Path() / ("logs" + std::to_string(++runs))).string();
        all.insert(all.end(), {"--log-dir", logDir});
        out.str("");
        err.str("");
        cli::CliEnvironment env{functions, store, in, out, err, programFolder, dir.File("docs")};
        env.clock = &clock;
        int rc = cli::RunCli(all, env);
        logPath.clear();
        if (std::filesystem::exists(logDir))
            for (const auto& e : std::filesystem::directory_iterator(logDir))
                logPath = e.path().string();
        return rc;
    }
    RunLog Log() const { return RunLog::Read(logPath); }

    // Runs under Log Only, then for real: the Log Only run changes no file and logs what the
    // real run does, but for its switch line and closing note. Returns the real run's log.
    RunLog RunBothWays(const std::string& key, const Lines& logOnlyArgs, const Lines& args) {
        auto before = Snapshot(Folder());
        EXPECT_EQ(Run(key, logOnlyArgs, true), 0) << err.str();
        EXPECT_EQ(Snapshot(Folder()), before) << "Log Only changed a project file";
        RunLog logOnly = Log();
        EXPECT_TRUE(logOnly.Has("Log Only=True"));
        EXPECT_EQ(logOnly.lines.back(), kLogOnlyNote);
        EXPECT_EQ(Run(key, args), 0) << err.str();
        RunLog log = Log();
        EXPECT_EQ(log.WithoutLogOnly(), logOnly.WithoutLogOnly());
        return log;
    }
};

// One field of every live record of a table, in record order, trimmed. The builder writes
// person n as the n-th record, so Column(people, field)[n - 1] is person n's value.
inline Lines Column(const std::string& tablePath, const std::string& field) {
    Lines values;
    auto t = db::Table::Open(tablePath, {.writable = false});
    int f = t->FieldIndex(field);
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (!t->Deleted())
            values.push_back(t->GetTrimmed(f));
    return values;
}

// Writes a field of person n (the n-th record), as another program would have left it.
inline void SetPersonField(const std::string& tablePath, uint32_t n, const std::string& field,
                           const std::string& value) {
    auto t = db::Table::Open(tablePath);
    t->Go(n);
    t->AssignString(t->FieldIndex(field), value);
    t->Flush();
}

// After a writing run: every tag of the table agrees with its data (our engine's check); the
// independent readers read the table: python's dbfread gives the field of every live record
// as we read it, and index_dump (Perl XBase::Index) walks `tag` to the record numbers our
// engine holds there, in the same order.
inline void ExpectTableSound(const std::string& tablePath, const std::string& field,
                             const std::string& tag) {
    auto t = db::Table::Open(tablePath, {.writable = false});
    std::string fault;
    EXPECT_TRUE(t->CheckIndexes(&fault)) << tablePath << ": " << fault;

    std::string script = "import dbfread\n"
                         "for r in dbfread.DBF(r'''" +
                         tablePath +
                         "''', encoding='cp1252'):\n"
                         "    v = r['" +
                         field +
                         "']\n"
                         "    if isinstance(v, bool): v = 'T' if v else 'F'\n"
                         "    print(str('' if v is None else v).strip())\n";
    setenv("HK_ORACLE_SCRIPT", script.c_str(), 1);
    // The system interpreter, which has the Debian package of the reader.
    std::string text;
    ASSERT_EQ(db::cdx_test::RunCommand("/usr/bin/python3 -c \"$HK_ORACLE_SCRIPT\" 2>&1", text), 0)
        << text;
    Lines theirs;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);)
        theirs.push_back(l);
    EXPECT_EQ(theirs, Column(tablePath, field)) << "dbfread reads " << tablePath;

    db::Tag* handle = t->FindTag(tag);
    ASSERT_NE(handle, nullptr) << tag;
    std::vector<db::KeyEntry> ours = handle->Entries();
    auto dumped = db::cdx_test::IndexDump(tablePath.substr(0, tablePath.size() - 3) + "cdx", tag,
                                          handle->Kind() != db::KeyKind::Char);
    ASSERT_EQ(dumped.size(), ours.size()) << tag;
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(dumped[i].recno, ours[i].recno) << tag << " entry " << i;
}

} // namespace hk::test
