#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "support/temp_dir.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/db_error.h"
#include "xbase/io/paged_file.h"

using namespace hk::db;

namespace {

TEST(PagedFile, RandomWritesMatchAModelAcrossEvictionAndFlush) {
    // One file with a cache of its own of 8 pages, then two files of different page sizes
    // sharing a pool of 640 bytes: either way dirty pages are evicted (across files in the
    // second case) and must reach the disk intact.
    for (int files : {1, 2}) {
        SCOPED_TRACE(files);
        hk::test::TempDir dir;
        std::vector<std::string> models(files);
        std::mt19937 rng(1);
        auto pool = std::make_shared<PagePool>(640);
        {
            std::vector<std::unique_ptr<PagedFile>> f;
            for (int k = 0; k < files; ++k) {
                auto raw = FileSystem::Default().Open(dir.File("f" + std::to_string(k)),
                                                      OpenMode::CreateTruncate, true);
                if (files == 1)
                    f.push_back(std::make_unique<PagedFile>(std::move(raw), 64, true, 8 * 64));
                else
                    f.push_back(
                        std::make_unique<PagedFile>(std::move(raw), 64 + 32 * k, true, pool));
            }
            for (int i = 0; i < 4000; ++i) {
                const int k = i % files;
                std::string& model = models[k];
                size_t off = rng() % 3000, n = 1 + rng() % 150;
                std::string data(n, static_cast<char>('a' + rng() % 26));
                f[k]->Write(off, data.data(), n);
                if (model.size() < off + n)
                    model.resize(off + n, '\0');
                model.replace(off, n, data);
                ASSERT_LE(pool->HeldBytes(), pool->Limit());
                if (i % 97 == 0) {
                    size_t roff = rng() % model.size();
                    std::string got(64, '\0');
                    size_t r = f[k]->Read(roff, got.data(), 64);
                    got.resize(r);
                    ASSERT_EQ(got, model.substr(roff, 64));
                }
            }
            for (int k = 0; k < files; ++k) {
                ASSERT_EQ(f[k]->Size(), models[k].size());
                f[k]->Truncate(1000);
                models[k].resize(1000);
                f[k]->Write(1500, "end", 3); // leaves a hole of zeros
                models[k].resize(1500, '\0');
                models[k] += "end";
            }
        }
        EXPECT_EQ(pool->HeldBytes(), 0u); // closed files give their pages back
        for (int k = 0; k < files; ++k)
            EXPECT_EQ(hk::test::ReadBytes(dir.File("f" + std::to_string(k))), models[k]);
    }
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
