#include "xbase/io/page_pool.h"

#include <algorithm>

#include "xbase/io/paged_file.h"

namespace hk::db {

uint32_t PagePool::Victim() {
    for (;;) {
        hand_ = (hand_ + 1) % frames_.size();
        Frame& f = frames_[hand_];
        if (!f.owner)
            continue;
        if (f.referenced) {
            f.referenced = false;
            continue;
        }
        f.owner->Evict(static_cast<uint32_t>(hand_), f);
        f.owner = nullptr;
        f.dirty = false;
        return static_cast<uint32_t>(hand_);
    }
}

void PagePool::Drop(uint32_t id) {
    Frame& f = frames_[id];
    held_ -= f.size + kFrameOverhead;
    f.data.reset();
    f.size = 0;
    free_.push_back(id);
}

void PagePool::DropSpares() {
    for (uint32_t id : spares_)
        Drop(id);
    spares_.clear();
}

void PagePool::EvictOne() {
    uint32_t id = Victim();
    --owned_;
    Drop(id);
}

uint32_t PagePool::Take(PagedFile* owner, uint32_t size) {
    // The memory of a page a file gave back is taken as it is: handed back to the heap and
    // asked for again between the small allocations of a run, it would fragment the heap.
    while (!spares_.empty()) {
        uint32_t id = spares_.back();
        spares_.pop_back();
        Frame& f = frames_[id];
        if (f.size == size) {
            f.owner = owner;
            f.dirty = f.referenced = false;
            ++owned_;
            return id;
        }
        Drop(id);
    }
    const size_t cost = size + kFrameOverhead;
    while (held_ + cost > limit_ && owned_ > 0) {
        uint32_t id = Victim();
        Frame& f = frames_[id];
        if (f.size == size && held_ <= limit_) { // the common case: reuse the memory at once
            f.owner = owner;
            f.referenced = false;
            return id;
        }
        --owned_;
        Drop(id);
    }
    uint32_t id;
    if (free_.empty()) {
        id = static_cast<uint32_t>(frames_.size());
        frames_.emplace_back();
    } else {
        id = free_.back();
        free_.pop_back();
    }
    Frame& f = frames_[id];
    // Not cleared: the caller fills the page, and untouched memory is not resident.
    f.data = std::make_unique_for_overwrite<uint8_t[]>(size);
    f.size = size;
    f.owner = owner;
    f.dirty = f.referenced = false;
    ++owned_;
    held_ += cost;
    peak_ = std::max(peak_, held_);
    return id;
}

void PagePool::Release(uint32_t id) {
    Frame& f = frames_[id];
    f.owner = nullptr;
    f.dirty = f.referenced = false;
    --owned_;
    spares_.push_back(id);
    if (owned_ == 0) // no file left: the memory goes back to the heap
        DropSpares();
}

void PagePool::Shrink() {
    DropSpares();
    while (held_ > limit_ && owned_ > 0)
        EvictOne();
}

void PagePool::Charge(size_t bytes) {
    // Room first, so that the memory about to be taken never comes on top of a full pool.
    if (held_ + bytes > limit_)
        DropSpares();
    while (held_ + bytes > limit_ && owned_ > 0)
        EvictOne();
    held_ += bytes;
    peak_ = std::max(peak_, held_);
}

void PagePool::SetLimit(size_t bytes) {
    limit_ = bytes;
    Shrink();
}

} // namespace hk::db
