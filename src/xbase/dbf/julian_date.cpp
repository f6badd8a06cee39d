#include "xbase/dbf/julian_date.h"

namespace hk::db {

namespace {
constexpr int32_t kFirstJdn = 1721426; // 0001-01-01
constexpr int32_t kLastJdn = 5373484;  // 9999-12-31
} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int32_t JulianFromYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month))
        return 0;
    // Fliegel & Van Flandern, with March as the first month so leap days come last.
    int a = (14 - month) / 12;
    int64_t y = year + 4800 - a;
    int64_t m = month + 12 * a - 3;
    return static_cast<int32_t>(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 -
                                32045);
}

bool YmdFromJulian(int32_t jdn, int& year, int& month, int& day) {
    if (jdn < kFirstJdn || jdn > kLastJdn) {
        year = month = day = 0;
        return false;
    }
    int64_t a = jdn + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t d = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * d / 4;
    int64_t m = (5 * e + 2) / 153;
    day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    month = static_cast<int>(m + 3 - 12 * (m / 10));
    year = static_cast<int>(100 * b + d - 4800 + m / 10);
    return true;
}

int32_t JulianFromDate(std::string_view s) {
    if (s.size() != 8)
        return 0;
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        v[i] = s[i] - '0';
    }
    int year = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    int month = v[4] * 10 + v[5];
    int day = v[6] * 10 + v[7];
    return JulianFromYmd(year, month, day);
}

std::string DateFromJulian(int32_t jdn) {
    int y, m, d;
    if (!YmdFromJulian(jdn, y, m, d))
        return {};
    std::string out(8, '0');
    for (int i = 3; i >= 0; --i, y /= 10)
        out[i] = static_cast<char>('0' + y % 10);
    out[4] = static_cast<char>('0' + m / 10);
    out[5] = static_cast<char>('0' + m % 10);
    out[6] = static_cast<char>('0' + d / 10);
    out[7] = static_cast<char>('0' + d % 10);
    return out;
}

} // namespace hk::db
