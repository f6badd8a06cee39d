#include "loaders/joint_event.h"

#include <vector>

namespace hk {
namespace {
constexpr std::array<const char*, 5> kEventSureties = {"ENSure", "ESSure", "EDSure", "EPSure",
                                                       "EFSure"};
constexpr std::array<const char*, 5> kCitationSureties = {"SNSure", "SSSure", "SDSure", "SPSure",
                                                          "SFSure"};

// One more than the number of the last record in the order of a tag (1 for none).
long NextNumber(LoaderTable& t, int field) {
    db::Table& table = t.Tbl();
    if (field < 0 || !table.SelectedTag())
        return static_cast<long>(table.RecCount()) + 1;
    if (table.Bottom() != db::kPosOk)
        return 1;
    return table.GetLong(field) + 1;
}
} // namespace

void CJointEvent::OpenTables(db::CTMGDB& db, const CTMGTagTypes& tagTypes) {
    CloseTables();
    db_ = &db;
    tagTypes_ = &tagTypes;
    e_.Open(db, "E");
    e_.SelectTag("EVBYPER");
    eDsid_ = e_.Field("DSID");
    eEPer_ = e_.Field("EPer");
    eGNum_ = e_.Field("GNum");
    ePrimary_ = e_.Field("Primary");
    eRole_ = e_.Field("Role");

    g_.Open(db, "G");
    g_.SelectTag("BYRECNO");
    g_.Field("DSID");
    gRecNo_ = g_.Field("RecNo");
    gRefId_ = g_.Field("Ref_ID");
    gEType_ = g_.Field("EType");
    gPer1Show_ = g_.Field("Per1Show");
    gPer2Show_ = g_.Field("Per2Show");
    gPer1_ = g_.Field("Per1");
    gPer2_ = g_.Field("Per2");
    gEDate_ = g_.Field("EDate");
    gSrtDate_ = g_.Field("SrtDate");
    gPlaceNum_ = g_.Field("PlaceNum");
    gEFoot_ = g_.Field("EFoot");
    for (std::size_t i = 0; i < gSure_.size(); ++i)
        gSure_[i] = g_.Field(kEventSureties[i]);

    s_.Open(db, "S");
    s_.SelectTag("RECNO");
    s_.Field("DSID");
    sType_ = s_.Field("SType");
    sRefRec_ = s_.Field("RefRec");
    sMajSource_ = s_.Field("MajSource");
    sSubSource_ = s_.Field("SubSource");
    for (std::size_t i = 0; i < sSure_.size(); ++i)
        sSure_[i] = s_.Field(kCitationSureties[i]);
    sRecNo_ = s_.OptionalField("RecNo");
    Reset();
}

void CJointEvent::CloseTables() noexcept {
    s_.Close();
    g_.Close();
    e_.Close();
}

void CJointEvent::Reset() {
    record_ = JointEventRecord();
    const std::string principal = db_ ? db_->PrincipalRoleId() : std::string("Principal");
    record_.role1 = record_.role2 = principal;
    record_.eDate = record_.srtDate = std::string(kEmptySortDate);
}

bool CJointEvent::HasSharedEvent(long person1, long person2, long group) {
    for (bool ok = e_.Seek(person1); ok; ok = e_.SeekNext(person1)) {
        if (!SeekEvent(e_.Long(eGNum_)) || tagTypes_->GroupOf(g_.Long(gEType_)) != group)
            continue;
        long p1 = g_.Long(gPer1_), p2 = g_.Long(gPer2_);
        if ((p1 == person1 && p2 == person2) || (p1 == person2 && p2 == person1))
            return true;
    }
    return false;
}

long CJointEvent::NextEventNumber() {
    return NextNumber(g_, gRecNo_);
}
long CJointEvent::NextCitationNumber() {
    return NextNumber(s_, sRecNo_);
}

long CJointEvent::Write() {
    const long dsid = db_->DSID();
    const long eventNo = NextEventNumber();
    db::Table& g = g_.Tbl();
    g.AppendStart();
    g.AssignLong(g_.DsidField(), dsid);
    g.AssignLong(gRecNo_, eventNo);
    g.AssignLong(gRefId_, 0);
    g.AssignLong(gEType_, record_.eType);
    g.AssignBool(gPer1Show_, record_.per1Show);
    g.AssignBool(gPer2Show_, record_.per2Show);
    g.AssignLong(gPer1_, record_.per1);
    g.AssignLong(gPer2_, record_.per2);
    g.AssignString(gEDate_, record_.eDate);
    g.AssignString(gSrtDate_, record_.srtDate);
    g.AssignLong(gPlaceNum_, record_.placeNum);
    g.AssignMemo(gEFoot_, record_.eFoot);
    for (std::size_t i = 0; i < gSure_.size(); ++i)
        g.AssignString(gSure_[i], std::string(1, record_.sureties[i]));
    g.Append();

    db::Table& e = e_.Tbl();
    auto participant = [&](long person, bool primary, const std::string& role) {
        if (person <= 0)
            return;
        e.AppendStart();
        e.AssignLong(eDsid_, dsid);
        e.AssignLong(eEPer_, person);
        e.AssignLong(eGNum_, eventNo);
        e.AssignBool(ePrimary_, primary);
        e.AssignString(eRole_, role);
        e.Append();
        ++participantRows_;
    };
    participant(record_.per1, record_.primary1, record_.role1);
    participant(record_.per2, record_.primary2, record_.role2);
    for (const JointWitness& w : record_.witnesses)
        participant(w.perNo, false, w.role.empty() ? db_->WitnessRoleId() : w.role);

    if (record_.sourceNo > 0) {
        const long citationNo = NextCitationNumber();
        db::Table& s = s_.Tbl();
        s.AppendStart();
        s.AssignLong(s_.DsidField(), dsid);
        if (sRecNo_ >= 0)
            s.AssignLong(sRecNo_, citationNo);
        s.AssignString(sType_, "E");
        s.AssignLong(sRefRec_, eventNo);
        s.AssignLong(sMajSource_, record_.sourceNo);
        s.AssignMemo(sSubSource_, record_.citationDetail);
        for (std::size_t i = 0; i < sSure_.size(); ++i)
            s.AssignString(sSure_[i], std::string(1, record_.citationSureties[i]));
        s.Append();
        ++citationRows_;
    }
    return eventNo;
}

bool CJointEvent::FindPrimaryOfGroup(long group, long person) {
    taken_ = 0;
    takenDate_.clear();
    std::string earliest = "Z";
    for (bool ok = e_.Seek(person); ok; ok = e_.SeekNext(person)) {
        if (!SeekEvent(e_.Long(eGNum_)) || tagTypes_->GroupOf(g_.Long(gEType_)) != group)
            continue;
        if (g_.Long(gPer1_) != person && g_.Long(gPer2_) != person)
            continue;
        if (e_.Bool(ePrimary_)) {
            taken_ = g_.Long(gRecNo_);
            takenDate_ = g_.Date(gEDate_);
            return true;
        }
        std::string sortDate = g_.Date(gSrtDate_);
        // On purpose as TMG orders them: the empty sort date is earliest, so undated wins.
        if (sortDate < earliest) {
            earliest = sortDate;
            taken_ = g_.Long(gRecNo_);
            takenDate_ = g_.Date(gEDate_);
        }
    }
    return false;
}

bool CJointEvent::MakePrimary(long group, long person) {
    if (taken_ <= 0)
        return false;
    uint32_t row = 0;
    for (bool ok = e_.Seek(person); ok && row == 0; ok = e_.SeekNext(person))
        if (e_.Long(eGNum_) == taken_)
            row = e_.RecNo();
    if (row == 0)
        return false;
    e_.Go(row);
    e_.Tbl().AssignBool(ePrimary_, true);
    return true;
}

std::string CJointEvent::EventDate() const {
    return takenDate_ == kEmptySortDate ? std::string() : takenDate_;
}

} // namespace hk
