#include "cli/undo_command.h"

#include <filesystem>
#include <ostream>

#include "app/folders.h"
#include "app/project_path.h"
#include "cli/terminal_user_interface.h"
#include "run/run_frame.h"
#include "run/undo_records.h"
#include "support/error.h"
#include "support/text.h"

namespace hk::cli {

namespace {

struct UndoArgs {
    std::string project;
    std::string logDir;
    bool list = false;
    bool yes = false;
};

// Empty `problem` when the words parse.
UndoArgs ParseUndo(const std::vector<std::string>& a, std::string& problem) {
    UndoArgs r;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--list")
            r.list = true;
        else if (a[i] == "--yes" || a[i] == "-y")
            r.yes = true;
        else if (a[i] == "--log-dir" && i + 1 < a.size())
            r.logDir = a[++i];
        else if (!a[i].starts_with("-") && r.project.empty())
            r.project = a[i];
        else
            problem = "undo does not take " + a[i];
    }
    if (problem.empty() && r.project.empty())
        problem = "undo needs a project file";
    return r;
}

} // namespace

int Undo(CliEnvironment& env, const std::vector<std::string>& words) {
    std::string problem;
    UndoArgs args = ParseUndo(words, problem);
    if (!problem.empty()) {
        env.err << "hearthkit-cli: " << problem << "\n(see hearthkit-cli --help)\n";
        return 2;
    }
    TerminalOptions topts;
    topts.assumeYes = args.yes;
    topts.interactive = env.stdinIsTerminal;
    TerminalUserInterface ui(topts, env.in, env.err);

    std::string logFolder = args.logDir;
    if (logFolder.empty())
        logFolder = SetUpUserFolders(env.documentsFolder, env.programFolder, ui).logFolder;
    else if (logFolder.back() != '/')
        logFolder += '/';

    db::CTMGDB db;
    try {
        db.OpenProject(LocateProject(args.project));
    } catch (const Error& e) {
        env.err << "hearthkit-cli: " << OneLine(e.Description()) << "\n";
        return 2;
    }
    if (const auto& recovered = db.RecoveredRun())
        env.err << db::CTMGDB::RecoveredRunMessage(*recovered) << "\n";

    std::vector<UndoRecord> records = ListUndoRecords(db, logFolder);
    if (args.list) {
        if (records.empty())
            env.out << "No run of " << db.DisplayName() << " can be undone.\n";
        for (const UndoRecord& r : records)
            env.out << r.info.startedAt << "  " << r.info.function << "  (" << r.path << ")\n";
        return 0;
    }
    if (records.empty()) {
        env.err << "hearthkit-cli: there is no run of " << db.DisplayName() << " to undo\n";
        return 1;
    }
    if (!ui.Confirm(UndoQuestion(records.front()), "Undo Last Run")) {
        env.err << "hearthkit-cli: nothing was undone\n";
        return 1;
    }
    try {
        env.out << UndoLastRun(db, logFolder) << "\n";
        return 0;
    } catch (const std::exception& e) {
        env.err << "hearthkit-cli: " << OneLine(ErrorText(e, 0)) << "\n";
        return 1;
    }
}

} // namespace hk::cli
