#pragma once
// CTMGPersonLoader: the people ("$") of the current dataset, walked in person-number order or
// sought by number or ID, with the family questions asked of a loaded person: children by a
// partner, and partners in the order of their first dated connection.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/tag_types.h"
#include "loaders/loader_table.h"
#include "support/set_long.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

class CTMGEventLoader;

// A person record as loaded.
struct PersonValues {
    uint32_t physRec = 0;
    long perNo = 0;
    long id = 0; // Ref_ID, or Per_No without that field
    long father = 0, mother = 0;
    std::string lastEdit;
    long dsid = 0;
    std::string reference;
    long spouLast = 0;
    std::string scBuff;
    std::string pBirth, pDeath; // the empty sort date when blank
    char sex = ' ', living = ' ';
    std::string birthOrder;
    char multiBirth = ' ', adopted = ' ', anceInt = ' ', descInt = ' ';
    std::string extra; // the value of the extra field
};

class CTMGPersonLoader {
public:
    static constexpr int kMaxPartnerKeys = 64;

    // Set before OpenTables: one optional extra field, and further fields (flags) whose
    // values every load reads. A missing extra field clears its name.
    void SetExtraField(std::string name) { extraField_ = std::move(name); }
    const std::string& ExtraField() const { return extraField_; }
    void SetFlagFields(std::vector<std::string> names) { flagNames_ = std::move(names); }
    // Tag types of the Marriage group that do not make partners in GetCoParents.
    void SetPartnerExclusions(std::vector<long> tagTypes) { excluded_ = std::move(tagTypes); }

    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept;

    long RecordCount() const;
    uint32_t RecNo() const { return people_.RecNo(); }

    // MoveFirst goes to the first person in number order; each MoveNext then loads the next
    // acceptable person and steps past it; at the end it clears Per_No and returns false.
    bool MoveFirst();
    bool MoveNext();
    // The same walk, loading only Per_No, the ID and the extra field.
    bool MoveNextLight();

    // True at once when that person is loaded already.
    bool SeekPerson(long perNo);
    bool SeekByID(long id);

    // Per_No of the loaded person's children (by Father for a man, Mother for a woman), only
    // those whose other parent is `otherParent` unless it is -1.
    db::CSetLong GetChildren(long otherParent = -1);
    // The loaded person's partners: other parents of the children, and with `allShared` (or a
    // tag type of 1 or more) the other principals of shared primary events, ordered by their
    // earliest connection (the chosen tag type, then other shared events, then first births).
    db::CSetLong GetCoParents(CTMGEventLoader& events, const CTMGTagTypes& tagTypes, bool allShared,
                              long tagType);

    const PersonValues& Person() const { return person_; }
    long PerNo() const { return person_.perNo; }
    long ID() const { return person_.id; }
    char Sex() const { return person_.sex; }
    // The loaded value of an extra or flag field (without regard to case); empty otherwise.
    std::string flag(std::string_view fieldName) const;
    // The same by handle, for walks: FlagHandle finds the field once (-1 when it is not
    // loaded, which reads as empty).
    int FlagHandle(std::string_view fieldName) const;
    const std::string& FlagValue(int handle) const;

    // For callers that write: the person table (positioned by the last seek or walk) and
    // field handles by name.
    db::Table& Table() const { return people_.Tbl(); }
    int Field(std::string_view name) const { return people_.Field(name); }

private:
    void Load(const LoaderTable& t);
    void LoadLight(const LoaderTable& t);
    bool WalkNext(bool light);
    bool SeekWith(LoaderTable& t, long key);

    LoaderTable people_; // the walk and seeks
    // Children by father and by mother, each keeping its order (a change of order makes a new
    // index cursor), so that a walk keeps its place.
    LoaderTable byFather_, byMother_;
    db::Tag* byPerNo_ = nullptr; // people_: person number
    db::Tag* byId_ = nullptr;    // people_: Ref_ID, or the person number without it
    bool hasRefId_ = false;
    std::string extraField_;
    std::vector<std::string> flagNames_;
    std::vector<int> flagFields_;
    std::vector<std::string> flagValues_;
    std::vector<long> excluded_;

    int perNo_ = -1, refId_ = -1, father_ = -1, mother_ = -1, lastEdit_ = -1, reference_ = -1,
        spouLast_ = -1, scBuff_ = -1, pBirth_ = -1, pDeath_ = -1, sex_ = -1, living_ = -1,
        birthOrder_ = -1, multiBirth_ = -1, adopted_ = -1, anceInt_ = -1, descInt_ = -1,
        extra_ = -1;
    PersonValues person_;
};

} // namespace hk
