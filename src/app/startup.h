#pragma once
// Start-up: what the program reads from hearthkit.ini, the check that regular expressions
// work, the user folders, the recent-file list and the language list, in the order the
// original program did them. The window and the command line call RunStartup.
#include <functional>
#include <string>

#include "app/folders.h"
#include "app/recent_files.h"
#include "run/user_interface.h"

namespace hk {

// The regular-expression self-test (FindAndReplace's own): throws when the engine does not
// work. Passed in so that this layer builds without the regular-expression wrapper.
using RegexSelfTest = std::function<void()>;

// The read-only program settings of hearthkit.ini, with their defaults.
struct ProgramSettings {
    bool betaFlag = false;                 // [Advanced] "Beta for Version" not empty
    std::string nameMarrTag = "Name-Marr"; // [Advanced] "Name-Marr Tag"
    long descendantYears = 10;             // [Advanced] "Set Living.Descendant Years"
    long ancestorYears = 60;               // [Advanced] "Set Living.Ancestor Years"
    long memoryBudgetMb = 128;             // [Performance] "MemoryBudgetMB"
};

std::string ProgramIniPath(const std::string& programFolder);       // .../hearthkit.ini
std::string CompatibilityIniPath(const std::string& programFolder); // .../compatibility.ini
ProgramSettings ReadProgramSettings(const std::string& programFolder);
// The choice list "Language" of hearthkit.ini, upper-cased, "||"-joined.
std::string LanguageChoices(const std::string& programFolder);

// Runs the self-test. On failure opens help/windowsscript.htm from the program folder, shows
// the "Windows Script Error" message and returns false: the program must end.
bool CheckRegularExpressions(const RegexSelfTest& selfTest, const std::string& programFolder,
                             UserInterface& ui);

struct StartupOptions {
    std::string programFolder;
    std::string documentsFolder; // empty: DocumentsFolder()
    RegexSelfTest regexSelfTest; // empty: not checked
    // Builds the letter-case tables and loads the capitalization exception lists (empty: none).
    std::function<void()> loadExceptionLists;
    // Tells whether a recent project file still exists (the file system when empty).
    std::function<bool(const std::string&)> fileExists;
};

struct StartupResult {
    bool ok = false; // false: the regular-expression check failed and the program ends
    ProgramSettings program;
    UserFolders folders;
    std::string languageChoices;
};

// The settings steps of start-up: program settings, regular-expression check, the exception
// lists, the recent-file list loaded with entries of vanished files removed, the folders, and
// the language list.
StartupResult RunStartup(const StartupOptions& options, UserInterface& ui, CRecentFiles& recent);

} // namespace hk
