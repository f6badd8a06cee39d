#include "loaders/event_loader.h"

#include <vector>

#include "loaders/surety.h"

namespace hk {
namespace {
constexpr const char* kClass = "CTMGEventLoader";
constexpr std::array<const char*, 5> kSuretyFields = {"ENSure", "ESSure", "EDSure", "EPSure",
                                                      "EFSure"};
} // namespace

void CTMGEventLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    db_ = &db;
    g_.Open(db, "G");
    g_.SelectTag("BYRECNO");
    gRecNo_ = g_.OptionalField("RecNo");
    gEType_ = g_.Field("EType");
    gPer1_ = g_.Field("Per1");
    gPer2_ = g_.Field("Per2");
    gPer1Show_ = g_.Field("Per1Show");
    gPer2Show_ = g_.Field("Per2Show");
    gEDate_ = g_.Field("EDate");
    gSrtDate_ = g_.Field("SrtDate");
    gPlaceNum_ = g_.Field("PlaceNum");
    gEFoot_ = g_.Field("EFoot");
    for (std::size_t i = 0; i < kSuretyFields.size(); ++i)
        gSure_[i] = g_.Field(kSuretyFields[i]);

    e_.Open(db, "E");
    e_.SelectTag("EVBYPER");
    byEvent_.Open(db, "E");
    byEvent_.SelectTag("BYGNUM");
    current_ = &e_;
    eEPer_ = e_.Field("EPer");
    eGNum_ = e_.Field("GNum");
    eWSentence_ = e_.Field("WSentence");
    ePrimary_ = e_.Field("Primary");
    eRole_ = e_.Field("Role");
    eNameRec_ = e_.OptionalField("NameRec");
    eWitMemo_ = e_.OptionalField("WitMemo");
    eSequence_ = e_.OptionalField("Sequence");
}

void CTMGEventLoader::CloseTables() noexcept {
    byEvent_.Close();
    e_.Close();
    g_.Close();
}

void CTMGEventLoader::LoadWitnessFrom(const LoaderTable& t, bool withMemos) {
    WitnessValues& w = witness_;
    w.physRec = t.RecNo();
    w.ePer = t.Long(eEPer_);
    w.gNum = t.Long(eGNum_);
    w.primary = t.Bool(ePrimary_);
    w.role = t.Text(eRole_);
    w.dsid = t.RecordDsid();
    w.nameRec = t.Long(eNameRec_);
    w.sequence = t.Long(eSequence_);
    w.wSentence = withMemos ? t.Text(eWSentence_) : std::string();
    w.witMemo = withMemos ? t.Text(eWitMemo_) : std::string();
    w.isWitness = w.ePer != event_.per1 && w.ePer != event_.per2;
}

void CTMGEventLoader::LoadEvent(bool withMemo) {
    EventValues& ev = event_;
    ev.physRec = g_.RecNo();
    ev.dsid = g_.RecordDsid();
    ev.recNo = gRecNo_ >= 0 ? g_.Long(gRecNo_) : static_cast<long>(ev.physRec);
    ev.eType = g_.Long(gEType_);
    ev.per1 = g_.Long(gPer1_);
    ev.per2 = g_.Long(gPer2_);
    ev.per1Show = g_.Bool(gPer1Show_);
    ev.per2Show = g_.Bool(gPer2Show_);
    ev.eDate = g_.Date(gEDate_);
    ev.srtDate = g_.Date(gSrtDate_);
    ev.placeNum = g_.Long(gPlaceNum_);
    ev.eFoot = withMemo ? g_.Text(gEFoot_) : std::string();
    for (std::size_t i = 0; i < gSure_.size(); ++i)
        ev.sureties[i] = g_.Char(gSure_[i]);
}

bool CTMGEventLoader::SeekEvent(long eventNo, bool withMemo) {
    if (!g_.Seek(eventNo))
        return false;
    LoadEvent(withMemo);
    return true;
}

bool CTMGEventLoader::SettleParticipation(bool found) {
    for (; found; found = e_.SeekNext(walkKey_)) {
        if (!g_.Seek(e_.Long(eGNum_)))
            continue;
        LoadEvent(walkMemos_);
        current_ = &e_;
        LoadWitnessFrom(e_, walkMemos_);
        return true;
    }
    return false;
}

bool CTMGEventLoader::FirstParticipation(long person, bool withMemos) {
    walkKey_ = person;
    walkMemos_ = withMemos;
    return SettleParticipation(e_.Seek(person));
}

bool CTMGEventLoader::NextParticipation() {
    return SettleParticipation(e_.SeekNext(walkKey_));
}

bool CTMGEventLoader::SettleParticipant(bool found) {
    if (!found)
        return false;
    current_ = &byEvent_;
    LoadWitnessFrom(byEvent_, walkMemos_);
    return true;
}

bool CTMGEventLoader::FirstParticipant(long eventNo, bool withMemos) {
    walkKey_ = eventNo;
    walkMemos_ = withMemos;
    // The event is loaded first: the witness flag compares with its principals.
    if (!SeekEvent(eventNo, withMemos))
        event_ = EventValues();
    return SettleParticipant(byEvent_.Seek(eventNo));
}

bool CTMGEventLoader::NextParticipant() {
    return SettleParticipant(byEvent_.SeekNext(walkKey_));
}

long CTMGEventLoader::CountParticipants(long eventNo) {
    long n = 0;
    for (bool ok = byEvent_.Seek(eventNo); ok; ok = byEvent_.SeekNext(eventNo))
        ++n;
    return n;
}

template <typename Take> bool CTMGEventLoader::FindPrimary(long person, Take&& take) {
    for (bool ok = e_.Seek(person); ok; ok = e_.SeekNext(person)) {
        if (!e_.Bool(ePrimary_) || !g_.Seek(e_.Long(eGNum_)))
            continue;
        if (take()) {
            LoadEvent();
            current_ = &e_;
            LoadWitnessFrom(e_, true);
            return true;
        }
    }
    return false;
}

bool CTMGEventLoader::FindPrimaryEventOfGroup(long person, const CTMGTagTypes& tagTypes,
                                              long group) {
    return FindPrimary(person, [&] { return tagTypes.GroupOf(g_.Long(gEType_)) == group; });
}

bool CTMGEventLoader::FindSharedEvent(long person, long partner, const CTMGTagTypes& tagTypes) {
    return FindPrimary(person, [&] {
        return tagTypes.GroupOf(g_.Long(gEType_)) == kGroupMarriage &&
               (g_.Long(gPer1_) == partner || g_.Long(gPer2_) == partner);
    });
}

std::string CTMGEventLoader::GetBirthSortDate(long person, const CTMGTagTypes& tagTypes) {
    for (bool ok = e_.Seek(person); ok; ok = e_.SeekNext(person)) {
        if (!e_.Bool(ePrimary_) || !g_.Seek(e_.Long(eGNum_)))
            continue;
        if (tagTypes.GroupOf(g_.Long(gEType_)) == kGroupBirth)
            return g_.Date(gSrtDate_);
    }
    return {};
}

bool CTMGEventLoader::IsPrimary(long person, long eventNo) {
    for (bool ok = byEvent_.Seek(eventNo); ok; ok = byEvent_.SeekNext(eventNo))
        if (byEvent_.Long(eEPer_) == person)
            return byEvent_.Bool(ePrimary_);
    return false;
}

void CTMGEventLoader::DeleteEvent(long eventNo) {
    if (db_->VersionMajor() < 5)
        throw Error(-1, ErrorSource(kClass, "DeleteEvent"),
                    "Wrong dataset version: " + db_->VersionText());
    // Rows are collected first: a deleted row may leave the tag, which moves the cursor.
    std::vector<uint32_t> rows;
    db::Table& e = byEvent_.Tbl();
    for (int pos = e.SeekDouble(eventNo); pos == db::kPosOk; pos = e.SeekNextDouble(eventNo))
        if (!e.Deleted())
            rows.push_back(e.RecNo());
    for (uint32_t r : rows) {
        e.Go(r);
        e.Delete();
    }
    rows.clear();
    for (bool ok = g_.Seek(eventNo); ok; ok = g_.SeekNext(eventNo))
        rows.push_back(g_.RecNo());
    for (uint32_t r : rows) {
        g_.Go(r);
        g_.Tbl().Delete();
    }
}

std::string CTMGEventLoader::GetSuretyString(long eventNo) {
    if (!g_.Seek(eventNo))
        return {};
    std::array<char, 5> s{};
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = g_.Char(gSure_[i]);
    return SuretyString(s);
}

void CTMGEventLoader::SetSuretyString(long eventNo, std::string_view text) {
    if (!g_.Seek(eventNo))
        return;
    std::array<char, 5> s = SuretiesFromString(text);
    for (std::size_t i = 0; i < s.size(); ++i)
        g_.Tbl().AssignString(gSure_[i], std::string(1, s[i]));
}

} // namespace hk
