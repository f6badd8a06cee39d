#pragma once
// CTMGTagTypes: the project's tag types (event types) of the current dataset, with their
// group, name, sentence memo and roles, loaded once per project from the tag type rows.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/keyed_list.h"
#include "support/error.h"

namespace hk {

// Tag type groups (the Admin field).
enum TagGroup : long {
    kGroupName = 1,
    kGroupFather = 2,
    kGroupMother = 3,
    kGroupBirth = 4,
    kGroupDeath = 5,
    kGroupMarriage = 6,
    kGroupDivorce = 7,
    kGroupHistory = 8,
    kGroupBurial = 9,
    kGroupAddress = 10,
    kGroupParent = 12,
    kGroupOther = 99,
};

// One record of the tag type table ("T") as the loader reads it. `sentence` is TSentence or
// Sentence (SentenceField); `dsid` is left empty when the project has no DSID field.
struct TagTypeRow {
    long eTypeNum = 0;
    long admin = 0;
    std::string eTypeName;
    std::string properties;
    std::string sentence;
    std::optional<long> dsid;
    bool deleted = false;
};

// Replacement names by section and key, without regard to case (role labels use the
// section "RoleNames" with the keys tag name "." label, or the label alone).
class NameMapping {
public:
    void Set(std::string_view section, std::string_view key, std::string value);
    const std::string* Find(std::string_view section, std::string_view key) const;

private:
    std::map<std::string, std::string> values_; // folded section "\n" folded key -> value
};

// One role of a tag type as the labels block defines it.
struct TagRole {
    std::string id;           // "00001" ..., without the leading "\"
    std::string label;        // in the requested language, unique within the tag type
    bool backslashed = false; // the labels block wrote the id as "\" + id
};

class CTMGTagTypes {
public:
    static constexpr int kMaxEntries = 2047;

    // "TSentence" when the project's version string is above "004.000.000", else "Sentence".
    static std::string_view SentenceField(std::string_view versionString);
    // Whether tag type rows carry a DSID (projects of version 5 and later).
    static bool HasDsidField(int versionMajor) { return versionMajor > 4; }

    // "Name", "Father", ... for a group number; empty for any other number.
    static std::string_view GroupName(long group);

    void Reset();
    // Loads every row that is not deleted and belongs to dataset 0 or `dsid` (rows without a
    // DSID always). With a language, names come from the "l" properties of that language
    // and role labels from its labels, falling back to English. Raises "Too many tag types"
    // beyond 2047 entries; every error comes with the source "[CTMGTagTypes.LoadTags]".
    void LoadTags(std::span<const TagTypeRow> rows, long dsid, const NameMapping* nameMapping,
                  std::string_view language);

    // The next free slot; slots run from 1 to Count() - 1.
    int Count() const { return static_cast<int>(entries_.size()) + 1; }
    long NumberAt(int slot) const;

    // Lookups by tag type number; an unknown number gives 0, empty text or no roles.
    bool Has(long number) const { return Find(number) != nullptr; }
    long GroupOf(long number) const;
    const std::string& NameOf(long number) const;
    const std::string& SentenceOf(long number) const;
    // The number of the first tag type with that name (without regard to case), or 0.
    long FindByName(std::string_view name) const;

    // For a numeric role id, its label (empty when the tag type has no such role); any
    // other text comes back unchanged.
    std::string RoleName(long number, std::string_view roleId) const;
    // The role id of a label (without regard to case), or empty.
    std::string RoleID(long number, std::string_view roleLabel) const;
    int RoleCount(long number) const;
    // Positions from 1 in the order of the labels block; empty outside the range.
    std::string RoleLabelAt(long number, int index) const;
    std::string RoleIDAt(long number, int index) const;
    bool HasRoleID(long number, std::string_view roleId) const;
    const TagRole* RoleAt(long number, int index) const;

private:
    struct Entry {
        long number = 0;
        long group = 0;
        std::string name;
        std::string sentence;
        KeyedList<TagRole> roles;                    // by id
        std::unordered_map<std::string, int> labels; // folded label -> position in roles
    };

    const Entry* Find(long number) const;
    void LoadRoles(Entry& entry, const NameMapping* nameMapping, std::string_view language) const;

    std::vector<Entry> entries_; // slot 1 is entries_[0]
    std::unordered_map<long, std::size_t> byNumber_;
};

} // namespace hk
