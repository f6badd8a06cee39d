#pragma once
// A project where each of the six functions has something to change, the options that make it
// change it, and a run of one function through the run frame on its own open project.
#include <map>
#include <set>

#include "app/open_project.h"
#include "cli/cli_app.h"
#include "people_functions_fixture.h"
#include "run/option_persistence.h"
#include "support/faulty_file_system.h"

namespace hk::test {

using namespace hk::mktmg;

// Says OK and Yes to every question; what it was shown is kept.
class AgreeingUserInterface : public FakeUserInterface {
public:
    MsgAnswer ShowMessageBox(std::string_view text, std::string_view title, MsgButtons buttons,
                             MsgIcon icon) override {
        if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel)
            answers.push_back(MsgAnswer::Yes);
        else if (buttons == MsgButtons::OkCancel)
            answers.push_back(MsgAnswer::Ok);
        return FakeUserInterface::ShowMessageBox(text, title, buttons, icon);
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
    std::string error;             // the run's last error, as shown
    std::vector<UiEvent> messages; // at open and during the run
};

// A project where each function has something to change.
inline void BuildChangingProject(FunctionProject& f) {
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
inline const std::map<std::string, Lines> kChangingOptions = {
    {"setliving", {"MaxYear=1900", "UseParents=0", "UseChildren=0"}},
    {"adjustbirthdeath", {"Choose primary=1"}},
    {"sortdates", {"Tags=Name-Var;Birth;Baptism;Occupation|0;Census;Marriage;Death"}},
    {"yearonlydates", {"BirthGroup=1"}},
};

// Runs one function through the run frame on its own open project, opened through `base`; the
// error text is kept. The log goes to `logFolder`, or to a fresh folder when it is empty.
inline RunResult RunFunction(FunctionProject& f, Settings& settings, int& runs,
                             MaintenanceFunction& fn, bool logOnly,
                             db::FileSystem& base = db::FileSystem::Default(),
                             std::string logFolder = {}) {
    FaultyFileSystem files(base); // no faults: it records what is written
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
    ++runs;
    if (logFolder.empty())
        logFolder = (f.dir.Path() / ("log" + std::to_string(runs))).string() + "/";
    std::filesystem::create_directories(logFolder);
    RunContext ctx(ui, f.clock, settings, logFolder);
    ctx.programFolder = f.programFolder;
    ctx.logOnly = logOnly;
    ctx.functionCaption = fn.Caption();
    ctx.project = ProjectInfoOf(db);
    ctx.db = &db;
    RunResult r;
    r.dispatched = DispatchCommand(ctx, [&](RunContext& c) { fn.Run(c, states); });
    r.error = ctx.lastErrorText;
    r.messages = ui.Of("message");
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

} // namespace hk::test
