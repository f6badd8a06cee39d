#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "run/program_info.h"
#include "run/run_frame.h"
#include "run/yes_no.h"
#include "support/error.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"

using namespace hk;
using hk::test::FakeUserInterface;
using hk::test::ManualClock;
using hk::test::ReadBytes;

namespace {

LocalTime At(int h, int m, int s, int day = 31) {
    return {2024, 1, day, h, m, s};
}

// One run context over a temp log folder, a fake UI and a settable clock.
struct RunFixture {
    test::TempDir dir;
    FakeUserInterface ui;
    ManualClock clock;
    MemorySettingsStore store;
    Settings settings{store};
    RunContext ctx{ui, clock, settings, dir.Folder()};

    RunFixture() {
        ctx.project = {"smith_", "/home/ann/TMG/", "Main \xE2\x80\x93 Smith"};
        clock.now = At(14, 25, 2);
    }
};

} // namespace

TEST(RunFrame, ElapsedTimeSwitchesToMinuteBoundariesAfter179Seconds) {
    EXPECT_EQ(ElapsedTimeText(At(10, 0, 0), At(10, 2, 59)), "179 seconds");
    EXPECT_EQ(ElapsedTimeText(At(10, 0, 30), At(10, 3, 30)), "3 minutes"); // 180 s
    EXPECT_EQ(ElapsedTimeText(At(10, 0, 59), At(10, 4, 0)), "4 minutes");  // 181 s
    EXPECT_EQ(ElapsedTimeText(At(10, 0, 0), At(10, 0, 0)), "0 seconds");
    // Across midnight, a month end and a leap day.
    EXPECT_EQ(ElapsedTimeText({2024, 1, 31, 23, 59, 0}, {2024, 2, 1, 0, 1, 30}), "150 seconds");
    EXPECT_EQ(ElapsedTimeText({2024, 2, 28, 23, 0, 0}, {2024, 3, 1, 0, 0, 0}), "1500 minutes");
}

TEST(RunFrame, LogHasHeaderOptionsBodyFooterTotalsInOrder) {
    RunFixture f;
    f.ctx.logOnly = true;
    CLogFile& log = StartLog(f.ctx, "Set Living=N");
    EXPECT_EQ(log.FileName(), f.dir.Folder() + "20240131-142502.log");
    log.LogLine("Options:");
    log.LogLine("  Max Year=1920");
    log.LogBlankLine();
    log.LogLine("Person, Old, New");
    log.LogLine("12, ?, N");
    log.LogWarning("no birth for 13");
    log.LogNote("caf\xC3\xA9");
    f.clock.now = At(14, 28, 2); // 180 s later
    EndLog(f.ctx);
    log.LogCount("People read", 1234567);
    log.LogCount("Living set", 0);
    FinishRun(f.ctx, true);

    std::string expected = ProgramTitleAndVersion() + "\r\n" + LegalNotice() +
                           "\r\n"
                           "\r\n"
                           "Function=Set Living=N\r\n"
                           "Project=smith_ (/home/ann/TMG/smith_)\r\n"
                           "Dataset=Main \x96 Smith\r\n"
                           "Log Only=True\r\n"
                           "Started at 14:25:02\r\n"
                           "\r\n"
                           "Options:\r\n"
                           "  Max Year=1920\r\n"
                           "\r\n"
                           "Person, Old, New\r\n"
                           "12, ?, N\r\n"
                           "*Warning* no birth for 13\r\n"
                           "*NOTE* caf\xE9\r\n"
                           "\r\n"
                           "Finished at 14:28:02\r\n"
                           "Elapsed Time=3 minutes\r\n"
                           "People read=1,234,567\r\n"
                           "Living set=0\r\n"
                           "Warnings=1\r\n"
                           "Notes=1\r\n"
                           "\r\n"
                           "No changes were made because the Log Only option is selected.\r\n";
    EXPECT_EQ(ReadBytes(log.FileName()), expected);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.BytesWritten(), static_cast<long long>(expected.size()));
    ASSERT_EQ(f.ui.events.size(), 1u);
    EXPECT_EQ(f.ui.events[0].kind, "log");
    EXPECT_EQ(f.ui.events[0].text, log.FileName());

    // Two more runs in the same second get their own logs; the first is kept.
    RunContext second{f.ui, f.clock, f.settings, f.dir.Folder()};
    RunContext third{f.ui, f.clock, f.settings, f.dir.Folder()};
    f.clock.now = At(14, 25, 2);
    EXPECT_EQ(StartLog(second, "A").FileName(), f.dir.Folder() + "20240131-142502-2.log");
    EXPECT_EQ(StartLog(third, "B").FileName(), f.dir.Folder() + "20240131-142502-3.log");
    EXPECT_EQ(ReadBytes(f.dir.Folder() + "20240131-142502.log"), expected);
}

TEST(RunFrame, LogOnlyNoteOnlyWhenDataWouldHaveChanged) {
    for (bool changes : {false, true}) {
        RunFixture f;
        f.ctx.logOnly = true;
        CLogFile& log = StartLog(f.ctx, "Show Role Usage");
        log.LogError("bad");
        FinishRun(f.ctx, changes);
        EXPECT_TRUE(ReadBytes(log.FileName())
                        .ends_with(changes ? "Errors=1\r\n\r\n" + std::string(kLogOnlyNote) + "\r\n"
                                           : "Errors=1\r\n"));
    }
}

TEST(RunFrame, LargeLogAsksBeforeOpening) {
    // Builds a run log of exactly `size` bytes and finishes the run.
    auto finishWithSize = [](RunFixture& f, long long size) {
        CLogFile& log = StartLog(f.ctx, "Export Data");
        log.WriteText(std::string(static_cast<std::size_t>(size - log.BytesWritten()), 'x'));
        FinishRun(f.ctx, false);
        EXPECT_EQ(std::filesystem::file_size(log.FileName()), static_cast<uintmax_t>(size));
        return log.FileName();
    };
    {
        RunFixture f;
        std::string path = finishWithSize(f, kLargeLogBytes);
        ASSERT_EQ(f.ui.events.size(), 1u); // shown without a question
        EXPECT_EQ(f.ui.events[0].kind, "log");
    }
    {
        RunFixture f;
        f.ui.answers = {MsgAnswer::Yes};
        finishWithSize(f, kLargeLogBytes + 1);
        ASSERT_EQ(f.ui.events.size(), 2u);
        EXPECT_EQ(f.ui.events[0].title, "Open Log File");
        EXPECT_EQ(f.ui.events[0].text,
                  "The log file is quite large (250k).\r\n\r\nOpen it anyway?");
        EXPECT_EQ(f.ui.events[1].kind, "log");
    }
    {
        RunFixture f;
        f.ui.answers = {MsgAnswer::No};
        std::string path = finishWithSize(f, 2'000'000); // 1953.125k
        ASSERT_EQ(f.ui.events.size(), 2u);
        EXPECT_EQ(f.ui.events[0].text,
                  "The log file is quite large (1,953k).\r\n\r\nOpen it anyway?");
        EXPECT_EQ(f.ui.events[1].kind, "message");
        EXPECT_EQ(f.ui.events[1].text,
                  "The log file is too large to be edited by this program.\r\nUse another text "
                  "editor to view it. The file is\r\n" +
                      path + ".");
        EXPECT_TRUE(f.ui.Of("log").empty());
    }
    {
        // A log that cannot be sized counts as empty: neither asked about nor shown.
        RunFixture f;
        CLogFile& log = StartLog(f.ctx, "Export Data");
        std::filesystem::remove(log.FileName());
        FinishRun(f.ctx, false);
        EXPECT_TRUE(f.ui.events.empty());
    }
}

TEST(RunFrame, ErrorsAreShownOnceAndLogged) {
    EXPECT_EQ(ErrorText(5, "", "Invalid call", 0), "Error 5\r\nInvalid call");
    EXPECT_EQ(ErrorText(-1, "[CTMGDB.OpenTable]", "Duplicate Alias: g", 3),
              "Error -1 from [CTMGDB.OpenTable] (SubLoc=3)\r\nDuplicate Alias: g");

    RunFixture f;
    CLogFile& log = StartLog(f.ctx, "Fix Sort Dates");
    EXPECT_FALSE(RunWalk(f.ctx, [] { throw Error(-1, "[CTMGDate.Parse]", "Bad date"); }));
    EXPECT_EQ(f.ctx.lastErrorText, "Error -1 from [CTMGDate.Parse]\r\nBad date");
    ASSERT_EQ(f.ui.Of("error").size(), 1u);
    EXPECT_EQ(f.ui.Of("error")[0].title, "Hearthkit Error");
    EXPECT_EQ(f.ui.Of("error")[0].text, f.ctx.lastErrorText);
    // The run still ends normally, with the error in the log and in the counts.
    EndLog(f.ctx);
    FinishRun(f.ctx, true);
    std::string text = ReadBytes(log.FileName());
    EXPECT_NE(text.find("*ERROR* Error -1 from [CTMGDate.Parse]\r\nBad date\r\n\r\nFinished at"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("Errors=1\r\n"));

    // An error escaping a function is shown by the dispatcher, which closes a log left open
    // and still replaces the record factory.
    RunFixture g;
    int afterRuns = 0;
    auto failing = [](RunContext& ctx) {
        StartLog(ctx, "Add Events");
        throw std::runtime_error("cannot open data file");
    };
    EXPECT_FALSE(DispatchCommand(g.ctx, failing, [&] { ++afterRuns; }));
    EXPECT_EQ(afterRuns, 1);
    EXPECT_EQ(g.ctx.lastErrorText, "Error -1\r\ncannot open data file");
    EXPECT_FALSE(g.ctx.log->IsOpen());
}

TEST(RunFrame, YesNoToAllIsRememberedForTheRun) {
    FakeUserInterface ui;
    ui.yesNoAllAnswers = {YesNoAllAnswer::Yes, YesNoAllAnswer::No, YesNoAllAnswer::YesToAll};
    CYesNo ask(ui);
    EXPECT_EQ(ask.AskYesNo("Delete tag 1?"), MsgAnswer::Yes);
    EXPECT_EQ(ask.AskYesNo("Delete tag 2?"), MsgAnswer::No);
    EXPECT_EQ(ask.AskYesNo("Delete tag 3?"), MsgAnswer::Yes);
    // Yes to All answers every later question without asking.
    EXPECT_EQ(ask.AskYesNo("Delete tag 4?"), MsgAnswer::Yes);
    EXPECT_EQ(ask.AskYesNo("Delete tag 5?"), MsgAnswer::Yes);
    EXPECT_EQ(ui.Of("yesnoall").size(), 3u);
    EXPECT_EQ(ui.Of("yesnoall")[2].text, "Delete tag 3?");

    ask.Reset();
    ui.yesNoAllAnswers = {YesNoAllAnswer::NoToAll};
    EXPECT_EQ(ask.AskYesNo("Delete tag 6?"), MsgAnswer::No);
    EXPECT_EQ(ask.AskYesNo("Delete tag 7?"), MsgAnswer::No);
    EXPECT_EQ(ui.Of("yesnoall").size(), 4u);
}
