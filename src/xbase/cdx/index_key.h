#pragma once
// Sortable key bytes for index tags: every value type becomes a byte string whose unsigned
// byte order equals the value order, so tags compare keys with memcmp alone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/expression.h"

namespace hk::db {

// 8 bytes for numbers, dates (as Julian day numbers) and doubles. -0 sorts as +0.
std::string EncodeDoubleKey(double value);
// Inverse of EncodeDoubleKey; the key must be 8 bytes (others give 0).
double DecodeDoubleKey(std::string_view key);

// 4 bytes for an Integer field alone.
std::string EncodeIntKey(int32_t value);
int32_t DecodeIntKey(std::string_view key);

// 8 bytes for a Currency field alone: the stored value x 10000.
std::string EncodeCurrencyKey(int64_t scaled);
int64_t DecodeCurrencyKey(std::string_view key);

// 1 byte, 'T' or 'F'.
std::string EncodeLogicalKey(bool value);

// Character key: the value cut or padded with `pad` (a blank for machine order) to keyLength.
std::string PadKey(std::string_view value, size_t keyLength, char pad = ' ');

// The form an existing tag stores its keys in, from the kind of its expression (`exprLength` as
// Expression::Length gives it) and the key length its header says. An Integer field alone
// has 4-byte keys from FoxPro and 8-byte doubles from other engines; a character key may be
// shorter than its expression (FoxPro sizes it on the first record) but never longer, twice
// that for a non-machine collation. nullopt: a combination no known writer makes.
std::optional<KeyKind> KeyFormOf(KeyKind exprKind, int exprLength, uint16_t keyLength,
                                 bool machineCollation);

// A key as a person reads it in a message: quoted text, a number, or a date (YYYYMMDD).
std::string KeyText(KeyKind kind, bool dateKeys, std::string_view key);

} // namespace hk::db
