// The mktmg command: its arguments, exit status and the counts it prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <vector>

#include "support/table_data.h"
#include "support/temp_dir.h"
#include "support/text.h"

using hk::test::TableData;
using hk::test::TempDir;

namespace {

struct CommandRun {
    int status = -1;
    std::string out;
};

CommandRun Mktmg(const std::string& args) {
    CommandRun r;
    std::string cmd = std::string(HK_MKTMG_PATH) + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

} // namespace

TEST(MktmgCommand, RefusesBadArgumentsWithUsage) {
    TempDir dir;
    const std::string a = dir.File("A__.pjc");
    for (const std::string& args : std::vector<std::string>{
             "", "--people", "--people ten " + a, "--layout new " + a, "--datasets 0 " + a,
             "--bogus " + a, a + " " + dir.File("B__.pjc")}) {
        CommandRun r = Mktmg(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.out.find("usage: mktmg"), std::string::npos) << args;
    }
    CommandRun named = Mktmg("--people 3 " + dir.File("NotAProject.pjc"));
    EXPECT_EQ(named.status, 2);
    EXPECT_NE(named.out.find("NAME__.pjc"), std::string::npos) << named.out;
}

TEST(MktmgCommand, PrintsTheCountsOfEachTablePerDataset) {
    TempDir dir;
    CommandRun r = Mktmg("--people 60 --seed 3 --datasets 2 " + dir.File("Cli__.pjc"));
    ASSERT_EQ(r.status, 0) << r.out;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_NE(line.find("60 people"), std::string::npos) << line;
    EXPECT_NE(line.find("datasets 1 2)"), std::string::npos) << line;
    std::map<std::string, std::map<std::string, long>> printed;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string table, item;
        words >> table;
        while (words >> item) {
            size_t eq = item.find('=');
            ASSERT_NE(eq, std::string::npos) << line;
            printed[table][item.substr(0, eq)] = std::stol(item.substr(eq + 1));
        }
    }
    EXPECT_EQ(printed["$"]["dsid1"] + printed["$"]["dsid2"], 60);
    for (const char* table : {"$", "G", "E", "N", "S", "ND"}) {
        TableData t(dir.File("Cli_" + hk::AsciiLower(table) + ".dbf"));
        std::map<std::string, long> counted;
        for (size_t row = 0; row < t.Size(); ++row) {
            if (t.Deleted(row))
                ++counted["deleted"];
            else if (t.Has("DSID"))
                ++counted["dsid" + std::to_string(t.Int(row, "DSID"))];
            else
                ++counted["all"];
        }
        EXPECT_EQ(counted, printed[table]) << table;
    }
}
