#pragma once
// hearthkit-cli undo PROJECT [--list] [--yes] [--log-dir DIR]: lists the runs of a project
// that can be undone, newest first, or undoes the newest one after a confirmation.
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace hk::cli {

// `args` are the words after "undo". Exit status: 0 done (or listed), 1 the undo was refused
// or failed, 2 bad arguments or a project that cannot be opened.
int Undo(CliEnvironment& env, const std::vector<std::string>& args);

} // namespace hk::cli
