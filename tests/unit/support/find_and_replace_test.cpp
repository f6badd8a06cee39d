#include <gtest/gtest.h>

#include "support/find_and_replace.h"

using namespace hk;

namespace {
FindAndReplace Make(const std::string& find, bool pattern = false, bool wholeWord = false,
                    bool matchCase = true) {
    FindAndReplace f;
    f.SetUsePattern(pattern);
    f.SetWholeWord(wholeWord);
    f.SetMatchCase(matchCase);
    f.SetFindText(find);
    return f;
}
} // namespace

TEST(FindAndReplace, LiteralTextIsEscaped) {
    EXPECT_EQ(FindAndReplace::EscapeLiteral("a.b*(c)[d]{e}|f^$+?\\"),
              "a\\.b\\*\\(c\\)\\[d\\]\\{e\\}\\|f\\^\\$\\+\\?\\\\");
    FindAndReplace f = Make("St. John (Jr.)");
    EXPECT_TRUE(f.Test("Rev. St. John (Jr.) here"));
    EXPECT_FALSE(f.Test("Stx John (Jr.)"));
    EXPECT_FALSE(Make("a.c").Test("abc"));
    // The same text as a pattern behaves as a pattern.
    EXPECT_TRUE(Make("a.c", true).Test("abc"));
    // A "$" in the replacement keeps its VBScript meaning even in literal mode.
    EXPECT_EQ(Make("x").ReplaceAll("x", "$$5"), "$5");
}

TEST(FindAndReplace, WholeWordAndCase) {
    FindAndReplace f = Make("Rob", false, true);
    EXPECT_FALSE(f.Test("Robert Smith"));
    EXPECT_TRUE(f.Test("Rob Smith"));
    EXPECT_TRUE(f.Test("(Rob)"));
    // Accented letters are part of words.
    EXPECT_FALSE(Make("R\xC3\xA9", false, true).Test("R\xC3\xA9my"));
    EXPECT_TRUE(Make("Jos\xC3\xA9", false, true).Test("Jos\xC3\xA9 Smith"));
    // Whole word has no effect on a pattern.
    EXPECT_TRUE(Make("Rob", true, true).Test("Robert"));
    // The order of setting the switches does not matter.
    FindAndReplace g;
    g.SetFindText("rob");
    g.SetWholeWord(true);
    g.SetMatchCase(false);
    EXPECT_TRUE(g.Test("ROB SMITH"));
    EXPECT_FALSE(g.Test("ROBERT"));
    g.SetMatchCase(true);
    EXPECT_FALSE(g.Test("ROB SMITH"));
}

TEST(FindAndReplace, FirstAllAndMatches) {
    FindAndReplace f = Make("(\\d+)-(\\d+)", true);
    EXPECT_EQ(f.ReplaceFirst("1-2 3-4", "$2-$1"), "2-1 3-4");
    EXPECT_EQ(f.ReplaceAll("1-2 3-4", "$2-$1"), "2-1 4-3");
    RegExpMatches all = f.FindAll("a 1-2 b 30-40");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].FirstIndex, 8u);
    EXPECT_EQ(all[1].Length, 5u);
    EXPECT_EQ(all[1].SubMatches[1], "40");
    EXPECT_EQ(f.FindFirst("a 1-2 b 30-40").size(), 1u);
    EXPECT_TRUE(f.FindAll("none").empty());
}

TEST(FindAndReplace, InvalidPatternNamesTheFindText) {
    FindAndReplace f = Make("Smith (", true);
    for (auto op : {0, 1, 2}) {
        try {
            if (op == 0)
                f.Test("x");
            if (op == 1)
                f.ReplaceAll("x", "y");
            if (op == 2)
                f.FindFirst("x");
            FAIL() << "no error for operation " << op;
        } catch (const Error& e) {
            EXPECT_EQ(e.Description(), "Invalid Pattern: Smith (");
            EXPECT_TRUE(IsRegExpPatternError(e.Number()));
        }
    }
    // The same text taken literally is fine.
    f.SetUsePattern(false);
    EXPECT_TRUE(f.Test("Smith (x)"));
}

TEST(FindAndReplace, ReplacementEscapes) {
    EXPECT_EQ(UnescapeReplacement("a\\\\n\\nb\\tc\\rd"), "a\\n\r\nb\tc\rd");
    EXPECT_EQ(UnescapeReplacement("C:\\x\\"), "C:\\x\\");
}

TEST(FindAndReplace, StartUpSelfTest) {
    EXPECT_EQ(RegExpSelfTest(), std::nullopt);
    std::string late(1001, ' ');
    EXPECT_EQ(RegExpSelfTest(late + "[L=DUTCH]"), "FirstIndex>1000");
    EXPECT_EQ(RegExpSelfTest(std::string(1000, ' ') + "[L=DUTCH]"), std::nullopt);
    EXPECT_NE(RegExpSelfTest("no marks at all"), std::nullopt);
}
