#pragma once
// One run of a maintenance function as either front end asks for it, and the one piece that
// carries it out: the run's context, the command's error frame and, after every run, the
// fresh record factory of the project session.
#include <string>
#include <vector>

#include "formats/flag_filter.h"
#include "run/maintenance_function.h"
#include "run/project_session.h"

namespace hk {

struct RunRequest {
    ProjectSession* session = nullptr; // open, its dataset chosen
    std::string functionKey;
    ControlStates options;
    // The flag filter and its description for the option lines; given to the functions that
    // use one.
    const CTMGFlagFilter* flagFilter = nullptr;
    std::string flagFilterDescription{kNoFlagFilter};
    bool logOnly = false;
    UserInterface* ui = nullptr;
    std::string logFolder;     // ends with "/"
    std::string programFolder; // hearthkit.ini and the other program files; ends with "/"
};

struct RunOutcome {
    bool ok = false;                 // no error escaped the function
    std::string logPath;             // empty when the run stopped before its log
    long errors = 0;                 // "*ERROR* " lines of the log
    std::vector<std::string> totals; // the log's "label=count" lines, in order
};

class RunExecutor {
public:
    RunExecutor(const FunctionRegistry& functions, const Clock& clock, Settings& settings)
        : functions_(functions), clock_(clock), settings_(settings) {}

    // Runs the request's function; errors that escape it are shown through the request's user
    // interface. An unknown key is an error of the caller (hk::Error).
    RunOutcome Execute(const RunRequest& request) const;

private:
    const FunctionRegistry& functions_;
    const Clock& clock_;
    Settings& settings_;
};

} // namespace hk
