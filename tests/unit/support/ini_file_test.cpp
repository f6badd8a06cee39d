#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/startup.h"
#include "run/program_info.h"
#include "support/ini_file.h"
#include "support/temp_dir.h"
#include "support/text.h"

using namespace hk;

namespace {

test::TempDir& Dir() {
    static test::TempDir dir;
    return dir;
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
    return Dir().Write(name, bytes);
}

} // namespace

TEST(IniFile, PrivateProfileLookupRules) {
    std::string path = WriteTemp("rules.ini",
                                 "; comment line\r\n"
                                 "[Advanced]\r\n"
                                 "  Name-Marr Tag =  Name-Marr  \r\n"
                                 "Quoted=\"  spaced  \"\n" // LF only, quotes stripped
                                 "Single='x'\n"
                                 "HalfQuote=\"x\n" // unmatched: kept
                                 "Empty=\r\n"
                                 "NoEquals\r\n"
                                 "Inline=a ; not a comment\r\n"
                                 "[ADVANCED]\r\n" // second one never read
                                 "Shadowed=yes\r\n"
                                 "[Other]\r\n"
                                 "Name-Marr Tag=other\r\n");
    EXPECT_EQ(GetIniString(path, "advanced", "NAME-MARR TAG", "d"), "Name-Marr");
    EXPECT_EQ(GetIniString(path, "Advanced", "Quoted", ""), "  spaced  ");
    EXPECT_EQ(GetIniString(path, "Advanced", "Single", ""), "x");
    EXPECT_EQ(GetIniString(path, "Advanced", "HalfQuote", ""), "\"x");
    // Present but empty reads as empty, not as the default; a key without "=" has no value.
    EXPECT_EQ(GetIniString(path, "Advanced", "Empty", "d"), "");
    EXPECT_EQ(GetIniString(path, "Advanced", "NoEquals", "d"), "d");
    EXPECT_EQ(GetIniString(path, "Advanced", "Inline", ""), "a ; not a comment");
    EXPECT_EQ(GetIniString(path, "Advanced", "Shadowed", "d"), "d");
    EXPECT_EQ(GetIniString(path, "Other", "name-marr tag", ""), "other");
    EXPECT_EQ(GetIniString(path, "Missing", "Key", "def  "), "def"); // default's trailing blanks go
    EXPECT_EQ(GetIniString(path + ".none", "Advanced", "Name-Marr Tag", "d"), "d");
}

TEST(IniFile, BoolAndLongConversions) {
    std::string path = WriteTemp("conv.ini", "[B]\nyes=yes\nminus=-1\nt=t\non=on\ntwo=2\nempty=\n"
                                             "[L]\nplain= 42 \nhalfDown=12.5\nhalfUp=13.5\n"
                                             "word=12abc\nhuge=3000000000\n");
    for (const char* key : {"yes", "minus", "t"})
        EXPECT_TRUE(GetIniBool(path, "B", key, false)) << key;
    for (const char* key : {"on", "two"})
        EXPECT_FALSE(GetIniBool(path, "B", key, true)) << key;
    EXPECT_TRUE(GetIniBool(path, "B", "empty", true));
    EXPECT_TRUE(GetIniBool(path, "B", "missing", true));

    EXPECT_EQ(GetIniLong(path, "L", "plain", 0), 42);
    EXPECT_EQ(GetIniLong(path, "L", "halfDown", 0), 12); // half to even, like CLng
    EXPECT_EQ(GetIniLong(path, "L", "halfUp", 0), 14);
    EXPECT_EQ(GetIniLong(path, "L", "word", 5), 5);
    EXPECT_EQ(GetIniLong(path, "L", "huge", 5), 5);
    EXPECT_EQ(GetIniLong(path, "L", "missing", 9), 9);
}

TEST(IniFile, ValuesStopAtTheBufferSize) {
    std::string at254(254, 'a'), at255(255, 'b'), at300(300, 'c');
    std::string path =
        WriteTemp("long.ini", "[S]\nA=" + at254 + "\nB=" + at255 + "\nC=" + at300 + "\n");
    EXPECT_EQ(GetIniString(path, "S", "A", ""), at254);
    EXPECT_EQ(GetIniString(path, "S", "B", ""), at255.substr(0, 254));
    EXPECT_EQ(GetIniString(path, "S", "C", ""), at300.substr(0, 254));
    EXPECT_EQ(GetIniString(path, "S", "missing", at300), at300.substr(0, 254));

    // Windows-1252 files come back as UTF-8; the limit counts characters, not UTF-8 bytes.
    std::string e1252(300, '\xE9');
    path = WriteTemp("accents.ini", "[S]\nE=" + e1252 + "\nW=Z\xFCrich \x80\n");
    std::string value = GetIniString(path, "S", "E", "");
    EXPECT_EQ(value.size(), 254u * 2);
    EXPECT_EQ(value.substr(0, 2), "\xC3\xA9");
    EXPECT_EQ(GetIniString(path, "S", "W", ""), "Z\xC3\xBCrich \xE2\x82\xAC");
    // A UTF-8 file (with its BOM) is taken as it is.
    path = WriteTemp("utf8.ini", "\xEF\xBB\xBF[S]\nW=Z\xC3\xBCrich\n");
    EXPECT_EQ(GetIniString(path, "S", "W", ""), "Z\xC3\xBCrich");
}

TEST(IniFile, ToleratesBrokenProjectConfigFiles) {
    // What real project configuration files hold: an unclosed header, NUL runs, binary bytes.
    std::string bytes = "[Researcher]\r\nName=Ann\r\n[Exho\r\nAfterBroken=1\r\n";
    bytes += std::string("\0\0\0\x01\xFF\xFE=\x7F\r", 9);
    bytes += std::string("\0\0[Stamp]\r\nPjcVersion=11.0\0garbage\r\n", 36);
    bytes += "[PjcVersion]\r\nStamp=8.0\r\n";
    IniFile ini = IniFile::Parse(bytes);
    ASSERT_NE(ini.Find("Stamp", "PjcVersion"), nullptr);
    EXPECT_EQ(*ini.Find("Stamp", "PjcVersion"), "11.0");
    EXPECT_EQ(GetIniString(ini, "pjcversion", "stamp", ""), "8.0");
    // Keys after a broken header stay in the section before it, as Windows reads them.
    EXPECT_EQ(GetIniString(ini, "Researcher", "AfterBroken", ""), "1");
    EXPECT_EQ(GetIniString(ini, "Researcher", "Name", ""), "Ann");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Researcher", "Stamp", "PjcVersion"}));

    // Every byte value somewhere in a file must not stop the reader.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    IniFile noise = IniFile::Parse(all + "\n[S]\nK=v\n" + all);
    EXPECT_EQ(GetIniString(noise, "S", "K", ""), "v");
}

TEST(IniFile, PathsAndChoiceLists) {
    std::string path = WriteTemp("paths.ini", "[P]\nrel=sub/dir\nabs=/opt/x\nwin=C:\\TMG\n"
                                              "unc=\\\\srv\\share\nslash=out/\n"
                                              "[LanguageChoices]\nLanguage1=English\n"
                                              "Language2=French\nLanguage3=\nLanguage4=German\n");
    EXPECT_EQ(GetIniPath(path, "P", "rel", "", "/base"), "/base/sub/dir/");
    EXPECT_EQ(GetIniPath(path, "P", "rel", "", ""), "sub/dir/");
    EXPECT_EQ(GetIniPath(path, "P", "abs", "", "/base"), "/opt/x/");
    EXPECT_EQ(GetIniPath(path, "P", "win", "", "/base"), "C:\\TMG/");
    EXPECT_EQ(GetIniPath(path, "P", "slash", "", "/base"), "/base/out/");
    EXPECT_EQ(GetIniPath(path, "P", "missing", "def", "/base"), "/base/def/");

    // The list ends at the first empty value, even with more after it.
    EXPECT_EQ(GetIniChoices(path, "Language"), "English||French");
    EXPECT_EQ(SplitChoices("English||French"), (std::vector<std::string>{"English", "French"}));
    EXPECT_TRUE(SplitChoices("").empty());
}

TEST(IniFile, ShippedProgramFiles) {
    std::string data = std::string(HK_SOURCE_DIR) + "/data";
    ProgramSettings s = ReadProgramSettings(data);
    EXPECT_FALSE(s.betaFlag);
    EXPECT_EQ(s.nameMarrTag, "Name-Marr");
    EXPECT_EQ(s.descendantYears, 10);
    EXPECT_EQ(s.ancestorYears, 60);
    EXPECT_EQ(s.memoryBudgetMb, 128);
    // The project's memory budget as a user sets it; a tiny one is raised to a floor.
    for (auto [text, mb] : {std::pair{"300", 300L}, {"1", 4L}}) {
        std::string folder =
            std::filesystem::path(
                WriteTemp("hearthkit.ini",
                          std::string("[Performance]\nMemoryBudgetMB=") + text + "\n"))
                .parent_path()
                .string();
        EXPECT_EQ(ReadProgramSettings(folder).memoryBudgetMb, mb) << text;
    }
    std::vector<std::string> languages = SplitChoices(LanguageChoices(data));
    ASSERT_GE(languages.size(), 2u);
    EXPECT_EQ(languages[0], "ENGLISH");
    for (const auto& l : languages)
        EXPECT_EQ(l, AsciiUpper(l));

    // The project open looks up this program version's section; it must accept TMG 5.0 to 11.x.
    IniFile compat = IniFile::Load(CompatibilityIniPath(data));
    ProgramVersion v = GetProgramVersion();
    char section[32];
    std::snprintf(section, sizeof section, "%03d.%03d.000", v.major, v.minor);
    std::string low = GetIniString(compat, section, "TMG-Low", "");
    std::string high = GetIniString(compat, section, "TMG-High", "");
    EXPECT_LE(low, "005.000.000");
    EXPECT_GT(low, "004.999.999");
    EXPECT_GE(high, "011.099.099");
    EXPECT_LT(high, "012.000.000");
}
