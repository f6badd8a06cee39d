// Check Project on generated projects, through the command line: clean on a fresh project;
// after each seeded damage exactly that fault; the project never changes; exit status 0/1/2.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "cli/cli_app.h"
#include "functions/register_functions.h"
#include "mktmg/generator.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "unit/functions/people_functions_fixture.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/table.h"

namespace hk::test {
namespace {

namespace fs = std::filesystem;
using db::Table;

constexpr const char* kHeading = "Table, Record, Fault";

// One generated project, made once; each case checks a copy of it.
class CheckProjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        source_ = new TempDir;
        mktmg::GeneratorOptions o;
        o.pjcPath = source_->File("Gen__.pjc");
        o.people = 300;
        datasets_ = new std::vector<long>;
        for (const auto& d : mktmg::GenerateProject(o).datasets)
            datasets_->push_back(d.dsid);
    }
    static void TearDownTestSuite() {
        delete source_;
        delete datasets_;
    }

    void SetUp() override {
        RegisterAllFunctions(functions_);
        fs::copy(source_->Path(), Folder());
    }
    fs::path Folder() const { return dir_.Path() / "proj"; }
    std::string Pjc() const { return (Folder() / "Gen__.pjc").string(); }
    std::string TablePath(const std::string& suffix) const {
        return (Folder() / ("Gen_" + suffix + ".dbf")).string();
    }

    int Cli(std::vector<std::string> args) {
        std::string logDir = dir_.File("logs" + std::to_string(++runs_));
        args.insert(args.end(), {"--log-dir", logDir});
        out_.str("");
        err_.str("");
        cli::CliEnvironment env{
            functions_,       store_, in_, out_, err_, std::string(HK_SOURCE_DIR) + "/data/",
            dir_.File("docs")};
        int rc = cli::RunCli(args, env);
        log_ = {};
        if (fs::exists(logDir))
            for (const auto& e : fs::directory_iterator(logDir))
                log_ = RunLog::Read(e.path().string());
        return rc;
    }
    // Runs the check on dataset 1 and expects it to leave every file as it was.
    int Check(long dataset = 1) {
        auto before = Snapshot(Folder());
        int rc = Cli({"check", Pjc(), "--dataset", std::to_string(dataset)});
        EXPECT_EQ(Snapshot(Folder()), before) << "the check changed a project file";
        return rc;
    }
    // The totals that are not zero, but for the two that always count.
    Lines FaultTotals() const {
        Lines out;
        for (const std::string& t : log_.Totals())
            if (t.rfind("Tables checked=", 0) != 0 && t.rfind("Records read=", 0) != 0 &&
                t.substr(t.find('=') + 1) != "0")
                out.push_back(t);
        return out;
    }

    static TempDir* source_;
    static std::vector<long>* datasets_;
    TempDir dir_;
    FunctionRegistry functions_;
    MemorySettingsStore store_;
    std::istringstream in_;
    std::ostringstream out_, err_;
    int runs_ = 0;
    RunLog log_;
};

TempDir* CheckProjectTest::source_ = nullptr;
std::vector<long>* CheckProjectTest::datasets_ = nullptr;

// The first live record of dataset 1 that `pick` accepts; the cursor stays on it.
uint32_t FirstRecord(db::Table& t, const std::function<bool(db::Table&)>& pick) {
    const int dsid = t.FieldIndex("DSID");
    for (int pos = t.Top(); pos == db::kPosOk; pos = t.Skip(1))
        if (!t.Deleted() && t.GetLong(dsid) == 1 && pick(t))
            return t.RecNo();
    ADD_FAILURE() << "no record to damage in " << t.Path();
    return 0;
}

// Overwrites bytes of a record in place, behind the back of the table's indexes.
void PokeRecord(const std::string& path, uint32_t recno, const std::string& field,
                const std::string& bytes) {
    auto t = Table::Open(path, {.writable = false});
    const db::FieldInfo& f = t->FieldAt(t->FieldIndex(field));
    const uint64_t at = t->Dbf().HeaderLength() + uint64_t(recno - 1) * t->Dbf().RecordLength();
    t.reset();
    std::string data = ReadBytes(path);
    data.replace(at + f.offset, bytes.size(), bytes);
    WriteBytes(path, data);
}

std::string Le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

TEST_F(CheckProjectTest, FreshProjectIsCleanInEveryDatasetAndTheRunCommandWorksToo) {
    ASSERT_GE(datasets_->size(), 2u);
    for (long d : *datasets_) {
        EXPECT_EQ(Check(d), 0) << "dataset " << d << "\n" << err_.str();
        EXPECT_TRUE(log_.Has("Function=Check Project"));
        EXPECT_EQ(log_.Details(kHeading), Lines{}) << "dataset " << d;
        EXPECT_EQ(FaultTotals(), Lines{}) << "dataset " << d;
        EXPECT_TRUE(log_.Has("Faults found=0"));
        EXPECT_TRUE(log_.Has("Tables checked=29"));
    }
    EXPECT_EQ(Cli({"run", "checkproject", Pjc(), "--dataset", "1", "--yes"}), 0) << err_.str();
    EXPECT_TRUE(log_.Has("Faults found=0"));
    // Log Only makes no difference: no note, since nothing would have been written.
    EXPECT_EQ(Cli({"run", "checkproject", Pjc(), "--dataset", "1", "--yes", "--log-only"}), 0);
    EXPECT_FALSE(log_.Mentions("No changes were made"));
}

TEST_F(CheckProjectTest, EachSeededDamageIsReportedAloneWithItsTotal) {
    struct Damage {
        const char* what;
        std::function<void()> apply;
        std::string line;  // the one fault line, up to its first differing detail
        std::string total; // the one total that is not zero besides "Faults found"
    };
    long missing = 99999999;
    uint32_t record = 0;
    auto assign = [&](const std::string& suffix, const std::string& field, long value,
                      const std::function<bool(db::Table&)>& pick) {
        auto t = Table::Open(TablePath(suffix));
        record = FirstRecord(*t, pick);
        t->Go(record);
        t->AssignLong(t->FieldIndex(field), value);
    };
    const Damage damages[] = {
        {"a participant row pointing at a missing event",
         [&] { assign("e", "GNum", missing, [](db::Table&) { return true; }); },
         "Gen_e.dbf, {rec}, event 99999999 (GNum) is missing",
         "Participants whose event is missing=1"},
        {"a name of a missing person",
         [&] {
             assign("n", "NPer", missing,
                    [](db::Table& t) { return !t.GetBool(t.FieldIndex("Primary")); });
         },
         "Gen_n.dbf, {rec}, person 99999999 (NPer) is missing", "Names whose person is missing=1"},
        {"a doubled primary name",
         [&] {
             auto t = Table::Open(TablePath("n"));
             const int primary = t->FieldIndex("Primary");
             record = FirstRecord(*t, [&](db::Table& n) { return !n.GetBool(primary); });
             t->Go(record);
             t->AssignBool(primary, true);
         },
         "has 2 primary names", "People with more than one primary name=1"},
        {"a memo pointer past the end of the memo file",
         [&] {
             auto t = Table::Open(TablePath("g"), {.writable = false});
             record = FirstRecord(*t, [](db::Table&) { return true; });
             t.reset();
             PokeRecord(TablePath("g"), record, "EFoot", Le32(0x7FFFFFF0));
         },
         "Gen_g.dbf, {rec}, field EFOOT: memo block 2147483632 is past the end of the memo file",
         "Memo pointers outside their memo file=1"},
        {"two entries of a tag swapped (each record's key now is the other's)",
         [&] {
             auto t = Table::Open(TablePath("$"), {.writable = false});
             const int ref = t->FieldIndex("Ref_ID");
             t->Go(1);
             const long first = t->GetLong(ref);
             t->Go(2);
             const long second = t->GetLong(ref);
             t.reset();
             ASSERT_NE(first, second);
             PokeRecord(TablePath("$"), 1, "Ref_ID", Le32(second));
             PokeRecord(TablePath("$"), 2, "Ref_ID", Le32(first));
             record = 0;
         },
         "Gen_$.dbf, -, tag REF_ID, position ", "Index tags that disagree with the data=1"},
        {"an index free list into a page in use (no read but the full check sees it)",
         [&] {
             std::string cdx = TablePath("$");
             cdx.replace(cdx.size() - 3, 3, "cdx");
             std::string data = ReadBytes(cdx);
             data.replace(4, 4, Le32(0x400)); // the tag directory's root
             WriteBytes(cdx, data);
             record = 0;
         },
         "free list: page 0x400 is also in use", "Index tags that disagree with the data=1"},
        {"a record written past the header's count",
         [&] {
             auto t = Table::Open(TablePath("g"), {.writable = false});
             const uint32_t count = t->RecCount(), length = t->Dbf().RecordLength();
             t.reset();
             std::string data = ReadBytes(TablePath("g"));
             data.append(length, ' ');
             WriteBytes(TablePath("g"), data);
             record = count;
         },
         "Gen_g.dbf, -, the header counts {rec} records but the file holds {rec+1}",
         "Table headers that disagree with the file size=1"},
        {"a table cut short: its header counts more records than the file holds",
         [&] {
             auto t = Table::Open(TablePath("g"), {.writable = false});
             record = t->RecCount();
             t.reset();
             std::string data = ReadBytes(TablePath("g"));
             data.resize(data.size() - 2); // the end-of-file mark and a byte of the last record
             WriteBytes(TablePath("g"), data);
         },
         "Gen_g.dbf, -, the header counts {rec} records but the file holds only {rec-1}",
         "Table headers that disagree with the file size=1"},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        fs::remove_all(Folder());
        fs::copy(source_->Path(), Folder());
        d.apply();
        std::string line = d.line;
        auto put = [&](const std::string& mark, uint32_t value) {
            if (size_t at = line.find(mark); at != std::string::npos)
                line.replace(at, mark.size(), std::to_string(value));
        };
        put("{rec}", record);
        put("{rec+1}", record + 1);
        put("{rec-1}", record - 1);
        put("{rec}", record);

        EXPECT_EQ(Check(), 1) << err_.str();
        Lines faults = log_.Details(kHeading);
        ASSERT_EQ(faults.size(), 1u) << ::testing::PrintToString(faults);
        EXPECT_NE(faults[0].find(line), std::string::npos) << faults[0] << "\nwanted: " << line;
        EXPECT_EQ(FaultTotals(), (Lines{d.total, "Faults found=1"}));
    }
}

TEST_F(CheckProjectTest, ExitStatusTwoWhenTheProjectCannotBeOpened) {
    EXPECT_EQ(Cli({"check", dir_.File("nowhere/None__.pjc"), "--dataset", "1"}), 2);
    // A person table whose header counts more records than its file holds.
    std::string data = ReadBytes(TablePath("$"));
    data.resize(data.size() - 200);
    WriteBytes(TablePath("$"), data);
    EXPECT_EQ(Check(), 2);
    EXPECT_NE(err_.str().find("could not be opened"), std::string::npos) << err_.str();
    EXPECT_EQ(Cli({"check", Pjc(), "--log-only"}), 2); // not an option of check
    EXPECT_EQ(Cli({"check"}), 2);
    EXPECT_NE(err_.str().find("check needs one project file"), std::string::npos) << err_.str();
}

} // namespace
} // namespace hk::test
