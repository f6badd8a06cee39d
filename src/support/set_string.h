#pragma once
// CSetString: a growable list of texts collected during a walk; comparisons are exact
// (case-sensitive), and it keeps the order of insertion.
#include <string>
#include <string_view>
#include <vector>

namespace hk::db {

class CSetString {
public:
    static constexpr int kGrowBy = 8;

    CSetString();

    void Clear();
    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(items_.size()); }

    bool Contains(std::string_view text) const { return IndexOf(text) >= 0; }
    int IndexOf(std::string_view text) const; // the first index holding text, or -1
    int Add(std::string text);
    int AddUnique(std::string text); // the existing index, or Add

    const std::string& Item(int index) const;

private:
    std::vector<std::string> items_; // the capacity; the first count_ are used
    int count_ = 0;
};

} // namespace hk::db
