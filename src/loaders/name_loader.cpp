#include "loaders/name_loader.h"

#include <vector>

#include "formats/packed_field.h"
#include "formats/soundex.h"

namespace hk {

void CTMGNameLoader::OpenTables(db::CTMGDB& db, const FormatSettings& settings) {
    CloseTables();
    settings_ = &settings;
    names_.Open(db, "N");
    byNPer_ = names_.FindTag("BYNPER");
    byRecNo_ = names_.FindTag("BYRECNO");
    names_.SelectTag(byNPer_);
    nPer_ = names_.Field("NPer");
    alType_ = names_.Field("AlType");
    isPicked_ = names_.Field("IsPicked");
    primary_ = names_.Field("Primary");
    nSure_ = names_.Field("NSure");
    fSure_ = names_.Field("FSure");
    dSure_ = names_.Field("DSure");
    recNo_ = names_.Field("RecNo");
    nDate_ = names_.Field("NDate");
    srtDate_ = names_.Field("SrtDate");
    packed_ = names_.OptionalField("Name");
    modern_ = packed_ < 0;
    styleId_ = names_.OptionalField("StyleID");
    surId_ = names_.OptionalField("SurID");
    givId_ = names_.OptionalField("GivID");
    srNameSort_ = names_.OptionalField("SrNameSort");
    gvNameSort_ = names_.OptionalField("GvNameSort");
    srNameDisp_ = names_.OptionalField("SrNameDisp");
    sndxSurn_ = names_.OptionalField("SndxSurn");
    sndxGvn_ = names_.OptionalField("SndxGvn");
    if (modern_)
        partTables_.Open(db, "NPV", "ND", "NPT");
    name_ = NameValues();
}

void CTMGNameLoader::CloseTables() noexcept {
    partTables_.Close();
    names_.Close();
}

void CTMGNameLoader::Load() {
    NameValues& n = name_;
    n.physRec = names_.RecNo();
    n.nPer = names_.Long(nPer_);
    n.alType = names_.Long(alType_);
    n.recNo = names_.Long(recNo_);
    n.dsid = names_.RecordDsid();
    // Names before TMG 5 all use the standard name style.
    n.styleId = styleId_ >= 0 ? names_.Long(styleId_) : 2;
    n.surId = names_.Long(surId_);
    n.givId = names_.Long(givId_);
    n.primary = names_.Bool(primary_);
    n.isPicked = names_.Bool(isPicked_);
    n.nSure = names_.Char(nSure_);
    n.fSure = names_.Char(fSure_);
    n.dSure = names_.Char(dSure_);
    n.nDate = names_.Date(nDate_);
    n.srtDate = names_.Date(srtDate_);
    n.srNameSort = names_.Text(srNameSort_);
    n.gvNameSort = names_.Text(gvNameSort_);
    n.srNameDisp = names_.Text(srNameDisp_);
    LoadParts();
}

void CTMGNameLoader::LoadParts() {
    if (!modern_) {
        parts_.DecodePackedName(names_.Tbl().GetMemo(packed_), *settings_);
    } else {
        parts_.StartPartRows(*settings_);
        partTables_.ForEachPart(name_.recNo, [&](long type, std::string value) {
            parts_.SetPartFromRow(type, value, *settings_);
        });
    }
    for (int id = 0; id < NameParts::kPartCount; ++id)
        loaded_[id] = StoredPart(id);
}

std::string CTMGNameLoader::StoredPart(int id) const {
    const std::string& text = parts_.PartValue(id);
    const std::string& placeholder = settings_->UnknownNamePlaceholder();
    return !placeholder.empty() && text == placeholder ? std::string() : text;
}

bool CTMGNameLoader::Settle(bool found) {
    if (found)
        Load();
    return found;
}

bool CTMGNameLoader::MoveFirst() {
    names_.SelectTag(byNPer_);
    return Settle(names_.First());
}

bool CTMGNameLoader::MoveNext() {
    return Settle(names_.Next());
}

bool CTMGNameLoader::SeekPersonNames(long perNo) {
    names_.SelectTag(byNPer_);
    walkKey_ = perNo;
    return Settle(names_.Seek(perNo));
}

bool CTMGNameLoader::NextPersonName() {
    return Settle(names_.SeekNext(walkKey_));
}

bool CTMGNameLoader::SeekName(long recNo) {
    names_.SelectTag(byRecNo_);
    return Settle(names_.Seek(recNo));
}

bool CTMGNameLoader::SeekPrimaryName(long perNo) {
    names_.SelectTag(byNPer_);
    for (bool ok = names_.Seek(perNo); ok; ok = names_.SeekNext(perNo))
        if (names_.Bool(primary_))
            return Settle(true);
    return false;
}

void CTMGNameLoader::LoadPerson(long perNo, CTMGNames& names) {
    names.Clear();
    std::vector<NameEntry> others;
    for (bool ok = SeekPersonNames(perNo); ok; ok = NextPersonName()) {
        NameEntry entry{parts_, name_.recNo, name_.alType, name_.styleId};
        if (name_.primary && names.Count() == 0)
            names.Add(std::move(entry));
        else
            others.push_back(std::move(entry));
    }
    for (NameEntry& e : others)
        names.Add(std::move(e));
}

void CTMGNameLoader::SaveParts() {
    db::Table& t = names_.Tbl();
    if (!modern_) {
        std::vector<std::string> packed = {StoredPart(kNameSurname), StoredPart(kNameTitle),
                                           StoredPart(kNameGiven), StoredPart(kNameSuffix)};
        names_.Go(name_.physRec);
        t.AssignMemo(packed_, JoinPacked(packed));
    } else {
        std::vector<std::string> texts(NameParts::kPartCount);
        std::vector<bool> changed(NameParts::kPartCount);
        for (int id = 0; id < NameParts::kPartCount; ++id) {
            texts[id] = StoredPart(id);
            changed[id] = texts[id] != loaded_[id];
        }
        partTables_.Save(name_.recNo, texts, changed);
    }
    for (int id = 0; id < NameParts::kPartCount; ++id)
        loaded_[id] = StoredPart(id);
}

void CTMGNameLoader::UpdateDerivedFields(const CTMGStyleFormatter& formatter) {
    NameParts stored;
    for (int id = 0; id < NameParts::kPartCount; ++id)
        stored.SetPartValue(id, StoredPart(id));
    long style = formatter.HasStyle(name_.styleId, StyleGroup::Name) ? name_.styleId : 2;
    NameValues& n = name_;
    n.srNameSort = formatter.FormatName(stored, nullptr, style, StyleTemplate::SurnameSort);
    n.gvNameSort = formatter.FormatName(stored, nullptr, style, StyleTemplate::GivenSort);
    n.srNameDisp = formatter.FormatName(stored, nullptr, style, StyleTemplate::SurnameDisplay);
    const std::string& surname = stored.PartValue(kNameSurname);
    const std::string& given = stored.PartValue(kNameGiven);
    if (modern_) {
        n.surId = partTables_.UidOf(surname);
        n.givId = partTables_.UidOf(given);
    }
    db::Table& t = names_.Tbl();
    names_.Go(n.physRec);
    auto put = [&](int field, const std::string& text) {
        if (field >= 0 && t.GetTrimmed(field) != text)
            t.AssignString(field, text);
    };
    auto putLong = [&](int field, long value) {
        if (field >= 0 && t.GetLong(field) != value)
            t.AssignLong(field, value);
    };
    put(srNameSort_, n.srNameSort);
    put(gvNameSort_, n.gvNameSort);
    put(srNameDisp_, n.srNameDisp);
    putLong(surId_, n.surId);
    putLong(givId_, n.givId);
    put(sndxSurn_, surname.empty() ? std::string() : CSoundex::SoundCode(surname));
    put(sndxGvn_, given.empty() ? std::string() : CSoundex::SoundCode(given));
}

long CTMGNameLoader::AddName(long perNo, long nameType, bool primary, long styleId,
                             const CTMGStyleFormatter* formatter) {
    db::Table& t = names_.Tbl();
    names_.SelectTag(byRecNo_);
    long recNo = t.Bottom() == db::kPosOk ? t.GetLong(recNo_) + 1 : 1;
    t.AppendStart();
    if (names_.DsidField() >= 0)
        t.AssignLong(names_.DsidField(), names_.CurrentDsid());
    t.AssignLong(nPer_, perNo);
    t.AssignLong(alType_, nameType);
    t.AssignBool(primary_, primary);
    t.AssignLong(recNo_, recNo);
    t.AssignString(nDate_, kEmptySortDate);
    t.AssignString(srtDate_, kEmptySortDate);
    if (styleId_ >= 0)
        t.AssignLong(styleId_, styleId);
    t.Append();
    // The parts are the caller's; loading the empty record must not replace them.
    NameParts parts = parts_;
    name_ = NameValues();
    name_.physRec = t.RecNo();
    name_.nPer = perNo;
    name_.alType = nameType;
    name_.primary = primary;
    name_.recNo = recNo;
    name_.dsid = names_.CurrentDsid();
    name_.styleId = styleId;
    name_.nDate = name_.srtDate = std::string(kEmptySortDate);
    loaded_.fill(std::string());
    parts_ = parts;
    SaveParts();
    if (formatter)
        UpdateDerivedFields(*formatter);
    return recNo;
}

} // namespace hk
