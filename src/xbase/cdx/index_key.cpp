#include "xbase/cdx/index_key.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "support/text.h"
#include "xbase/dbf/julian_date.h"

namespace hk::db {
namespace {

void PutBigEndian(uint64_t v, int bytes, char* out) {
    for (int i = bytes - 1; i >= 0; --i) {
        out[i] = static_cast<char>(v & 0xFF);
        v >>= 8;
    }
}

uint64_t GetBigEndian(std::string_view s, size_t bytes) {
    uint64_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<unsigned char>(s[i]);
    return v;
}

} // namespace

std::string EncodeDoubleKey(double value) {
    if (value == 0.0)
        value = 0.0; // folds -0 into +0 so both find the same key
    uint64_t bits = std::bit_cast<uint64_t>(value);
    // Positive: set the sign bit so they sort above negatives. Negative: invert everything so
    // larger magnitudes sort lower.
    bits = (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
    std::string out(8, '\0');
    PutBigEndian(bits, 8, out.data());
    return out;
}

double DecodeDoubleKey(std::string_view key) {
    if (key.size() != 8)
        return 0.0;
    uint64_t bits = GetBigEndian(key, 8);
    bits = (bits & 0x8000000000000000ull) ? bits & ~0x8000000000000000ull : ~bits;
    return std::bit_cast<double>(bits);
}

std::string EncodeIntKey(int32_t value) {
    std::string out(4, '\0');
    PutBigEndian(static_cast<uint32_t>(value) ^ 0x80000000u, 4, out.data());
    return out;
}

int32_t DecodeIntKey(std::string_view key) {
    if (key.size() != 4)
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(GetBigEndian(key, 4)) ^ 0x80000000u);
}

std::string EncodeCurrencyKey(int64_t scaled) {
    std::string out(8, '\0');
    PutBigEndian(static_cast<uint64_t>(scaled) ^ 0x8000000000000000ull, 8, out.data());
    return out;
}

int64_t DecodeCurrencyKey(std::string_view key) {
    if (key.size() != 8)
        return 0;
    return static_cast<int64_t>(GetBigEndian(key, 8) ^ 0x8000000000000000ull);
}

std::string EncodeLogicalKey(bool value) {
    return value ? "T" : "F";
}

std::string PadKey(std::string_view value, size_t keyLength, char pad) {
    std::string out(value.substr(0, keyLength));
    out.resize(keyLength, pad);
    return out;
}

std::optional<KeyKind> KeyFormOf(KeyKind exprKind, int exprLength, uint16_t keyLength,
                                 bool machineCollation) {
    switch (exprKind) {
    case KeyKind::Char: {
        int most = machineCollation ? exprLength : 2 * exprLength;
        if (keyLength == 0 || (exprLength > 0 && keyLength > most))
            return std::nullopt;
        return KeyKind::Char;
    }
    case KeyKind::Logical:
        return keyLength == 1 ? std::optional(KeyKind::Logical) : std::nullopt;
    case KeyKind::Int4:
        if (keyLength == 4)
            return KeyKind::Int4;
        return keyLength == 8 ? std::optional(KeyKind::Double) : std::nullopt;
    case KeyKind::Currency:
    case KeyKind::Double:
        return keyLength == 8 ? std::optional(exprKind) : std::nullopt;
    }
    return std::nullopt;
}

std::string KeyText(KeyKind kind, bool dateKeys, std::string_view key) {
    auto number = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        return std::string(buf);
    };
    switch (kind) {
    case KeyKind::Char:
        return "\"" + Cp1252ToUtf8(TrimRight(key)) + "\"";
    case KeyKind::Int4:
        return std::to_string(DecodeIntKey(key));
    case KeyKind::Currency:
        return number(static_cast<double>(DecodeCurrencyKey(key)) / 10000.0);
    case KeyKind::Logical:
        return std::string(key);
    case KeyKind::Double: {
        double v = DecodeDoubleKey(key);
        if (!dateKeys)
            return number(v);
        return v == 0 ? "(blank date)" : DateFromJulian(static_cast<int32_t>(v));
    }
    }
    return {};
}

} // namespace hk::db
