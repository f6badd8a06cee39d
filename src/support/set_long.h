#pragma once
// CSetLong: a growable list of whole numbers (record numbers, ids) collected during a walk.
// It keeps the order of insertion; sorting and uniqueness happen only when asked for.
#include <string>
#include <vector>

namespace hk::db {

class CSetLong {
public:
    static constexpr int kGrowBy = 32;

    CSetLong();

    void Clear();
    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(items_.size()); }

    bool Contains(long value) const { return IndexOf(value) >= 0; }
    int IndexOf(long value) const; // the first index holding value, or -1
    int Add(long value);           // appends; returns its index
    int AddUnique(long value);     // the existing index, or Add

    long Item(int index) const;
    void SetItem(int index, long value);

    void Reverse();
    // Every zero first, the other values behind them in their order.
    void ZerosToFront();
    // Ascending quicksort; the pivot is the middle element.
    void Sort();
    // Orders the values by the caller's parallel keys (ascending, ties keep their order); the
    // keys move with their values. There must be a key for every value.
    void SortByKeys(std::vector<std::string>& keys);
    void SortByKeys(std::vector<double>& keys);

private:
    void CheckIndex(int index, const char* proc) const;
    template <typename Key> void SortByKeysImpl(std::vector<Key>& keys);

    std::vector<long> items_; // the capacity; the first count_ are used
    int count_ = 0;
};

} // namespace hk::db
