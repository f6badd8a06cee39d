#pragma once
// What a table's users see of its index tags: a tag's definition and the entries it holds.
#include <cstdint>
#include <string>

namespace hk::db {

struct KeyEntry {
    std::string key;
    uint32_t recno = 0;
    bool operator==(const KeyEntry&) const = default;
};

struct TagInfo {
    std::string name; // upper case, no padding
    std::string keyExpr;
    std::string forExpr;
    bool descending = false;
    bool unique = false;
    bool candidate = false;
    uint16_t keyLength = 0;
    std::string collation; // "" = MACHINE
};

} // namespace hk::db
