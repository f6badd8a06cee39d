#pragma once
// A write-back page cache over a File. Tables, memo files and indexes read and write through
// it so that walks and seeks touch memory, and many small writes reach the disk as whole
// pages at Flush. The pages live in a pool, shared by the files of a project or the file's
// own: when it is full, pages are evicted across its files, dirty ones written first.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "xbase/file.h"
#include "xbase/io/page_pool.h"

namespace hk::db {

class PagedFile {
public:
    static constexpr size_t kDefaultCacheBytes = size_t(64) << 20;
    // With a pool of its own of `maxCachedBytes`.
    PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
              size_t maxCachedBytes = kDefaultCacheBytes);
    // Drawing on a shared pool (one of its own when null).
    PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
              std::shared_ptr<PagePool> pool);
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
    // Gives the file a pool of its own of `bytes` (at least 8 pages), leaving any shared one;
    // what it cached is written and dropped.
    void SetMaxCachedBytes(size_t bytes);
    // Memory the file's owner keeps beside the pages (an index's node cache), counted in the
    // pool the file draws on.
    void SetSideBytes(size_t bytes);
    const std::shared_ptr<PagePool>& Pool() const { return pool_; }
    // Called by the pool when it takes the page in `frame` away: written first when dirty.
    void Evict(uint32_t id, PagePool::Frame& frame);
    bool Writable() const { return writable_; }
    const std::string& Path() const { return file_->Path(); }
    uint32_t PageSize() const { return pageSize_; }

private:
    uint8_t* Page(uint64_t pageNo, bool forWrite);
    void WriteFrame(PagePool::Frame& f);
    void ReleaseAll(); // every page given back to the pool, unwritten

    std::unique_ptr<File> file_;
    uint32_t pageSize_;
    bool writable_;
    std::shared_ptr<PagePool> pool_;
    size_t sideBytes_ = 0;
    uint64_t size_;
    uint64_t diskSize_;
    bool unsynced_ = false;
    std::unordered_map<uint64_t, uint32_t> index_; // page number -> frame
    uint64_t lastPage_ = UINT64_MAX;
    uint32_t lastFrame_ = 0;
};

} // namespace hk::db
