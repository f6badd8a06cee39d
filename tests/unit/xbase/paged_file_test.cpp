#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/temp_dir.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/db_error.h"
#include "xbase/io/paged_file.h"

using namespace hk::db;

namespace {

TEST(PagedFile, RandomWritesMatchAModelAcrossEvictionAndFlush) {
    hk::test::TempDir dir;
    std::string path = dir.File("f.bin");
    std::string model;
    std::mt19937 rng(1);
    {
        // A cache of 8 pages of 64 bytes forces evictions of dirty pages.
        PagedFile f(FileSystem::Default().Open(path, OpenMode::CreateTruncate, true), 64, true,
                    8 * 64);
        for (int i = 0; i < 2000; ++i) {
            size_t off = rng() % 3000, n = 1 + rng() % 150;
            std::string data(n, static_cast<char>('a' + rng() % 26));
            f.Write(off, data.data(), n);
            if (model.size() < off + n)
                model.resize(off + n, '\0');
            model.replace(off, n, data);
            if (i % 97 == 0) {
                size_t roff = rng() % model.size();
                std::string got(64, '\0');
                size_t r = f.Read(roff, got.data(), 64);
                got.resize(r);
                ASSERT_EQ(got, model.substr(roff, 64));
            }
        }
        ASSERT_EQ(f.Size(), model.size());
        f.Truncate(1000);
        model.resize(1000);
        f.Write(1500, "end", 3); // leaves a hole of zeros
        model.resize(1500, '\0');
        model += "end";
    }
    EXPECT_EQ(hk::test::ReadBytes(path), model);
}

TEST(PagedFile, ReadOnlyRefusesWritesAndSecondWriterIsRefused) {
    hk::test::TempDir dir;
    std::string path = dir.File("g.bin");
    auto first = FileSystem::Default().Open(path, OpenMode::CreateTruncate, true);
    EXPECT_EQ(
        hk::db::test::ErrorOf([&] { FileSystem::Default().Open(path, OpenMode::ReadWrite, true); }),
        kErrFileInUse)
        << "a second writer must be refused";
    PagedFile ro(FileSystem::Default().Open(path, OpenMode::ReadOnly, false), 512, false);
    EXPECT_THROW(ro.Write(0, "x", 1), DbError);
}

} // namespace
