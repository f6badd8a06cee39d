#include <gtest/gtest.h>

#include "expect_error.h"
#include "formats/format_context.h"

using namespace hk;
using namespace std::chrono;

namespace {
// Values laid out by hand: "1" YYYYMMDD oldstyle modifier YYYYMMDD oldstyle question.
constexpr const char* kExact = "118200305030000000000";    // 5 Mar 1820
constexpr const char* kBefore = "118200305000000000000";   // before 5 Mar 1820
constexpr const char* kYear = "118200000030000000000";     // 1820
constexpr const char* kCircaQ = "118200000020000000001";   // circa 1820?
constexpr const char* kBetween = "118200000051825000000";  // between 1820 and 1825
constexpr const char* kOr = "118200000061821000000";       // 1820 or 1821
constexpr const char* kFromTo = "118200101071825000000";   // from 1 Jan 1820 to 1825
constexpr const char* kOldFeb = "117210210130000000000";   // 10 Feb 1721, old style
constexpr const char* kOldLady = "117210325130000000000";  // 25 Mar 1721, old style
constexpr const char* kOldMar24 = "117210324130000000000"; // 24 Mar 1721, old style

CalendarDate Ymd(int y, unsigned m, unsigned d) {
    return year{y} / month{m} / day{d};
}

struct TMGDateDisplay : ::testing::Test {
    FormatContext ctx{MonthNames::English()};
    CTMGDate& date = ctx.date;
};
} // namespace

TEST(TMGDate, Decoding) {
    EXPECT_TRUE(CTMGDate::IsRegular(CTMGDate::kEmptyDate));
    EXPECT_TRUE(CTMGDate::IsEmptyDate(CTMGDate::kEmptyDate));
    EXPECT_TRUE(CTMGDate::IsEmptyDate("100000000030000000000         ")); // as stored
    EXPECT_TRUE(CTMGDate::IsEmptyDate(""));
    EXPECT_TRUE(CTMGDate::IsEmptyDate("0 "));
    EXPECT_FALSE(CTMGDate::IsEmptyDate("0x1"));
    EXPECT_FALSE(CTMGDate::IsEmptyDate(kYear));
    EXPECT_TRUE(CTMGDate::IsIrregular(""));
    EXPECT_TRUE(CTMGDate::IsIrregular("0about 1820"));
    EXPECT_EQ(CTMGDate::Modifier(kBetween), '5');
    EXPECT_EQ(CTMGDate::Modifier("0abcdefghijklmn"), '0');
    EXPECT_TRUE(CTMGDate::IsOldStyle(kOldFeb));
    EXPECT_FALSE(CTMGDate::IsOldStyle(kExact));
    EXPECT_FALSE(CTMGDate::IsOldStyle("0Feb 10, 1721")); // position 10 of free text
    EXPECT_EQ(CTMGDate::Precision(kExact), 3);
    EXPECT_EQ(CTMGDate::Precision("118200300030000000000"), 2);
    EXPECT_EQ(CTMGDate::Precision(kYear), 1);
    EXPECT_EQ(CTMGDate::Precision("118200005030000000000"), 1); // a day without a month
    EXPECT_EQ(CTMGDate::Precision(kBefore), 0);
    EXPECT_EQ(CTMGDate::Precision(CTMGDate::kEmptyDate), 0);
}

TEST(TMGDate, ToDate) {
    EXPECT_EQ(CTMGDate::ToDate(kExact), Ymd(1820, 3, 5));
    EXPECT_EQ(CTMGDate::ToDate(kBefore), Ymd(1820, 3, 5));
    EXPECT_EQ(CTMGDate::ToDate(kBetween), Ymd(1825, 1, 1)); // ranges use the second date
    EXPECT_EQ(CTMGDate::ToDate(kFromTo), Ymd(1825, 1, 1));
    EXPECT_EQ(CTMGDate::ToDate(kYear), Ymd(1820, 1, 1));
    EXPECT_EQ(CTMGDate::ToDate(CTMGDate::kEmptyDate), Ymd(100, 1, 1));
    EXPECT_EQ(CTMGDate::ToDate("0sometime"), Ymd(100, 1, 1));
    EXPECT_EQ(CTMGDate::ToDate("118200305090000000000"), Ymd(100, 1, 1));  // modifier 9
    EXPECT_EQ(CTMGDate::ToDate("118210230030000000000"), Ymd(1821, 3, 2)); // 30 Feb 1821
    EXPECT_EQ(CTMGDate::ToDate("1182"), Ymd(100, 1, 1));                   // truncated
}

TEST(TMGDate, Building) {
    EXPECT_EQ(CTMGDate::TMGValue("3", Ymd(1820, 3, 5), Ymd(1820, 3, 5)), kExact);
    EXPECT_EQ(CTMGDate::TMGValue("5", Ymd(1820, 1, 2), Ymd(1825, 11, 30)), "118200102051825113000");
    for (const char* bad : {"8", "", "35", "x"})
        hk::test::ExpectError([&] { CTMGDate::TMGValue(bad, Ymd(1820, 1, 1), Ymd(1820, 1, 1)); },
                              -1, "[CTMGDate.TMGValue]", std::string("Can not make format ") + bad);
    EXPECT_THROW(CTMGDate::TMGValue("3", Ymd(10000, 1, 1), Ymd(1820, 1, 1)), Error);
    // A single date ignores the second one.
    EXPECT_EQ(CTMGDate::TMGValuePartial("2", 1820, 0, 0, 1900, 1, 1, 0, 1),
              "118200000020000000000");
    EXPECT_EQ(CTMGDate::TMGValuePartial("7", 1820, 1, 1, 1825, 0, 0, 0, 1),
              "118200101071825000010");
    EXPECT_EQ(CTMGDate::TMGValuePartial("3", 1721, 2, 10, 0, 0, 0, 1, 0), kOldFeb);
    hk::test::ExpectError([] { CTMGDate::TMGValuePartial("9", 1820, 0, 0, 0, 0, 0, 0, 0); }, -1,
                          "[CTMGDate.TMGValuePartial]", "Can not make format 9");
    EXPECT_THROW(CTMGDate::TMGValuePartial("3", 12345, 0, 0, 0, 0, 0, 0, 0), Error);
}

TEST(TMGDate, DayAfterAndBeforeValue) {
    EXPECT_EQ(CTMGDate::DayAfter("118200228030000000000"), "118200229030000000000"); // leap
    EXPECT_EQ(CTMGDate::DayAfter("118211231030000000000"), "118220101030000000000");
    EXPECT_EQ(CTMGDate::DayAfter(kOldFeb), "117210211130000000000"); // keeps old style
    EXPECT_EQ(CTMGDate::DayAfter(kBefore), "118200306030000000000"); // becomes exact
    // A partial date is completed, not moved on.
    EXPECT_EQ(CTMGDate::DayAfter(kYear), "118200101030000000000");
    EXPECT_EQ(CTMGDate::DayAfter("118200101051825061000"), "118250611030000000000");
    EXPECT_EQ(CTMGDate::DayAfter(CTMGDate::kEmptyDate), CTMGDate::kEmptyDate);
    EXPECT_EQ(CTMGDate::DayAfter("0when he left"), "0when he left");
    EXPECT_EQ(CTMGDate::DayAfter("199991231030000000000"), "199991231030000000000");

    EXPECT_EQ(CTMGDate::BeforeValue(kExact), kBefore);
    EXPECT_EQ(CTMGDate::BeforeValue(kBetween), "118200000000000000000");
    EXPECT_EQ(CTMGDate::BeforeValue(kCircaQ), "118200000000000000000"); // question goes too
    EXPECT_EQ(CTMGDate::BeforeValue(kOldFeb), "117210210100000000000"); // old style stays
    EXPECT_EQ(CTMGDate::BeforeValue("118200305030000000000   "), kBefore);
    EXPECT_EQ(CTMGDate::BeforeValue(CTMGDate::kEmptyDate), CTMGDate::kEmptyDate);
    EXPECT_EQ(CTMGDate::BeforeValue("0in the war"), CTMGDate::kEmptyDate);
}

TEST_F(TMGDateDisplay, DisplayForms) {
    EXPECT_EQ(date.DisplayText(kBefore), "before 05 Mar 1820");
    EXPECT_EQ(date.LongDisplayText(kBefore), "before 5 March 1820");
    EXPECT_EQ(date.DisplayText(kBetween), "between 1820 and 1825");
    EXPECT_EQ(date.DisplayText(kOr), "1820 or 1821");
    EXPECT_EQ(date.DisplayText(kFromTo), "from 01 Jan 1820 to 1825");
    EXPECT_EQ(date.LongDisplayText(kFromTo), "from 1 January 1820 to 1825");
    EXPECT_EQ(date.DisplayText(kCircaQ), "circa 1820?");
    EXPECT_EQ(date.DisplayText(CTMGDate::kEmptyDate), "");
    // Old style: 1 January to 24 March show the dual year.
    EXPECT_EQ(date.DisplayText(kOldFeb), "10 Feb 1720/21");
    EXPECT_EQ(date.DisplayText(kOldMar24), "24 Mar 1720/21");
    EXPECT_EQ(date.DisplayText(kOldLady), "25 Mar 1721");
    EXPECT_EQ(date.DisplayText("117000100130000000000"), "Jan 1699/0");
    // Out-of-range components are left out instead of failing.
    EXPECT_EQ(date.DisplayText("118201300030000000000"), "1820");
    EXPECT_EQ(date.DisplayText("1xx"), "");
    // Irregular text is shown cleaned of excluded text.
    EXPECT_EQ(date.DisplayText("0  in the {secret} war "), "in the {secret} war");
    ctx.settings.SetExclusionMode(0);
    EXPECT_EQ(date.DisplayText("0  in the {secret} war "), "in the  war");
}

TEST_F(TMGDateDisplay, CustomFormat) {
    // The start-up format.
    EXPECT_EQ(date.CustomDisplayText(kBefore), "b 5 Mar 1820");
    EXPECT_EQ(date.CustomDisplayText(kYear), "1820");
    EXPECT_EQ(date.CustomDisplayText(kCircaQ), "c 1820?");
    EXPECT_EQ(date.CustomDisplayText(kBetween), "bt 1820 - 1825");
    EXPECT_EQ(date.CustomDisplayText(kOr), "1820 or 1821");
    EXPECT_EQ(date.CustomDisplayText(kFromTo), "fr 1 Jan 1820 - 1825");
    EXPECT_EQ(date.CustomDisplayText(kOldFeb), "10 Feb 1720/21");
    EXPECT_EQ(date.CustomDisplayText("0 about 1820"), "about 1820");

    ASSERT_TRUE(date.SetDisplayFormat("AAAA DD/MM/YYYY"));
    EXPECT_EQ(date.CustomDisplayText(kBefore), "BEFORE 05/03/1820");
    EXPECT_EQ(date.CustomDisplayText(kYear), "__/__/1820");
    EXPECT_EQ(date.CustomDisplayText(kBetween), "BETWEEN __/__/1820 AND __/__/1825");

    // Bracketed text goes with the next component, braced with the one before; trailing
    // plain text counts as braced.
    ASSERT_TRUE(date.SetDisplayFormat("aaa d [of ]Mmm, yyyy."));
    EXPECT_EQ(date.CustomDisplayText(kBefore), "b 5 of Mar, 1820.");
    EXPECT_EQ(date.CustomDisplayText("118200300030000000000"), "of Mar, 1820.");
    EXPECT_EQ(date.CustomDisplayText("118200005030000000000"), "5 1820.");
    EXPECT_EQ(date.CustomDisplayText("100000305030000000000"), "5 of Mar");

    ASSERT_TRUE(date.SetDisplayFormat("Aaaa yyyy-mm-dd"));
    EXPECT_EQ(date.CustomDisplayText(kExact), "1820-03-05");
    EXPECT_EQ(date.CustomDisplayText("118200005030000000000"), "1820-05");
    EXPECT_EQ(date.CustomDisplayText(kFromTo), "from 1820-01-01 to 1825");

    // Year-only layout: a range within one year shows once.
    ASSERT_TRUE(date.SetDisplayFormat("Aaa yyyy"));
    EXPECT_EQ(date.CustomDisplayText("118200305051820120000"), "bt 1820");
    EXPECT_EQ(date.CustomDisplayText(kBetween), "bt 1820 - 1825");

    ASSERT_TRUE(date.SetDisplayFormat("Aaa MMMM d\\d yyy"));
    EXPECT_EQ(date.CustomDisplayText(kBefore), "b MARCH 5d 1820");
}

TEST_F(TMGDateDisplay, InvalidFormatsKeepTheOrder) {
    for (const char* bad : {"d Mmm yyyy", "Aa d Mmm yyy", "Aaa dd Mmmmm yyy", "Aaa Dd Mmm yyy",
                            "Aaa d Mmm yy", "Aaa d Mmm yyy d", "AaA d Mmm yyy", "Aaa Mmm d yyy y"})
        EXPECT_FALSE(date.SetDisplayFormat(bad)) << bad;
    // The order of the last valid format stays in force.
    EXPECT_EQ(date.CustomDisplayText(kBefore), "b 5 Mar 1820");
}

TEST_F(TMGDateDisplay, VocabularyAndPairs) {
    date.SetModifierKeyword(2, "about||abt");
    date.SetRangeConnector(5, "until");
    EXPECT_EQ(date.DisplayText(kCircaQ), "about 1820?");
    EXPECT_EQ(date.DisplayText(kBetween), "between 1820 until 1825");
    // The custom format took its copy of the words when it was set.
    EXPECT_EQ(date.CustomDisplayText(kCircaQ), "c 1820?");
    ASSERT_TRUE(date.SetDisplayFormat("Aaa d Mmm yyy"));
    EXPECT_EQ(date.CustomDisplayText(kCircaQ), "abt 1820?");
    EXPECT_EQ(date.CustomDisplayText(kBetween), "bt 1820 u 1825");

    const char* death = "118800000030000000000";
    EXPECT_EQ(date.DatePairText("b.", kYear, "d.", death), "(1820 - 1880)");
    EXPECT_EQ(date.DatePairText("b.", kYear, "d.", CTMGDate::kEmptyDate), "(1820 - )");
    EXPECT_EQ(date.DatePairText("b.", "", "d.", death), "( - 1880)");
    EXPECT_EQ(date.DatePairText("b.", "", "d.", CTMGDate::kEmptyDate), "");
    date.SetPairBrackets(0);
    EXPECT_EQ(date.DatePairText("b.", kYear, "d.", death), "b.1820, d.1880");
    EXPECT_EQ(date.DatePairText("b.", "", "d.", death), "d.1880");
    date.SetPairBrackets(2);
    EXPECT_EQ(date.DatePairText("b.", kYear, "d.", death), "(1820-1880)");
    // Excluded irregular dates vanish from the pair.
    ctx.settings.SetExclusionMode(0);
    EXPECT_EQ(date.DatePairText("b.", "0-private", "d.", death), "(-1880)");
}

TEST(TMGDate, MonthNamesFromLocale) {
    MonthNames c = MonthNames::FromLocale("C");
    EXPECT_EQ(c.longNames, MonthNames::English().longNames);
    EXPECT_EQ(c.shortNames[9], "Sep");
    EXPECT_EQ(MonthNames::FromLocale("xx_NOWHERE.UTF-8").longNames[5], "May");
    EXPECT_EQ(MonthNames::English().longNames[0], "");
}
