#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "support/temp_dir.h"
#include "xbase/cdx/key_sorter.h"

using namespace hk::db;

TEST(KeySorter, MergesSpilledRunsIntoOneOrderAndRemovesThem) {
    hk::test::TempDir dir;
    std::mt19937 rng(3);
    std::vector<KeyEntry> model;
    {
        // A tiny budget forces many runs; duplicates and recno ties must come out in order.
        KeySorter sorter(FileSystem::Default(), 6, 40 * 1024, dir.Path().string());
        for (uint32_t r = 1; r <= 20000; ++r) {
            std::string key(6, 'a');
            for (auto& c : key)
                c = static_cast<char>('a' + rng() % 3);
            if (r % 7 == 0)
                key[5] = '\xFF'; // bytes compare unsigned
            sorter.Add(key, r);
            model.push_back({key, r});
        }
        sorter.Finish();
        EXPECT_GT(sorter.RunCount(), 5u);
        std::sort(model.begin(), model.end(), [](const KeyEntry& a, const KeyEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        KeyEntry e;
        for (const KeyEntry& want : model) {
            ASSERT_TRUE(sorter.Next(e));
            ASSERT_EQ(e.key, want.key);
            ASSERT_EQ(e.recno, want.recno);
        }
        EXPECT_FALSE(sorter.Next(e));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "run files are removed";
}

TEST(KeySorter, SmallInputsStayInMemory) {
    KeySorter sorter(FileSystem::Default(), 2);
    sorter.Add("zz", 1);
    sorter.Add("aa", 9);
    sorter.Add("aa", 2);
    KeyEntry e;
    std::vector<uint32_t> got;
    while (sorter.Next(e))
        got.push_back(e.recno);
    EXPECT_EQ(got, (std::vector<uint32_t>{2, 9, 1}));
    EXPECT_EQ(sorter.RunCount(), 0u);
}
