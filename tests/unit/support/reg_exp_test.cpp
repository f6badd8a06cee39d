#include <gtest/gtest.h>

#include "support/reg_exp.h"

using namespace hk;

namespace {
long ErrorNumber(const char* pattern) {
    try {
        RegExp(pattern).Compile();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}
} // namespace

TEST(RegExp, ReplacementTokensFollowVBScript) {
    RegExp re("(\\w+) (\\w+)");
    EXPECT_EQ(re.Replace("John Smith!", "$2, $1"), "Smith, John!");
    EXPECT_EQ(re.Replace("<John Smith>", "[$&]"), "<[John Smith]>");
    EXPECT_EQ(re.Replace("<John Smith>", "$`|$'"), "<<|>>");
    EXPECT_EQ(re.Replace("John Smith", "$$1"), "$1");
    // Groups that do not exist stay as written; "$0" is not a group either.
    EXPECT_EQ(re.Replace("John Smith", "$3$0$"), "$3$0$");
    // "$12" is group 1 then "2" when there is no group 12.
    EXPECT_EQ(re.Replace("John Smith", "$12"), "John2");
    RegExp many("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)");
    EXPECT_EQ(many.Replace("abcdefghijkl", "$12$10$01"), "lja");
    // A group that took no part gives empty text.
    EXPECT_EQ(RegExp("(x)?y").Replace("y", "[$1]"), "[]");
}

TEST(RegExp, GlobalFirstAndEmptyMatches) {
    RegExp re("o");
    EXPECT_EQ(re.Replace("foo boo", "0"), "f0o boo");
    re.SetGlobal(true);
    EXPECT_EQ(re.Replace("foo boo", "0"), "f00 b00");
    // An empty match moves on one character, and may follow a non-empty one.
    RegExp star("b*", true);
    EXPECT_EQ(star.Replace("abc", "-"), "-a--c-");
    RegExpMatches m = star.Execute("abc");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[1].FirstIndex, 1u);
    EXPECT_EQ(m[1].Value, "b");
    EXPECT_EQ(m[3].FirstIndex, 3u);
    // One character on means one UTF-8 character, not one byte.
    EXPECT_EQ(RegExp("x*", true).Replace("\xC3\xA9", "-"), "-\xC3\xA9-");
}

TEST(RegExp, NonAsciiTextAndIndices) {
    const std::string text = "Jos\xC3\xA9 M\xC3\xBCller and J\xC3\xB6rg";
    RegExp re("(M\\w+)|(J\\w+)", true);
    RegExpMatches m = re.Execute(text);
    ASSERT_EQ(m.size(), 3u);
    for (const RegExpMatch& x : m)
        EXPECT_EQ(text.substr(x.FirstIndex, x.Length), x.Value);
    EXPECT_EQ(m[0].Value, "Jos\xC3\xA9");
    EXPECT_EQ(m[1].Value, "M\xC3\xBCller");
    EXPECT_EQ(m[1].FirstIndex, 6u); // bytes: "José " is 6 bytes
    EXPECT_EQ(m[1].SubMatches.size(), 2u);
    EXPECT_EQ(m[1].SubMatches[0], "M\xC3\xBCller");
    EXPECT_EQ(m[1].SubMatches[1], "");
    EXPECT_EQ(m[2].Value, "J\xC3\xB6rg");
    // Case folding reaches accented letters; \u escapes are read as VBScript reads them.
    RegExp ci("\xC3\x89MILE");
    EXPECT_FALSE(ci.Test("\xC3\xA9mile"));
    ci.SetIgnoreCase(true);
    EXPECT_TRUE(ci.Test("\xC3\xA9mile"));
    EXPECT_TRUE(RegExp("\\u00e9").Test("caf\xC3\xA9"));
    // Invalid UTF-8 in the text does not fail the search.
    EXPECT_TRUE(RegExp("b").Test("a\xFF"
                                 "b"));
}

TEST(RegExp, DialectDetails) {
    // "]" first in a class is a literal.
    RegExpMatches m = RegExp("\\[L=[^]]+\\]", true).Execute("x[L=ENGLISH][L=DUTCH]");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].Value, "[L=DUTCH]");
    EXPECT_EQ(m[1].FirstIndex, 12u);
    // "$" is the very end unless Multiline; "." stops at a line feed.
    EXPECT_FALSE(RegExp("a$").Test("a\n"));
    RegExp multi("^b$");
    EXPECT_FALSE(multi.Test("a\nb\nc"));
    multi.SetMultiline(true);
    EXPECT_TRUE(multi.Test("a\nb\nc"));
    EXPECT_FALSE(RegExp("a.b").Test("a\nb"));
    // Escaped punctuation is literal, as in "\<[^>]+\>".
    EXPECT_EQ(RegExp("\\<[^>]+\\>").Execute("x <Title> y")[0].Value, "<Title>");
}

TEST(RegExp, PatternErrorsCarryVBScriptNumbers) {
    EXPECT_EQ(ErrorNumber("[abc"), kRegExpExpectedBracket);
    EXPECT_EQ(ErrorNumber("(abc"), kRegExpExpectedParen);
    EXPECT_EQ(ErrorNumber("*a"), kRegExpUnexpectedQuantifier);
    EXPECT_EQ(ErrorNumber("[z-a]"), kRegExpInvalidRange);
    EXPECT_EQ(ErrorNumber("a)"), kRegExpSyntaxError);
    EXPECT_EQ(ErrorNumber("a(b)c"), 0);
    // Changing the pattern recompiles; the old code must not linger.
    RegExp re("a");
    EXPECT_TRUE(re.Test("a"));
    re.SetPattern("b");
    EXPECT_FALSE(re.Test("a"));
    re.SetPattern("(");
    EXPECT_THROW(re.Test("a"), Error);
}
