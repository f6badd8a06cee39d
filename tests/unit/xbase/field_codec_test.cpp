// Field encodings: numbers as FoxPro formats them, binary types, dates, logicals, memo
// pointers of both flavors and NULL bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "db_test_files.h"
#include "xbase/db_error.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"

using namespace hk::db;
using hk::db::test::ErrorOf;

namespace {

FieldInfo MakeField(char type, int length, int decimals = 0, uint32_t offset = 1) {
    FieldInfo f;
    f.name = "F";
    f.type = type;
    f.length = static_cast<uint8_t>(length);
    f.decimals = static_cast<uint8_t>(decimals);
    f.offset = offset;
    return f;
}

// A record of '#'s: a write outside the field shows in the neighbouring bytes.
struct Rec {
    uint8_t b[64];
    Rec() { std::memset(b, '#', sizeof b); }
    std::string Field(const FieldInfo& f) const {
        EXPECT_EQ(b[f.offset - 1], '#');
        EXPECT_EQ(b[f.offset + f.length], '#');
        return std::string(FieldBytes(f, b));
    }
};

} // namespace

TEST(JulianDate, DayNumbersAndCalendar) {
    EXPECT_EQ(JulianFromYmd(2000, 1, 1), 2451545);
    EXPECT_EQ(JulianFromYmd(1981, 1, 1), 2444606);
    EXPECT_EQ(JulianFromYmd(1900, 2, 29), 0);
    EXPECT_EQ(JulianFromYmd(2023, 4, 31), 0);
    // Every day from 1582 to 2400 survives the round trip and follows the one before.
    int32_t prev = JulianFromYmd(1581, 12, 31);
    for (int y = 1582; y <= 2400; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                int32_t j = JulianFromYmd(y, m, d);
                ASSERT_EQ(j, prev + 1) << y << "-" << m << "-" << d;
                int yy, mm, dd;
                ASSERT_TRUE(YmdFromJulian(j, yy, mm, dd));
                ASSERT_EQ(yy * 10000 + mm * 100 + dd, y * 10000 + m * 100 + d);
                prev = j;
            }
    EXPECT_EQ(DateFromJulian(JulianFromYmd(9999, 12, 31)), "99991231");
    EXPECT_EQ(DateFromJulian(JulianFromYmd(9999, 12, 31) + 1), "");
    EXPECT_EQ(DateFromJulian(0), "");
    for (const char* bad : {"", "        ", "00000000", "2024022", "2024-2-1", "20241301"})
        EXPECT_EQ(JulianFromDate(bad), 0) << bad;
}

TEST(FieldCodec, NumericTextRoundsAndOverflows) {
    struct Case {
        int length, decimals;
        double value;
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {8, 2, 3.14159, "    3.14", true},    {8, 2, 2.675, "    2.68", true},
        {8, 2, -2.675, "   -2.68", true},     {8, 2, -0.004, "    0.00", true},
        {8, 2, 99999.995, "********", false}, {8, 2, NAN, "********", false},
        {8, 2, -9999.99, "-9999.99", true},   {5, 0, -2.5, "   -3", true},
        {5, 0, 123456, "*****", false},       {3, 2, 0.5, ".50", true}, // a lone 0 gives way
        {4, 2, -0.25, "-.25", true},
    };
    for (const Case& c : cases) {
        Rec r;
        FieldInfo f = MakeField('N', c.length, c.decimals);
        EXPECT_EQ(PutNumber(f, r.b, c.value), c.fits) << c.text;
        EXPECT_EQ(r.Field(f), c.text);
        if (c.fits)
            EXPECT_NEAR(GetNumber(f, r.b), c.value, 0.5001 * std::pow(10, -c.decimals));
        else
            EXPECT_EQ(GetNumber(f, r.b), 0.0) << "'*'s read as 0";
    }
    // Integers beyond a double's precision stay exact.
    Rec r;
    FieldInfo n20 = MakeField('N', 20), n62 = MakeField('F', 6, 2, 30);
    EXPECT_TRUE(PutInteger(n20, r.b, INT64_MIN + 1));
    EXPECT_EQ(r.Field(n20), "-9223372036854775807");
    EXPECT_EQ(GetInteger(n20, r.b), INT64_MIN + 1);
    EXPECT_TRUE(PutInteger(n62, r.b, -12));
    EXPECT_EQ(r.Field(n62), "-12.00");
    EXPECT_FALSE(PutInteger(n62, r.b, 1000));
    // Reading tolerates blanks, NULs and a sign; anything else is 0.
    const std::pair<std::string_view, double> stored[] = {
        {"  -12.75", -12.75}, {{"\0\0+4.5  ", 8}, 4.5}, {"        ", 0}, {"  1x2   ", 0}};
    for (auto [text, value] : stored) {
        FieldInfo n82 = MakeField('N', 8, 2);
        std::memcpy(r.b + 1, text.data(), 8);
        EXPECT_DOUBLE_EQ(GetNumber(n82, r.b), value);
        EXPECT_EQ(GetInteger(n82, r.b), static_cast<int64_t>(value)); // toward zero
    }
}

TEST(FieldCodec, BinaryNumbers) {
    Rec r;
    FieldInfo i = MakeField('I', 4), y = MakeField('Y', 8, 4, 10), b = MakeField('B', 8, 3, 20);
    PutNumber(i, r.b, -2.5);
    EXPECT_EQ(r.Field(i), "\xFD\xFF\xFF\xFF");
    PutInteger(i, r.b, 0x12345678);
    EXPECT_EQ(r.Field(i), "\x78\x56\x34\x12");
    EXPECT_EQ(ErrorOf([&] { PutInteger(i, r.b, int64_t(1) << 31); }), kErrParam);
    EXPECT_EQ(ErrorOf([&] { PutNumber(i, r.b, -3e9); }), kErrParam);
    EXPECT_EQ(GetInteger(i, r.b), 0x12345678); // untouched by the refused writes

    PutNumber(y, r.b, 18.12345); // 181234.5 units: half away from zero at 15 digits
    EXPECT_EQ(r.Field(y), std::string("\xF3\xC3\x02\0\0\0\0\0", 8));
    EXPECT_DOUBLE_EQ(GetNumber(y, r.b), 18.1235);
    PutInteger(y, r.b, -19);
    EXPECT_EQ(GetInteger(y, r.b), -19);

    PutNumber(b, r.b, -1.0 / 3);
    EXPECT_EQ(GetNumber(b, r.b), -1.0 / 3);
    EXPECT_EQ(r.Field(b)[7], '\xBF'); // sign and exponent last: little endian
    EXPECT_EQ(ErrorOf([&] { PutNumber(MakeField('C', 4), r.b, 1); }), kErrParam);
}

TEST(FieldCodec, DatesAndDateTimes) {
    Rec r;
    FieldInfo d = MakeField('D', 8), t = MakeField('T', 8, 0, 11);
    PutDate(d, r.b, "20240229");
    EXPECT_EQ(r.Field(d), "20240229");
    EXPECT_EQ(GetJulian(d, r.b), JulianFromYmd(2024, 2, 29));
    PutDate(d, r.b, "");
    EXPECT_EQ(r.Field(d), "        ");
    EXPECT_EQ(GetDate(d, r.b), "");
    for (const char* stored : {"00000000", "20230229"}) {
        std::memcpy(r.b + 1, stored, 8);
        EXPECT_EQ(GetDate(d, r.b), "") << stored;
    }
    EXPECT_EQ(ErrorOf([&] { PutDate(d, r.b, "20230229"); }), kErrParam);
    PutNumber(d, r.b, 2451545);
    EXPECT_EQ(r.Field(d), "20000101");

    DateTimeValue v{JulianFromYmd(1994, 11, 21), 48939000};
    PutDateTime(t, r.b, v);
    EXPECT_EQ(r.Field(t), std::string("\x0E\x61\x25\x00\xF8\xBF\xEA\x02", 8));
    EXPECT_EQ(GetDateTime(t, r.b), v);
    EXPECT_EQ(GetDate(t, r.b), "19941121");
    EXPECT_DOUBLE_EQ(GetNumber(t, r.b), v.julian + 48939000.0 / 86400000);
    PutDate(t, r.b, "19941121");
    EXPECT_EQ(GetDateTime(t, r.b), (DateTimeValue{v.julian, 0}));
    PutDateTime(t, r.b, {});
    EXPECT_EQ(r.Field(t), std::string(8, '\0'));
    EXPECT_EQ(ErrorOf([&] { PutDateTime(t, r.b, {v.julian, 86400000}); }), kErrParam);
}

TEST(FieldCodec, LogicalsTextAndBlanks) {
    Rec r;
    FieldInfo l = MakeField('L', 1), c = MakeField('C', 5, 0, 3);
    const std::pair<char, Logical> stored[] = {
        {'T', Logical::True},  {'t', Logical::True},  {'Y', Logical::True},  {'y', Logical::True},
        {'F', Logical::False}, {'n', Logical::False}, {' ', Logical::Unset}, {'?', Logical::Unset}};
    for (auto [byte, state] : stored) {
        r.b[1] = static_cast<uint8_t>(byte);
        EXPECT_EQ(GetLogicalState(l, r.b), state) << byte;
    }
    PutLogical(l, r.b, true);
    EXPECT_EQ(r.Field(l), "T");
    PutChar(c, r.b, "ab");
    EXPECT_EQ(r.Field(c), "ab   ");
    PutChar(c, r.b, "\xE9t\xE9-long");
    EXPECT_EQ(r.Field(c), "\xE9t\xE9-l");

    const std::tuple<char, int, DbfFlavor, std::string> blanks[] = {
        {'C', 3, DbfFlavor::Vfp, "   "},
        {'N', 4, DbfFlavor::Vfp, "    "},
        {'L', 1, DbfFlavor::Vfp, " "},
        {'D', 8, DbfFlavor::Vfp, std::string(8, ' ')},
        {'I', 4, DbfFlavor::Vfp, std::string(4, '\0')},
        {'T', 8, DbfFlavor::Vfp, std::string(8, '\0')},
        {'Y', 8, DbfFlavor::Vfp, std::string(8, '\0')},
        {'M', 4, DbfFlavor::Vfp, std::string(4, '\0')},
        {'M', 10, DbfFlavor::Fox2, std::string(10, ' ')},
        {'0', 1, DbfFlavor::Vfp, std::string(1, '\0')},
    };
    for (const auto& [type, length, flavor, bytes] : blanks) {
        Rec fresh;
        FieldInfo f = MakeField(type, length);
        PutBlank(f, fresh.b, flavor);
        EXPECT_EQ(fresh.Field(f), bytes) << type;
    }
}

TEST(FieldCodec, MemoPointersAndNullBits) {
    Rec r;
    FieldInfo vfp = MakeField('M', 4), fox = MakeField('M', 10, 0, 11);
    PutMemoBlock(vfp, r.b, DbfFlavor::Vfp, 0x01020304);
    EXPECT_EQ(r.Field(vfp), "\x04\x03\x02\x01");
    EXPECT_EQ(GetMemoBlock(vfp, r.b, DbfFlavor::Vfp), 0x01020304u);
    PutMemoBlock(fox, r.b, DbfFlavor::Fox2, 12);
    EXPECT_EQ(r.Field(fox), "        12");
    PutMemoBlock(fox, r.b, DbfFlavor::Fox2, 0);
    EXPECT_EQ(r.Field(fox), "          ");
    const std::pair<const char*, uint32_t> stored[] = {{"0000000012", 12},
                                                       {"12        ", 12},
                                                       {"4294967295", 4294967295u},
                                                       {"      12x ", 0},
                                                       {"9999999999", 0}};
    for (auto [text, block] : stored) {
        std::memcpy(r.b + 11, text, 10);
        EXPECT_EQ(GetMemoBlock(fox, r.b, DbfFlavor::Fox2), block) << text;
    }

    // Bit 9 lives in the second flag byte, mask 0x02.
    FieldInfo flags = MakeField('0', 2, 0, 30), a = MakeField('C', 3), b = MakeField('I', 4);
    a.nullBit = 9;
    b.nullBit = 0;
    r.b[30] = r.b[31] = 0;
    SetNull(a, flags, r.b, true);
    EXPECT_EQ(r.b[30], 0);
    EXPECT_EQ(r.b[31], 0x02);
    EXPECT_TRUE(IsNull(a, flags, r.b));
    EXPECT_FALSE(IsNull(b, flags, r.b));
    SetNull(b, flags, r.b, true);
    SetNull(a, flags, r.b, false);
    EXPECT_EQ(r.b[30], 0x01);
    EXPECT_EQ(r.b[31], 0);
    FieldInfo plain = MakeField('C', 1, 0, 40);
    EXPECT_FALSE(IsNull(plain, flags, r.b));
    EXPECT_EQ(ErrorOf([&] { SetNull(plain, flags, r.b, true); }), kErrParam);
}
