// Log Only lives in the table layer: every registered function, run under Log Only on a project
// where it has something to change, writes the log of the real run, while the engine writes no
// byte to the project's files and leaves no file behind. A real run needs the project to
// itself; a Log Only run shares it.
#include <gtest/gtest.h>

#include "app/open_project.h"
#include "cli/cli_app.h"
#include "people_functions_fixture.h"
#include "run/option_persistence.h"
#include "support/faulty_file_system.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

// Says OK and Yes to every question.
class AgreeingUserInterface : public FakeUserInterface {
public:
    MsgAnswer ShowMessageBox(std::string_view, std::string_view, MsgButtons buttons,
                             MsgIcon) override {
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                  : MsgAnswer::Ok;
    }
    YesNoAllAnswer AskYesNoAll(std::string_view) override { return YesNoAllAnswer::YesToAll; }
};

struct RunResult {
    RunLog log;
    uint64_t bytesWritten = 0; // by the engine to the project's table files
    uint64_t droppedWrites = 0;
    long syncs = 0;
    std::set<std::string> writtenPaths; // every file written through the file system
    bool dispatched = false;
    std::string error; // the run's last error, as shown
};

// A project where each function has something to change.
void BuildChangingProject(FunctionProject& f) {
    TestProjectBuilder& b = f.build;
    // Set Living: a birth before the year mark.
    b.Event(kTagBirth, b.Person('M', "Abel", "Old"), 0, ExactDate(1850));
    // Set Birth Order: a couple's children, unnumbered.
    int fa = b.Person('M', "Frank", "Able"), mo = b.Person('F', "Mary", "Able");
    for (int year : {1830, 1825}) {
        int c = b.Person('M', "Kid", "Able");
        b.Parents(c, fa, mo);
        b.Event(kTagBirth, c, 0, ExactDate(year, 1, 1));
    }
    // Adjust Birth and Death: two births, neither primary (one is made primary).
    int ugo = b.Person('M', "Ugo", "Unsure");
    b.Event(kTagBirth, ugo, 0, ExactDate(1790, 0, 0));
    b.Event(kTagBirth, ugo, 0, ExactDate(1788, 0, 0));
    b.Participants()[b.Participants().size() - 2].primary = false;
    b.Participants().back().primary = false;
    // Set Sort Dates: undated tags, one of them shared by a couple.
    int carl = b.Person('M', "Carl", "Orphan");
    b.Event(kTagDeath, carl);
    b.Event(kTagBirth, carl);
    int jack = b.Person('M', "Jack", "Groom"), kate = b.Person('F', "Kate", "Bride");
    b.Event(kTagBirth, kate, 0, ExactDate(1830, 4, 4));
    b.Event(kTagMarriage, jack, kate);
    // Fix Sort Dates: a dated burial without a sort date (burials are not in the tag list).
    b.EventRecord(b.Event(kTagBurial, carl, 0, ExactDate(1890, 5, 5))).sortDate = "";
    // Set Year Only Dates: a full birth date of a living person.
    int lena = b.Person('F', "Lena", "Living");
    b.PersonRecord(lena).living = 'Y';
    b.Event(kTagBirth, lena, 0, ExactDate(1950, 3, 3));
    b.Write();
}

// Options that make each function change data there.
const std::map<std::string, Lines> kChangingOptions = {
    {"setliving", {"MaxYear=1900", "UseParents=0", "UseChildren=0"}},
    {"adjustbirthdeath", {"Choose primary=1"}},
    {"sortdates", {"Tags=Name-Var;Birth;Baptism;Occupation|0;Census;Marriage;Death"}},
    {"yearonlydates", {"BirthGroup=1"}},
};

// Runs one function through the run frame on its own open project; the error text is kept.
RunResult RunFunction(FunctionProject& f, Settings& settings, int& runs, MaintenanceFunction& fn,
                      bool logOnly) {
    FaultyFileSystem files; // no faults: it records what is written
    db::CTMGDB db(&files);
    AgreeingUserInterface ui;
    OpenProjectSteps steps;
    steps.programFolder = f.programFolder;
    EXPECT_TRUE(OpenProjectFile(db, f.build.PjcPath(), ui, steps));
    std::vector<OptionDecl> decls = fn.Options();
    ControlStates states;
    std::string fileKey = ProjectFileKey(db.ProjectPrefix());
    fn.FillOptionLists(db, settings, kSettingsRoot, fileKey, states);
    RestoreControls(settings, kSettingsRoot, fileKey, decls, states);
    if (auto it = kChangingOptions.find(fn.Key()); it != kChangingOptions.end())
        for (const std::string& o : it->second)
            EXPECT_EQ(cli::ApplyOption(decls, o, states), "") << o;
    std::string logFolder = (f.dir.Path() / ("log" + std::to_string(++runs))).string() + "/";
    std::filesystem::create_directories(logFolder);
    RunContext ctx(ui, f.clock, settings, logFolder);
    ctx.programFolder = f.programFolder;
    ctx.logOnly = logOnly;
    ctx.project = ProjectInfoOf(db);
    ctx.db = &db;
    RunResult r;
    r.dispatched = DispatchCommand(ctx, [&](RunContext& c) { fn.Run(c, states); });
    r.error = ctx.lastErrorText;
    EXPECT_FALSE(db.LogOnly()) << "the run ends with the project writable again";
    db.CloseProject();
    if (ctx.log)
        r.log = RunLog::Read(ctx.log->FileName());
    r.bytesWritten = db.BytesWritten();
    r.droppedWrites = db.DroppedWrites();
    r.writtenPaths = files.WrittenPaths();
    r.syncs = files.Syncs();
    return r;
}

} // namespace

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
