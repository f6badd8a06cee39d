#pragma once
// Sortable key bytes for index tags: every value type becomes a byte string whose unsigned
// byte order equals the value order, so tags compare keys with memcmp alone.
#include <cstdint>
#include <string>
#include <string_view>

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

} // namespace hk::db
