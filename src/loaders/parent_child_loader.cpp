#include "loaders/parent_child_loader.h"

#include <array>

#include "loaders/surety.h"

namespace hk {

void CTMGParentChildLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    links_.Open(db, "F");
    child_ = links_.Field("Child");
    parent_ = links_.Field("Parent");
    pType_ = links_.Field("PType");
    recNo_ = links_.Field("RecNo");
    primary_ = links_.Field("Primary");
    pNote_ = links_.Field("PNote");
    pSure_ = links_.Field("PSure");
    fSure_ = links_.Field("FSure");
    byParent_ = links_.FindTag("BYPARENT");
    byRecNo_ = links_.FindTag("BYRECNO");
    links_.SelectTag(byParent_);
    people_.Open(db, "$");
    people_.SelectTag(db.PersonOrder());
    sex_ = people_.Field("Sex");
}

void CTMGParentChildLoader::CloseTables() noexcept {
    people_.Close();
    links_.Close();
}

bool CTMGParentChildLoader::SeekFirst(long key) {
    walkKey_ = key;
    walkFound_ = links_.Seek(key);
    return walkFound_;
}

bool CTMGParentChildLoader::MoveNext() {
    if (!walkFound_)
        return false;
    Load();
    walkFound_ = links_.SeekNext(walkKey_);
    return true;
}

void CTMGParentChildLoader::Load() {
    RelationshipValues& l = link_;
    l.physRec = links_.RecNo();
    l.child = links_.Long(child_);
    l.parent = links_.Long(parent_);
    l.pType = links_.Long(pType_);
    l.recNo = links_.Long(recNo_);
    l.primary = links_.Bool(primary_);
    l.pNote = links_.Text(pNote_);
    l.dsid = links_.RecordDsid();
    l.pSure = links_.Char(pSure_);
    l.fSure = links_.Char(fSure_);
}

long CTMGParentChildLoader::GetRelationshipType(long parent, long child) {
    links_.SelectTag(byParent_);
    for (bool ok = links_.Seek(parent); ok; ok = links_.SeekNext(parent))
        if (links_.Long(child_) == child)
            return links_.Long(pType_);
    return -1;
}

std::string CTMGParentChildLoader::GetSuretyString(long recNo) {
    links_.SelectTag(byRecNo_);
    if (!links_.Seek(recNo))
        return {};
    return RelationshipSuretyString(links_.Char(pSure_), links_.Char(fSure_));
}

void CTMGParentChildLoader::SetSuretyString(long recNo, std::string_view text) {
    links_.SelectTag(byRecNo_);
    if (!links_.Seek(recNo))
        return;
    std::array<char, 5> s = SuretiesFromString(text);
    links_.Tbl().AssignString(pSure_, std::string(1, s[0]));
    links_.Tbl().AssignString(fSure_, std::string(1, s[4]));
}

db::CSetLong CTMGParentChildLoader::GetPrimaryChildren(long parent) {
    db::CSetLong children;
    links_.SelectTag(byParent_);
    for (bool ok = links_.Seek(parent); ok; ok = links_.SeekNext(parent))
        if (links_.Bool(primary_))
            children.Add(links_.Long(child_));
    return children;
}

std::string CTMGParentChildLoader::GetSex(long person) {
    if (!people_.Seek(person))
        return " ";
    return std::string(1, people_.Char(sex_));
}

void CTMGParentChildLoader::GetLineDescendants(db::CSetLong& set, long person, bool femaleLine) {
    set.AddUnique(person);
    db::CSetLong children = GetPrimaryChildren(person);
    for (int i = 0; i < children.Count(); ++i) {
        long child = children.Item(i);
        // A person met before (bad data can make a loop) is not walked again.
        if (set.Contains(child))
            continue;
        char sex = GetSex(child)[0];
        if (sex == (femaleLine ? 'F' : 'M'))
            GetLineDescendants(set, child, femaleLine);
        else if (femaleLine)
            set.Add(child);
    }
}

} // namespace hk
