#include "loaders/person_loader.h"

#include <algorithm>
#include <array>

#include "loaders/event_loader.h"
#include "support/text.h"

namespace hk {
namespace {
constexpr const char* kClass = "CTMGPersonLoader";
constexpr char kKeyChosenType = '1';
constexpr char kKeyOtherShared = '2';
constexpr char kKeyChildBirth = '3';
} // namespace

void CTMGPersonLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    people_.Open(db, "$");
    byFather_.Open(db, "$");
    byMother_.Open(db, "$");
    byPerNo_ = people_.FindTag(db.PersonOrder());
    perNo_ = people_.Field("Per_No");
    refId_ = people_.OptionalField("Ref_ID");
    hasRefId_ = refId_ >= 0;
    byId_ = hasRefId_ ? people_.FindTag("REF_ID") : byPerNo_;
    byFather_.SelectTag("PERBYFAT");
    byMother_.SelectTag("PERBYMOT");
    father_ = people_.Field("Father");
    mother_ = people_.Field("Mother");
    lastEdit_ = people_.Field("Last_Edit");
    reference_ = people_.Field("Reference");
    spouLast_ = people_.Field("Spoulast");
    scBuff_ = people_.Field("Scbuff");
    pBirth_ = people_.Field("Pbirth");
    pDeath_ = people_.Field("Pdeath");
    sex_ = people_.Field("Sex");
    living_ = people_.Field("Living");
    birthOrder_ = people_.Field("Birthorder");
    multiBirth_ = people_.Field("Multibirth");
    adopted_ = people_.Field("Adopted");
    anceInt_ = people_.Field("Ance_Int");
    descInt_ = people_.Field("Desc_Int");
    extra_ = extraField_.empty() ? -1 : people_.OptionalField(extraField_);
    if (extra_ < 0)
        extraField_.clear();
    flagFields_.clear();
    for (const std::string& name : flagNames_)
        flagFields_.push_back(people_.OptionalField(name));
    flagValues_.assign(flagNames_.size(), std::string());
    people_.SelectTag(byPerNo_);
    person_ = PersonValues();
}

void CTMGPersonLoader::CloseTables() noexcept {
    byMother_.Close();
    byFather_.Close();
    people_.Close();
}

long CTMGPersonLoader::RecordCount() const {
    return people_.Tbl().RecCount();
}

void CTMGPersonLoader::LoadLight(const LoaderTable& t) {
    person_.physRec = t.RecNo();
    person_.perNo = t.Long(perNo_);
    person_.id = hasRefId_ ? t.Long(refId_) : person_.perNo;
    person_.extra = t.Text(extra_);
}

void CTMGPersonLoader::Load(const LoaderTable& t) {
    LoadLight(t);
    PersonValues& p = person_;
    p.father = t.Long(father_);
    p.mother = t.Long(mother_);
    p.lastEdit = t.Text(lastEdit_);
    p.dsid = t.RecordDsid();
    p.reference = t.Text(reference_);
    p.spouLast = t.Long(spouLast_);
    p.scBuff = t.Tbl().GetString(scBuff_);
    p.pBirth = t.Date(pBirth_);
    p.pDeath = t.Date(pDeath_);
    p.sex = t.Char(sex_);
    p.living = t.Char(living_);
    p.birthOrder = t.Text(birthOrder_);
    p.multiBirth = t.Char(multiBirth_);
    p.adopted = t.Char(adopted_);
    p.anceInt = t.Char(anceInt_);
    p.descInt = t.Char(descInt_);
    for (std::size_t i = 0; i < flagFields_.size(); ++i)
        flagValues_[i] = t.Text(flagFields_[i]);
}

bool CTMGPersonLoader::MoveFirst() {
    people_.SelectTag(byPerNo_);
    return people_.Tbl().Top() == db::kPosOk;
}

bool CTMGPersonLoader::WalkNext(bool light) {
    db::Table& t = people_.Tbl();
    while (!t.Eof() && !people_.Acceptable())
        t.Skip(1);
    if (t.Eof()) {
        person_.perNo = 0;
        return false;
    }
    light ? LoadLight(people_) : Load(people_);
    t.Skip(1);
    return true;
}

bool CTMGPersonLoader::MoveNext() {
    return WalkNext(false);
}
bool CTMGPersonLoader::MoveNextLight() {
    return WalkNext(true);
}

bool CTMGPersonLoader::SeekWith(LoaderTable& t, long key) {
    if (!t.Seek(key))
        return false;
    Load(t);
    return true;
}

bool CTMGPersonLoader::SeekPerson(long perNo) {
    if (person_.perNo == perNo && perNo != 0)
        return true;
    people_.SelectTag(byPerNo_);
    return SeekWith(people_, perNo);
}

bool CTMGPersonLoader::SeekByID(long id) {
    people_.SelectTag(byId_);
    bool found = SeekWith(people_, id);
    people_.SelectTag(byPerNo_);
    return found;
}

db::CSetLong CTMGPersonLoader::GetChildren(long otherParent) {
    db::CSetLong children;
    const long self = person_.perNo;
    if (self < 1 || (person_.sex != 'M' && person_.sex != 'F'))
        return children;
    const bool male = person_.sex == 'M';
    LoaderTable& family = male ? byFather_ : byMother_;
    const int other = male ? mother_ : father_;
    for (bool ok = family.Seek(self); ok; ok = family.SeekNext(self))
        if (otherParent == -1 || family.Long(other) == otherParent)
            children.Add(family.Long(perNo_));
    return children;
}

db::CSetLong CTMGPersonLoader::GetCoParents(CTMGEventLoader& events, const CTMGTagTypes& tagTypes,
                                            bool allShared, long tagType) {
    db::CSetLong partners;
    const long self = person_.perNo;
    if (self < 1 || (person_.sex != 'M' && person_.sex != 'F'))
        return partners;
    std::array<std::string, kMaxPartnerKeys + 1> keys;
    auto offer = [&](int slot, char kind, const std::string& date) {
        if (slot < 0 || slot > kMaxPartnerKeys || date.empty() || date == kEmptySortDate)
            return;
        std::string key = kind + date;
        if (keys[slot].empty() || key < keys[slot])
            keys[slot] = std::move(key);
    };

    const bool male = person_.sex == 'M';
    LoaderTable& family = male ? byFather_ : byMother_;
    const int otherField = male ? mother_ : father_;
    // Children first, collected so that the birth dates are looked up after the walk.
    std::vector<std::pair<long, long>> children; // child, other parent
    for (bool ok = family.Seek(self); ok; ok = family.SeekNext(self)) {
        if (family.Long(father_) != self && family.Long(mother_) != self)
            throw Error(-1, ErrorSource(kClass, "GetCoParents"),
                        "Index error for person #" + std::to_string(self) +
                            ". Try using TMG's Reindex command.");
        children.emplace_back(family.Long(perNo_), family.Long(otherField));
    }
    for (auto [child, other] : children) {
        int slot = partners.AddUnique(other);
        if (slot >= 0 && slot <= kMaxPartnerKeys)
            offer(slot, kKeyChildBirth, events.GetBirthSortDate(child, tagTypes));
    }

    if (allShared || tagType >= 1) {
        for (bool ok = events.FirstParticipation(self, false); ok;
             ok = events.NextParticipation()) {
            const WitnessValues& w = events.Witness();
            const EventValues& ev = events.Event();
            if (w.isWitness || !w.primary)
                continue;
            bool chosen = tagType >= 1 && ev.eType == tagType;
            bool shared =
                allShared && tagTypes.GroupOf(ev.eType) == kGroupMarriage &&
                std::find(excluded_.begin(), excluded_.end(), ev.eType) == excluded_.end();
            if (!chosen && !shared)
                continue;
            long partner = 0;
            if (ev.per1 != 0 && ev.per1 != self)
                partner = ev.per1;
            else if (ev.per2 != 0 && ev.per2 != self)
                partner = ev.per2;
            int slot = partners.AddUnique(partner);
            offer(slot, chosen ? kKeyChosenType : kKeyOtherShared, ev.srtDate);
        }
    }

    const int count = partners.Count();
    if (count >= 2 && count < kMaxPartnerKeys) {
        std::vector<std::string> sortKeys;
        sortKeys.reserve(count);
        for (int i = 0; i < count; ++i)
            // On purpose as TMG orders them: a partner without a dated key sorts first.
            sortKeys.push_back(keys[i].empty() ? std::string() : keys[i].substr(1));
        partners.SortByKeys(sortKeys);
    }
    return partners;
}

int CTMGPersonLoader::FlagHandle(std::string_view fieldName) const {
    // The extra field first, as its value wins when a flag has the same name.
    if (!extraField_.empty() && EqualsNoCase(extraField_, fieldName))
        return static_cast<int>(flagNames_.size());
    for (std::size_t i = 0; i < flagNames_.size(); ++i)
        if (EqualsNoCase(flagNames_[i], fieldName))
            return static_cast<int>(i);
    return -1;
}

const std::string& CTMGPersonLoader::FlagValue(int handle) const {
    static const std::string kNone;
    if (handle < 0 || handle > static_cast<int>(flagValues_.size()))
        return kNone;
    return handle == static_cast<int>(flagValues_.size()) ? person_.extra : flagValues_[handle];
}

std::string CTMGPersonLoader::flag(std::string_view fieldName) const {
    return FlagValue(FlagHandle(fieldName));
}

} // namespace hk
