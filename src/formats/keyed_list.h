#pragma once
// KeyedList: items kept in the order they were added and found by a text key compared
// without regard to case, the way TMG's role, language and sentence collections behave.
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formats/utf8_case.h"

namespace hk {

template <typename T> class KeyedList {
public:
    // The key as the list compares it.
    static std::string Fold(std::string_view key) { return UpperText(key); }

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    void Clear() {
        items_.clear();
        index_.clear();
    }

    bool Contains(std::string_view key) const { return index_.contains(Fold(key)); }
    T* Find(std::string_view key) {
        auto it = index_.find(Fold(key));
        return it == index_.end() ? nullptr : &items_[it->second].second;
    }
    const T* Find(std::string_view key) const {
        auto it = index_.find(Fold(key));
        return it == index_.end() ? nullptr : &items_[it->second].second;
    }

    // False (and nothing added) when the key is taken.
    bool Add(std::string_view key, T value) {
        std::string folded = Fold(key);
        if (index_.contains(folded))
            return false;
        index_.emplace(folded, items_.size());
        items_.emplace_back(std::move(folded), std::move(value));
        return true;
    }

    // Gives an item a new key in the same position; false when the new key is taken by
    // another item or the old key is missing.
    bool Rekey(std::string_view oldKey, std::string_view newKey) {
        std::string oldFolded = Fold(oldKey);
        std::string newFolded = Fold(newKey);
        auto it = index_.find(oldFolded);
        if (it == index_.end())
            return false;
        if (oldFolded == newFolded)
            return true;
        if (index_.contains(newFolded))
            return false;
        std::size_t pos = it->second;
        index_.erase(it);
        index_.emplace(newFolded, pos);
        items_[pos].first = std::move(newFolded);
        return true;
    }

    // Positions from 0, in the order of adding.
    const std::string& KeyAt(int index) const { return items_[Pos(index)].first; }
    T& At(int index) { return items_[Pos(index)].second; }
    const T& At(int index) const { return items_[Pos(index)].second; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static std::size_t Pos(int index) { return static_cast<std::size_t>(index); }

    std::vector<std::pair<std::string, T>> items_; // folded key, item
    std::unordered_map<std::string, std::size_t> index_;
};

} // namespace hk
