// Field encodings: numbers as FoxPro formats them, binary types, dates, logicals, memo
// pointers of both flavors and NULL bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "db/db_error.h"
#include "db/field_codec.h"
#include "db/julian_date.h"

using namespace hk::db;

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

// A record with guard bytes around the field, to catch writes outside it.
struct Rec {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(64, '#');
    uint8_t* data() { return bytes.data(); }
    std::string Field(const FieldInfo& f) const {
        EXPECT_EQ(bytes[f.offset - 1], '#');
        EXPECT_EQ(bytes[f.offset + f.length], '#');
        return std::string(FieldBytes(f, bytes.data()));
    }
};

long ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const DbError& e) {
        return e.Number();
    }
    return 0;
}

} // namespace

TEST(JulianDate, DayNumbersAndCalendar) {
    EXPECT_EQ(JulianFromYmd(2000, 1, 1), 2451545);
    EXPECT_EQ(JulianFromYmd(1981, 1, 1), 2444606);
    EXPECT_EQ(JulianFromYmd(1, 1, 1), 1721426);
    EXPECT_EQ(JulianFromYmd(1900, 2, 29), 0);
    EXPECT_NE(JulianFromYmd(2000, 2, 29), 0);
    EXPECT_EQ(JulianFromYmd(2023, 4, 31), 0);
    EXPECT_EQ(JulianFromYmd(10000, 1, 1), 0);
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
    EXPECT_EQ(DateFromJulian(2451545), "20000101");
    EXPECT_EQ(DateFromJulian(JulianFromYmd(9999, 12, 31)), "99991231");
    EXPECT_EQ(DateFromJulian(0), "");
    EXPECT_EQ(DateFromJulian(JulianFromYmd(9999, 12, 31) + 1), "");
    EXPECT_EQ(JulianFromDate("20240229"), JulianFromYmd(2024, 2, 29));
    for (const char* bad : {"", "        ", "00000000", "2024022", "2024-2-1", "20241301", "2024 229"})
        EXPECT_EQ(JulianFromDate(bad), 0) << bad;
}

TEST(FieldCodec, NumericTextRoundsAndOverflows) {
    FieldInfo n82 = MakeField('N', 8, 2);
    Rec r;
    struct Case {
        double value;
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {3.14159, "    3.14", true}, {2.675, "    2.68", true},   {-2.675, "   -2.68", true},
        {0.005, "    0.01", true},   {-0.004, "    0.00", true}, {99999.995, "********", false},
        {-9999.99, "-9999.99", true}, {1e300, "********", false}, {NAN, "********", false},
        {12345.5, "12345.50", true}, {0, "    0.00", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PutNumber(n82, r.data(), c.value), c.fits) << c.text;
        EXPECT_EQ(r.Field(n82), c.text);
    }
    // No decimals: half away from zero on both sides.
    FieldInfo n5 = MakeField('N', 5, 0, 11);
    PutNumber(n5, r.data(), 2.5);
    EXPECT_EQ(r.Field(n5), "    3");
    PutNumber(n5, r.data(), -2.5);
    EXPECT_EQ(r.Field(n5), "   -3");
    EXPECT_FALSE(PutNumber(n5, r.data(), 123456));
    EXPECT_EQ(r.Field(n5), "*****");
    // A lone leading zero gives way before the value overflows.
    FieldInfo n32 = MakeField('F', 3, 2, 18);
    EXPECT_TRUE(PutNumber(n32, r.data(), 0.5));
    EXPECT_EQ(r.Field(n32), ".50");
    EXPECT_DOUBLE_EQ(GetNumber(n32, r.data()), 0.5);
    FieldInfo n42 = MakeField('N', 4, 2, 23);
    EXPECT_TRUE(PutNumber(n42, r.data(), -0.25));
    EXPECT_EQ(r.Field(n42), "-.25");
    EXPECT_DOUBLE_EQ(GetNumber(n42, r.data()), -0.25);

    // Exact integers beyond a double's precision.
    FieldInfo n20 = MakeField('N', 20, 0, 29);
    EXPECT_TRUE(PutInteger(n20, r.data(), INT64_MAX));
    EXPECT_EQ(r.Field(n20), " 9223372036854775807");
    EXPECT_EQ(GetInteger(n20, r.data()), INT64_MAX);
    EXPECT_TRUE(PutInteger(n20, r.data(), INT64_MIN));
    EXPECT_EQ(GetInteger(n20, r.data()), INT64_MIN);
    FieldInfo n62 = MakeField('N', 6, 2, 51);
    EXPECT_TRUE(PutInteger(n62, r.data(), -12));
    EXPECT_EQ(r.Field(n62), "-12.00");
    EXPECT_FALSE(PutInteger(n62, r.data(), 1000));
    EXPECT_EQ(GetInteger(n62, r.data()), 0); // '*'s read as 0

    // Reading: blanks, NULs, a sign, and truncation toward zero.
    std::memcpy(r.data() + 1, "  -12.75", 8);
    EXPECT_DOUBLE_EQ(GetNumber(n82, r.data()), -12.75);
    EXPECT_EQ(GetInteger(n82, r.data()), -12);
    std::memcpy(r.data() + 1, "\0\0\0\0+4.5", 8);
    EXPECT_DOUBLE_EQ(GetNumber(n82, r.data()), 4.5);
    std::memcpy(r.data() + 1, "        ", 8);
    EXPECT_EQ(GetNumber(n82, r.data()), 0.0);
    std::memcpy(r.data() + 1, "  1x2   ", 8);
    EXPECT_EQ(GetInteger(n82, r.data()), 0);
}

TEST(FieldCodec, BinaryNumbers) {
    Rec r;
    FieldInfo i = MakeField('I', 4);
    PutNumber(i, r.data(), -2.5);
    EXPECT_EQ(r.Field(i), std::string("\xFD\xFF\xFF\xFF", 4));
    EXPECT_EQ(GetInteger(i, r.data()), -3);
    EXPECT_TRUE(PutInteger(i, r.data(), 0x12345678));
    EXPECT_EQ(r.Field(i), "\x78\x56\x34\x12");
    EXPECT_EQ(ErrorOf([&] { PutInteger(i, r.data(), int64_t(1) << 31); }), kErrParam);
    EXPECT_EQ(ErrorOf([&] { PutNumber(i, r.data(), -3e9); }), kErrParam);
    EXPECT_EQ(GetInteger(i, r.data()), 0x12345678); // untouched by the refused writes

    FieldInfo y = MakeField('Y', 8, 4, 7);
    PutNumber(y, r.data(), 18.12345); // 181234.5 units, half away from zero
    EXPECT_EQ(r.Field(y), std::string("\xF3\xC3\x02\0\0\0\0\0", 8));
    EXPECT_DOUBLE_EQ(GetNumber(y, r.data()), 18.1235);
    PutInteger(y, r.data(), -19);
    EXPECT_DOUBLE_EQ(GetNumber(y, r.data()), -19.0);
    EXPECT_EQ(GetInteger(y, r.data()), -19);

    FieldInfo b = MakeField('B', 8, 3, 17);
    PutNumber(b, r.data(), -1.0 / 3);
    EXPECT_EQ(GetNumber(b, r.data()), -1.0 / 3);
    EXPECT_EQ(r.Field(b)[7], '\xBF'); // sign and exponent in the last byte: little endian
    EXPECT_EQ(GetInteger(b, r.data()), 0);

    FieldInfo c = MakeField('C', 4, 0, 27);
    EXPECT_EQ(ErrorOf([&] { PutNumber(c, r.data(), 1); }), kErrParam);
}

TEST(FieldCodec, DatesAndDateTimes) {
    Rec r;
    FieldInfo d = MakeField('D', 8);
    PutDate(d, r.data(), "20240229");
    EXPECT_EQ(r.Field(d), "20240229");
    EXPECT_EQ(GetDate(d, r.data()), "20240229");
    EXPECT_EQ(GetJulian(d, r.data()), JulianFromYmd(2024, 2, 29));
    EXPECT_DOUBLE_EQ(GetNumber(d, r.data()), JulianFromYmd(2024, 2, 29));
    PutDate(d, r.data(), "");
    EXPECT_EQ(r.Field(d), "        ");
    EXPECT_EQ(GetDate(d, r.data()), "");
    std::memcpy(r.data() + 1, "00000000", 8);
    EXPECT_EQ(GetJulian(d, r.data()), 0);
    std::memcpy(r.data() + 1, "20230229", 8); // stored but not a date
    EXPECT_EQ(GetDate(d, r.data()), "");
    EXPECT_EQ(ErrorOf([&] { PutDate(d, r.data(), "20230229"); }), kErrParam);
    PutNumber(d, r.data(), 2451545);
    EXPECT_EQ(r.Field(d), "20000101");

    FieldInfo t = MakeField('T', 8, 0, 11);
    DateTimeValue v{JulianFromYmd(1994, 11, 21), 48939000};
    PutDateTime(t, r.data(), v);
    EXPECT_EQ(r.Field(t), std::string("\x0E\x61\x25\x00\xF8\xBF\xEA\x02", 8));
    EXPECT_EQ(GetDateTime(t, r.data()), v);
    EXPECT_EQ(GetDate(t, r.data()), "19941121");
    EXPECT_DOUBLE_EQ(GetNumber(t, r.data()), v.julian + 48939000.0 / 86400000);
    PutDate(t, r.data(), "19941121");
    EXPECT_EQ(GetDateTime(t, r.data()), (DateTimeValue{v.julian, 0}));
    PutDateTime(t, r.data(), {});
    EXPECT_EQ(r.Field(t), std::string(8, '\0'));
    EXPECT_EQ(GetDate(t, r.data()), "");
    EXPECT_EQ(ErrorOf([&] { PutDateTime(t, r.data(), {v.julian, 86400000}); }), kErrParam);
    // A date field asked for a datetime gives midnight.
    PutDate(d, r.data(), "19941121");
    EXPECT_EQ(GetDateTime(d, r.data()), (DateTimeValue{v.julian, 0}));
}

TEST(FieldCodec, LogicalsTextAndBlanks) {
    Rec r;
    FieldInfo l = MakeField('L', 1);
    for (char c : std::string("TtYy")) {
        r.bytes[1] = static_cast<uint8_t>(c);
        EXPECT_EQ(GetLogicalState(l, r.data()), Logical::True) << c;
    }
    for (char c : std::string("FfNn")) {
        r.bytes[1] = static_cast<uint8_t>(c);
        EXPECT_EQ(GetLogicalState(l, r.data()), Logical::False) << c;
    }
    for (char c : std::string(" ?\0", 3)) {
        r.bytes[1] = static_cast<uint8_t>(c);
        EXPECT_EQ(GetLogicalState(l, r.data()), Logical::Unset);
        EXPECT_FALSE(GetLogical(l, r.data()));
    }
    PutLogical(l, r.data(), true);
    EXPECT_EQ(r.Field(l), "T");
    PutLogical(l, r.data(), false);
    EXPECT_EQ(r.Field(l), "F");

    FieldInfo c = MakeField('C', 5, 0, 3);
    PutChar(c, r.data(), "ab");
    EXPECT_EQ(r.Field(c), "ab   ");
    PutChar(c, r.data(), "\xE9t\xE9-long");
    EXPECT_EQ(r.Field(c), "\xE9t\xE9-l");

    // Blank values per type and flavor.
    struct Blank {
        char type;
        int length;
        DbfFlavor flavor;
        std::string bytes;
    };
    const Blank blanks[] = {
        {'C', 3, DbfFlavor::Vfp, "   "},          {'N', 4, DbfFlavor::Vfp, "    "},
        {'D', 8, DbfFlavor::Vfp, "        "},     {'L', 1, DbfFlavor::Vfp, " "},
        {'I', 4, DbfFlavor::Vfp, std::string(4, '\0')}, {'T', 8, DbfFlavor::Vfp, std::string(8, '\0')},
        {'Y', 8, DbfFlavor::Vfp, std::string(8, '\0')}, {'B', 8, DbfFlavor::Vfp, std::string(8, '\0')},
        {'M', 4, DbfFlavor::Vfp, std::string(4, '\0')}, {'M', 10, DbfFlavor::Fox2, std::string(10, ' ')},
        {'G', 4, DbfFlavor::Vfp, std::string(4, '\0')}, {'0', 1, DbfFlavor::Vfp, std::string(1, '\0')},
    };
    for (const Blank& b : blanks) {
        Rec fresh;
        FieldInfo f = MakeField(b.type, b.length);
        PutBlank(f, fresh.data(), b.flavor);
        EXPECT_EQ(fresh.Field(f), b.bytes) << b.type;
    }
}

TEST(FieldCodec, MemoPointersAndNullBits) {
    Rec r;
    FieldInfo vfp = MakeField('M', 4);
    PutMemoBlock(vfp, r.data(), DbfFlavor::Vfp, 0x01020304);
    EXPECT_EQ(r.Field(vfp), "\x04\x03\x02\x01");
    EXPECT_EQ(GetMemoBlock(vfp, r.data(), DbfFlavor::Vfp), 0x01020304u);

    FieldInfo fox = MakeField('M', 10, 0, 11);
    PutMemoBlock(fox, r.data(), DbfFlavor::Fox2, 12);
    EXPECT_EQ(r.Field(fox), "        12");
    EXPECT_EQ(GetMemoBlock(fox, r.data(), DbfFlavor::Fox2), 12u);
    PutMemoBlock(fox, r.data(), DbfFlavor::Fox2, 0);
    EXPECT_EQ(r.Field(fox), "          ");
    EXPECT_EQ(GetMemoBlock(fox, r.data(), DbfFlavor::Fox2), 0u);
    PutMemoBlock(fox, r.data(), DbfFlavor::Fox2, 4294967295u);
    EXPECT_EQ(GetMemoBlock(fox, r.data(), DbfFlavor::Fox2), 4294967295u);
    const std::pair<const char*, uint32_t> stored[] = {
        {"0000000012", 12}, {"12        ", 12}, {"      12x ", 0}, {"9999999999", 0}};
    for (auto [text, block] : stored) {
        std::memcpy(r.data() + 11, text, 10);
        EXPECT_EQ(GetMemoBlock(fox, r.data(), DbfFlavor::Fox2), block) << text;
    }

    // Bit 9 lives in the second flag byte, mask 0x02.
    FieldInfo flags = MakeField('0', 2, 0, 30);
    FieldInfo a = MakeField('C', 3), b = MakeField('I', 4, 0, 4), plain = MakeField('C', 1, 0, 40);
    a.nullBit = 9;
    b.nullBit = 0;
    r.bytes[30] = r.bytes[31] = 0;
    SetNull(a, flags, r.data(), true);
    EXPECT_EQ(r.bytes[30], 0);
    EXPECT_EQ(r.bytes[31], 0x02);
    EXPECT_TRUE(IsNull(a, flags, r.data()));
    EXPECT_FALSE(IsNull(b, flags, r.data()));
    SetNull(b, flags, r.data(), true);
    SetNull(a, flags, r.data(), false);
    EXPECT_EQ(r.bytes[30], 0x01);
    EXPECT_EQ(r.bytes[31], 0);
    EXPECT_FALSE(IsNull(plain, flags, r.data()));
    EXPECT_EQ(ErrorOf([&] { SetNull(plain, flags, r.data(), true); }), kErrParam);
}
