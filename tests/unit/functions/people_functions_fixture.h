#pragma once
// Test helpers for the maintenance functions of the People category: a small project written
// with the test project builder, runs through the command line in-process (or through the
// run frame with a scripted user interface), the run log split into its parts, table values
// read back, byte snapshots of the project folder, and the index and oracle checks of a table
// a run wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "db/ctmgdb.h"
#include "db/table.h"
#include "functions/register_functions.h"
#include "shell/run_frame.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "support/text.h"

namespace hk::test {

// A run log taken apart: its lines (UTF-8, without line ends), the detail lines between the
// column heading and the footer, and the totals after the footer.
struct RunLog {
    std::string text;
    std::vector<std::string> lines;

    static RunLog Read(const std::string& path) {
        RunLog log;
        log.text = Cp1252ToUtf8(ReadBytes(path));
        std::istringstream in(log.text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            log.lines.push_back(line);
        }
        return log;
    }
    bool Has(const std::string& line) const {
        for (const std::string& l : lines)
            if (l == line)
                return true;
        return false;
    }
    // The lines after `heading` up to the blank line before "Finished at".
    std::vector<std::string> Details(const std::string& heading) const {
        std::vector<std::string> out;
        size_t i = 0;
        while (i < lines.size() && lines[i] != heading)
            ++i;
        for (++i; i < lines.size() && lines[i].rfind("Finished at", 0) != 0; ++i)
            out.push_back(lines[i]);
        if (!out.empty() && out.back().empty())
            out.pop_back();
        return out;
    }
    // "label=count" lines after "Elapsed Time=", in order, counts without separators.
    std::vector<std::pair<std::string, long>> Totals() const {
        std::vector<std::pair<std::string, long>> out;
        bool footer = false;
        for (const std::string& l : lines) {
            if (l.rfind("Elapsed Time=", 0) == 0) {
                footer = true;
                continue;
            }
            size_t eq = l.rfind('=');
            if (!footer || eq == std::string::npos)
                continue;
            std::string digits;
            for (char c : l.substr(eq + 1))
                if (c != ',')
                    digits += c;
            out.emplace_back(l.substr(0, eq), std::stol(digits));
        }
        return out;
    }
    long Total(const std::string& label) const {
        for (const auto& [l, n] : Totals())
            if (l == label)
                return n;
        ADD_FAILURE() << "no total " << label << "\n" << text;
        return -1;
    }
    // The log as it would read with the other Log Only setting: header line and note removed.
    std::string WithoutLogOnly() const {
        std::string out;
        for (const std::string& l : lines)
            if (l.rfind("Log Only=", 0) != 0 && l != std::string(kLogOnlyNote))
                out += l + "\n";
        while (out.size() >= 2 && out.substr(out.size() - 2) == "\n\n")
            out.pop_back();
        return out;
    }
};

// Every file of a folder by name, byte for byte.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        files[e.path().filename().string()] = ReadBytes(e.path());
    return files;
}

// A project written by the builder and the functions of this build, run through the command
// line in-process with a fixed clock.
struct FunctionProject {
    TempDir dir;
    TestProjectBuilder build{dir.Folder() + "proj", "Family"};
    MemorySettingsStore store;
    FunctionRegistry functions;
    ManualClock clock;
    std::istringstream in;
    std::ostringstream out, err;
    std::string programFolder = std::string(HK_SOURCE_DIR) + "/data/";
    int runs = 0;
    std::string logPath;

    FunctionProject() {
        RegisterAllFunctions(functions);
        clock.now = {2024, 1, 31, 14, 25, 2};
    }

    std::filesystem::path Folder() const { return dir.Path() / "proj"; }
    std::string Pjc() const { return build.PjcPath(); }
    std::string TablePath(const std::string& suffix) const { return build.TablePath(suffix); }

    // `hearthkit-cli run KEY PROJECT --dataset 1 --yes ARGS... --log-dir <fresh folder>`; the
    // log's path is kept in logPath.
    int Run(const std::string& key, std::vector<std::string> args, bool logOnly = false) {
        std::vector<std::string> all = {"run", key, Pjc(), "--dataset", "1", "--yes"};
        all.insert(all.end(), args.begin(), args.end());
        if (logOnly)
            all.push_back("--log-only");
        std::string logDir = (dir.Path() / ("logs" + std::to_string(++runs))).string();
        all.push_back("--log-dir");
        all.push_back(logDir);
        out.str("");
        err.str("");
        cli::CliEnvironment env{
            functions, store, in, out, err, programFolder, (dir.Path() / "docs").string()};
        env.clock = &clock;
        int rc = cli::RunCli(all, env);
        logPath.clear();
        if (std::filesystem::exists(logDir))
            for (const auto& e : std::filesystem::directory_iterator(logDir))
                logPath = e.path().string();
        return rc;
    }
    RunLog Log() const { return RunLog::Read(logPath); }
};

// One field of every live record of a table, in record order, trimmed.
inline std::vector<std::string> Column(const std::string& tablePath, const std::string& field) {
    std::vector<std::string> values;
    auto t = db::Table::Open(tablePath, {.writable = false});
    int f = t->FieldIndex(field);
    EXPECT_GE(f, 0) << field;
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (!t->Deleted())
            values.push_back(t->GetTrimmed(f));
    return values;
}

// A field of the person with that number (the first live record).
inline std::string PersonField(const std::string& tablePath, long perNo, const std::string& field) {
    auto t = db::Table::Open(tablePath, {.writable = false});
    int f = t->FieldIndex(field), p = t->FieldIndex("PER_NO");
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (!t->Deleted() && t->GetLong(p) == perNo)
            return t->GetTrimmed(f);
    ADD_FAILURE() << "no person " << perNo;
    return {};
}

// Writes a field of the person with that number, as another program would have left it.
inline void SetPersonField(const std::string& tablePath, long perNo, const std::string& field,
                           const std::string& value) {
    auto t = db::Table::Open(tablePath);
    int f = t->FieldIndex(field), p = t->FieldIndex("PER_NO");
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (!t->Deleted() && t->GetLong(p) == perNo) {
            t->AssignString(f, value);
            t->Flush();
            return;
        }
    ADD_FAILURE() << "no person " << perNo;
}

// Every tag of the table's production index agrees with its data.
inline void ExpectIndexesConsistent(const std::string& tablePath) {
    auto t = db::Table::Open(tablePath, {.writable = false});
    std::string fault;
    EXPECT_TRUE(t->CheckIndexes(&fault)) << tablePath << ": " << fault;
}

// What a program outside ours reads: python's dbfread gives the field of every live record
// as we read it, and index_dump (Perl XBase::Index) walks `tag` of the production index to
// the same record numbers our engine holds there, in the same order.
inline void ExpectOraclesRead(const std::string& tablePath, const std::string& field,
                              const std::string& tag) {
    std::string script = "import dbfread\n"
                         "t = dbfread.DBF(r'''" +
                         tablePath +
                         "''', encoding='cp1252', "
                         "char_decode_errors='strict')\n"
                         "for r in t:\n"
                         "    v = r['" +
                         field +
                         "']\n"
                         "    if isinstance(v, bool): v = 'T' if v else 'F'\n"
                         "    print(str('' if v is None else v).strip())\n";
    // The system interpreter, which has the Debian packages of the readers.
    std::string cmd = "/usr/bin/python3 -c \"$HK_ORACLE_SCRIPT\" 2>&1";
    setenv("HK_ORACLE_SCRIPT", script.c_str(), 1);
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string text;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        text.append(buf, n);
    ASSERT_EQ(pclose(p), 0) << text;
    std::vector<std::string> theirs;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);)
        theirs.push_back(l);
    EXPECT_EQ(theirs, Column(tablePath, field)) << "dbfread reads " << tablePath;

    auto t = db::Table::Open(tablePath, {.writable = false});
    db::Tag* handle = t->FindTag(tag);
    ASSERT_NE(handle, nullptr) << tag;
    std::vector<db::KeyEntry> ours = handle->Entries();
    std::string cdx = tablePath.substr(0, tablePath.size() - 3) + "cdx";
    const char* type = handle->Kind() == db::KeyKind::Char ? "char" : "num";
    std::string dump =
        std::string("index_dump --type=") + type + " '" + cdx + "' '" + tag + "' 2>&1";
    FILE* q = popen(dump.c_str(), "r");
    ASSERT_NE(q, nullptr);
    std::vector<uint32_t> records;
    for (char line[512]; fgets(line, sizeof line, q);) {
        std::string s(line);
        size_t sp = s.rfind(' ');
        ASSERT_NE(sp, std::string::npos) << s;
        records.push_back(static_cast<uint32_t>(std::stoul(s.substr(sp + 1))));
    }
    ASSERT_EQ(pclose(q), 0) << dump;
    ASSERT_EQ(records.size(), ours.size()) << tag;
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(records[i], ours[i].recno) << tag << " entry " << i;
}

// The functions run through the run frame with a scripted user interface, for what the
// command line answers by itself (the confirmation).
struct FrameRun {
    FakeUserInterface ui;
    ManualClock clock;
    MemorySettingsStore store;
    Settings settings{store};
    TempDir logs;
    db::CTMGDB db;

    explicit FrameRun(const std::string& pjc) {
        db.OpenProject(pjc);
        db.SetDSID(1);
    }
    // Runs the function; true when it wrote a log.
    bool Run(MaintenanceFunction& fn, const ControlStates& options,
             const std::string& programFolder = std::string(HK_SOURCE_DIR) + "/data/") {
        RunContext ctx(ui, clock, settings, logs.Folder());
        ctx.programFolder = programFolder;
        ctx.db = &db;
        DispatchCommand(ctx, [&](RunContext& c) { fn.Run(c, options); });
        return ctx.log != nullptr;
    }
};

} // namespace hk::test
