#include <gtest/gtest.h>

#include "support/text.h"

using namespace hk;

TEST(Text, Cp1252RoundTripAndUnmappable) {
    std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                       "e \xE2\x82\xAC \xC5\x93"; // Grüße € œ
    std::string cp = Utf8ToCp1252(utf8);
    EXPECT_EQ(cp, "Gr\xFC\xDF"
                  "e \x80 \x9C");
    EXPECT_EQ(Cp1252ToUtf8(cp), utf8);
    // A character outside 1252 becomes '?', one byte on disk.
    EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD"
                           "b"),
              "a?b");
    // Stray bytes that are not UTF-8 are kept as they are.
    EXPECT_EQ(Utf8ToCp1252("\xE9t\xE9"), "\xE9t\xE9");
}

TEST(Text, AnsiCaseMapping) {
    EXPECT_EQ(Cp1252UpperStr("\xE9l\xE8ve \x9C\xFF\xDF\xF7"), "\xC9L\xC8VE \x8C\x9F\xDF\xF7");
    EXPECT_EQ(Cp1252LowerStr("\xC9L\xC8VE \x8C\xD7"), "\xE9l\xE8ve \x9C\xD7");
    EXPECT_TRUE(EqualsNoCase("Per_No", "PER_NO"));
    EXPECT_FALSE(EqualsNoCase("Per_No", "PER_N"));
    EXPECT_EQ(Trim("  a b  "), "a b");
}
