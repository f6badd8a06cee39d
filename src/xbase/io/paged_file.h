#pragma once
// A write-back page cache over a File. Tables, memo files and indexes read and write through
// it so that walks and seeks touch memory, and many small writes reach the disk as whole
// pages at Flush. The cache is bounded: clean pages are evicted, dirty ones written first.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "xbase/file.h"

namespace hk::db {

class PagedFile {
public:
    PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
              size_t maxCachedBytes = 64u << 20);
    ~PagedFile(); // flushes; errors at this point are swallowed (call Flush to see them)

    PagedFile(const PagedFile&) = delete;
    PagedFile& operator=(const PagedFile&) = delete;

    // Reads n bytes at offset; returns how many exist (fewer only past the logical end).
    size_t Read(uint64_t offset, void* buf, size_t n);
    // Writes n bytes at offset, extending the logical size when it writes past the end.
    void Write(uint64_t offset, const void* buf, size_t n);
    uint64_t Size() const { return size_; }
    // Cuts the logical and physical file at `size`.
    void Truncate(uint64_t size);
    // Writes every dirty page (in offset order); drops nothing.
    void Flush();
    // Flush, then forces what was written since the last sync to the disk (a failing disk
    // is reported here).
    void Sync();
    // Bounds the cache (at least 8 pages); a smaller bound writes and drops what is cached.
    void SetMaxCachedBytes(size_t bytes);
    bool Writable() const { return writable_; }
    const std::string& Path() const { return file_->Path(); }
    uint32_t PageSize() const { return pageSize_; }

private:
    struct Slot {
        uint64_t pageNo = UINT64_MAX;
        bool dirty = false;
        bool referenced = false;
    };

    uint8_t* Page(uint64_t pageNo, bool forWrite);
    // Pages live in fixed blocks, so growing the cache never moves or copies cached pages.
    static constexpr size_t kSlotsPerBlock = 64;
    uint8_t* SlotData(size_t slot) {
        return blocks_[slot / kSlotsPerBlock].get() + (slot % kSlotsPerBlock) * pageSize_;
    }
    size_t Evict();
    void WriteSlot(size_t slot);

    std::unique_ptr<File> file_;
    uint32_t pageSize_;
    bool writable_;
    size_t maxSlots_;
    uint64_t size_;
    uint64_t diskSize_;
    bool unsynced_ = false;
    std::vector<std::unique_ptr<uint8_t[]>> blocks_;
    std::vector<Slot> slots_;
    std::unordered_map<uint64_t, size_t> index_;
    size_t hand_ = 0;
    uint64_t lastPage_ = UINT64_MAX;
    size_t lastSlot_ = 0;
};

} // namespace hk::db
