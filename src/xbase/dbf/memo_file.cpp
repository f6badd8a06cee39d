#include "xbase/dbf/memo_file.h"

#include <algorithm>
#include <vector>

#include "xbase/db_error.h"
#include "xbase/io/byte_order.h"

namespace hk::db {

namespace {
// The data file's page size: pages of one size are interchangeable in a shared pool, and memory
// freed by one file is taken by the next without fragmenting the heap.
constexpr uint32_t kMemoPageSize = 8192;
} // namespace

std::unique_ptr<MemoFile> MemoFile::Open(FileSystem& fs, const std::string& path, bool writable,
                                         std::shared_ptr<PagePool> pool) {
    auto file = std::make_unique<PagedFile>(
        fs.Open(path, writable ? OpenMode::ReadWrite : OpenMode::ReadOnly, writable), kMemoPageSize,
        writable, std::move(pool));
    uint8_t h[8];
    if (file->Size() < kHeaderSize || file->Read(0, h, sizeof h) != sizeof h)
        throw DbError(kErrMemo, path, "the memo file is shorter than its 512-byte header");
    uint32_t nextFree = LoadBe32(h);
    uint32_t blockSize = LoadBe16(h + 6);
    if (blockSize == 0)
        blockSize = 1; // SET BLOCKSIZE TO 0: one-byte blocks
    std::unique_ptr<MemoFile> memo(new MemoFile(std::move(file), blockSize, nextFree));
    if (writable) {
        // Appends go to the next-free block; one inside the header or the data would overwrite.
        if (nextFree < memo->FirstDataBlock())
            throw DbError(kErrMemo, path,
                          "next free block " + std::to_string(nextFree) +
                              " lies inside the header");
        if (uint64_t(nextFree) * blockSize < memo->file_->Size())
            throw DbError(kErrMemo, path,
                          "next free block " + std::to_string(nextFree) +
                              " lies before the end of the file (" +
                              std::to_string(memo->file_->Size()) + " bytes)");
    }
    return memo;
}

std::unique_ptr<MemoFile> MemoFile::Create(FileSystem& fs, const std::string& path,
                                           uint32_t blockSize, std::shared_ptr<PagePool> pool) {
    if (blockSize < 1 || blockSize > 65535)
        throw DbError(kErrParam, path, "memo block size must be 1..65535 bytes");
    auto file = std::make_unique<PagedFile>(fs.Open(path, OpenMode::CreateTruncate, true),
                                            kMemoPageSize, true, std::move(pool));
    uint32_t first = (kHeaderSize + blockSize - 1) / blockSize;
    std::vector<uint8_t> header(uint64_t(first) * blockSize, 0);
    StoreBe32(header.data(), first);
    StoreBe16(header.data() + 6, static_cast<uint16_t>(blockSize));
    file->Write(0, header.data(), header.size());
    file->Flush();
    return std::unique_ptr<MemoFile>(new MemoFile(std::move(file), blockSize, first));
}

bool MemoFile::EntryHeader(uint32_t block, uint32_t& type, uint32_t& length) const {
    uint64_t off = uint64_t(block) * blockSize_;
    uint8_t h[8];
    if (block < FirstDataBlock() || off + 8 > file_->Size() || file_->Read(off, h, 8) != 8)
        return false;
    type = LoadBe32(h);
    length = LoadBe32(h + 4);
    return off + 8 + length <= file_->Size();
}

std::string MemoFile::Read(uint32_t block) const {
    uint32_t type;
    return Read(block, type);
}

std::string MemoFile::Read(uint32_t block, uint32_t& type) const {
    type = kTypeText;
    if (block == 0)
        return {};
    const std::string where = "memo block " + std::to_string(block);
    if (block < FirstDataBlock())
        throw DbError(kErrMemo, Path(), where + " lies inside the header");
    uint64_t off = uint64_t(block) * blockSize_;
    uint8_t h[8];
    if (off + 8 > file_->Size() || file_->Read(off, h, 8) != 8)
        throw DbError(kErrMemo, Path(), where + " is past the end of the file");
    type = LoadBe32(h);
    uint32_t length = LoadBe32(h + 4);
    if (off + 8 + length > file_->Size())
        throw DbError(kErrMemo, Path(),
                      where + ": length " + std::to_string(length) +
                          " runs past the end of the file");
    std::string data(length, '\0');
    file_->Read(off + 8, data.data(), length);
    return data;
}

std::string MemoFile::CheckPointer(uint32_t block) const {
    if (block == 0)
        return {};
    const std::string where = "memo block " + std::to_string(block);
    const uint64_t size = file_->Size();
    const uint64_t off = uint64_t(block) * blockSize_;
    if (block < FirstDataBlock())
        return where + " lies inside the memo file's header";
    uint8_t h[8];
    if (off + 8 > size || file_->Read(off, h, 8) != 8)
        return where + " is past the end of the memo file (" + std::to_string(size) + " bytes)";
    if (block >= nextFree_)
        return where + " is at or after the memo file's next free block " +
               std::to_string(nextFree_);
    const uint32_t type = LoadBe32(h), length = LoadBe32(h + 4);
    if (type > kTypeObject)
        return where + " does not start a memo (type " + std::to_string(type) + ")";
    if (off + 8 + length > size)
        return where + ": length " + std::to_string(length) + " runs past the end of the file";
    if (uint64_t(block) + BlocksFor(length) > nextFree_)
        return where + ": length " + std::to_string(length) +
               " runs past the memo file's next free block " + std::to_string(nextFree_);
    return {};
}

void MemoFile::WriteEntry(uint32_t block, std::string_view data, uint32_t type) {
    uint64_t off = uint64_t(block) * blockSize_;
    uint8_t h[8];
    StoreBe32(h, type);
    StoreBe32(h + 4, static_cast<uint32_t>(data.size()));
    file_->Write(off, h, 8);
    file_->Write(off + 8, data.data(), data.size());
    // Zero the tail of the last block, so the file ends on a block boundary.
    uint64_t end = off + uint64_t(BlocksFor(data.size())) * blockSize_;
    uint64_t pos = off + 8 + data.size();
    static const uint8_t kZeros[512] = {};
    while (pos < end) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof kZeros, end - pos));
        file_->Write(pos, kZeros, n);
        pos += n;
    }
}

void MemoFile::WriteHeader() {
    uint8_t h[4];
    StoreBe32(h, nextFree_);
    file_->Write(0, h, 4);
}

uint32_t MemoFile::Write(uint32_t oldBlock, std::string_view data, uint32_t type) {
    if (!Writable())
        throw DbError(kErrReadOnly, Path(), "the memo file is open read-only");
    if (data.empty())
        return 0;
    if (data.size() > UINT32_MAX - 8)
        throw DbError(kErrParam, Path(), "memo value larger than 4 GiB");
    uint32_t needed = BlocksFor(data.size());
    uint32_t oldType, oldLength;
    // In place only over an intact old entry that lies wholly below next-free.
    if (oldBlock != 0 && EntryHeader(oldBlock, oldType, oldLength)) {
        uint32_t oldBlocks = BlocksFor(oldLength);
        if (needed <= oldBlocks && uint64_t(oldBlock) + oldBlocks <= nextFree_) {
            WriteEntry(oldBlock, data, type);
            return oldBlock;
        }
    }
    if (uint64_t(nextFree_) + needed > UINT32_MAX)
        throw DbError(kErrMemo, Path(), "the memo file is full");
    uint32_t block = nextFree_;
    nextFree_ += needed;
    WriteHeader();
    WriteEntry(block, data, type);
    return block;
}

void MemoFile::Sync() {
    Flush();
    file_->Sync();
}

void MemoFile::Flush() {
    file_->Flush();
}

} // namespace hk::db
