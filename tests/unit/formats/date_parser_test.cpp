#include <gtest/gtest.h>

#include "formats/date_parser.h"
#include "formats/format_context.h"

using namespace hk;

namespace {
struct Parsed {
    int modifier, year, month, day;
    bool dual;
    bool operator==(const Parsed&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Parsed& p) {
    return os << p.modifier << "/" << p.year << "-" << p.month << "-" << p.day
              << (p.dual ? " dual" : "");
}
Parsed Parse(std::string_view text) {
    CDateParser p;
    EXPECT_TRUE(p.Parse(text)) << text;
    EXPECT_TRUE(p.OK());
    return {p.Modifier(), p.Year(), p.Month(), p.Day(), p.DualYear()};
}
std::string ErrorOf(std::string_view text) {
    try {
        CDateParser().Parse(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.Source(), "CDateParser.ParseGregorian");
        return e.Description();
    }
    return "(no error)";
}
} // namespace

TEST(DateParser, UnderstoodTexts) {
    EXPECT_EQ(Parse("1820"), (Parsed{3, 1820, 0, 0, false}));
    EXPECT_EQ(Parse("Mar 1820"), (Parsed{3, 1820, 3, 0, false}));
    EXPECT_EQ(Parse("10 Feb 1820"), (Parsed{3, 1820, 2, 10, false}));
    EXPECT_EQ(Parse("Feb. 10, 1820"), (Parsed{3, 1820, 2, 10, false}));
    EXPECT_EQ(Parse("10feb1820"), (Parsed{3, 1820, 2, 10, false}));
    EXPECT_EQ(Parse("Abt 1820"), (Parsed{2, 1820, 0, 0, false}));
    EXPECT_EQ(Parse("bef. 5 January 1820"), (Parsed{0, 1820, 1, 5, false}));
    EXPECT_EQ(Parse("AFTER Sept 1820"), (Parsed{4, 1820, 9, 0, false}));
    EXPECT_EQ(Parse("est 1820 AD"), (Parsed{1, 1820, 0, 0, false}));
    EXPECT_EQ(Parse("Sept 10 1820"), (Parsed{3, 1820, 9, 10, false}));
    EXPECT_EQ(Parse("  December 1820 "), (Parsed{3, 1820, 12, 0, false}));
    EXPECT_EQ(Parse("10 Feb 1720/21"), (Parsed{3, 1720, 2, 10, true}));
    EXPECT_EQ(Parse("1720/1721"), (Parsed{3, 1720, 0, 0, true}));
    EXPECT_EQ(Parse("Jan 1699/00"), (Parsed{3, 1699, 1, 0, true})); // century turn
    EXPECT_EQ(Parse("Jan 1699/0"), (Parsed{3, 1699, 1, 0, true}));
    EXPECT_EQ(Parse(""), (Parsed{3, 0, 0, 0, false}));
    EXPECT_EQ(CDateParser::ModifierName(7), "from/to");
    EXPECT_EQ(CDateParser::ModifierName(3), "exact");
    EXPECT_EQ(CDateParser::ModifierName(8), "");
}

TEST(DateParser, NotUnderstoodWithoutError) {
    for (const char* text :
         {"44 BC", "Abt 44 BC", "between 1820 and 1825", "#1820", "Someday", "c 1820", "Ju 1820"}) {
        CDateParser p;
        bool ok = true;
        EXPECT_NO_THROW(ok = p.Parse(text)) << text;
        EXPECT_FALSE(ok) << text;
        EXPECT_FALSE(p.OK()) << text;
    }
}

TEST(DateParser, ErrorTexts) {
    EXPECT_EQ(ErrorOf("1820x"), "Invalid year in date (1820x)");
    EXPECT_EQ(ErrorOf("Jan Feb"), "Invalid year in date (Jan Feb)");
    EXPECT_EQ(ErrorOf("10 Foo 1820"), "Invalid month in date (10 Foo 1820)");
    EXPECT_EQ(ErrorOf("10/2/1820"), "Invalid month in date (10/2/1820)");
    EXPECT_EQ(ErrorOf("Feb X 1820"), "Invalid day in date (Feb X 1820)");
    EXPECT_EQ(ErrorOf("1 2 3 4"), "Invalid date or date format (1 2 3 4)");
    EXPECT_EQ(ErrorOf("Abt"), "Invalid date or date format (Abt)");
    EXPECT_EQ(ErrorOf("10 Feb 1720/22"), "Invalid dual years in date (10 Feb 1720/22)");
    EXPECT_EQ(ErrorOf("10 Feb / 1720"), "Invalid / in date (10 Feb / 1720)");
    EXPECT_EQ(ErrorOf("1720/ab"), "Invalid / in date (1720/ab)");
    // Components that cannot be stored are refused rather than written over the layout.
    EXPECT_EQ(ErrorOf("45 Feb 1820"), "Invalid day in date (45 Feb 1820)");
    EXPECT_EQ(ErrorOf("12345"), "Invalid year in date (12345)");
}

TEST(DateParser, TextToTMGDate) {
    EXPECT_EQ(TextToTMGDate("10 Feb 1720/21"), "117210210130000000000");
    EXPECT_EQ(TextToTMGDate("Abt 1820"), "118200000020000000000");
    EXPECT_EQ(TextToTMGDate(""), CTMGDate::kEmptyDate);
    EXPECT_EQ(TextToTMGDate("44 BC"), "044 BC");
    EXPECT_EQ(TextToTMGDate("10 Foo 1820"), "010 Foo 1820");
    EXPECT_EQ(TextToTMGDate("9999/10000"), "09999/10000");
}

TEST(DateParser, DisplayedDatesParseBack) {
    FormatContext ctx(MonthNames::English());
    const char* values[] = {
        "118200305030000000000", "118200305000000000000", "118200300010000000000",
        "118200000020000000000", "118201231040000000000", "117210210130000000000",
        "117000100130000000000", "117210000130000000000", "100010101030000000000",
    };
    for (const char* v : values) {
        EXPECT_EQ(TextToTMGDate(ctx.date.DisplayText(v)), v) << ctx.date.DisplayText(v);
        EXPECT_EQ(TextToTMGDate(ctx.date.LongDisplayText(v)), v) << ctx.date.LongDisplayText(v);
    }
}
