#include "support/set_long.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "support/error.h"

namespace hk::db {

CSetLong::CSetLong() {
    items_.resize(kGrowBy);
}

void CSetLong::Clear() {
    items_.assign(kGrowBy, 0);
    count_ = 0;
}

int CSetLong::IndexOf(long value) const {
    for (int i = 0; i < count_; ++i)
        if (items_[i] == value)
            return i;
    return -1;
}

int CSetLong::Add(long value) {
    if (count_ == Capacity())
        items_.resize(items_.size() + kGrowBy);
    items_[count_] = value;
    return count_++;
}

int CSetLong::AddUnique(long value) {
    int i = IndexOf(value);
    return i >= 0 ? i : Add(value);
}

void CSetLong::CheckIndex(int index, const char* proc) const {
    if (index < 0 || index >= count_)
        throw Error(9, ErrorSource("CSetLong", proc),
                    "Subscript out of range: " + std::to_string(index) + " of " +
                        std::to_string(count_));
}

long CSetLong::Item(int index) const {
    CheckIndex(index, "Item");
    return items_[index];
}

void CSetLong::SetItem(int index, long value) {
    CheckIndex(index, "SetItem");
    items_[index] = value;
}

void CSetLong::Reverse() {
    std::reverse(items_.begin(), items_.begin() + count_);
}

void CSetLong::ZerosToFront() {
    std::stable_partition(items_.begin(), items_.begin() + count_, [](long v) { return v == 0; });
}

namespace {

// The middle of lo..hi, halves rounded to even as the original's integer conversion did.
int Middle(int lo, int hi) {
    int sum = lo + hi;
    int half = sum / 2;
    if (sum % 2 != 0 && half % 2 != 0)
        ++half;
    return half;
}

void QuickSort(std::vector<long>& a, int lo, int hi) {
    while (lo < hi) {
        long pivot = a[Middle(lo, hi)];
        int i = lo, j = hi;
        while (i <= j) {
            while (a[i] < pivot)
                ++i;
            while (a[j] > pivot)
                --j;
            if (i <= j)
                std::swap(a[i++], a[j--]);
        }
        // Recurse into the smaller part so that the depth stays logarithmic.
        if (j - lo < hi - i) {
            QuickSort(a, lo, j);
            lo = i;
        } else {
            QuickSort(a, i, hi);
            hi = j;
        }
    }
}

} // namespace

void CSetLong::Sort() {
    if (count_ > 1)
        QuickSort(items_, 0, count_ - 1);
}

template <typename Key> void CSetLong::SortByKeysImpl(std::vector<Key>& keys) {
    if (count_ < 2)
        return;
    if (static_cast<int>(keys.size()) < count_)
        throw Error(9, ErrorSource("CSetLong", "SortByKeys"),
                    "There are " + std::to_string(count_) + " values but only " +
                        std::to_string(keys.size()) + " keys");
    std::vector<int> order(count_);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    std::vector<long> values(count_);
    std::vector<Key> sortedKeys(count_);
    for (int i = 0; i < count_; ++i) {
        values[i] = items_[order[i]];
        sortedKeys[i] = std::move(keys[order[i]]);
    }
    std::copy(values.begin(), values.end(), items_.begin());
    std::move(sortedKeys.begin(), sortedKeys.end(), keys.begin());
}

void CSetLong::SortByKeys(std::vector<std::string>& keys) {
    SortByKeysImpl(keys);
}
void CSetLong::SortByKeys(std::vector<double>& keys) {
    SortByKeysImpl(keys);
}

} // namespace hk::db
