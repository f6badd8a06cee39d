#include "support/set_string.h"

#include "support/error.h"

namespace hk::db {

CSetString::CSetString() {
    Clear();
}

void CSetString::Clear() {
    items_.assign(kGrowBy, std::string());
    count_ = 0;
}

int CSetString::IndexOf(std::string_view text) const {
    for (int i = 0; i < count_; ++i)
        if (items_[i] == text)
            return i;
    return -1;
}

int CSetString::Add(std::string text) {
    if (count_ == Capacity())
        items_.resize(items_.size() + kGrowBy);
    items_[count_] = std::move(text);
    return count_++;
}

int CSetString::AddUnique(std::string text) {
    int i = IndexOf(text);
    return i >= 0 ? i : Add(std::move(text));
}

const std::string& CSetString::Item(int index) const {
    if (index < 0 || index >= count_)
        throw Error(9, ErrorSource("CSetString", "Item"),
                    "Subscript out of range: " + std::to_string(index) + " of " +
                        std::to_string(count_));
    return items_[index];
}

} // namespace hk::db
