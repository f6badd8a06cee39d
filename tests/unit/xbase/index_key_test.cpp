#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "xbase/cdx/index_key.h"

using namespace hk::db;

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s += static_cast<char>(c);
    return s;
}

template <typename T, typename Encode>
void ExpectByteOrderIsValueOrder(std::vector<T> values, Encode encode) {
    std::vector<std::string> keys;
    for (T v : values)
        keys.push_back(encode(v));
    std::sort(values.begin(), values.end());
    std::sort(keys.begin(), keys.end()); // std::string orders by unsigned bytes
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(keys[i], encode(values[i])) << i;
}

} // namespace

TEST(IndexKey, DoubleKeysSortLikeTheirValues) {
    // Byte patterns FoxPro writes.
    EXPECT_EQ(EncodeDoubleKey(0.0), Bytes({0x80, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeDoubleKey(1.0), Bytes({0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeDoubleKey(-1.0), Bytes({0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(EncodeDoubleKey(2451545.0), Bytes({0xC1, 0x42, 0xB4, 0x2C, 0x80, 0, 0, 0}));
    EXPECT_EQ(EncodeDoubleKey(-0.0), EncodeDoubleKey(0.0));

    std::mt19937 rng(3);
    std::vector<double> values = {0.0, -0.5, 0.5, 1e-300, -1e-300, 1e300, -1e300, 3.0, -3.0};
    std::uniform_real_distribution<double> d(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i)
        values.push_back(i % 3 ? d(rng) : std::round(d(rng)));
    ExpectByteOrderIsValueOrder(values, EncodeDoubleKey);
    for (double v : values)
        EXPECT_EQ(DecodeDoubleKey(EncodeDoubleKey(v)), v);
}

TEST(IndexKey, IntegerCurrencyAndCharacterKeys) {
    EXPECT_EQ(EncodeIntKey(1), Bytes({0x80, 0, 0, 1}));
    EXPECT_EQ(EncodeIntKey(-1), Bytes({0x7F, 0xFF, 0xFF, 0xFF}));
    ExpectByteOrderIsValueOrder<int32_t>({0, 1, -1, 255, 256, -256, INT32_MIN, INT32_MAX, 70000},
                                         EncodeIntKey);
    for (int32_t v : {0, -7, INT32_MIN, INT32_MAX})
        EXPECT_EQ(DecodeIntKey(EncodeIntKey(v)), v);

    ExpectByteOrderIsValueOrder<int64_t>({0, 180000, -180000, INT64_MIN, INT64_MAX, 1, -1},
                                         EncodeCurrencyKey);
    EXPECT_EQ(DecodeCurrencyKey(EncodeCurrencyKey(-180000)), -180000);

    EXPECT_LT(EncodeLogicalKey(false), EncodeLogicalKey(true));
    EXPECT_EQ(PadKey("Smith", 8), "Smith   ");
    EXPECT_EQ(PadKey("Smithson-Jones", 8), "Smithson");
    EXPECT_EQ(PadKey("", 3, '\0'), std::string(3, '\0'));
}
