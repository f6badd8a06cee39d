#pragma once
// What a maintenance function receives when it runs: the user interface, the clock, the
// settings, the folders, the Log Only switch, the project's identity for the log header and,
// while a run is on, its log. Passed explicitly; nothing here is process-wide.
#include <memory>
#include <string>

#include "formats/flag_filter.h"
#include "run/clock.h"
#include "run/log_file.h"
#include "run/user_interface.h"
#include "support/settings_store.h"

namespace hk::db {
class CTMGDB; // the project database object; its owner sets RunContext::db
}
namespace hk {
class CFactory; // the run's shared loaders
}

namespace hk {

// The project as the log header names it.
struct ProjectInfo {
    std::string prefix; // "smith_" for smith__.pjc
    std::string folder; // ends with "/"
    std::string datasetName;
};

struct RunContext {
    RunContext(UserInterface& ui, const Clock& clock, Settings& settings, std::string logFolder)
        : ui(ui), clock(clock), settings(settings), logFolder(std::move(logFolder)) {}

    UserInterface& ui;
    const Clock& clock;
    Settings& settings;
    std::string logFolder;     // ends with "/"
    std::string programFolder; // hearthkit.ini, style sheets, exception lists; ends with "/"
    bool logOnly = false;
    // False while a function that only reads the project runs.
    bool writesProject = true;
    // The running function's catalog caption: what undo and recovery call the run (the log
    // header's title when empty).
    std::string functionCaption;
    ProjectInfo project;
    db::CTMGDB* db = nullptr;
    // The shared loaders of this run (null when the front end keeps none); the front end
    // replaces them after every run, so that no cached record survives into the next.
    CFactory* factory = nullptr;
    // The main window's flag filter (null: none) and its description for the log's option
    // lines ("Living = 'Y'" or "<No Filter>").
    const CTMGFlagFilter* flagFilter = nullptr;
    std::string flagFilterDescription = kNoFlagFilter;

    // Kept by the run frame: the current run's log (created by StartLog, closed by FinishRun),
    // when its header was written, and the text of the last error ShowError showed.
    std::unique_ptr<CLogFile> log;
    LocalTime runStartTime;
    std::string lastErrorText;
};

} // namespace hk
