#pragma once
// hearthkit-cli: the maintenance functions from a terminal. `list`, `info PROJECT`, `check
// PROJECT [--dataset N]` (exit 1 when it finds faults),
// `run KEY PROJECT [--dataset N] [--log-only] [--yes] [--opt NAME=VALUE]... [--flag-filter
// FILTER] [--log-dir DIR]`.
// Exit status: 0 done, 1 the run logged an error, 2 bad arguments or a project that cannot
// be opened (each with one clear line on stderr).
#include <iosfwd>
#include <string>
#include <vector>

#include "run/clock.h"
#include "run/maintenance_function.h"
#include "support/settings_store.h"

namespace hk::cli {

struct CliEnvironment {
    FunctionRegistry& functions;
    SettingsStore& settings;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    std::string programFolder;   // data/: hearthkit.ini, compatibility.ini
    std::string documentsFolder; // where the user folders (logs) live
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false;
    const Clock* clock = nullptr; // the system clock when null
    // Where the program folder was looked for, named when it was not found.
    std::vector<std::string> programFolderLookedIn;
};

int RunCli(const std::vector<std::string>& args, CliEnvironment& env);

// Applies one --opt NAME=VALUE to the declared options: NAME is the setting name of a kept
// option or the control name. Returns an error text, empty when applied.
std::string ApplyOption(const std::vector<OptionDecl>& decls, const std::string& assignment,
                        ControlStates& states);

} // namespace hk::cli
