#include "app/startup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "support/error.h"
#include "support/ini_file.h"
#include "support/paths.h"
#include "support/text.h"

namespace hk {

std::string ProgramIniPath(const std::string& programFolder) {
    return AddTrailingSlash(programFolder) + "hearthkit.ini";
}

std::string CompatibilityIniPath(const std::string& programFolder) {
    return AddTrailingSlash(programFolder) + "compatibility.ini";
}

ProgramSettings ReadProgramSettings(const std::string& programFolder) {
    IniFile ini = IniFile::Load(ProgramIniPath(programFolder));
    ProgramSettings s;
    s.betaFlag = !GetIniString(ini, "Advanced", "Beta for Version", "").empty();
    s.nameMarrTag = GetIniString(ini, "Advanced", "Name-Marr Tag", s.nameMarrTag);
    s.descendantYears = GetIniLong(ini, "Advanced", "Set Living.Descendant Years", 10);
    s.ancestorYears = GetIniLong(ini, "Advanced", "Set Living.Ancestor Years", 60);
    // Below a few MiB the caches would thrash; such a value is taken as that floor.
    s.memoryBudgetMb = std::max(4L, GetIniLong(ini, "Performance", "MemoryBudgetMB", 128));
    return s;
}

std::string LanguageChoices(const std::string& programFolder) {
    std::string choices = GetIniChoices(ProgramIniPath(programFolder), "Language");
    return Cp1252ToUtf8(Cp1252UpperStr(Utf8ToCp1252(choices)));
}

bool CheckRegularExpressions(const RegexSelfTest& selfTest, const std::string& programFolder,
                             UserInterface& ui) {
    if (!selfTest)
        return true;
    try {
        selfTest();
        return true;
    } catch (...) {
        // Any failure at all means the engine cannot be trusted with the user's data.
    }
    ui.OpenDocument(AddTrailingSlash(programFolder) + "help/windowsscript.htm");
    ui.Message("The Windows Script subsystem is not working properly. A browser window will open "
               "when you click OK. Please follow the directions on that page to correct the "
               "problem.",
               "Windows Script Error", MsgIcon::Exclamation);
    return false;
}

StartupResult RunStartup(const StartupOptions& options, UserInterface& ui, CRecentFiles& recent) {
    StartupResult r;
    r.program = ReadProgramSettings(options.programFolder);
    if (!CheckRegularExpressions(options.regexSelfTest, options.programFolder, ui))
        return r;
    if (options.loadExceptionLists)
        options.loadExceptionLists();

    // The main window's load step: recent files, folders, languages.
    recent.LoadFromKey();
    recent.RemoveMissing(options.fileExists ? options.fileExists : [](const std::string& path) {
        std::error_code ec;
        return std::filesystem::exists(path, ec);
    });
    std::string documents =
        options.documentsFolder.empty() ? DocumentsFolder() : options.documentsFolder;
    r.folders = SetUpUserFolders(documents, options.programFolder, ui);
    r.languageChoices = LanguageChoices(options.programFolder);
    r.ok = true;
    return r;
}

} // namespace hk
