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

void PagePool::Free(uint32_t id) {
    Frame& f = frames_[id];
    held_ -= f.size + kFrameOverhead;
    f.data.reset();
    f.size = 0;
    f.owner = nullptr;
    f.dirty = f.referenced = false;
    --owned_;
    free_.push_back(id);
}

uint32_t PagePool::Take(PagedFile* owner, uint32_t size) {
    const size_t cost = size + kFrameOverhead;
    while (held_ + cost > limit_ && owned_ > 0) {
        uint32_t id = Victim();
        Frame& f = frames_[id];
        if (f.size == size && held_ <= limit_) { // the common case: reuse the memory at once
            f.owner = owner;
            f.referenced = false;
            return id;
        }
        Free(id);
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
    Free(id);
}

void PagePool::Shrink() {
    while (held_ > limit_ && owned_ > 0)
        Free(Victim());
}

void PagePool::Charge(size_t bytes) {
    // Room first, so that the memory about to be taken never comes on top of a full pool.
    while (held_ + bytes > limit_ && owned_ > 0)
        Free(Victim());
    held_ += bytes;
    peak_ = std::max(peak_, held_);
}

void PagePool::SetLimit(size_t bytes) {
    limit_ = bytes;
    Shrink();
}

} // namespace hk::db
