#include "xbase/dbf/field_codec.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "xbase/db_error.h"
#include "xbase/dbf/julian_date.h"
#include "xbase/io/byte_order.h"

namespace hk::db {

namespace {

constexpr int32_t kMillisPerDay = 86400000;

[[noreturn]] void Reject(const FieldInfo& f, const std::string& what) {
    throw DbError(kErrParam, "", "field " + f.name + ": " + what);
}

// Numeric text without the blanks (and NULs some writers leave) around it.
std::string_view NumberText(const FieldInfo& f, const uint8_t* rec) {
    std::string_view s = FieldBytes(f, rec);
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\0'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0'))
        --e;
    return s.substr(b, e - b);
}

// 0 for text that is not wholly a number (e.g. the '*'s of an overflow).
double ParseDouble(std::string_view s) {
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() ? v : 0.0;
}

// Exact for integer text; nullopt when the text has a fraction or is not an integer.
bool ParseInt64(std::string_view s, int64_t& out) {
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

void FillStars(const FieldInfo& f, uint8_t* rec) {
    std::memset(rec + f.offset, '*', f.length);
}

void PutRightAligned(const FieldInfo& f, uint8_t* rec, std::string_view text) {
    uint8_t* p = rec + f.offset;
    size_t pad = f.length - text.size();
    std::memset(p, ' ', pad);
    std::memcpy(p + pad, text.data(), text.size());
}

// Stores sign, integer digits and `decimals` fraction digits (the last `decimals` characters
// of `digits`) right aligned; drops a lone leading zero before trying '*'s.
bool PutDecimalDigits(const FieldInfo& f, uint8_t* rec, bool negative, std::string digits) {
    int dec = f.decimals;
    if (static_cast<int>(digits.size()) <= dec)
        digits.insert(0, dec + 1 - digits.size(), '0');
    bool isZero = digits.find_first_not_of('0') == std::string::npos;
    std::string text;
    if (negative && !isZero)
        text += '-';
    text.append(digits, 0, digits.size() - dec);
    if (dec > 0) {
        text += '.';
        text.append(digits, digits.size() - dec, dec);
    }
    if (text.size() > f.length && dec > 0) {
        size_t zero = negative && !isZero ? 1 : 0;
        if (text[zero] == '0' && text[zero + 1] == '.')
            text.erase(zero, 1);
    }
    if (text.size() > f.length) {
        FillStars(f, rec);
        return false;
    }
    PutRightAligned(f, rec, text);
    return true;
}

// Digits of |v| rounded half away from zero to `dec` decimals, judged on 15 significant
// digits so that 2.675 (stored as 2.67499999...) rounds to 2.68 as FoxPro shows it.
std::string RoundedDigits(double a, int dec) {
    if (a == 0)
        return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", a);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exp10 = std::atoi(p + 1);
    int keep = exp10 + 1 + dec;
    if (keep < 0)
        return "0";
    if (keep >= static_cast<int>(digits.size())) {
        digits.append(keep - digits.size(), '0');
        return digits;
    }
    bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0)
            ++digits[i];
        else
            digits.insert(digits.begin(), '1');
    }
    return digits.empty() ? "0" : digits;
}

// v rounded half away from zero to `dec` decimals, as an integer count of 10^-dec units.
bool RoundToUnits(double v, int dec, int64_t& out) {
    if (!std::isfinite(v) || std::fabs(v) * std::pow(10.0, dec) >= 9.2e18)
        return false;
    std::string digits = RoundedDigits(std::fabs(v), dec);
    int64_t units = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), units);
    out = v < 0 ? -units : units;
    return true;
}

void PutInt32(const FieldInfo& f, uint8_t* rec, int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX)
        Reject(f, "value out of range for an integer field");
    StoreLe32(rec + f.offset, static_cast<uint32_t>(static_cast<int32_t>(v)));
}

bool HasWidth(const FieldInfo& f, unsigned n) {
    return f.length >= n;
}

} // namespace

std::string_view FieldBytes(const FieldInfo& f, const uint8_t* rec) {
    return {reinterpret_cast<const char*>(rec + f.offset), f.length};
}

double GetNumber(const FieldInfo& f, const uint8_t* rec) {
    const uint8_t* p = rec + f.offset;
    switch (f.type) {
    case 'N':
    case 'F':
        return ParseDouble(NumberText(f, rec));
    case 'I':
        return HasWidth(f, 4) ? static_cast<int32_t>(LoadLe32(p)) : 0;
    case 'B':
        return HasWidth(f, 8) ? LoadLeDouble(p) : 0;
    case 'Y':
        return HasWidth(f, 8) ? static_cast<double>(static_cast<int64_t>(LoadLe64(p))) / 1e4 : 0;
    case 'D':
        return GetJulian(f, rec);
    case 'T': {
        DateTimeValue dt = GetDateTime(f, rec);
        return dt.julian + static_cast<double>(dt.millis) / kMillisPerDay;
    }
    default:
        return 0;
    }
}

int64_t GetInteger(const FieldInfo& f, const uint8_t* rec) {
    switch (f.type) {
    case 'N':
    case 'F': {
        std::string_view s = NumberText(f, rec);
        int64_t v;
        if (ParseInt64(s, v))
            return v;
        double d = ParseDouble(s);
        return std::isfinite(d) && std::fabs(d) < 9.2e18 ? static_cast<int64_t>(d) : 0;
    }
    case 'Y':
        return HasWidth(f, 8) ? static_cast<int64_t>(LoadLe64(rec + f.offset)) / 10000 : 0;
    case 'B': {
        double d = GetNumber(f, rec);
        return std::isfinite(d) && std::fabs(d) < 9.2e18 ? static_cast<int64_t>(d) : 0;
    }
    case 'T':
        return GetDateTime(f, rec).julian;
    default:
        return static_cast<int64_t>(GetNumber(f, rec));
    }
}

Logical GetLogicalState(const FieldInfo& f, const uint8_t* rec) {
    if (f.length == 0)
        return Logical::Unset;
    switch (rec[f.offset]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return Logical::True;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return Logical::False;
    default:
        return Logical::Unset;
    }
}

int32_t GetJulian(const FieldInfo& f, const uint8_t* rec) {
    if (f.type == 'T')
        return GetDateTime(f, rec).julian;
    if (f.type != 'D' || f.length < 8)
        return 0;
    return JulianFromDate(FieldBytes(f, rec).substr(0, 8));
}

std::string GetDate(const FieldInfo& f, const uint8_t* rec) {
    if (f.type == 'D') {
        // Valid text is returned as stored; only a real calendar date counts.
        std::string_view s = FieldBytes(f, rec).substr(0, 8);
        return JulianFromDate(s) ? std::string(s) : std::string();
    }
    return DateFromJulian(GetJulian(f, rec));
}

DateTimeValue GetDateTime(const FieldInfo& f, const uint8_t* rec) {
    if (f.type == 'D')
        return {GetJulian(f, rec), 0};
    if (f.type != 'T' || f.length < 8)
        return {};
    const uint8_t* p = rec + f.offset;
    int32_t jdn = static_cast<int32_t>(LoadLe32(p));
    int32_t ms = static_cast<int32_t>(LoadLe32(p + 4));
    int y, m, d;
    if (!YmdFromJulian(jdn, y, m, d))
        return {};
    if (ms < 0 || ms >= kMillisPerDay)
        ms = 0;
    return {jdn, ms};
}

uint32_t GetMemoBlock(const FieldInfo& f, const uint8_t* rec, DbfFlavor flavor) {
    const uint8_t* p = rec + f.offset;
    if (flavor == DbfFlavor::Vfp)
        return f.length >= 4 ? LoadLe32(p) : 0;
    uint64_t v = 0;
    for (unsigned i = 0; i < f.length; ++i) {
        uint8_t c = p[i];
        if (c == ' ' || c == 0)
            continue;
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
        if (v > UINT32_MAX)
            return 0;
    }
    return static_cast<uint32_t>(v);
}

bool IsNull(const FieldInfo& f, const FieldInfo& nullFlags, const uint8_t* rec) {
    if (f.nullBit < 0 || static_cast<unsigned>(f.nullBit / 8) >= nullFlags.length)
        return false;
    return (rec[nullFlags.offset + f.nullBit / 8] >> (f.nullBit % 8)) & 1;
}

void SetNull(const FieldInfo& f, const FieldInfo& nullFlags, uint8_t* rec, bool isNull) {
    if (f.nullBit < 0 || static_cast<unsigned>(f.nullBit / 8) >= nullFlags.length) {
        if (isNull)
            Reject(f, "the field cannot hold NULL");
        return;
    }
    uint8_t& b = rec[nullFlags.offset + f.nullBit / 8];
    uint8_t mask = static_cast<uint8_t>(1u << (f.nullBit % 8));
    b = isNull ? (b | mask) : (b & ~mask);
}

void PutChar(const FieldInfo& f, uint8_t* rec, std::string_view bytes) {
    size_t n = std::min<size_t>(bytes.size(), f.length);
    std::memcpy(rec + f.offset, bytes.data(), n);
    std::memset(rec + f.offset + n, ' ', f.length - n);
}

bool PutNumber(const FieldInfo& f, uint8_t* rec, double v) {
    switch (f.type) {
    case 'N':
    case 'F':
        if (!std::isfinite(v)) {
            FillStars(f, rec);
            return false;
        }
        return PutDecimalDigits(f, rec, v < 0, RoundedDigits(std::fabs(v), f.decimals));
    case 'I': {
        int64_t units;
        if (!RoundToUnits(v, 0, units))
            Reject(f, "value out of range for an integer field");
        PutInt32(f, rec, units);
        return true;
    }
    case 'Y': {
        int64_t units;
        if (!RoundToUnits(v, 4, units))
            Reject(f, "currency value out of range");
        StoreLe64(rec + f.offset, static_cast<uint64_t>(units));
        return true;
    }
    case 'B':
        StoreLeDouble(rec + f.offset, v);
        return true;
    case 'D': {
        if (v == 0) {
            PutDate(f, rec, {});
            return true;
        }
        std::string d = DateFromJulian(static_cast<int32_t>(v));
        if (d.empty())
            Reject(f, "day number out of range");
        PutDate(f, rec, d);
        return true;
    }
    default:
        Reject(f, std::string("type ") + f.type + " does not hold numbers");
    }
}

bool PutInteger(const FieldInfo& f, uint8_t* rec, int64_t v) {
    switch (f.type) {
    case 'N':
    case 'F': {
        bool negative = v < 0;
        uint64_t mag = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        return PutDecimalDigits(f, rec, negative,
                                std::to_string(mag) + std::string(f.decimals, '0'));
    }
    case 'I':
        PutInt32(f, rec, v);
        return true;
    case 'Y':
        if (v > INT64_MAX / 10000 || v < INT64_MIN / 10000)
            Reject(f, "currency value out of range");
        StoreLe64(rec + f.offset, static_cast<uint64_t>(v * 10000));
        return true;
    default:
        return PutNumber(f, rec, static_cast<double>(v));
    }
}

void PutLogical(const FieldInfo& f, uint8_t* rec, bool v) {
    if (f.type != 'L')
        Reject(f, "not a logical field");
    rec[f.offset] = v ? 'T' : 'F';
}

void PutDate(const FieldInfo& f, uint8_t* rec, std::string_view s) {
    int32_t jdn = 0;
    if (!s.empty()) {
        jdn = JulianFromDate(s);
        if (!jdn)
            Reject(f, "not a date: \"" + std::string(s) + "\"");
    }
    PutDateTime(f, rec, {jdn, 0});
}

void PutDateTime(const FieldInfo& f, uint8_t* rec, DateTimeValue v) {
    if (v.julian != 0 && DateFromJulian(v.julian).empty())
        Reject(f, "day number out of range");
    if (f.type == 'D') {
        if (v.julian == 0)
            std::memset(rec + f.offset, ' ', f.length);
        else
            PutChar(f, rec, DateFromJulian(v.julian));
    } else if (f.type == 'T') {
        if (v.millis < 0 || v.millis >= kMillisPerDay)
            Reject(f, "time of day out of range");
        StoreLe32(rec + f.offset, static_cast<uint32_t>(v.julian));
        StoreLe32(rec + f.offset + 4, static_cast<uint32_t>(v.julian ? v.millis : 0));
    } else {
        Reject(f, "not a date field");
    }
}

void PutMemoBlock(const FieldInfo& f, uint8_t* rec, DbfFlavor flavor, uint32_t block) {
    if (flavor == DbfFlavor::Vfp) {
        StoreLe32(rec + f.offset, block);
        return;
    }
    if (block == 0) {
        std::memset(rec + f.offset, ' ', f.length);
        return;
    }
    std::string digits = std::to_string(block);
    if (digits.size() > f.length)
        Reject(f, "memo block number too large for the field");
    PutRightAligned(f, rec, digits);
}

void PutBlank(const FieldInfo& f, uint8_t* rec, DbfFlavor flavor) {
    switch (f.type) {
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
    case '0':
        std::memset(rec + f.offset, 0, f.length);
        break;
    case 'M':
    case 'G':
    case 'P':
    case 'W':
        std::memset(rec + f.offset, flavor == DbfFlavor::Vfp ? 0 : ' ', f.length);
        break;
    default:
        std::memset(rec + f.offset, ' ', f.length);
        break;
    }
}

} // namespace hk::db
