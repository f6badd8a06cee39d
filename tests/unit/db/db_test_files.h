#pragma once
// Helpers for table-engine tests: a temporary folder removed afterwards, whole-file reads
// and writes, and the fixture folder of real FoxPro files.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/db_error.h"

namespace hk::db::test {

inline std::string FixturePath(const std::string& rel) {
    return std::string(HK_FIXTURES_DIR) + "/foxpro/" + rel;
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "hk_db_XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    // Copies a fixture (and nothing else) into the folder; returns the copy's path.
    std::string Copy(const std::string& fixture) const {
        auto dst = path_ / std::filesystem::path(fixture).filename();
        std::filesystem::copy_file(FixturePath(fixture), dst,
                                   std::filesystem::copy_options::overwrite_existing);
        return dst.string();
    }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The error number fn throws as a DbError, 0 when it throws nothing.
template <class Fn> long ErrorOf(Fn fn) {
    try {
        fn();
    } catch (const DbError& e) {
        return e.Number();
    }
    return 0;
}

} // namespace hk::db::test
