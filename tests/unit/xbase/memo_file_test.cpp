// FPT memo files: header, FoxPro's allocation (in place when it fits, else at next-free),
// block padding, and refusal of damaged pointers and headers.
#include <gtest/gtest.h>

#include "db_test_files.h"
#include "xbase/db_error.h"
#include "xbase/dbf/memo_file.h"
#include "xbase/io/byte_order.h"

using namespace hk::db;
using namespace hk::db::test;

TEST(MemoFile, AllocationFollowsFoxPro) {
    TempDir dir;
    std::string path = dir.File("t.fpt");
    auto memo = MemoFile::Create(FileSystem::Default(), path, 64);
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(LoadBe32(bytes.data()), 8u);
    EXPECT_EQ(LoadBe16(bytes.data() + 6), 64u);
    EXPECT_EQ(memo->FirstDataBlock(), 8u);

    // New values go to next-free, each rounded up to whole blocks.
    EXPECT_EQ(memo->Write(0, "hello"), 8u);
    std::string long200(200, 'x');
    EXPECT_EQ(memo->Write(0, long200), 9u); // 208 bytes: 4 blocks
    EXPECT_EQ(memo->NextFreeBlock(), 13u);
    // Shorter, or as long as the old blocks hold: in place, same block.
    EXPECT_EQ(memo->Write(9, std::string(100, 'y')), 9u);
    EXPECT_EQ(memo->Write(8, std::string(56, 'z')), 8u); // 56 + 8 = exactly one block
    EXPECT_EQ(memo->NextFreeBlock(), 13u);
    // One byte more than the old blocks hold: appended, old blocks abandoned.
    EXPECT_EQ(memo->Write(8, std::string(57, 'w')), 13u);
    EXPECT_EQ(memo->NextFreeBlock(), 15u);
    // Empty data needs no block and leaves the file alone.
    EXPECT_EQ(memo->Write(13, ""), 0u);
    EXPECT_EQ(memo->Write(0, std::string("\x01\x02", 2), MemoFile::kTypeObject), 15u);
    memo->Flush();

    bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 16u * 64); // ends on a block boundary
    EXPECT_EQ(LoadBe32(bytes.data()), 16u);
    const uint8_t* e = bytes.data() + 15 * 64; // type 2, length 2, data, zero padding
    EXPECT_EQ(LoadBe32(e), 2u);
    EXPECT_EQ(LoadBe32(e + 4), 2u);
    EXPECT_EQ(e[8], 1);
    for (int i = 10; i < 64; ++i)
        ASSERT_EQ(e[i], 0) << i;
    // The in-place rewrite of block 9 zeroed the rest of its last used block.
    const uint8_t* nine = bytes.data() + 9 * 64;
    EXPECT_EQ(LoadBe32(nine + 4), 100u);
    for (int i = 108; i < 128; ++i)
        ASSERT_EQ(nine[i], 0) << i;

    memo.reset();
    auto again = MemoFile::Open(FileSystem::Default(), path, false);
    EXPECT_EQ(again->NextFreeBlock(), 16u);
    EXPECT_EQ(again->Read(8), std::string(56, 'z'));
    EXPECT_EQ(again->Read(9), std::string(100, 'y'));
    EXPECT_EQ(again->Read(13), std::string(57, 'w'));
    uint32_t type = 99;
    EXPECT_EQ(again->Read(15, type), std::string("\x01\x02", 2));
    EXPECT_EQ(type, MemoFile::kTypeObject);
    EXPECT_EQ(again->Read(0), "");
    EXPECT_EQ(ErrorOf([&] { again->Write(0, "x"); }), kErrReadOnly);
}

TEST(MemoFile, OtherBlockSizes) {
    TempDir dir;
    // 512-byte blocks: the header is block 0 and data starts at block 1.
    auto big = MemoFile::Create(FileSystem::Default(), dir.File("big.fpt"), 512);
    EXPECT_EQ(big->FirstDataBlock(), 1u);
    EXPECT_EQ(big->Write(0, std::string(600, 'a')), 1u);
    EXPECT_EQ(big->Write(0, "b"), 3u);
    big->Flush();
    EXPECT_EQ(ReadBytes(dir.File("big.fpt")).size(), 4u * 512);
    // A stored block size of 0 means one-byte blocks.
    std::vector<uint8_t> header(512 + 13, 0);
    StoreBe32(header.data(), 512 + 13);
    StoreBe32(header.data() + 512, 1);
    StoreBe32(header.data() + 516, 5);
    std::copy_n("hello", 5, header.begin() + 520);
    WriteBytes(dir.File("one.fpt"), header);
    auto one = MemoFile::Open(FileSystem::Default(), dir.File("one.fpt"), true);
    EXPECT_EQ(one->BlockSize(), 1u);
    EXPECT_EQ(one->Read(512), "hello");
    EXPECT_EQ(one->Write(0, "abc"), 525u);
    EXPECT_EQ(ErrorOf([&] { MemoFile::Create(FileSystem::Default(), dir.File("z.fpt"), 0); }),
              kErrParam);
}

TEST(MemoFile, DamageIsReportedAndNeverWritten) {
    TempDir dir;
    std::string path = CopyFixture(dir, "vfp9-db/calls.FPT");
    const std::vector<uint8_t> original = ReadBytes(path);
    const uint32_t blocks = static_cast<uint32_t>(original.size() / 64);
    {
        auto memo = MemoFile::Open(FileSystem::Default(), path, false);
        DbError past = Caught([&] { memo->Read(blocks + 5); });
        EXPECT_EQ(past.Number(), kErrMemo);
        EXPECT_NE(std::string(past.what()).find("block " + std::to_string(blocks + 5)),
                  std::string::npos)
            << past.what();
        EXPECT_EQ(ErrorOf([&] { memo->Read(3); }), kErrMemo); // inside the header
    }
    // An entry whose length runs past the end of the file.
    std::vector<uint8_t> damaged = original;
    StoreBe32(damaged.data() + 8 * 64 + 4, 5000);
    WriteBytes(path, damaged);
    {
        auto memo = MemoFile::Open(FileSystem::Default(), path, true);
        DbError e = Caught([&] { memo->Read(8); });
        EXPECT_EQ(e.Number(), kErrMemo);
        EXPECT_NE(std::string(e.what()).find("length 5000"), std::string::npos) << e.what();
        // Rewriting a broken entry cannot trust its blocks: the value goes to the end.
        uint32_t next = memo->NextFreeBlock();
        EXPECT_EQ(memo->Write(8, "new"), next);
        EXPECT_EQ(memo->Read(next), "new");
    }
    // A next-free block before the end of the data would let appends overwrite memos: a
    // writable open refuses it, a reader can still read.
    damaged = original;
    StoreBe32(damaged.data(), blocks - 2);
    WriteBytes(path, damaged);
    EXPECT_EQ(ErrorOf([&] { MemoFile::Open(FileSystem::Default(), path, true); }), kErrMemo);
    EXPECT_EQ(ReadBytes(path), damaged);
    EXPECT_NO_THROW(MemoFile::Open(FileSystem::Default(), path, false)->Read(8));
    StoreBe32(damaged.data(), 2); // inside the header
    WriteBytes(path, damaged);
    EXPECT_EQ(ErrorOf([&] { MemoFile::Open(FileSystem::Default(), path, true); }), kErrMemo);
    EXPECT_EQ(ReadBytes(path), damaged);
    // Shorter than the header.
    damaged.resize(300);
    WriteBytes(path, damaged);
    EXPECT_EQ(ErrorOf([&] { MemoFile::Open(FileSystem::Default(), path, false); }), kErrMemo);
    EXPECT_EQ(ReadBytes(path), damaged);
}
