#include "xbase/expr/expr_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace hk::db::expr {
namespace {

// A magnitude as decimal digits: value = 0.d[0..n) x 10^exp, no trailing zeros; n == 0 is zero.
struct Digits {
    char d[24];
    int n = 0;
    int exp = 0;
    bool neg = false;
};

constexpr int kMaxDecimals = 18;

void StripTrailingZeros(Digits& x) {
    while (x.n > 0 && x.d[x.n - 1] == '0')
        --x.n;
}

// Integers below 2^63 are taken digit for digit (keys such as STR(PER_NO) must be exact);
// anything else through its 15 significant digits, which is what FoxPro shows of a double.
Digits ToDigits(double v) {
    Digits x;
    x.neg = v < 0;
    double a = std::fabs(v);
    if (a == 0)
        return x;
    if (a < 9.2e18 && a == std::trunc(a)) {
        auto u = static_cast<uint64_t>(a);
        char tmp[24];
        int len = 0;
        while (u > 0) {
            tmp[len++] = static_cast<char>('0' + u % 10);
            u /= 10;
        }
        for (int i = 0; i < len; ++i)
            x.d[i] = tmp[len - 1 - i];
        x.n = len;
        x.exp = len;
    } else {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.14e", a); // d.dddddddddddddde+XX
        x.d[0] = buf[0];
        for (int i = 0; i < 14; ++i)
            x.d[1 + i] = buf[2 + i];
        x.n = 15;
        x.exp = std::atoi(buf + 17) + 1;
    }
    StripTrailingZeros(x);
    return x;
}

// Keeps the first `keep` digits, rounding the half away from zero.
void RoundAt(Digits& x, int keep) {
    if (keep >= x.n)
        return;
    bool up = keep >= 0 && x.d[keep] >= '5';
    x.n = std::max(keep, 0);
    if (up) {
        int i = x.n - 1;
        while (i >= 0 && x.d[i] == '9')
            --i;
        if (i < 0) {
            x.d[0] = '1';
            x.n = 1;
            x.exp += 1;
        } else {
            x.d[i] = static_cast<char>(x.d[i] + 1);
            x.n = i + 1;
        }
    }
    StripTrailingZeros(x);
}

char DigitAt(const Digits& x, int pos) {
    return pos >= 0 && pos < x.n ? x.d[pos] : '0';
}

int IntegerLength(const Digits& x) {
    return std::max(x.exp, 1) + (x.neg && x.n > 0 ? 1 : 0);
}

// Appends the rounded digits as fixed-point text with `decimals` decimals.
void AppendFixed(const Digits& x, int decimals, std::string& out) {
    if (x.neg && x.n > 0)
        out += '-';
    if (x.exp <= 0)
        out += '0';
    for (int i = 0; i < x.exp; ++i)
        out += DigitAt(x, i);
    if (decimals > 0) {
        out += '.';
        for (int j = 0; j < decimals; ++j)
            out += DigitAt(x, x.exp + j);
    }
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

constexpr double kJdnUnixEpoch = 2440588; // 1970-01-01
constexpr double kFirstJdn = 1721426;     // 0001-01-01
constexpr double kLastJdn = 5373484;      // 9999-12-31

void AppendNumber(int value, int width, std::string& out) {
    char buf[12];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, width);
}

// Reads up to `maxDigits` digits starting at `i`; -1 when there is none.
int ReadNumber(std::string_view s, size_t& i, int maxDigits, int& digits) {
    int value = 0;
    digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < maxDigits) {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

} // namespace

void FormatStr(double value, int width, int decimals, std::string& out) {
    out.clear();
    if (width <= 0)
        return;
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (!std::isfinite(value)) {
        out.assign(width, '*');
        return;
    }
    const Digits base = ToDigits(value);
    for (;;) {
        Digits x = base;
        RoundAt(x, x.exp + decimals);
        int intLength = IntegerLength(x);
        int total = intLength + (decimals > 0 ? decimals + 1 : 0);
        if (total <= width) {
            out.append(width - total, ' ');
            AppendFixed(x, decimals, out);
            return;
        }
        if (decimals == 0) {
            out.assign(width, '*');
            return;
        }
        int fit = width - intLength - 1;
        decimals = fit >= 1 ? fit : 0;
    }
}

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    if (decimals >= 0 && value == std::trunc(value))
        return value;
    decimals = std::clamp(decimals, -kMaxDecimals, kMaxDecimals);
    Digits x = ToDigits(value);
    RoundAt(x, x.exp + decimals);
    if (x.n == 0)
        return 0;
    char buf[48];
    int len = 0;
    if (x.neg)
        buf[len++] = '-';
    for (int i = 0; i < x.n; ++i)
        buf[len++] = x.d[i];
    buf[len++] = 'e';
    char* end = std::to_chars(buf + len, buf + sizeof buf, x.exp - x.n).ptr;
    double result = 0;
    std::from_chars(buf, end, result);
    return result;
}

void FormatNumber(double value, int decimals, std::string& out) {
    out.clear();
    if (!std::isfinite(value)) {
        out.push_back('*');
        return;
    }
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    Digits x = ToDigits(value);
    RoundAt(x, x.exp + decimals);
    AppendFixed(x, decimals, out);
}

double ParseVal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        neg = text[i++] == '-';
    size_t start = i;
    bool anyDigit = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        anyDigit = true;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    double value = 0;
    std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
    return neg ? -value : value;
}

double JulianDay(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return 0;
    // Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's days_from_civil).
    int y = month <= 2 ? year - 1 : year;
    int era = y / 400;
    int yoe = y - era * 400;
    int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era) * 146097 + doe - 719468 + kJdnUnixEpoch;
}

bool CivilDate(double jdn, int& year, int& month, int& day) {
    if (!(jdn >= kFirstJdn && jdn < kLastJdn + 1))
        return false;
    long z = static_cast<long>(std::floor(jdn) - kJdnUnixEpoch) + 719468;
    long era = z / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return true;
}

void AppendDtos(double jdn, std::string& out) {
    int y, m, d;
    if (!CivilDate(jdn, y, m, d)) {
        out.append(8, ' ');
        return;
    }
    AppendNumber(y, 4, out);
    AppendNumber(m, 2, out);
    AppendNumber(d, 2, out);
}

void AppendDtoc(double jdn, std::string& out) {
    int y, m, d;
    if (!CivilDate(jdn, y, m, d)) {
        out.append("  /  /  ");
        return;
    }
    AppendNumber(m, 2, out);
    out += '/';
    AppendNumber(d, 2, out);
    out += '/';
    AppendNumber(y % 100, 2, out);
}

double ParseStod(std::string_view text) {
    if (text.size() < 8)
        return 0;
    size_t i = 0;
    int digits;
    int y = ReadNumber(text, i, 4, digits);
    int m = digits == 4 ? ReadNumber(text, i, 2, digits) : -1;
    int d = digits == 2 ? ReadNumber(text, i, 2, digits) : -1;
    if (y < 0 || m < 0 || d < 0 || digits != 2)
        return 0;
    return JulianDay(y, m, d);
}

double ParseCtod(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int parts[3];
    int yearDigits = 0;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (i >= text.size() || (text[i] >= '0' && text[i] <= '9'))
                return 0;
            ++i; // the separator
        }
        parts[k] = ReadNumber(text, i, k == 2 ? 4 : 2, yearDigits);
        if (parts[k] < 0)
            return 0;
    }
    int year = parts[2];
    if (yearDigits <= 2)
        year += 1900;
    return JulianDay(year, parts[0], parts[1]);
}

} // namespace hk::db::expr
