#pragma once
// An FPT memo file: a 512-byte header (next free block, block size) and memo entries of
// whole blocks, each an 8-byte header (type, length) and the data. Allocation follows
// FoxPro: a rewrite that fits the old entry's blocks stays in place, anything bigger goes
// to the end of the file; there is no free list.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xbase/file.h"
#include "xbase/io/paged_file.h"

namespace hk::db {

class MemoFile {
public:
    static constexpr uint32_t kHeaderSize = 512;
    static constexpr uint32_t kTypePicture = 0, kTypeText = 1, kTypeObject = 2;

    // Reads and checks the header. A writable open takes the exclusive lock and refuses a
    // file whose next-free block lies inside the header or before the end of the data
    // (appending there would overwrite memos); a read-only open tolerates it.
    static std::unique_ptr<MemoFile> Open(FileSystem& fs, const std::string& path, bool writable,
                                          std::shared_ptr<PagePool> pool = nullptr);
    // A new, empty memo file (truncating any file of that name). blockSize in bytes, 1..65535.
    static std::unique_ptr<MemoFile> Create(FileSystem& fs, const std::string& path,
                                            uint32_t blockSize = 64,
                                            std::shared_ptr<PagePool> pool = nullptr);

    const std::string& Path() const { return file_->Path(); }
    uint32_t BlockSize() const { return blockSize_; }
    uint32_t NextFreeBlock() const { return nextFree_; }
    // The first block after the header.
    uint32_t FirstDataBlock() const { return (kHeaderSize + blockSize_ - 1) / blockSize_; }
    bool Writable() const { return file_->Writable(); }

    // The data of the entry at `block` (empty for 0). A pointer into the header or past the
    // end of the file, or a length running past the end: DbError kErrMemo.
    std::string Read(uint32_t block) const;
    // Like Read, also giving the entry's type.
    std::string Read(uint32_t block, uint32_t& type) const;
    // What is wrong with a record's pointer to `block` (0: none), in words; empty when it
    // starts an entry of a known type that lies wholly inside the used part of the file.
    std::string CheckPointer(uint32_t block) const;
    // Stores `data` as the new value of the entry at oldBlock (0 = none) and returns the
    // block number to put in the record, 0 for empty data.
    uint32_t Write(uint32_t oldBlock, std::string_view data, uint32_t type = kTypeText);
    // Header, then the data pages.
    void Flush();
    void Sync();

    // Blocks an entry with `dataLength` bytes of data occupies.
    uint32_t BlocksFor(uint64_t dataLength) const {
        return static_cast<uint32_t>((dataLength + 8 + blockSize_ - 1) / blockSize_);
    }

private:
    MemoFile(std::unique_ptr<PagedFile> file, uint32_t blockSize, uint32_t nextFree)
        : file_(std::move(file)), blockSize_(blockSize), nextFree_(nextFree) {}
    // Reads an entry header; false when it does not lie wholly inside the file.
    bool EntryHeader(uint32_t block, uint32_t& type, uint32_t& length) const;
    void WriteEntry(uint32_t block, std::string_view data, uint32_t type);
    void WriteHeader();

public:
    void SetCacheLimit(size_t bytes) { file_->SetMaxCachedBytes(bytes); }

private:
    std::unique_ptr<PagedFile> file_;
    uint32_t blockSize_;
    uint32_t nextFree_;
};

} // namespace hk::db
