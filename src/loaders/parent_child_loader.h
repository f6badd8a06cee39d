#pragma once
// CTMGParentChildLoader: the parent-child links ("F") of the current dataset: walking a
// parent's or a child's links, relationship types and sureties, primary children, and the
// male or female line below a person.
#include <cstdint>
#include <string>
#include <string_view>

#include "loaders/loader_table.h"
#include "support/set_long.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// A link as loaded.
struct RelationshipValues {
    uint32_t physRec = 0;
    long child = 0, parent = 0, pType = 0, recNo = 0;
    bool primary = false;
    std::string pNote;
    long dsid = 0;
    char pSure = ' ', fSure = ' ';
};

class CTMGParentChildLoader {
public:
    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept;

    // "BYPARENT", "BYCHILD" or "BYRECNO"; SeekFirst and MoveNext walk the rows of one key.
    void SelectTag(std::string_view tag) { links_.SelectTag(tag); }
    bool SeekFirst(long key);
    // Loads the row found and steps to the next one of the key; false at the end.
    bool MoveNext();
    void Load();
    void Clear() { link_ = RelationshipValues(); }
    const RelationshipValues& Link() const { return link_; }

    // PType of the first link from the parent to the child, or -1.
    long GetRelationshipType(long parent, long child);
    std::string GetSuretyString(long recNo);
    void SetSuretyString(long recNo, std::string_view text);
    db::CSetLong GetPrimaryChildren(long parent);
    // The person's Sex in the current dataset; " " when there is no such person.
    std::string GetSex(long person);
    // Adds the person and, recursively, the primary sons (or, with femaleLine, every primary
    // child, following only the daughters further down).
    void GetLineDescendants(db::CSetLong& set, long person, bool femaleLine);

    db::Table& Table() const { return links_.Tbl(); }

private:
    LoaderTable links_;
    db::Tag* byParent_ = nullptr;
    db::Tag* byRecNo_ = nullptr;
    LoaderTable people_;
    long walkKey_ = 0;
    bool walkFound_ = false;
    int child_ = -1, parent_ = -1, pType_ = -1, recNo_ = -1, primary_ = -1, pNote_ = -1,
        pSure_ = -1, fSure_ = -1, sex_ = -1;
    RelationshipValues link_;
};

} // namespace hk
