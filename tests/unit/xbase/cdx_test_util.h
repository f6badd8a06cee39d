#pragma once
// Helpers shared by the index tests: the independent reader index_dump (Perl XBase::Index) as an
// oracle for what we read and write, beside the folder and file helpers of every engine test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_node.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/cdx/index_key.h"

namespace hk::db::cdx_test {

using hk::db::test::FixturePath;
using hk::test::ReadBytes;
using hk::test::TempDir;
using hk::test::WriteBytes;

inline std::string RightTrim(std::string s, char pad = ' ') {
    while (!s.empty() && s.back() == pad)
        s.pop_back();
    return s;
}

// Runs a shell command: its exit status and what it printed (stderr too when it says 2>&1).
inline int RunCommand(const std::string& cmd, std::string& output) {
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        output.append(buf, n);
    return pclose(p);
}

struct DumpLine {
    std::string key; // as index_dump prints it: text, or the decoded number
    uint32_t recno;
};

// Runs index_dump on one tag. Keys are printed as text (--type=char) or decoded numbers
// (--type=num). Fails the test when the tool is missing.
inline std::vector<DumpLine> IndexDump(const std::string& file, const std::string& tag, bool num) {
    std::vector<DumpLine> out;
    if (std::system("command -v index_dump >/dev/null 2>&1") != 0) {
        ADD_FAILURE() << "index_dump is not installed (Debian package libdbd-xbase-perl); "
                         "scripts/install-deps installs it";
        return out;
    }
    std::string cmd = std::string("index_dump --type=") + (num ? "num" : "char") + " '" + file +
                      "' '" + tag + "' 2>&1";
    std::string text;
    EXPECT_EQ(RunCommand(cmd, text), 0) << cmd << "\n" << text;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t sp = line.rfind(' ');
        if (sp == std::string::npos) {
            ADD_FAILURE() << "unexpected index_dump line: " << line;
            continue;
        }
        out.push_back({line.substr(0, sp), static_cast<uint32_t>(std::stoul(line.substr(sp + 1)))});
    }
    return out;
}

// The tag names index_dump lists for a file (directory order).
inline std::vector<std::string> IndexDumpTags(const std::string& file) {
    std::vector<std::string> names;
    std::string text;
    RunCommand("index_dump --type=char '" + file + "' 2>&1", text);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        names.push_back(RightTrim(line));
    return names;
}

// A fixture copied into the folder as "t.cdx": index_dump reads only files named .cdx.
inline std::string CopyAsCdx(const TempDir& dir, const std::string& rel) {
    std::string path = dir.File("t.cdx");
    WriteBytes(path, ReadBytes(FixturePath(rel)));
    return path;
}

// Bytes of a whole file held in a string, at an offset, and the numbers stored there.
inline const uint8_t* At(const std::string& bytes, size_t at) {
    return reinterpret_cast<const uint8_t*>(bytes.data()) + at;
}
inline uint8_t* At(std::string& bytes, size_t at) {
    return reinterpret_cast<uint8_t*>(bytes.data()) + at;
}
inline uint32_t Le32(const std::string& bytes, size_t at) {
    return cdx::Get32(At(bytes, at));
}
inline uint32_t Be32(const std::string& bytes, size_t at) {
    return cdx::GetBE32(At(bytes, at));
}

// Our key as index_dump would print it: numbers decoded like XBase::Index does (a 4-byte key
// as an unsigned big-endian number after the sign flip), text with trailing blanks dropped.
inline std::string AsDumped(const std::string& key, bool num) {
    if (!num)
        return RightTrim(key);
    std::string k = key;
    if (static_cast<unsigned char>(k[0]) & 0x80)
        k[0] = static_cast<char>(k[0] & 0x7F);
    else
        for (char& c : k)
            c = static_cast<char>(~c);
    char buf[64];
    if (k.size() == 8) {
        uint64_t bits = 0;
        for (char c : k)
            bits = bits << 8 | static_cast<unsigned char>(c);
        double d;
        std::memcpy(&d, &bits, 8);
        std::snprintf(buf, sizeof buf, "%.15g", d);
    } else {
        uint32_t v = 0;
        for (char c : k)
            v = v << 8 | static_cast<unsigned char>(c);
        std::snprintf(buf, sizeof buf, "%u", v);
    }
    return buf;
}

// Compares a tag's entries with index_dump's reading of the same tag in the file on disk.
inline void ExpectDumpMatches(const std::string& file, const std::string& tag,
                              const std::vector<KeyEntry>& entries, bool num) {
    auto dumped = IndexDump(file, tag, num);
    ASSERT_EQ(dumped.size(), entries.size()) << file << " tag " << tag;
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string theirs = num ? dumped[i].key : RightTrim(dumped[i].key);
        ASSERT_EQ(theirs, AsDumped(entries[i].key, num))
            << file << " tag " << tag << " entry " << i;
        ASSERT_EQ(dumped[i].recno, entries[i].recno) << file << " tag " << tag << " entry " << i;
    }
}

} // namespace hk::db::cdx_test
