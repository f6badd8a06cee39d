#include <gtest/gtest.h>

#include "formats/packed_field.h"

using namespace hk;

TEST(PackedField, DecodeAndEncode) {
    CTMGPackedField f;
    f.SetFieldValue("Smith$!&J");
    ASSERT_EQ(f.Parts(), 2);
    EXPECT_EQ(f.Part(0), "Smith");
    EXPECT_EQ(f.Part(1), "J");
    f.SetFieldValue("J");
    EXPECT_EQ(f.Parts(), 1);
    EXPECT_EQ(f.Part(1), ""); // the old second part is gone
    f.SetFieldValue("a$!&$!&b$!&");
    ASSERT_EQ(f.Parts(), 3);
    EXPECT_EQ(f.Part(1), "");
    EXPECT_EQ(f.Part(2), "b");
    EXPECT_EQ(f.FieldValue(), "a$!&$!&b$!&");
    f.SetOmitLastSeparator(true);
    EXPECT_EQ(f.FieldValue(), "a$!&$!&b");
    f.SetFieldValue("");
    EXPECT_EQ(f.Parts(), 0);
    EXPECT_EQ(f.FieldValue(), "");
    // "$!" and "&" alone are ordinary text.
    f.SetFieldValue("a$!b&c$!&");
    EXPECT_EQ(f.Parts(), 1);
    EXPECT_EQ(f.Part(0), "a$!b&c");
}

TEST(PackedField, LimitsAndPartsPastTheCount) {
    std::string seventy;
    for (int i = 0; i < 70; ++i)
        seventy += "p" + std::to_string(i) + "$!&";
    CTMGPackedField f;
    f.SetFieldValue(seventy);
    EXPECT_EQ(f.Parts(), 64);
    EXPECT_EQ(f.Part(63), "p63");
    EXPECT_EQ(f.Part(64), "");
    EXPECT_EQ(f.Part(-1), "");
    EXPECT_EQ(f.FieldValue(), seventy.substr(0, seventy.find("p64")));

    f.SetFieldValue("a$!&b");
    f.SetPart(1, "B");
    f.SetPart(5, "unseen");
    f.SetPart(64, "ignored");
    EXPECT_EQ(f.Parts(), 2);
    EXPECT_EQ(f.Part(5), "");
    EXPECT_EQ(f.FieldValue(), "a$!&B$!&");
    // Decoding what was encoded gives the same parts back.
    CTMGPackedField g;
    g.SetFieldValue(f.FieldValue());
    EXPECT_EQ(g.FieldValue(), f.FieldValue());
    EXPECT_EQ(SplitPacked("x$!&y$!&z", 2), (std::vector<std::string>{"x", "y"}));
}
