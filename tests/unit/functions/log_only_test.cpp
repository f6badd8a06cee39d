// Log Only lives in the table layer: every registered function, run under Log Only on a project
// where it has something to change, writes the log of the real run, while the engine writes no
// byte to the project's files and leaves no file behind. A real run needs the project to
// itself; a Log Only run shares it.
#include <gtest/gtest.h>

#include "changing_project.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

TEST(LogOnly, EveryFunctionLogsAsTheRealRunWhileTheEngineWritesNothing) {
    FunctionProject f;
    BuildChangingProject(f);
    Settings settings(f.store);
    int runs = 0;
    auto run = [&](MaintenanceFunction& fn, bool logOnly) {
        RunResult r = RunFunction(f, settings, runs, fn, logOnly);
        EXPECT_TRUE(r.dispatched && r.error.empty()) << fn.Key() << ": " << r.error;
        return r;
    };

    ASSERT_EQ(f.functions.All().size(), 7u) << "a new function joins this test";
    // Last first: Fix Sort Dates must see the burial before Set Sort Dates dates it.
    for (auto it = f.functions.All().rbegin(); it != f.functions.All().rend(); ++it) {
        MaintenanceFunction* fn = it->get();
        if (!fn->WritesProject())
            continue; // Check Project: its own tests show it changes nothing
        SCOPED_TRACE(fn->Key());
        auto before = Snapshot(f.Folder());
        RunResult logOnly = run(*fn, true);
        EXPECT_EQ(logOnly.bytesWritten, 0u);
        EXPECT_GT(logOnly.droppedWrites, 0u) << "the writes reached the table layer";
        // Private indexes and sort runs may come and go; no project file is written.
        for (const std::string& path : logOnly.writtenPaths)
            EXPECT_EQ(before.count(std::filesystem::path(path).filename().string()), 0u) << path;
        EXPECT_EQ(Snapshot(f.Folder()), before) << "byte-identical, and nothing left behind";

        RunResult real = run(*fn, false);
        EXPECT_GT(real.bytesWritten, 0u) << "the project gives the function something to change";
        EXPECT_EQ(real.droppedWrites, 0u);
        EXPECT_GT(real.syncs, 0) << "the changes are forced to the disk as the tables close";
        EXPECT_EQ(logOnly.syncs, 0);
        ASSERT_FALSE(real.log.lines.empty());
        EXPECT_TRUE(logOnly.log.Has("Log Only=True"));
        EXPECT_EQ(logOnly.log.lines.back(), kLogOnlyNote);
        EXPECT_EQ(logOnly.log.WithoutLogOnly(), real.log.WithoutLogOnly());
    }
}

TEST(LogOnly, EveryFunctionRefusesAStaleParticipantTagBeforeWriting) {
    FunctionProject f;
    BuildChangingProject(f);
    // Every participant's and every event's principal person number changed behind the
    // index's back: the person-by-event tags' keys (participants' EVBYPER, events' BYPER1) no
    // longer match the records.
    auto stale = [&](const std::string& suffix, const char* fieldName) {
        std::string path = f.build.TablePath(suffix);
        size_t field;
        {
            auto t = db::Table::Open(path, {.writable = false});
            field = t->FieldAt(t->FieldIndex(fieldName)).offset;
        }
        std::string data = ReadBytes(path);
        auto le = [&](size_t at, int bytes) {
            size_t v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | static_cast<uint8_t>(data[at + i]);
            return v;
        };
        const size_t count = le(4, 4), at = le(8, 2) + field, length = le(10, 2);
        EXPECT_GT(count, 0u);
        for (size_t r = 0; r < count; ++r)
            data[at + r * length] = static_cast<char>(data[at + r * length] + 100);
        WriteBytes(path, data);
        return std::filesystem::path(path).filename().string();
    };
    const std::string participants = stale("E", "EPER"), events = stale("G", "PER1");

    auto before = Snapshot(f.Folder());
    Settings settings(f.store);
    int runs = 0;
    ASSERT_EQ(f.functions.All().size(), 7u) << "a new function joins this test";
    for (const auto& fn : f.functions.All()) {
        SCOPED_TRACE(fn->Key());
        RunResult r = RunFunction(f, settings, runs, *fn, false);
        EXPECT_EQ(r.bytesWritten, 0u);
        if (!fn->WritesProject()) {
            // Check Project reports the stale tags instead of refusing to run.
            EXPECT_EQ(r.error, "");
            EXPECT_TRUE(r.log.Mentions(participants + ", -, tag EVBYPER, position "));
            EXPECT_TRUE(r.log.Mentions(events + ", -, tag BYPER1, position "));
            EXPECT_TRUE(Snapshot(f.Folder()) == before) << "byte-identical";
            continue;
        }
        EXPECT_NE(r.error.find("Error -310"), std::string::npos) << r.error;
        EXPECT_TRUE(r.error.find(participants + ": tag EVBYPER: ") != std::string::npos ||
                    r.error.find(events + ": tag BYPER1: ") != std::string::npos)
            << r.error;
        EXPECT_NE(r.error.find("Reindex the project in TMG, then run again."), std::string::npos)
            << r.error;
        if (!r.log.lines.empty())
            EXPECT_TRUE(r.log.Mentions("*ERROR* ")) << "a run with a log says why it stopped";
        EXPECT_TRUE(Snapshot(f.Folder()) == before) << "byte-identical";
    }
}

TEST(LogOnly, ARealRunNeedsTheProjectToItselfALogOnlyRunSharesIt) {
    FunctionProject f;
    f.build.Event(kTagBirth, f.build.Person('M', "Abel", "Old"), 0, ExactDate(1850));
    f.build.Write();
    AgreeingUserInterface ui;
    OpenProjectSteps steps;
    steps.programFolder = f.programFolder;
    db::CTMGDB db, other;
    ASSERT_TRUE(OpenProjectFile(db, f.build.PjcPath(), ui, steps));
    ASSERT_TRUE(OpenProjectFile(other, f.build.PjcPath(), ui, steps)); // another copy
    MaintenanceFunction& fn = *f.functions.FindByKey("setliving");
    Settings settings(f.store);
    ControlStates states;
    fn.FillOptionLists(db, settings, kSettingsRoot, "Family", states);
    ASSERT_EQ(cli::ApplyOption(fn.Options(), "MaxYear=1900", states), "");
    std::string logFolder = f.dir.Folder() + "logs/";
    std::filesystem::create_directories(logFolder);
    auto dispatch = [&](bool logOnly, const std::function<void(RunContext&)>& during) {
        RunContext ctx(ui, f.clock, settings, logFolder);
        ctx.programFolder = f.programFolder;
        ctx.logOnly = logOnly;
        ctx.project = ProjectInfoOf(db);
        ctx.db = &db;
        bool ok = DispatchCommand(ctx, [&](RunContext& c) {
            during(c);
            fn.Run(c, states);
        });
        return std::make_pair(ok, ctx.lastErrorText);
    };
    auto before = Snapshot(f.Folder());

    bool ran = false;
    auto [ok, error] = dispatch(false, [&](RunContext&) { ran = true; });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(ran);
    EXPECT_NE(error.find("Error (-61)"), std::string::npos) << error;
    EXPECT_NE(error.find(db::CTMGDB::InUseAdvice()), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(logFolder)) << "a refused run starts no log";
    EXPECT_EQ(Snapshot(f.Folder()), before);

    std::tie(ok, error) = dispatch(true, [](RunContext&) {});
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(Snapshot(f.Folder()), before);

    other.CloseProject();
    std::tie(ok, error) = dispatch(false, [&](RunContext& c) {
        // The project is this run's alone while it runs.
        EXPECT_TRUE(c.db->WriteLocked());
        db::CTMGDB late;
        EXPECT_THROW(late.OpenProject(f.build.PjcPath()), hk::Error);
    });
    EXPECT_TRUE(ok) << error;
    EXPECT_FALSE(db.WriteLocked()) << "back to sharing after the run";
    EXPECT_NE(Snapshot(f.Folder()), before);
    ASSERT_TRUE(OpenProjectFile(other, f.build.PjcPath(), ui, steps));
}
