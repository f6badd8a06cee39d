// The command line end to end: a generated project is opened, a dataset chosen, and a small
// test-only function runs through the real run frame; its log, the Log Only promise and the
// option persistence are checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli_app.h"
#include "run/option_persistence.h"
#include "run/run_frame.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "tmgdb/ctmgdb.h"
#include "xbase/table.h"

using namespace hk;
namespace fs = std::filesystem;

namespace {

// Sets the Living flag of every person of the dataset born before a year to "N".
class MarkOldPeople final : public MaintenanceFunction {
public:
    int Index() const override { return 5; }
    std::string Key() const override { return "markold"; }
    std::string Caption() const override { return "Mark Old People"; }
    std::vector<OptionDecl> Options() const override {
        OptionDecl year{"txtMOYear", OptionKind::TextBox,
                        "Before &year:", ProjectDataField("MarkOld", "Year")};
        OptionDecl fail{"chkMOFail", OptionKind::CheckBox, "Fail",
                        ProjectDataField("MarkOld", "Fail")};
        return {year, fail};
    }
    bool CanRun(const ControlStates& s) const override {
        auto it = s.find("txtMOYear");
        return it != s.end() && !it->second.text.empty();
    }
    void Run(RunContext& ctx, const ControlStates& s) override {
        if (!ctx.ui.Confirm("Mark old people?"))
            return;
        std::string year = s.at("txtMOYear").text;
        CLogFile& log = StartLog(ctx, Caption());
        log.LogLine("Options:");
        log.LogLine("  Before year=" + year);
        log.LogBlankLine();
        log.LogLine("Person, Birth");
        long changed = 0, read = 0;
        RunWalk(ctx, [&] {
            db::CTMGDB& db = *ctx.db;
            db.OpenTable("$", "p");
            db::Table* t = db.TableHandle("p");
            auto dsid = db.Field("p.DSID"), birth = db.Field("p.PBIRTH"),
                 living = db.Field("p.LIVING"), ref = db.Field("p.REF_ID");
            for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1)) {
                if (t->Deleted() || t->GetLong(dsid.index) != db.DSID())
                    continue;
                ++read;
                std::string b = t->GetTrimmed(birth.index);
                if (b.size() < 5 || b[0] != '1' || b.substr(1, 4) >= year)
                    continue;
                log.LogLine(std::to_string(t->GetLong(ref.index)) + ", " + b.substr(1, 4));
                if (!ctx.logOnly)
                    t->AssignString(living.index, "N");
                ++changed;
            }
            if (s.count("chkMOFail") && s.at("chkMOFail").value == 1)
                throw Error(-1, "[MarkOld.Run]", "asked to fail");
        });
        EndLog(ctx);
        log.LogCount("People read", read);
        log.LogCount("People marked", changed);
        FinishRun(ctx, true);
    }
};

struct CliFixture {
    test::TempDir dir;
    MemorySettingsStore store;
    FunctionRegistry functions;
    std::istringstream in;
    std::ostringstream out, err;
    std::string pjc;

    CliFixture() {
        functions.Add(std::make_unique<MarkOldPeople>());
        test::TestProjectBuilder b(dir.File("proj"), "Family");
        b.Datasets({1, 8});
        int a = b.Person('M', "Adam", "Old");
        b.Event(mktmg::kTagBirth, a, 0, "117900101030000000000");
        int c = b.Person('F', "Cora", "Young");
        b.Event(mktmg::kTagBirth, c, 0, "119500101030000000000");
        b.UseDataset(8);
        int o = b.Person('M', "Otto", "Other");
        b.Event(mktmg::kTagBirth, o, 0, "117000101030000000000");
        pjc = b.Write();
    }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        cli::CliEnvironment env{
            functions,       store, in, out, err, std::string(HK_SOURCE_DIR) + "/data/",
            dir.File("docs")};
        return cli::RunCli(args, env);
    }
    std::string LogPath() {
        std::string o = out.str();
        size_t at = o.find("Log: ");
        if (at == std::string::npos)
            return {};
        return o.substr(at + 5, o.find('\n', at) - at - 5);
    }
};

} // namespace

TEST(CliRun, RunsThroughTheFrameWithLogInOrderAndKeepsOptions) {
    CliFixture f;
    std::string logDir = (f.dir.Path() / "logs").string();
    int rc = f.Run({"run", "markold", f.pjc, "--dataset", "1", "--yes", "--opt", "Year=1900",
                    "--log-dir", logDir});
    ASSERT_EQ(rc, 0) << f.err.str();
    std::string log = test::ReadBytes(f.LogPath());
    std::vector<std::string> order = {"Function=Mark Old People",
                                      "Dataset=",
                                      "Log Only=False",
                                      "Options:\r\n  Before year=1900",
                                      "Person, Birth\r\n",
                                      "Finished at",
                                      "People read=2",
                                      "People marked=1"};
    size_t pos = 0;
    for (const std::string& piece : order) {
        size_t at = log.find(piece, pos);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << piece << "\n" << log;
        pos = at;
    }
    EXPECT_NE(f.out.str().find("People marked=1"), std::string::npos) << "totals printed";
    EXPECT_EQ(log.find("Log Only option"), std::string::npos);

    // Only the person of dataset 1 born before 1900 was changed.
    auto people =
        db::Table::Open((f.dir.Path() / "proj" / "Family_$.dbf").string(), {.writable = false});
    int living = people->FieldIndex("LIVING");
    std::string flags;
    for (int r = people->Top(); r == db::kPosOk; r = people->Skip(1))
        if (!people->Deleted())
            flags += people->GetTrimmed(living);
    EXPECT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0], 'N');
    EXPECT_NE(flags[1], 'N');
    EXPECT_NE(flags[2], 'N') << "another dataset is left alone";

    // The option was kept for this project: a second run needs no --opt.
    ASSERT_EQ(f.Run({"run", "markold", f.pjc, "--dataset", "1", "--yes", "--log-dir", logDir}), 0)
        << f.err.str();
    EXPECT_NE(test::ReadBytes(f.LogPath()).find("Before year=1900"), std::string::npos);
}

TEST(CliRun, LogOnlyLeavesEveryProjectFileByteIdenticalAndWritesTheSameLog) {
    CliFixture f;
    std::string logDir = (f.dir.Path() / "logs").string();
    fs::path proj = f.dir.Path() / "proj";
    auto before = test::Snapshot(proj);
    ASSERT_EQ(f.Run({"run", "markold", f.pjc, "--dataset", "1", "--yes", "--log-only", "--opt",
                     "Year=1900", "--log-dir", logDir}),
              0)
        << f.err.str();
    EXPECT_EQ(test::Snapshot(proj), before);
    std::string log = test::ReadBytes(f.LogPath());
    EXPECT_NE(log.find("Log Only=True"), std::string::npos);
    EXPECT_NE(log.find("People marked=1"), std::string::npos);
    EXPECT_NE(log.find("No changes were made because the Log Only option is selected."),
              std::string::npos);
}

TEST(CliRun, ExitCodesForErrorsRefusalsAndBadArguments) {
    CliFixture f;
    std::string logDir = (f.dir.Path() / "logs").string();
    // A run that logs an error exits 1 and still writes its log.
    EXPECT_EQ(f.Run({"run", "markold", f.pjc, "--dataset", "1", "--yes", "--opt", "Year=1900",
                     "--opt", "Fail=1", "--log-dir", logDir}),
              1);
    EXPECT_NE(test::ReadBytes(f.LogPath()).find("*ERROR* "), std::string::npos);
    // No terminal and no --yes: the confirmation is refused, nothing runs.
    EXPECT_EQ(
        f.Run({"run", "markold", f.pjc, "--dataset", "1", "--opt", "Fail=0", "--log-dir", logDir}),
        2);
    EXPECT_NE(f.err.str().find("--yes"), std::string::npos) << f.err.str();
    // Several datasets and none chosen, with no terminal to ask on.
    EXPECT_EQ(f.Run({"run", "markold", f.pjc, "--yes", "--log-dir", logDir}), 2);
    EXPECT_EQ(f.Run({"run", "markold", f.pjc, "--dataset", "3", "--yes", "--log-dir", logDir}), 2);
    // Bad arguments: one line on stderr, exit 2.
    EXPECT_EQ(f.Run({"run", "nosuch", f.pjc}), 2);
    EXPECT_EQ(f.Run({"run", "markold", f.pjc, "--dataset", "1", "--opt", "Colour=red"}), 2);
    EXPECT_NE(f.err.str().find("options: Year, Fail"), std::string::npos) << f.err.str();
    EXPECT_EQ(f.Run({"run", "markold", (f.dir.Path() / "none__.pjc").string(), "--yes"}), 2);
    EXPECT_EQ(f.Run({"frobnicate"}), 2);
    EXPECT_EQ(f.Run({"--help"}), 0);
}

TEST(CliRun, ListAndInfo) {
    CliFixture f;
    ASSERT_EQ(f.Run({"list"}), 0);
    EXPECT_EQ(f.out.str(), "5\tmarkold\tMark Old People\t\n") << "only what exists";
    ASSERT_EQ(f.Run({"list", "--all"}), 0);
    EXPECT_NE(f.out.str().find("11\tsetliving\tSet Living=N\tPeople\t(not available yet)"),
              std::string::npos);
    ASSERT_EQ(f.Run({"info", f.pjc}), 0) << f.err.str();
    EXPECT_NE(f.out.str().find("  8: "), std::string::npos) << f.out.str();
    EXPECT_NE(f.out.str().find("  $\t3 records\tPerson File"), std::string::npos) << f.out.str();
    // The folder stands for the project inside it.
    std::string folder = std::filesystem::path(f.pjc).parent_path().string();
    ASSERT_EQ(f.Run({"info", folder}), 0) << f.err.str();
    EXPECT_NE(f.out.str().find("  8: "), std::string::npos) << f.out.str();
}

TEST(CliRun, ProjectsThatAreNotThereAreNamedPlainly) {
    CliFixture f;
    auto errorOf = [&](std::vector<std::string> args) {
        EXPECT_EQ(f.Run(args), 2) << f.out.str();
        EXPECT_EQ(f.err.str().find("Index files"), std::string::npos) << f.err.str();
        return f.err.str();
    };
    std::string gone = (f.dir.Path() / "gone__.pjc").string();
    EXPECT_NE(errorOf({"info", gone}).find("The project file " + gone + " does not exist."),
              std::string::npos);
    EXPECT_NE(errorOf({"run", "markold", gone, "--yes"}).find("does not exist"), std::string::npos);

    // A project file copied without its tables; an empty folder; a folder with two projects.
    std::string lone = f.dir.Write("lone/Lone__.pjc", "[Advanced]\n");
    EXPECT_NE(errorOf({"info", lone}).find("holds no tables of the project Lone__.pjc"),
              std::string::npos);
    std::filesystem::create_directories(f.dir.Path() / "empty");
    EXPECT_NE(errorOf({"info", f.dir.File("empty")}).find("There is no TMG project in the folder"),
              std::string::npos);
    f.dir.Write("lone/Other__.pjc", "");
    std::string several = errorOf({"info", f.dir.File("lone")});
    EXPECT_NE(several.find("holds several TMG projects"), std::string::npos) << several;
    EXPECT_NE(several.find("Other__.pjc"), std::string::npos) << several;
}
