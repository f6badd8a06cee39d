#include "xbase/io/paged_file.h"

#include <algorithm>
#include <cstring>

#include "xbase/db_error.h"

namespace hk::db {

PagedFile::PagedFile(std::unique_ptr<File> file, uint32_t pageSize, bool writable,
                     size_t maxCachedBytes)
    : file_(std::move(file)), pageSize_(pageSize), writable_(writable) {
    size_ = diskSize_ = file_->Size();
    maxSlots_ = std::max<size_t>(8, maxCachedBytes / pageSize_);
}

PagedFile::~PagedFile() {
    try {
        Flush();
    } catch (...) {
    }
}

void PagedFile::WriteSlot(size_t slot) {
    Slot& s = slots_[slot];
    uint64_t off = s.pageNo * pageSize_;
    if (off < size_) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(pageSize_, size_ - off));
        file_->WriteAt(off, SlotData(slot), n);
        diskSize_ = std::max(diskSize_, off + n);
        unsynced_ = true;
    }
    s.dirty = false;
}

size_t PagedFile::Evict() {
    if (slots_.size() < maxSlots_) {
        // Grow lazily up to the bound, a block of pages at a time. Blocks are not cleared: a
        // slot is filled when it is taken, and a cleared block would be resident as a whole.
        if (slots_.size() % kSlotsPerBlock == 0)
            blocks_.push_back(
                std::make_unique_for_overwrite<uint8_t[]>(kSlotsPerBlock * pageSize_));
        slots_.emplace_back();
        return slots_.size() - 1;
    }
    for (;;) {
        hand_ = (hand_ + 1) % slots_.size();
        Slot& s = slots_[hand_];
        if (s.referenced) {
            s.referenced = false;
            continue;
        }
        if (s.dirty)
            WriteSlot(hand_);
        index_.erase(s.pageNo);
        s.pageNo = UINT64_MAX;
        if (lastSlot_ == hand_)
            lastPage_ = UINT64_MAX;
        return hand_;
    }
}

uint8_t* PagedFile::Page(uint64_t pageNo, bool forWrite) {
    if (pageNo == lastPage_) {
        Slot& s = slots_[lastSlot_];
        s.referenced = true;
        s.dirty |= forWrite;
        return SlotData(lastSlot_);
    }
    size_t slot;
    auto it = index_.find(pageNo);
    if (it != index_.end()) {
        slot = it->second;
    } else {
        slot = Evict();
        uint8_t* d = SlotData(slot);
        uint64_t off = pageNo * pageSize_;
        size_t got = 0;
        if (off < diskSize_) {
            got = file_->ReadAt(off, d, pageSize_);
            // Fewer bytes than the file holds there: a failing read, never zeros to go on with.
            if (got < std::min<uint64_t>(pageSize_, diskSize_ - off))
                throw DbError(kErrRead, Path(),
                              "a read at offset " + std::to_string(off) + " ended early");
        }
        if (got < pageSize_)
            std::memset(d + got, 0, pageSize_ - got);
        slots_[slot].pageNo = pageNo;
        slots_[slot].dirty = false;
        index_.emplace(pageNo, slot);
    }
    Slot& s = slots_[slot];
    s.referenced = true;
    s.dirty |= forWrite;
    lastPage_ = pageNo;
    lastSlot_ = slot;
    return SlotData(slot);
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
    size_t done = 0;
    while (done < n) {
        uint64_t pos = offset + done;
        uint64_t pageNo = pos / pageSize_;
        size_t inPage = static_cast<size_t>(pos % pageSize_);
        size_t take = std::min<size_t>(n - done, pageSize_ - inPage);
        std::memcpy(Page(pageNo, true) + inPage, in + done, take);
        done += take;
    }
    size_ = std::max(size_, offset + n);
}

void PagedFile::Truncate(uint64_t size) {
    if (!writable_)
        throw DbError(kErrReadOnly, Path(), "the file is open read-only");
    Flush();
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& s = slots_[i];
        if (s.pageNo == UINT64_MAX)
            continue;
        uint64_t start = s.pageNo * pageSize_;
        if (start >= size) {
            index_.erase(s.pageNo);
            s.pageNo = UINT64_MAX;
        } else if (start + pageSize_ > size) {
            std::memset(SlotData(i) + (size - start), 0, start + pageSize_ - size);
        }
    }
    lastPage_ = UINT64_MAX;
    file_->Truncate(size);
    size_ = diskSize_ = size;
    unsynced_ = true;
}

void PagedFile::SetMaxCachedBytes(size_t bytes) {
    size_t slots = std::max<size_t>(8, bytes / pageSize_);
    if (slots < slots_.size()) {
        Flush();
        slots_.clear();
        index_.clear();
        blocks_.clear();
        hand_ = 0;
        lastPage_ = UINT64_MAX;
    }
    maxSlots_ = slots;
}

void PagedFile::Flush() {
    if (!writable_)
        return;
    std::vector<size_t> dirty;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].dirty && slots_[i].pageNo != UINT64_MAX)
            dirty.push_back(i);
    std::sort(dirty.begin(), dirty.end(),
              [&](size_t a, size_t b) { return slots_[a].pageNo < slots_[b].pageNo; });
    for (size_t i : dirty)
        WriteSlot(i);
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
