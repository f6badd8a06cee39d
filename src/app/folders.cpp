#include "app/folders.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/error.h"
#include "support/paths.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace hk {
namespace {

std::string FromXdgUserDir() {
    std::FILE* pipe = popen("xdg-user-dir DOCUMENTS 2>/dev/null", "r");
    if (pipe == nullptr)
        return {};
    std::string out;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), buf.size(), pipe) != nullptr)
        out += buf.data();
    int status = pclose(pipe);
    if (status != 0)
        return {};
    return TrimPathText(out);
}

[[noreturn]] void Raise(const char* procedure, const std::error_code& ec, const std::string& what) {
    throw Error(-1, ErrorSource("Folders", procedure), what + ": " + ec.message());
}

// Copies a folder tree, overwriting files that exist.
void CopyTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec)
        Raise("CopyFolder", ec, "Cannot copy " + from.string() + " to " + to.string());
}

// Renames; across file systems falls back to copy and delete.
void MoveTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    fs::rename(from, to, ec);
    if (!ec)
        return;
    if (ec != std::errc::cross_device_link)
        Raise("MoveFolder", ec, "Cannot move " + from.string() + " to " + to.string());
    CopyTree(from, to);
    fs::remove_all(from, ec);
    if (ec)
        Raise("MoveFolder", ec, "Cannot remove " + from.string());
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

} // namespace

std::string DocumentsFolder() {
    std::string dir = FromXdgUserDir();
    if (dir.empty()) {
        if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env != nullptr)
            dir = TrimPathText(env);
    }
    if (dir.empty()) {
        const char* home = std::getenv("HOME");
        dir = std::string(home != nullptr ? home : "") + "/Documents";
    }
    return AddTrailingSlash(dir);
}

bool EnsureFolder(const std::string& path) {
    if (IsFolder(path))
        return false;
    std::error_code ec;
    bool created = fs::create_directories(RemoveTrailingSlash(path), ec);
    if (ec)
        Raise("EnsureFolder", ec, "Cannot create folder " + path);
    return created;
}

UserFolders SetUpUserFolders(const std::string& documentsFolder, const std::string& programFolder,
                             UserInterface& ui) {
    UserFolders f;
    std::string documents = AddTrailingSlash(documentsFolder);
    f.dataFolder = documents + "Hearthkit/";
    f.logFolder = f.dataFolder + "Logs/";
    f.rulesFolder = f.dataFolder + "Rules/";

    // A data folder that cannot be made shows up as a log folder failure below.
    try {
        EnsureFolder(f.dataFolder);
    } catch (const Error&) {
    }

    try {
        std::string oldLogFolder = documents + "Hearthkit Logs/";
        if (IsFolder(oldLogFolder) && !IsFolder(f.logFolder))
            MoveTree(RemoveTrailingSlash(oldLogFolder), RemoveTrailingSlash(f.logFolder));
        else
            EnsureFolder(f.logFolder);
    } catch (const Error& e) {
        ui.Message("Error creating or moving log folder:\r\n" + e.Description());
    }

    try {
        std::string programRules = AddTrailingSlash(programFolder) + "Rules";
        if (!IsFolder(f.rulesFolder) && !programFolder.empty() && IsFolder(programRules))
            CopyTree(programRules, RemoveTrailingSlash(f.rulesFolder));
        else
            EnsureFolder(f.rulesFolder);
    } catch (const Error& e) {
        ui.Message("Error creating Rules folder:\r\n" + e.Description());
    }
    return f;
}

namespace {

std::string ExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string HearthkitDataVariable() {
    const char* env = std::getenv("HEARTHKIT_DATA");
    return env != nullptr ? TrimPathText(env) : std::string();
}

bool HoldsIni(const std::string& folder) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(folder) / "hearthkit.ini", ec);
}

} // namespace

std::vector<std::string> ProgramFolderCandidatesFor(const std::string& executablePath) {
    std::vector<std::string> out;
    if (executablePath.empty())
        return out;
    fs::path dir = fs::path(executablePath).parent_path();
    for (int up = 0; up <= 3 && !dir.empty(); ++up) {
        out.push_back(AddTrailingSlash((dir / "data").string()));
        out.push_back(AddTrailingSlash((dir / "share" / "hearthkit").string()));
        if (dir == dir.parent_path())
            break;
        dir = dir.parent_path();
    }
    return out;
}

std::string FindProgramFolderFor(const std::string& executablePath) {
    for (const std::string& candidate : ProgramFolderCandidatesFor(executablePath))
        if (HoldsIni(candidate))
            return candidate;
    return {};
}

std::vector<std::string> ProgramFolderCandidates() {
    std::string env = HearthkitDataVariable();
    if (!env.empty())
        return {AddTrailingSlash(env)};
    return ProgramFolderCandidatesFor(ExecutablePath());
}

std::string FindProgramFolder(const std::string& given) {
    if (!given.empty())
        return AddTrailingSlash(given);
    std::string env = HearthkitDataVariable();
    if (!env.empty())
        return HoldsIni(env) ? AddTrailingSlash(env) : std::string();
    return FindProgramFolderFor(ExecutablePath());
}

std::string ProgramFolderNotFoundText(const std::vector<std::string>& lookedIn) {
    std::string text = "The program folder (the folder holding hearthkit.ini, installed as "
                       "share/hearthkit) was not found. Looked in:";
    for (const std::string& folder : lookedIn)
        text += "\n  " + folder;
    text += "\nReinstall the program, or set HEARTHKIT_DATA to the program folder.";
    return text;
}

} // namespace hk
