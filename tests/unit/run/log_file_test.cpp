#include <gtest/gtest.h>

#include "run/log_file.h"
#include "support/error.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

using namespace hk;
using hk::test::ReadBytes;

TEST(LogFile, LineEndsCountersAndReopening) {
    test::TempDir dir;
    test::ManualClock clock;
    clock.now = {2024, 2, 29, 9, 8, 7};
    CLogFile log(&clock);
    std::string path = dir.Folder() + "a.log";
    log.OpenOutput(path);
    log.WriteText("\xE4\xB8\xAD\n"); // not in 1252, then a lone LF written as it is
    log.LogLine("two\r\nlines");     // CR LF already there stays single
    log.LogTimestamp("Stamp");
    log.LogError("e");
    log.LogNote("n");
    log.LogCounts(2); // Notes only from level 3
    log.LogCount("Big", -1234567);
    log.Close();
    std::string expected = "?\ntwo\r\nlines\r\nStamp 2024-02-29 09:08:07\r\n"
                           "*ERROR* e\r\n*NOTE* n\r\nErrors=1\r\nBig=-1,234,567\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(log.BytesWritten(), static_cast<long long>(expected.size()));
    // The totals a front end repeats: every LogCount line, the counts of LogCounts among them.
    EXPECT_EQ(log.Totals(), (std::vector<std::string>{"Errors=1", "Big=-1,234,567"}));
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");

    // Reopen appends; OpenOutput truncates.
    log.Reopen();
    log.LogLine("more");
    log.Close();
    EXPECT_EQ(ReadBytes(path), expected + "more\r\n");
    log.OpenOutput(path);
    log.LogBlankLine();
    log.Close();
    EXPECT_EQ(ReadBytes(path), "\r\n");

    EXPECT_THROW(log.LogLine("closed"), Error);
    EXPECT_THROW(log.OpenOutput(dir.Folder() + "no/such/dir.log"), Error);
}
