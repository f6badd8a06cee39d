// Project versions: the texts TMG leaves, where they are read from, and the compatibility check.
#include <gtest/gtest.h>

#include "mktmg/reference_data.h"
#include "support/temp_dir.h"
#include "tmgdb/project_version.h"
#include "xbase/memory_variables.h"

using namespace hk::db;
using hk::test::TempDir;

TEST(ProjectVersion, TextsBecomeThreeNumbers) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"7.04", "007.004.000"},        {"4.0d", "004.000.004"},    {"4.0D", "004.000.004"},
        {" 8.01.0002 ", "008.001.002"}, {"6,5", "006.005.000"},     {"3.6b", "003.006.002"},
        {"11.0", "011.000.000"},        {"", "000.000.000"},        {"9", "009.000.000"},
        {"5..7", "005.000.007"},        {"1.2.3.4", "001.002.003"}, {"x", "000.000.000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseVersionText(c.text).String(), c.expected) << c.text;
    ProjectVersion v = ParseVersionText(" 4.0c ");
    EXPECT_EQ(v.text, "4.0c");
    EXPECT_EQ(v.major, 4);
    EXPECT_EQ(v.minor, 0);
    EXPECT_EQ(v.patch, 3);
}

TEST(ProjectVersion, ReadFromTheStampFileOrTheConfigurationFile) {
    TempDir dir;
    std::string folder = dir.Folder();

    // The old stamp wins over a configuration file, and its words are dropped.
    dir.Write("Old__.TMG", "TMG Version 4.0d\r\nsecond line 9.9\r\n");
    dir.Write("Old__.pjc", "[Stamp]\r\nPjcVersion=11.0\r\n");
    ProjectVersion old = ReadProjectVersion(FileSystem::Default(), folder, "Old_");
    EXPECT_EQ(old.text, "4.0D");
    EXPECT_EQ(old.String(), "004.000.004");

    dir.Write("Cur__.pjc", "[Researcher]\r\nName=x\r\n[Stamp]\r\nPjcVersion=11.0\r\n");
    ProjectVersion cur = ReadProjectVersion(FileSystem::Default(), folder, "Cur_");
    EXPECT_EQ(cur.text, "11.0");
    EXPECT_EQ(cur.String(), "011.000.000");

    // A small stamp is moved up one place behind a major version of 5.
    dir.Write("Low__.PJC", "[PjcVersion]\r\nStamp=1.2\r\n");
    ProjectVersion low = ReadProjectVersion(FileSystem::Default(), folder, "Low_");
    EXPECT_EQ(low.String(), "005.001.002");
    EXPECT_EQ(low.text, "5.1");

    // Both forms present: TMG's own is read.
    dir.Write("Both__.pjc", "[PjcVersion]\r\nStamp=7.0\r\n[Stamp]\r\nPjcVersion=10.0\r\n");
    EXPECT_EQ(ReadProjectVersion(FileSystem::Default(), folder, "Both_").String(), "010.000.000");

    EXPECT_EQ(ReadProjectVersion(FileSystem::Default(), folder, "None_").String(), "000.000.000");
}

TEST(ProjectVersion, CompatibilityAgainstTheProgramsSection) {
    TempDir dir;
    std::string ini = dir.Write("compatibility.ini",
                                "[001.002.000]\r\nTMG-Low=005.000.000\r\nTMG-High=008.000.999\r\n"
                                "[001.002.003]\r\nTMG-Low=006.000.000\r\n"
                                "[002.000.000]\r\nTMG-High=009.000.000\r\n");
    EXPECT_EQ(CheckVersionCompatibility("004.000.004", ini, 1, 2, 0), 0);
    EXPECT_EQ(CheckVersionCompatibility("005.000.000", ini, 1, 2, 0), 1);
    EXPECT_EQ(CheckVersionCompatibility("008.000.999", ini, 1, 2, 0), 1);
    EXPECT_EQ(CheckVersionCompatibility("008.001.000", ini, 1, 2, 0), 2);
    // Revision 3 lacks TMG-High: the search falls back through 2 and 1 to revision 0.
    EXPECT_EQ(CheckVersionCompatibility("005.500.000", ini, 1, 2, 5), 1);
    // No section with both keys: nothing is supported, and any real version is "too new".
    EXPECT_EQ(CheckVersionCompatibility("007.004.000", ini, 2, 0, 0), 2);
    EXPECT_EQ(CheckVersionCompatibility("007.004.000", dir.Folder() + "missing.ini", 1, 2, 0), 2);
}

TEST(MemoryVariables, CharacterVariablesOfAMemFile) {
    std::string mem = hk::mktmg::MemoryVariableFile(
        {{"M_FVALCOLL", "MACHINE"}, {"M_FVALSPLA", "<[CITY], ><[STATE]>"}});
    EXPECT_EQ(FindMemoryVariable(mem, "M_FVALSPLA"), "<[CITY], ><[STATE]>");
    EXPECT_EQ(FindMemoryVariable(mem, "m_fvalcoll"), "MACHINE");
    EXPECT_EQ(FindMemoryVariable(mem, "M_FVALPNO"), std::nullopt);

    // Numeric and logical variables in between are stepped over.
    std::string numeric(32, '\0');
    numeric.replace(0, 9, "M_FVALPNO");
    numeric[11] = static_cast<char>('N' | 0x80);
    numeric += std::string(8, '\x01');
    std::string mixed = numeric + mem;
    EXPECT_EQ(FindMemoryVariable(mixed, "M_FVALSPLA"), "<[CITY], ><[STATE]>");

    // Headers that do not parse: the name is searched for, the text 22 bytes behind it.
    std::string odd =
        std::string("junk") + "M_FVALSPLA" + '\0' + std::string(21, 'z') + "<[CITY]>" + '\0';
    EXPECT_EQ(FindMemoryVariable(odd, "M_FVALSPLA"), "<[CITY]>");
    EXPECT_EQ(FindMemoryVariable("", "M_FVALSPLA"), std::nullopt);
    EXPECT_EQ(ReadMemoryVariable(FileSystem::Default(), "/nonexistent/x.mem", "M_FVALSPLA"),
              std::nullopt);
}
