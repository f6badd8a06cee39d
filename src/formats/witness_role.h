#pragma once
// CWitnessRole: rewrites the role codes of one event's participants by a role map, in their
// Role field and in the role references of their sentence and memo texts.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/keyed_list.h"
#include "support/reg_exp.h"

namespace hk {

// The principal and witness role ids of a project: "00001" and "00002" from version 10,
// "Principal" and "Witness" before.
struct RoleIds {
    std::string principal = "00001";
    std::string witness = "00002";

    static RoleIds ForVersion(int versionMajor);
};

// Old role id -> new role id, in the order added; an old id is kept once (the first wins).
class RoleMap {
public:
    void Add(std::string_view oldId, std::string_view newId);
    // The new id for an old one (compared trimmed), or nullptr.
    const std::string* NewIdFor(std::string_view oldId) const;
    int Count() const { return items_.Count(); }

    // Rewrites every "[R" + at most one character + ":" + old id + "]" to the new id. Two
    // passes, so that a map 00003 -> 00004, 00004 -> 00005 moves each reference once.
    std::string RemapReferences(std::string_view text) const;

private:
    struct Item {
        std::string newId;
        RegExp pattern; // the old id's references
    };
    KeyedList<Item> items_; // keyed "R" + old id
};

// One participant record of the event-witness table ("E") as the loader reads it.
struct WitnessRow {
    long ePer = 0;
    long dsid = 0;
    long gNum = 0;
    bool deleted = false;
    std::string role;
    std::string wSentence;
    std::string witMemo;
};

// What RemapRoles changed in one row (index into the rows given), for the loader to write.
struct WitnessChange {
    std::size_t row = 0;
    bool role = false;
    bool wSentence = false;
    bool witMemo = false;
};

class CWitnessRole {
public:
    explicit CWitnessRole(RoleIds ids = {}) : ids_(std::move(ids)) {}

    // Rewrites the participants of one event (rows of other events, other datasets or
    // deleted are left alone). A participant that is neither principal is a witness; its
    // new role is the map's, else the witness id (the principal id for principals).
    std::vector<WitnessChange> RemapRoles(std::span<WitnessRow> rows, long eventNumber, long dsid,
                                          const RoleMap& roleMap, long principal1,
                                          long principal2) const;

private:
    RoleIds ids_;
};

} // namespace hk
