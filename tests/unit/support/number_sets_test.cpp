// The small sets functions collect record numbers, ids and texts in during a walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/error.h"
#include "support/set_items.h"
#include "support/set_long.h"
#include "support/set_long_sequence.h"
#include "support/set_string.h"

using hk::db::CSetLong;
using hk::db::CSetLongSequence;
using hk::db::CSetString;
using hk::test::Items;

TEST(CSetLong, AddUniqueFindsTheFirstCopyAndGrowsInStepsOf32) {
    CSetLong s;
    EXPECT_EQ(s.Capacity(), 32);
    EXPECT_EQ(s.Add(7), 0);
    EXPECT_EQ(s.Add(9), 1);
    EXPECT_EQ(s.Add(7), 2); // Add does not look
    EXPECT_EQ(s.AddUnique(7), 0);
    EXPECT_EQ(s.AddUnique(9), 1);
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s.AddUnique(11), 3);
    EXPECT_TRUE(s.Contains(11));
    EXPECT_FALSE(s.Contains(12));
    EXPECT_EQ(s.IndexOf(12), -1);

    CSetLong g;
    for (long v = 1; v <= 32; ++v)
        g.Add(v * 10);
    EXPECT_EQ(g.Capacity(), 32);
    EXPECT_EQ(g.Add(330), 32);
    EXPECT_EQ(g.Capacity(), 64);
    for (long v = 34; v <= 65; ++v)
        g.Add(v);
    EXPECT_EQ(g.Capacity(), 96);
    EXPECT_EQ(g.Item(0), 10);
    EXPECT_EQ(g.Item(31), 320);
    EXPECT_EQ(g.Item(32), 330);
    g.SetItem(32, 5);
    EXPECT_EQ(g.Item(32), 5);
    EXPECT_THROW(g.Item(65), hk::Error);
    EXPECT_THROW(g.SetItem(-1, 0), hk::Error);

    g.Clear();
    EXPECT_EQ(g.Count(), 0);
    EXPECT_EQ(g.Capacity(), 32);
    EXPECT_FALSE(g.Contains(10));
}

TEST(CSetLong, SortReverseAndZerosToFront) {
    CSetLong one;
    one.Add(42);
    one.Sort();
    EXPECT_EQ(Items(one), std::vector<long>{42});

    CSetLong empty;
    empty.Sort();
    empty.Reverse();
    EXPECT_EQ(empty.Count(), 0);

    // Many sizes and duplicates, against the library sort.
    std::mt19937 rng(7);
    for (int n : {2, 3, 5, 16, 33, 100, 1000}) {
        CSetLong s;
        std::vector<long> expected;
        for (int i = 0; i < n; ++i) {
            long v = static_cast<long>(rng() % 50) - 10;
            s.Add(v);
            expected.push_back(v);
        }
        s.Sort();
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Items(s), expected) << n;
    }
    CSetLong sorted; // already ordered and reversed inputs
    for (long v = 0; v < 200; ++v)
        sorted.Add(200 - v);
    sorted.Sort();
    EXPECT_EQ(sorted.Item(0), 1);
    EXPECT_EQ(sorted.Item(199), 200);

    CSetLong r;
    for (long v : {1, 2, 3, 4, 5})
        r.Add(v);
    r.Reverse();
    EXPECT_EQ(Items(r), (std::vector<long>{5, 4, 3, 2, 1}));
    r.Add(6);
    r.Reverse();
    EXPECT_EQ(Items(r), (std::vector<long>{6, 1, 2, 3, 4, 5}));

    CSetLong z;
    for (long v : {4, 0, 3, 0, 0, 9, 1})
        z.Add(v);
    z.ZerosToFront();
    EXPECT_EQ(Items(z), (std::vector<long>{0, 0, 0, 4, 3, 9, 1}));
    EXPECT_EQ(z.Count(), 7);
}

TEST(CSetLong, SortByKeysMovesKeysWithTheirValues) {
    CSetLong s;
    for (long v : {10, 20, 30, 40})
        s.Add(v);
    std::vector<std::string> keys = {"smith", "adams", "jones", "adams"};
    s.SortByKeys(keys);
    EXPECT_EQ(Items(s), (std::vector<long>{20, 40, 30, 10})); // ties keep their order
    EXPECT_EQ(keys, (std::vector<std::string>{"adams", "adams", "jones", "smith"}));

    CSetLong d;
    for (long v : {1, 2, 3})
        d.Add(v);
    std::vector<double> numbers = {3.5, -1, 2, 99}; // more keys than values is fine
    d.SortByKeys(numbers);
    EXPECT_EQ(Items(d), (std::vector<long>{2, 3, 1}));

    std::vector<std::string> tooFew = {"a"};
    EXPECT_THROW(s.SortByKeys(tooFew), hk::Error);
    CSetLong single;
    single.Add(5);
    single.SortByKeys(tooFew); // fewer than two values: nothing to do
    EXPECT_EQ(single.Item(0), 5);
}

TEST(CSetLongSequence, SortBySequenceIsStableAndCarriesValues) {
    CSetLongSequence s;
    s.Add(100, 3);
    s.Add(200, 1);
    s.Add(300, 3);
    s.Add(400, 2);
    s.Add(500, 1);
    EXPECT_EQ(s.AddUnique(300, 0), 2); // present: its sequence stays
    EXPECT_EQ(s.Sequence(2), 3);
    EXPECT_EQ(s.AddUnique(600, 0), 5);
    s.SortBySequence();
    std::vector<std::pair<long, long>> got;
    for (int i = 0; i < s.Count(); ++i)
        got.emplace_back(s.Value(i), s.Sequence(i));
    EXPECT_EQ(got, (std::vector<std::pair<long, long>>{
                       {600, 0}, {200, 1}, {500, 1}, {400, 2}, {100, 3}, {300, 3}}));
    EXPECT_EQ(s.IndexOf(400), 3);
    EXPECT_EQ(s.IndexOf(7), -1);
    EXPECT_THROW(s.Value(6), hk::Error);

    CSetLongSequence big;
    for (int i = 0; i < 70; ++i)
        big.Add(i, 70 - i);
    EXPECT_EQ(big.Capacity(), 96);
    big.SortBySequence();
    EXPECT_EQ(big.Value(0), 69);
    EXPECT_EQ(big.Value(69), 0);
    big.Clear();
    EXPECT_EQ(big.Count(), 0);
}

TEST(CSetString, ExactComparisonAndGrowthBy8) {
    CSetString s;
    EXPECT_EQ(s.Capacity(), 8);
    EXPECT_EQ(s.Add("Smith"), 0);
    EXPECT_EQ(s.AddUnique("smith"), 1); // case matters
    EXPECT_EQ(s.AddUnique("Smith"), 0);
    EXPECT_TRUE(s.Contains("smith"));
    EXPECT_FALSE(s.Contains("SMITH"));
    for (int i = 0; i < 7; ++i)
        s.Add("x" + std::to_string(i));
    EXPECT_EQ(s.Count(), 9);
    EXPECT_EQ(s.Capacity(), 16);
    EXPECT_EQ(s.Item(8), "x6");
    EXPECT_EQ(s.IndexOf("x6"), 8);
    EXPECT_THROW(s.Item(9), hk::Error);
}
