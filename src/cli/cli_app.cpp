#include "cli/cli_app.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/folders.h"
#include "app/project_path.h"
#include "app/tmg_project_session.h"
#include "cli/terminal_user_interface.h"
#include "cli/undo_command.h"
#include "functions/check_project.h"
#include "loaders/format_tables.h"
#include "run/flag_filter_settings.h"
#include "run/option_persistence.h"
#include "run/program_info.h"
#include "run/run_frame.h"
#include "run/run_request.h"
#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "tmgdb/tmg_table_index.h"
#include "xbase/table.h"

namespace hk::cli {
namespace {

const char* kUsage =
    "usage:\n"
    "  hearthkit-cli list [--all]\n"
    "  hearthkit-cli info PROJECT.pjc\n"
    "  hearthkit-cli run KEY PROJECT.pjc [--dataset N] [--log-only] [--yes]\n"
    "                    [--opt NAME=VALUE]... [--flag-filter FILTER] [--log-dir DIR]\n"
    "  hearthkit-cli undo PROJECT.pjc [--list] [--yes] [--log-dir DIR]\n"
    "  hearthkit-cli check PROJECT.pjc [--dataset N] [--log-dir DIR]\n"
    "  hearthkit-cli --help | --version\n"
    "\n"
    "run opens the project, asks for the function's confirmation on the terminal (--yes\n"
    "answers every question with OK/Yes; without a terminal a question is refused), writes\n"
    "the run log and prints its path and totals. --opt sets an option by its setting name\n"
    "(or control name); the values are kept for the project, as the window keeps them.\n"
    "--flag-filter limits the functions that use the flag filter to people whose flag\n"
    "FIELD holds one of VALUES (FIELD=VALUES) or none of them (FIELD!=VALUES); \"none\"\n"
    "removes the filter. Like the options, it is kept for the project.\n"
    "--log-only makes the same decisions and writes the same log, but changes nothing.\n"
    "undo puts back every file the project's newest run changed (--list shows the runs\n"
    "that can be undone, newest first); it refuses when a file changed since that run.\n"
    "Exit status: 0 done, 1 the run logged an error, 2 bad arguments or the project could\n"
    "not be opened.\n"
    "\n"
    "check runs Check Project (the same as run checkproject --yes): it reads the whole\n"
    "project, changes nothing, and logs each fault of the tables, their indexes and the\n"
    "links between them. Exit status: 0 no fault, 1 faults found, 2 the project could not\n"
    "be opened or checked.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The setting name a data field "r:<file>\Function\Setting" keeps an option under.
std::string SettingName(const OptionDecl& d) {
    size_t slash = d.dataField.rfind('\\');
    return slash == std::string::npos ? std::string() : d.dataField.substr(slash + 1);
}

bool ParseCheck(std::string_view v, int& out) {
    std::string s = AsciiLower(Trim(v));
    if (s == "1" || s == "true" || s == "yes" || s == "on")
        out = 1;
    else if (s == "0" || s == "false" || s == "no" || s == "off" || s.empty())
        out = 0;
    else if (s == "2")
        out = 2;
    else
        return false;
    return true;
}

int List(CliEnvironment& env, bool all) {
    for (const CatalogEntry& e : CatalogEntries(true)) {
        bool exists = env.functions.FindByKey(e.key) != nullptr;
        if (!exists && !all)
            continue;
        std::string category;
        for (const auto& c : CatalogCategories())
            if (c.key == e.categoryKey)
                category = c.caption;
        env.out << e.index << '\t' << e.key << '\t' << e.caption << '\t' << category
                << (exists ? "" : "\t(not available yet)") << '\n';
    }
    // Functions without a node of their own (their buttons sit on related panels).
    for (const auto& f : env.functions.All())
        if (!FindCatalogEntry(f->Key()))
            env.out << f->Index() << '\t' << f->Key() << '\t' << f->Caption() << "\t\n";
    return 0;
}

int Info(CliEnvironment& env, const std::string& project) {
    db::CTMGDB db;
    db.SetReadOnly(true);
    db.OpenProject(LocateProject(project));
    env.out << "Project: " << db.DisplayName() << " (" << db.ProjectFolder() << db.ProjectPrefix()
            << ")\n";
    env.out << "Version: " << db.VersionText() << " (" << db.VersionString() << ")\n";
    env.out << "Datasets:\n";
    for (const auto& d : db.Datasets())
        env.out << "  " << d.dsid << ": " << d.name << (d.locked ? " (locked)" : "") << "\n";
    env.out << "Tables:\n";
    long tagTypes = -1;
    for (const char* suffix :
         {"$", "n", "npv", "nd", "npt", "e", "g", "f", "s", "ppv", "pd", "ppt", "m",  "r",  "w",
          "p", "k", "t",   "i",  "l",   "u", "a", "o", "b", "c",   "d",  "xd",  "st", "dna"}) {
        if (!db::FindFileNoCase(db.TablePath(suffix)))
            continue;
        // Each table with its production index, as a run opens it, but without the private
        // index a run builds (a sort order info has no use for). Counts come from the headers:
        // counting deleted records would read every table whole.
        db::OpenOptions options;
        options.writable = false;
        options.productionIndex = !db::UsesPrivateIndex(suffix, db.VersionMajor());
        auto t = db::Table::Open(db.TablePath(suffix), options);
        if (std::string_view(suffix) == "t") {
            tagTypes = 0;
            for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
                tagTypes += !t->Deleted();
        }
        env.out << "  " << suffix << '\t' << t->RecCount() << " records\t"
                << db::CTMGDB::TableDescription(suffix) << "\n";
    }
    if (tagTypes >= 0)
        env.out << "Tag types: " << tagTypes << "\n";
    db.CloseProject();
    return 0;
}

struct RunArgs {
    std::string key, project, logDir;
    long dataset = -2;
    bool logOnly = false, yes = false;
    std::vector<std::string> opts;
    std::optional<std::string> flagFilter;
    // check: a damaged table other than the person table is the check's to report.
    bool openDamaged = false;
};

RunArgs ParseRun(const std::vector<std::string>& a) {
    RunArgs r;
    std::vector<std::string> positional;
    for (size_t i = 1; i < a.size(); ++i) {
        auto value = [&](const char* what) {
            if (i + 1 >= a.size())
                throw UsageError(std::string(what) + " needs a value");
            return a[++i];
        };
        if (a[i] == "--log-only")
            r.logOnly = true;
        else if (a[i] == "--yes" || a[i] == "-y")
            r.yes = true;
        else if (a[i] == "--opt")
            r.opts.push_back(value("--opt"));
        else if (a[i] == "--log-dir")
            r.logDir = value("--log-dir");
        else if (a[i] == "--flag-filter")
            r.flagFilter = value("--flag-filter");
        else if (a[i] == "--dataset") {
            std::string v = value("--dataset");
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), r.dataset);
            if (ec != std::errc() || p != v.data() + v.size() || r.dataset < 0)
                throw UsageError("--dataset needs a dataset number, not " + v);
        } else if (a[i].rfind("--", 0) == 0)
            throw UsageError("unknown option " + a[i]);
        else
            positional.push_back(a[i]);
    }
    if (positional.size() != 2)
        throw UsageError("run needs a function key and a project file");
    r.key = positional[0];
    r.project = positional[1];
    return r;
}

// "FIELD=VALUES" includes, "FIELD!=VALUES" excludes, "none" (or nothing) removes the filter.
// The values are upper-cased, as the flag filter dialog does with what the user types.
std::string ParseFlagFilter(const std::string& text, CTMGFlagFilter& filter) {
    std::string_view t = Trim(text);
    if (t.empty() || EqualsNoCase(t, "none")) {
        filter.SetFilter({}, true, {});
        return {};
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos || eq == 0 || (eq == 1 && t[0] == '!'))
        return "expected --flag-filter FIELD=VALUES, FIELD!=VALUES or none, got " + text;
    bool include = t[eq - 1] != '!';
    std::string field(Trim(t.substr(0, include ? eq : eq - 1)));
    filter.SetFilter(field, include, AsciiUpper(Trim(t.substr(eq + 1))));
    return {};
}

// Runs a function; `outcome` (when given) receives what the run reported.
int Run(CliEnvironment& env, const RunArgs& args, RunOutcome* ranOutcome = nullptr) {
    MaintenanceFunction* fn = env.functions.FindByKey(args.key);
    if (!fn) {
        const CatalogEntry* e = FindCatalogEntry(args.key);
        throw UsageError(e ? "the function " + args.key + " (" + e->caption +
                                 ") is not available in this version"
                           : "no function with the key " + args.key + " (see: hearthkit-cli list)");
    }
    TerminalOptions topts;
    topts.assumeYes = args.yes;
    topts.dataset = args.dataset;
    topts.interactive = env.stdinIsTerminal;
    topts.progressBar = env.stderrIsTerminal;
    TerminalUserInterface ui(topts, env.in, env.err);

    SystemClock systemClock;
    const Clock& clock = env.clock ? *env.clock : systemClock;
    Settings settings(env.settings);
    std::string logFolder = args.logDir;
    if (logFolder.empty()) {
        UserFolders folders = SetUpUserFolders(env.documentsFolder, env.programFolder, ui);
        logFolder = folders.logFolder;
    } else {
        std::filesystem::create_directories(logFolder);
        if (logFolder.back() != '/')
            logFolder += '/';
    }

    TmgProjectSession session(settings, env.programFolder);
    session.Database()->SetRefuseDamagedTables(!args.openDamaged);
    if (session.Open(args.project, ui, {}) != OpenResult::Opened) {
        env.err << "hearthkit-cli: the project " << args.project << " could not be opened"
                << (ui.Refused() ? " (" + ui.RefusedWhat() + " was needed)" : std::string())
                << "\n";
        return 2;
    }
    db::CTMGDB& db = *session.Database();
    // A run that may change the project holds it alone from here on, or is not run at all.
    if (!args.logOnly && fn->WritesProject()) {
        try {
            db.LockForWriting();
        } catch (const std::exception& e) {
            ShowError(ui, e, 0);
            session.Close();
            env.err << "hearthkit-cli: the project " << args.project
                    << " is open in another program; nothing was run (--log-only can run)\n";
            return 2;
        }
    }
    auto usageError = [&](const std::string& problem) {
        session.Close();
        return UsageError(problem);
    };

    // Options: as kept for this project, then the command line's, kept again.
    std::vector<OptionDecl> decls = fn->Options();
    RunRequest request;
    ControlStates& states = request.options;
    std::string fileKey = ProjectFileKey(db.ProjectPrefix());
    fn->FillOptionLists(db, settings, kSettingsRoot, fileKey, states);
    RestoreControls(settings, kSettingsRoot, fileKey, decls, states);
    for (const std::string& o : args.opts) {
        std::string problem = ApplyOption(decls, o, states);
        if (!problem.empty())
            throw usageError(problem);
    }
    for (const std::string& name : fn->FitOptionLists(db, states))
        env.err << "hearthkit-cli: the project has no " << name << "; left out of the list\n";
    SaveControls(settings, kSettingsRoot, fileKey, decls, states);
    CTMGFlagFilter flagFilter = RestoreFlagFilter(settings, fileKey);
    if (args.flagFilter) {
        std::string problem = ParseFlagFilter(*args.flagFilter, flagFilter);
        if (!problem.empty())
            throw usageError(problem);
        SaveFlagFilter(settings, fileKey, flagFilter);
    }
    env.settings.Flush();
    if (!fn->CanRun(states))
        throw usageError("the options of " + args.key +
                         " are not complete; set them with --opt NAME=VALUE");

    request.session = &session;
    request.functionKey = fn->Key();
    request.flagFilter = &flagFilter;
    if (fn->UsesFlagFilter())
        request.flagFilterDescription =
            flagFilter.Description(ProjectFlags(ReadFlagRows(db), db.DSID()));
    request.logOnly = args.logOnly;
    request.ui = &ui;
    request.logFolder = logFolder;
    request.programFolder = env.programFolder;
    RunOutcome outcome = RunExecutor(env.functions, clock, settings).Execute(request);
    session.Close();
    if (ranOutcome)
        *ranOutcome = outcome;

    const std::string& logPath = outcome.logPath.empty() ? ui.LogPath() : outcome.logPath;
    if (!logPath.empty()) {
        env.out << "Log: " << logPath << "\n";
        for (const std::string& total : outcome.totals)
            env.out << total << "\n";
    }
    if (ui.Refused() && outcome.logPath.empty()) {
        env.err << "hearthkit-cli: not run: " << ui.RefusedWhat()
                << " was needed and there is no terminal (use --yes)\n";
        return 2;
    }
    return outcome.ok && outcome.errors == 0 ? 0 : 1;
}

// check PROJECT [--dataset N] [--log-dir DIR]: Check Project, with its faults as exit status.
int Check(CliEnvironment& env, const std::vector<std::string>& a) {
    std::vector<std::string> runArgs = {"run", "checkproject"};
    runArgs.insert(runArgs.end(), a.begin() + 1, a.end());
    RunArgs args;
    try {
        args = ParseRun(runArgs);
    } catch (const UsageError& e) {
        if (std::string_view(e.what()).starts_with("run needs"))
            throw UsageError("check needs one project file");
        throw;
    }
    if (args.logOnly || !args.opts.empty() || args.flagFilter)
        throw UsageError("check takes only a project, --dataset and --log-dir");
    args.yes = true; // it changes nothing: there is nothing to confirm
    args.openDamaged = true;
    RunOutcome outcome;
    outcome.ok = false;
    int code = Run(env, args, &outcome);
    if (code == 2)
        return 2;
    const std::string label = std::string(kFaultsFoundLabel) + "=";
    for (const std::string& total : outcome.totals) {
        if (total.rfind(label, 0) != 0)
            continue;
        if (!outcome.ok || outcome.errors > 0)
            break;
        return total.find_first_of("123456789", label.size()) == std::string::npos ? 0 : 1;
    }
    env.err << "hearthkit-cli: the check of " << args.project << " could not finish\n";
    return 2;
}

} // namespace

std::string ApplyOption(const std::vector<OptionDecl>& decls, const std::string& assignment,
                        ControlStates& states) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0)
        return "expected --opt NAME=VALUE, got " + assignment;
    std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
    const OptionDecl* d = nullptr;
    for (const OptionDecl& c : decls)
        if (EqualsNoCase(SettingName(c), name) || EqualsNoCase(c.control, name))
            d = &c;
    if (!d) {
        std::string known;
        for (const OptionDecl& c : decls) {
            std::string n = SettingName(c).empty() ? c.control : SettingName(c);
            known += (known.empty() ? "" : ", ") + n;
        }
        return "unknown option " + name + (known.empty() ? "" : " (options: " + known + ")");
    }
    ControlState& st = states[d->control];
    switch (d->kind) {
    case OptionKind::CheckBox:
        if (!ParseCheck(value, st.value))
            return "option " + name + " takes 0 or 1, not " + value;
        break;
    case OptionKind::TextBox:
        st.text = value;
        break;
    case OptionKind::ComboBox: {
        // A list position, or the text of an item.
        int index = -1;
        auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
        if (ec == std::errc() && p == value.data() + value.size()) {
            st.listIndex = index;
        } else {
            st.listIndex = -1;
            for (size_t i = 0; i < st.items.size(); ++i)
                if (EqualsNoCase(st.items[i].text, value))
                    st.listIndex = static_cast<int>(i);
        }
        st.text = value;
        break;
    }
    case OptionKind::ListBox: {
        // Items separated by ";": "text", or "text|selected|data" as the list format keeps them.
        st.items.clear();
        size_t start = 0;
        while (start <= value.size()) {
            size_t semi = value.find(';', start);
            std::string item = value.substr(start, semi == std::string::npos ? semi : semi - start);
            if (!item.empty()) {
                ListItem li;
                size_t bar = item.find('|');
                li.text = item.substr(0, bar);
                li.selected = true;
                if (bar != std::string::npos) {
                    size_t bar2 = item.find('|', bar + 1);
                    li.selected = item.substr(bar + 1, bar2 - bar - 1) != "0";
                    if (bar2 != std::string::npos)
                        li.data = std::atol(item.c_str() + bar2 + 1);
                }
                st.items.push_back(li);
            }
            if (semi == std::string::npos)
                break;
            start = semi + 1;
        }
        break;
    }
    }
    return {};
}

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
    try {
        if (args.empty()) {
            env.err << kUsage;
            return 2;
        }
        const std::string& cmd = args[0];
        if (cmd == "--help" || cmd == "-h" || cmd == "help") {
            env.out << kUsage;
            return 0;
        }
        if (cmd == "--version") {
            env.out << ProgramTitleAndVersion() << "\n";
            return 0;
        }
        if (cmd == "list") {
            if (args.size() > 2 || (args.size() == 2 && args[1] != "--all"))
                throw UsageError("list takes only --all");
            return List(env, args.size() == 2);
        }
        if ((cmd == "info" || cmd == "run" || cmd == "check") && env.programFolder.empty()) {
            // Without hearthkit.ini and compatibility.ini no project can be judged.
            env.err << "hearthkit-cli: " << ProgramFolderNotFoundText(env.programFolderLookedIn)
                    << "\n";
            return 2;
        }
        if (cmd == "info") {
            if (args.size() != 2)
                throw UsageError("info needs one project file");
            try {
                return Info(env, args[1]);
            } catch (const Error& e) {
                env.err << "hearthkit-cli: " << OneLine(e.Description()) << "\n";
                return 2;
            }
        }
        if (cmd == "run")
            return Run(env, ParseRun(args));
        if (cmd == "undo")
            return Undo(env, std::vector<std::string>(args.begin() + 1, args.end()));
        if (cmd == "check")
            return Check(env, args);
        throw UsageError("unknown command " + cmd);
    } catch (const UsageError& e) {
        env.err << "hearthkit-cli: " << e.what() << "\n(see hearthkit-cli --help)\n";
        return 2;
    } catch (const std::exception& e) {
        env.err << "hearthkit-cli: " << e.what() << "\n";
        return 2;
    }
}

} // namespace hk::cli
