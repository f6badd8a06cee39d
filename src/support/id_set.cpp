#include "support/id_set.h"

#include <algorithm>

namespace hk {

void IdSet::Finish() {
    bits_.clear();
    low_ = 0;
    high_ = -1;
    if (ids_.empty())
        return;
    auto [lo, hi] = std::minmax_element(ids_.begin(), ids_.end());
    // Dense: a bit per possible ID costs no more than a few bytes per ID held.
    const uint64_t span = static_cast<uint64_t>(*hi) - static_cast<uint64_t>(*lo) + 1;
    if (span <= 32 * ids_.size() + 4096) {
        low_ = *lo;
        high_ = *hi;
        bits_.assign((span + 63) / 64, 0);
        for (long id : ids_) {
            const uint64_t bit = static_cast<uint64_t>(id - low_);
            bits_[bit / 64] |= uint64_t{1} << (bit % 64);
        }
        ids_.clear();
        ids_.shrink_to_fit();
        return;
    }
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
}

bool IdSet::Contains(long id) const {
    if (!bits_.empty()) {
        if (id < low_ || id > high_)
            return false;
        const uint64_t bit = static_cast<uint64_t>(id - low_);
        return (bits_[bit / 64] >> (bit % 64)) & 1;
    }
    return std::binary_search(ids_.begin(), ids_.end(), id);
}

} // namespace hk
