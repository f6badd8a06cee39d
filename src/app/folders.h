#pragma once
// The program's folders: the user's documents folder and the data, log and rules folders
// under it, and the program folder (data/ beside the executable) that holds hearthkit.ini.
// Every folder path returned ends with "/".
#include <string>
#include <vector>

#include "run/user_interface.h"

namespace hk {

// The XDG documents folder: `xdg-user-dir DOCUMENTS` when that tool answers, else
// $XDG_DOCUMENTS_DIR, else ~/Documents.
std::string DocumentsFolder();

// Creates the folder (and its parents) when it does not exist; true when it created it.
// Failures throw hk::Error.
bool EnsureFolder(const std::string& path);

struct UserFolders {
    std::string dataFolder;  // <documents>/Hearthkit/
    std::string logFolder;   // <data>/Logs/
    std::string rulesFolder; // <data>/Rules/
};

// The folder set-up of start-up: creates the three folders, moves the log folder of older
// versions (<documents>/Hearthkit Logs) into place, and seeds the rules folder from the program
// folder's Rules. Failures are shown through `ui` and start-up goes on.
UserFolders SetUpUserFolders(const std::string& documentsFolder, const std::string& programFolder,
                             UserInterface& ui);

// The program folder: `given` when not empty; else $HEARTHKIT_DATA when set (empty when it
// holds no hearthkit.ini); else the first folder holding hearthkit.ini among data/ beside the
// executable or up to three levels above it, and share/hearthkit/ under its install prefix.
// Empty when none is found.
std::string FindProgramFolder(const std::string& given = {});
// The same search starting from a given executable path (for tests and tools).
std::string FindProgramFolderFor(const std::string& executablePath);
// The folders FindProgramFolder looks in, in order.
std::vector<std::string> ProgramFolderCandidates();
std::vector<std::string> ProgramFolderCandidatesFor(const std::string& executablePath);
// What every program says when the program folder is missing: that it is missing, where it
// was looked for, and how to name it.
std::string ProgramFolderNotFoundText(const std::vector<std::string>& lookedIn);

} // namespace hk
