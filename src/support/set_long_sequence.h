#pragma once
// CSetLongSequence: whole numbers each paired with a sequence number (an id and its position,
// a person and a birth order), collected during a walk and put in sequence order afterwards.
#include <vector>

namespace hk::db {

class CSetLongSequence {
public:
    static constexpr int kGrowBy = 32;

    CSetLongSequence();

    void Clear();
    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(values_.size()); }

    int IndexOf(long value) const; // the first pair holding value, or -1
    int Add(long value, long sequence);
    // The existing pair of that value (its sequence unchanged), or a new one.
    int AddUnique(long value, long sequence);

    long Value(int index) const;
    long Sequence(int index) const;

    // Stable: pairs with equal sequence numbers keep their order.
    void SortBySequence();

private:
    void CheckIndex(int index, const char* proc) const;

    std::vector<long> values_, sequences_; // the capacity; the first count_ are used
    int count_ = 0;
};

} // namespace hk::db
