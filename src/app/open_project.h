#pragma once
// Opening a project as the user does it: close the open one, open and check the new one, test
// its version against compatibility.ini, choose the dataset (asking when there are several, and
// again when it is locked). Shared by the main window and the command line.
#include <functional>
#include <string>

#include "app/recent_files.h"
#include "run/program_info.h"
#include "run/run_context.h"
#include "run/user_interface.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct OpenProjectSteps {
    std::string programFolder;                           // holds compatibility.ini
    ProgramVersion programVersion = GetProgramVersion(); // the release compatibility is for
    // Called before an open project is closed (the window saves its option values).
    std::function<void()> beforeClose;
    // The window caption as the open goes on.
    std::function<void(const std::string&)> setCaption;
    // Receives the path when the user cancels the dataset choice.
    CRecentFiles* recentFiles = nullptr;
    // Keeps the dataset chosen per project, offered first the next time; none when null.
    Settings* settings = nullptr;
};

// The message for a project version the program does not support (`result` 0: too old,
// 2: newer than supported).
std::string UnsupportedVersionMessage(const std::string& versionText, int result);

// "Hearthkit - Family", and with the dataset "Hearthkit - Family:1 (Dataset 1)".
std::string ProjectCaption(const db::CTMGDB& db, bool withDataset);

// The open project as a run's log header names it.
ProjectInfo ProjectInfoOf(const db::CTMGDB& db);

// The dataset to work on: the only one (0 when there is none) or the user's choice among
// several, `lastDsid` offered first; -1 when the user cancels.
long ChooseDataset(db::CTMGDB& db, UserInterface& ui, long lastDsid = 0);

// Opens the project file (or the project inside a folder). Errors and refusals are shown through
// `ui`; true when a project and dataset are open.
bool OpenProjectFile(db::CTMGDB& db, const std::string& path, UserInterface& ui,
                     const OpenProjectSteps& steps);

} // namespace hk
