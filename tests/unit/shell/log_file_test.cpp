#include <gtest/gtest.h>

#include <filesystem>

#include "shell/log_file.h"
#include "support/error.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

using namespace hk;
using hk::test::ReadBytes;

TEST(LogFile, WritesWindows1252WithCrLfAndCounts) {
    test::TempDir dir;
    test::ManualClock clock;
    clock.now = {2024, 2, 29, 9, 8, 7};
    CLogFile log(&clock);
    std::string path = dir.Folder() + "a.log";
    log.OpenOutput(path);
    log.WriteText("\xE2\x82\xAC caf\xC3\xA9 \xE4\xB8\xAD\n"); // € café 中, lone LF
    log.LogLine("two\r\nlines");
    log.LogTimestamp("Stamp");
    log.LogError("e1");
    log.LogError("e2");
    log.LogNote("n");
    log.LogCounts(1);
    log.LogCounts(2); // no warnings: nothing more than errors again
    log.LogCounts(3);
    log.Close();
    std::string expected = "\x80 caf\xE9 ?\r\n"
                           "two\r\nlines\r\n"
                           "Stamp 2024-02-29 09:08:07\r\n"
                           "*ERROR* e1\r\n*ERROR* e2\r\n*NOTE* n\r\n"
                           "Errors=2\r\n"
                           "Errors=2\r\n"
                           "Errors=2\r\nNotes=1\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(log.BytesWritten(), static_cast<long long>(expected.size()));
    EXPECT_EQ(log.ErrorCount(), 2);
    EXPECT_EQ(log.WarningCount(), 0);
    EXPECT_EQ(log.NoteCount(), 1);

    // Reopen appends; OpenOutput truncates.
    log.Reopen();
    log.LogLine("more");
    log.Close();
    EXPECT_EQ(ReadBytes(path), expected + "more\r\n");
    log.OpenOutput(path);
    log.LogBlankLine();
    log.Close();
    EXPECT_EQ(ReadBytes(path), "\r\n");
    log.OpenAppend(path);
    log.LogLine("x");
    log.Close();
    EXPECT_EQ(ReadBytes(path), "\r\nx\r\n");

    EXPECT_THROW(log.LogLine("closed"), Error);
    EXPECT_THROW(log.OpenOutput(dir.Folder() + "no/such/dir.log"), Error);
}

TEST(LogFile, CountsUseThousandsSeparators) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(123456), "123,456");
    EXPECT_EQ(FormatThousands(1234567890), "1,234,567,890");
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    EXPECT_EQ(FormatThousands(-999), "-999");
}
