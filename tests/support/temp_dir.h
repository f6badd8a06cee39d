#pragma once
// A fresh folder for one test, removed with everything in it when the test ends; and whole-file
// reads and writes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hk::test {

// The whole content of a file, byte for byte.
inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the whole content of a file.
inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every file of a folder by name, byte for byte.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        files[e.path().filename().string()] = ReadBytes(e.path());
    return files;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hk_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder as the program keeps folders: with a trailing "/".
    std::string Folder() const { return path_.string() + "/"; }
    // The path of a file in the folder.
    std::string File(const std::string& relative) const { return (path_ / relative).string(); }
    // Writes a file (creating its folders) and returns its path.
    std::string Write(const std::string& relative, std::string_view bytes) const {
        std::filesystem::path p = path_ / relative;
        std::filesystem::create_directories(p.parent_path());
        WriteBytes(p, bytes);
        return p.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace hk::test
