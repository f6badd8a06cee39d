#include "support/set_long_sequence.h"

#include <string>

#include "support/error.h"

namespace hk::db {

CSetLongSequence::CSetLongSequence() {
    Clear();
}

void CSetLongSequence::Clear() {
    values_.assign(kGrowBy, 0);
    sequences_.assign(kGrowBy, 0);
    count_ = 0;
}

int CSetLongSequence::IndexOf(long value) const {
    for (int i = 0; i < count_; ++i)
        if (values_[i] == value)
            return i;
    return -1;
}

int CSetLongSequence::Add(long value, long sequence) {
    if (count_ == Capacity()) {
        values_.resize(values_.size() + kGrowBy);
        sequences_.resize(sequences_.size() + kGrowBy);
    }
    values_[count_] = value;
    sequences_[count_] = sequence;
    return count_++;
}

int CSetLongSequence::AddUnique(long value, long sequence) {
    int i = IndexOf(value);
    return i >= 0 ? i : Add(value, sequence);
}

void CSetLongSequence::CheckIndex(int index, const char* proc) const {
    if (index < 0 || index >= count_)
        throw Error(9, ErrorSource("CSetLongSequence", proc),
                    "Subscript out of range: " + std::to_string(index) + " of " +
                        std::to_string(count_));
}

long CSetLongSequence::Value(int index) const {
    CheckIndex(index, "Value");
    return values_[index];
}

long CSetLongSequence::Sequence(int index) const {
    CheckIndex(index, "Sequence");
    return sequences_[index];
}

void CSetLongSequence::SortBySequence() {
    // Insertion sort: the sets are small, and it keeps equal sequence numbers in their order.
    for (int i = 1; i < count_; ++i) {
        long value = values_[i], sequence = sequences_[i];
        int j = i - 1;
        while (j >= 0 && sequences_[j] > sequence) {
            values_[j + 1] = values_[j];
            sequences_[j + 1] = sequences_[j];
            --j;
        }
        values_[j + 1] = value;
        sequences_[j + 1] = sequence;
    }
}

} // namespace hk::db
