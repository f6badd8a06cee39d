#include "app/project_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/error.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace hk {
namespace {

[[noreturn]] void Raise(const std::string& text) {
    throw Error(-1, ErrorSource("OpenProject", "LocateProject"), text);
}

std::vector<std::string> FilesEndingWith(const fs::path& folder, const std::string& lowerEnd,
                                         const std::string& lowerStart = {}) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string name = AsciiLower(e.path().filename().string());
        if (e.is_regular_file(ec) && name.size() > lowerEnd.size() + lowerStart.size() &&
            name.ends_with(lowerEnd) && name.starts_with(lowerStart))
            out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

std::string LocateProject(const std::string& path) {
    std::error_code ec;
    std::string pjc = path;
    if (fs::is_directory(path, ec)) {
        std::vector<std::string> found = FilesEndingWith(path, ".pjc");
        if (found.empty())
            Raise("There is no TMG project in the folder " + path +
                  ": it holds no project file (.pjc).");
        if (found.size() > 1) {
            std::string names;
            for (const auto& f : found)
                names += "\r\n" + fs::path(f).filename().string();
            Raise("The folder " + path +
                  " holds several TMG projects; name the project file:" + names);
        }
        pjc = found.front();
    } else if (!fs::exists(path, ec)) {
        Raise("The project file " + path + " does not exist.");
    }
    // The tables are named after the project file: "Family__.pjc" has "Family_$.dbf" ...
    fs::path file(pjc);
    std::string stem = file.stem().string();
    std::string prefix = stem.ends_with('_') ? stem.substr(0, stem.size() - 1) : stem;
    fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (FilesEndingWith(folder, ".dbf", AsciiLower(prefix)).empty())
        Raise("The folder " + folder.string() + " holds no tables of the project " +
              file.filename().string() + " (files named " + prefix +
              "$.dbf and so on). Copy the whole project folder, not only its project file.");
    return pjc;
}

} // namespace hk
