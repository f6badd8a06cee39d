#pragma once
// IdSet: the IDs of one table collected in a single walk, then asked about many times. Held
// as a bitset when they are dense enough, else as a sorted vector, so that a million IDs take
// a few megabytes at most and each question costs no seek.
#include <cstdint>
#include <vector>

namespace hk {

class IdSet {
public:
    void Add(long id) { ids_.push_back(id); }
    // Call once after the last Add and before the first Contains.
    void Finish();
    bool Contains(long id) const;

private:
    std::vector<long> ids_; // sorted and unique once finished, unless the bitset holds them
    std::vector<uint64_t> bits_;
    long low_ = 0;
    long high_ = -1; // the bitset covers low_ to high_
};

} // namespace hk
