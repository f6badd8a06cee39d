// The frame every function runs on: identity from the catalog, the shape of a run and its
// progress bar, and the one executor both front ends hand their run requests to.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/tmg_project_session.h"
#include "functions/register_functions.h"
#include "run/logged_run_function.h"
#include "run/run_frame.h"
#include "run/run_request.h"
#include "support/error.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"

using namespace hk;
using namespace hk::test;

namespace {

// A run that counts what it is given and may fail half way.
struct CountingRun final : LoggedRun {
    bool fail = false;
    long seen = 0;
    void Walk(RunScope& run) override {
        for (seen = 1; seen <= 3; ++seen) {
            run.CountRecord();
            run.Log().LogLine("record " + std::to_string(seen));
            if (fail && seen == 2)
                throw Error(-1, "[Test.Walk]", "broken record");
        }
    }
    void WriteTotals(RunScope& run) override {
        run.Log().LogCount("Records", run.RecordsCounted());
    }
    bool ChangesData() const override { return true; }
};

struct CountingFunction final : LoggedRunFunction {
    CountingFunction() : LoggedRunFunction("showroleusage", 2) {}
    std::unique_ptr<LoggedRun> Prepare(RunContext&, const ControlStates& options) const override {
        if (options.count("refuse"))
            return nullptr;
        auto run = std::make_unique<CountingRun>();
        run->fail = options.count("fail") != 0;
        run->confirmText = "Count?";
        run->optionLines = {"Fail: " + std::string(run->fail ? "True" : "False")};
        run->columnHeading = "Record";
        return run;
    }
};

struct FrameFixture {
    TempDir dir;
    FakeUserInterface ui;
    ManualClock clock;
    MemorySettingsStore store;
    Settings settings{store};
    RunContext ctx{ui, clock, settings, dir.Folder()};
    FrameFixture() { clock.now = {2024, 1, 31, 14, 25, 2}; }
};

} // namespace

TEST(FunctionFrame, EveryRegisteredFunctionIsItsCatalogRow) {
    FunctionRegistry registry;
    RegisterAllFunctions(registry);
    ASSERT_EQ(registry.All().size(), 7u);
    for (const auto& f : registry.All()) {
        const CatalogEntry* row = FindCatalogEntry(f->Key());
        ASSERT_NE(row, nullptr) << f->Key();
        EXPECT_EQ(f->Index(), row->index) << f->Key();
        EXPECT_EQ(f->Caption(), row->caption) << f->Key();
        EXPECT_EQ(f->HelpPage(), HelpPageFor(row->key)) << f->Key();
        auto* framed = dynamic_cast<const LoggedRunFunction*>(f.get());
        ASSERT_NE(framed, nullptr) << f->Key() << " runs on the frame";
        EXPECT_EQ(framed->Entry().categoryKey, row->categoryKey) << f->Key();
    }
    struct Unlisted final : LoggedRunFunction {
        Unlisted() : LoggedRunFunction("nosuchfunction", 1) {}
        std::unique_ptr<LoggedRun> Prepare(RunContext&, const ControlStates&) const override {
            return nullptr;
        }
    };
    EXPECT_THROW(Unlisted{}, Error);
}

TEST(FunctionFrame, RunsTheCommonShapeAndFinishesAfterAnError) {
    CountingFunction function;
    {
        // Refused options and a cancelled confirmation write no log.
        FrameFixture f;
        function.Run(f.ctx, {{"refuse", {}}});
        f.ui.answers = {MsgAnswer::Cancel};
        function.Run(f.ctx, {});
        EXPECT_EQ(f.ctx.log, nullptr);
        ASSERT_EQ(f.ui.events.size(), 1u);
        EXPECT_EQ(f.ui.events[0].text, "Count?");
    }
    FrameFixture f;
    f.ui.answers = {MsgAnswer::Ok};
    function.Run(f.ctx, {{"fail", {}}});
    ASSERT_NE(f.ctx.log, nullptr);
    std::string log = ReadBytes(f.ctx.log->FileName());
    EXPECT_NE(log.find("Function=Show Role Usage\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n\r\nOptions:\r\n  Fail: True\r\n\r\nRecord\r\nrecord 1\r\n"
                       "record 2\r\n*ERROR* Error -1 from [Test.Walk]\r\nbroken record\r\n\r\n"
                       "Finished at 14:25:02\r\nElapsed Time=0 seconds\r\nRecords=2\r\n"
                       "Errors=1\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(f.ui.Of("error").size(), 1u);
    EXPECT_EQ(f.ui.Of("log").size(), 1u);
    EXPECT_EQ(f.ctx.log->Totals(), (std::vector<std::string>{"Records=2", "Errors=1"}));
}

// Set Living=N, Set Birth Order and Adjust Birth and Death: the bar shows the record number
// of the walked person table, which differs from the people counted when a record of another
// dataset comes first.
TEST(FunctionFrame, ProgressShowsTheWalkedRecordNumberThroughTheExecutor) {
    TempDir dir;
    TestProjectBuilder b(dir.Folder() + "proj", "Prog");
    b.Datasets({1, 2});
    b.UseDataset(2);
    b.Person('M', "Other", "Dataset");
    b.UseDataset(1);
    for (int i = 0; i < 250; ++i)
        b.Person('F', "Some", "One");
    const std::string pjc = b.Write();

    FunctionRegistry functions;
    RegisterAllFunctions(functions);
    MemorySettingsStore store;
    Settings settings(store);
    ManualClock clock;
    clock.now = {2024, 1, 31, 14, 25, 2};
    FakeUserInterface ui;
    ui.datasets = {1};
    TmgProjectSession session(settings, std::string(HK_SOURCE_DIR) + "/data/");
    ASSERT_EQ(session.Open(pjc, ui, {}), OpenResult::Opened);

    RunExecutor executor(functions, clock, settings);
    struct Case {
        std::string key;
        ControlStates options;
        std::vector<long> progress;
    };
    ControlStates year;
    year["txtSLFYear"].text = "1900";
    const std::vector<Case> cases = {
        {"setliving", year, {251}},
        {"setbirthorder", {}, {51, 101, 151, 201, 251}},
        {"adjustbirthdeath", {}, {51, 101, 151, 201, 251}},
    };
    int logs = 0;
    for (const Case& c : cases) {
        RunRequest request;
        request.session = &session;
        request.functionKey = c.key;
        request.options = c.options;
        request.logOnly = true;
        request.ui = &ui;
        request.logFolder = dir.Folder();
        request.programFolder = std::string(HK_SOURCE_DIR) + "/data/";
        ui.answers = {MsgAnswer::Ok};
        ui.progressValues.clear();
        clock.now.second = ++logs; // a log file of its own
        RunOutcome outcome = executor.Execute(request);
        EXPECT_TRUE(outcome.ok) << c.key;
        EXPECT_EQ(outcome.errors, 0) << c.key;
        EXPECT_FALSE(outcome.logPath.empty()) << c.key;
        EXPECT_EQ(outcome.totals.front(), "People=250") << c.key;
        EXPECT_EQ(ui.progressMaximum, 251) << c.key;
        EXPECT_EQ(ui.progressValues, c.progress) << c.key;
    }
    RunRequest unknown;
    unknown.session = &session;
    unknown.ui = &ui;
    unknown.functionKey = "nosuchfunction";
    EXPECT_THROW(executor.Execute(unknown), Error);
    session.Close();
}
