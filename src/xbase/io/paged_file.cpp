#include "xbase/io/paged_file.h"

#include <algorithm>
#include <cstring>

#include "xbase/db_error.h"

namespace hk::db {
namespace {

// A pool of its own for one file: `bytes` of pages (at least 8), their bookkeeping on top.
std::shared_ptr<PagePool> OwnPool(size_t bytes, uint32_t pageSize, size_t sideBytes = 0) {
    size_t pages = std::max<size_t>(8, bytes / pageSize);
    return std::make_shared<PagePool>(pages * (pageSize + PagePool::kFrameOverhead) + sideBytes);
}

} // namespace

PagedFile::PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
                     size_t maxCachedBytes)
    : PagedFile(std::move(file), pageSize, writable, OwnPool(maxCachedBytes, pageSize)) {}

PagedFile::PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
                     std::shared_ptr<PagePool> pool)
    : file_(std::move(file)), pageSize_(pageSize), writable_(writable), pool_(std::move(pool)) {
    if (!pool_)
        pool_ = OwnPool(kDefaultCacheBytes, pageSize_);
    size_ = diskSize_ = file_->Size();
}

PagedFile::~PagedFile() {
    try {
        Flush();
    } catch (...) {
    }
    ReleaseAll();
    pool_->Uncharge(sideBytes_);
}

void PagedFile::ReleaseAll() {
    for (auto& [pageNo, id] : index_)
        pool_->Release(id);
    index_.clear();
    lastPage_ = UINT64_MAX;
}

void PagedFile::WriteFrame(PagePool::Frame& f) {
    uint64_t off = f.pageNo * pageSize_;
    if (off < size_) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(pageSize_, size_ - off));
        file_->WriteAt(off, f.data.get(), n);
        diskSize_ = std::max(diskSize_, off + n);
        unsynced_ = true;
    }
    f.dirty = false;
}

void PagedFile::Evict(uint32_t id, PagePool::Frame& frame) {
    if (frame.dirty)
        WriteFrame(frame);
    index_.erase(frame.pageNo);
    if (lastFrame_ == id)
        lastPage_ = UINT64_MAX;
}

uint8_t* PagedFile::Page(uint64_t pageNo, bool forWrite) {
    if (pageNo == lastPage_) {
        PagePool::Frame& f = pool_->At(lastFrame_);
        f.referenced = true;
        f.dirty |= forWrite;
        return f.data.get();
    }
    uint32_t id;
    auto it = index_.find(pageNo);
    if (it != index_.end()) {
        id = it->second;
    } else {
        id = pool_->Take(this, pageSize_);
        uint8_t* d = pool_->At(id).data.get();
        uint64_t off = pageNo * pageSize_;
        size_t got = 0;
        try {
            if (off < diskSize_) {
                got = file_->ReadAt(off, d, pageSize_);
                // Fewer bytes than the file holds there: a failing read, never zeros to go on.
                if (got < std::min<uint64_t>(pageSize_, diskSize_ - off))
                    throw DbError(kErrRead, Path(),
                                  "a read at offset " + std::to_string(off) + " ended early");
            }
        } catch (...) {
            pool_->Release(id);
            throw;
        }
        if (got < pageSize_)
            std::memset(d + got, 0, pageSize_ - got);
        PagePool::Frame& f = pool_->At(id);
        f.pageNo = pageNo;
        f.dirty = false;
        index_.emplace(pageNo, id);
    }
    PagePool::Frame& f = pool_->At(id);
    f.referenced = true;
    f.dirty |= forWrite;
    lastPage_ = pageNo;
    lastFrame_ = id;
    return f.data.get();
}

size_t PagedFile::Read(uint64_t offset, void* buf, size_t n) {
    if (offset >= size_)
        return 0;
    n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    auto* out = static_cast<uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        uint64_t pos = offset + done;
        uint64_t pageNo = pos / pageSize_;
        size_t inPage = static_cast<size_t>(pos % pageSize_);
        size_t take = std::min<size_t>(n - done, pageSize_ - inPage);
        std::memcpy(out + done, Page(pageNo, false) + inPage, take);
        done += take;
    }
    return n;
}

void PagedFile::Write(uint64_t offset, const void* buf, size_t n) {
    if (!writable_)
        throw DbError(kErrReadOnly, Path(), "the file is open read-only");
    const auto* in = static_cast<const uint8_t*>(buf);
    // Sized first: a page of this write evicted before the write ends still reaches the disk.
    size_ = std::max(size_, offset + n);
    size_t done = 0;
    while (done < n) {
        uint64_t pos = offset + done;
        uint64_t pageNo = pos / pageSize_;
        size_t inPage = static_cast<size_t>(pos % pageSize_);
        size_t take = std::min<size_t>(n - done, pageSize_ - inPage);
        std::memcpy(Page(pageNo, true) + inPage, in + done, take);
        done += take;
    }
}

void PagedFile::Truncate(uint64_t size) {
    if (!writable_)
        throw DbError(kErrReadOnly, Path(), "the file is open read-only");
    Flush();
    std::vector<uint64_t> gone;
    for (auto& [pageNo, id] : index_) {
        uint64_t start = pageNo * pageSize_;
        if (start >= size)
            gone.push_back(pageNo);
        else if (start + pageSize_ > size)
            std::memset(pool_->At(id).data.get() + (size - start), 0, start + pageSize_ - size);
    }
    for (uint64_t pageNo : gone) {
        pool_->Release(index_[pageNo]);
        index_.erase(pageNo);
    }
    lastPage_ = UINT64_MAX;
    file_->Truncate(size);
    size_ = diskSize_ = size;
    unsynced_ = true;
}

void PagedFile::SetMaxCachedBytes(size_t bytes) {
    Flush();
    ReleaseAll();
    pool_->Uncharge(sideBytes_);
    // The bound is the pages'; what the owner keeps beside them comes on top, as before.
    pool_ = OwnPool(bytes, pageSize_, sideBytes_);
    pool_->Charge(sideBytes_);
}

void PagedFile::SetSideBytes(size_t bytes) {
    pool_->Uncharge(sideBytes_);
    sideBytes_ = bytes;
    pool_->Charge(sideBytes_);
}

void PagedFile::Flush() {
    if (!writable_)
        return;
    std::vector<std::pair<uint64_t, uint32_t>> dirty;
    for (auto& [pageNo, id] : index_)
        if (pool_->At(id).dirty)
            dirty.emplace_back(pageNo, id);
    std::sort(dirty.begin(), dirty.end());
    for (auto& [pageNo, id] : dirty)
        WriteFrame(pool_->At(id));
    if (diskSize_ < size_) { // pages never written but logically present (holes)
        file_->Truncate(size_);
        diskSize_ = size_;
    }
}

void PagedFile::Sync() {
    Flush();
    if (unsynced_) {
        file_->Sync();
        unsynced_ = false;
    }
}

} // namespace hk::db
