#pragma once
// Helpers for table-engine tests: the fixture folder of real FoxPro files and copies of them in
// a test's folder, whole files as byte vectors, and the error a call throws.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "xbase/db_error.h"

namespace hk::db::test {

using hk::test::TempDir;

inline std::string FixturePath(const std::string& rel) {
    return std::string(HK_FIXTURES_DIR) + "/foxpro/" + rel;
}

// Copies a fixture (and nothing else) into the folder; returns the copy's path.
inline std::string CopyFixture(const TempDir& dir, const std::string& fixture) {
    std::string copy = dir.File(std::filesystem::path(fixture).filename().string());
    std::filesystem::copy_file(FixturePath(fixture), copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::string bytes = hk::test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    hk::test::WriteBytes(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
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

// The error fn throws as an E; fails the test (and gives error 0) when it throws none.
template <class E = DbError, class Fn> E Caught(Fn fn) {
    try {
        fn();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return E(0, "", "");
}

} // namespace hk::db::test
