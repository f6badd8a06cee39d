#include "loaders/citation_loader.h"

#include <charconv>

#include "formats/packed_field.h"
#include "loaders/surety.h"
#include "support/text.h"

namespace hk {
namespace {
constexpr const char* kClass = "CTMGCitationLoader";
constexpr std::array<const char*, 5> kSuretyFields = {"SNSure", "SSSure", "SDSure", "SPSure",
                                                      "SFSure"};
constexpr std::array<std::string_view, CTMGCitationLoader::kPartCount> kPartNames = {
    "CD",
    "Memo",
    "Reference",
    "P1 Surety",
    "P2 Surety",
    "Date Surety",
    "Place Surety",
    "Memo Surety",
    "Source #",
    "Source Abbreviation",
    "Source Title",
    "Combined Surety",
    "P1 Output Name",
    "P1 Sort Name",
    "P2 Output Name",
    "P2 Sort Name",
    "Detail Segment Count",
    "Detail1",
    "Detail2",
    "Detail3",
    "Detail4",
    "Detail5",
    "Detail6",
    "Detail7",
    "Detail8",
    "Detail9"};
} // namespace

void CTMGCitationLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    db_ = &db;
    s_.Open(db, "S");
    sByRef_ = s_.FindTag("BYREC");
    sByRecNo_ = s_.FindTag("RECNO");
    s_.SelectTag(sByRef_);
    sType_ = s_.Field("SType");
    sRefRec_ = s_.Field("RefRec");
    sMajSource_ = s_.Field("MajSource");
    sSubSource_ = s_.Field("SubSource");
    for (std::size_t i = 0; i < sSure_.size(); ++i)
        sSure_[i] = s_.Field(kSuretyFields[i]);
    sIsPicked_ = s_.Field("IsPicked");
    sExclude_ = s_.OptionalField("Exclude");
    sSequence_ = s_.OptionalField("Sequence");
    sRecNo_ = s_.OptionalField("RecNo");
    sCitRef_ = s_.OptionalField("CitRef");
    sCitMemo_ = s_.OptionalField("CitMemo");

    m_.Open(db, "M");
    mByNum_ = m_.FindTag("MJBYNUM");
    mByRefId_ = m_.FindTag("BYREFID");
    m_.SelectTag(mByNum_);
    mActive_ = m_.Field("MACTIVE");
    mMajNum_ = m_.Field("MAJNUM");
    mRefId_ = m_.OptionalField("REF_ID");
    hasRefId_ = mRefId_ >= 0;
    mAbbrev_ = m_.Field("ABBREV");
    mDefSure_ = m_.Field("DEFSURE");
    mTitle_ = m_.Field("TITLE");
    mType_ = m_.Field("TYPE");
    mRecorder_ = m_.Field("RECORDER");
    mMedia_ = m_.Field("MEDIA");
    mFidelity_ = m_.Field("FIDELITY");
    mIndexed_ = m_.Field("INDEXED");
    mStatus_ = m_.Field("STATUS");
    mText_ = m_.Field("TEXT");
    mIsPicked_ = m_.Field("ISPICKED");
    mSPerNo_ = m_.OptionalField("SPERNO");
    mSubjectId_ = m_.OptionalField("SUBJECTID");
    mCompilerId_ = m_.OptionalField("COMPILERID");
    mEditorId_ = m_.OptionalField("EDITORID");
    mSPerNo2_ = m_.OptionalField("SPERNO2");
    mFForm_ = m_.OptionalField("FFORM");
    mSForm_ = m_.OptionalField("SFORM");
    mBForm_ = m_.OptionalField("BFORM");
    mCited_ = m_.OptionalField("CITED");
    mFirstCd_ = m_.OptionalField("FIRSTCD");
    mInfo_ = m_.OptionalField("INFO");
    mIbidType_ = m_.OptionalField("IBIDTYPE");
    mUncitedFld_ = m_.OptionalField("UNCITEDFLD");
    mCustType_ = m_.OptionalField("CUSTTYPE");
    mReminders_ = m_.OptionalField("REMINDERS");
    elements_.Load(db);
}

void CTMGCitationLoader::CloseTables() noexcept {
    a_.Close();
    m_.Close();
    s_.Close();
}

void CTMGCitationLoader::LoadCitation() {
    CitationValues& c = citation_;
    c.physRec = s_.RecNo();
    c.recNo = sRecNo_ >= 0 ? s_.Long(sRecNo_) : static_cast<long>(c.physRec);
    c.sType = s_.Char(sType_);
    c.refRec = s_.Long(sRefRec_);
    c.majSource = s_.Long(sMajSource_);
    c.detail = s_.Tbl().GetMemo(sSubSource_);
    for (std::size_t i = 0; i < sSure_.size(); ++i)
        c.sureties[i] = SuretyChar(s_.Text(sSure_[i]));
    c.isPicked = s_.Bool(sIsPicked_);
    c.exclude = s_.Bool(sExclude_);
    c.reference = s_.Text(sCitRef_);
    c.memo = s_.Text(sCitMemo_);
    c.sequence = s_.Long(sSequence_);
    personParts_.fill(std::string());
    // The source shown with the citation: its reference number, abbreviation and title.
    if (SeekSource(c.majSource)) {
        sourceRefNumber_ = source_.refId;
    } else {
        source_ = SourceValues();
        sourceRefNumber_ = c.majSource;
    }
}

void CTMGCitationLoader::LoadSource() {
    SourceValues& s = source_;
    s.physRec = m_.RecNo();
    s.active = m_.Bool(mActive_);
    s.majNum = m_.Long(mMajNum_);
    s.refId = hasRefId_ ? m_.Long(mRefId_) : s.majNum;
    s.abbrev = m_.Text(mAbbrev_);
    s.defSure = m_.Char(mDefSure_);
    s.title = m_.Text(mTitle_);
    s.type = m_.Long(mType_);
    s.recorder = m_.Long(mRecorder_);
    s.media = m_.Long(mMedia_);
    s.fidelity = m_.Long(mFidelity_);
    s.indexed = m_.Long(mIndexed_);
    s.status = m_.Long(mStatus_);
    s.text = m_.Text(mText_);
    s.isPicked = m_.Bool(mIsPicked_);
    s.sPerNo = m_.Long(mSPerNo_);
    s.subjectId = m_.Long(mSubjectId_);
    s.compilerId = m_.Long(mCompilerId_);
    s.editorId = m_.Long(mEditorId_);
    s.sPerNo2 = m_.Long(mSPerNo2_);
    s.fForm = m_.Text(mFForm_);
    s.sForm = m_.Text(mSForm_);
    s.bForm = m_.Text(mBForm_);
    s.cited = m_.Bool(mCited_);
    s.firstCd = m_.Text(mFirstCd_);
    s.info = mInfo_ >= 0 ? m_.Tbl().GetMemo(mInfo_) : std::string();
    s.ibidType = m_.Long(mIbidType_);
    s.uncitedFld = m_.Text(mUncitedFld_);
    s.custType = m_.Long(mCustType_);
    s.reminders = m_.Text(mReminders_);
}

bool CTMGCitationLoader::MoveFirst() {
    s_.SelectTag(sByRef_);
    if (!s_.First())
        return false;
    LoadCitation();
    return true;
}

bool CTMGCitationLoader::MoveNext() {
    if (!s_.Next())
        return false;
    LoadCitation();
    return true;
}

bool CTMGCitationLoader::SeekCitation(long recNo) {
    if (sRecNo_ < 0) {
        if (!s_.Go(static_cast<uint32_t>(recNo)) || !s_.Acceptable())
            return false;
    } else {
        s_.SelectTag(sByRecNo_);
        bool found = s_.Seek(recNo);
        s_.SelectTag(sByRef_);
        if (!found)
            return false;
    }
    LoadCitation();
    return true;
}

template <typename Fn> void CTMGCitationLoader::ForEachCitation(char sType, long refRec, Fn&& fn) {
    s_.SelectTag(sByRef_);
    for (bool ok = s_.Seek(refRec); ok; ok = s_.SeekNext(refRec))
        if (s_.Char(sType_) == sType)
            fn();
}

long CTMGCitationLoader::CountCitations(char sType, long refRec) {
    long n = 0;
    ForEachCitation(sType, refRec, [&] { ++n; });
    return n;
}

db::CSetLong CTMGCitationLoader::GetCitedSources(char sType, long refRec) {
    db::CSetLong sources;
    ForEachCitation(sType, refRec, [&] { sources.Add(s_.Long(sMajSource_)); });
    return sources;
}

long CTMGCitationLoader::DeleteCitations(char sType, long refRec) {
    // Collected first: a deleted row may leave the tag, which moves the cursor.
    std::vector<uint32_t> rows;
    ForEachCitation(sType, refRec, [&] { rows.push_back(s_.RecNo()); });
    for (uint32_t r : rows) {
        s_.Go(r);
        s_.Tbl().Delete();
    }
    return static_cast<long>(rows.size());
}

db::CSetLongSequence CTMGCitationLoader::GetCitationRecords(char sType, long refRec) {
    db::CSetLongSequence records;
    ForEachCitation(sType, refRec, [&] {
        if (skipExcluded_ && s_.Bool(sExclude_))
            return;
        records.Add(static_cast<long>(s_.RecNo()), s_.Long(sSequence_));
    });
    if (sSequence_ >= 0)
        records.SortBySequence();
    return records;
}

std::string CTMGCitationLoader::GetBestSurety(char sType, long refRec) {
    std::string best(5, ' ');
    ForEachCitation(sType, refRec, [&] {
        for (std::size_t i = 0; i < sSure_.size(); ++i)
            best[i] = BetterSurety(best[i], SuretyChar(s_.Text(sSure_[i])));
    });
    return best;
}

bool CTMGCitationLoader::SeekSource(long majNum) {
    m_.SelectTag(mByNum_);
    if (!m_.Seek(majNum))
        return false;
    LoadSource();
    return true;
}

bool CTMGCitationLoader::SeekSourceByRef(long refId) {
    if (hasRefId_) {
        m_.SelectTag(mByRefId_);
        bool found = m_.Seek(refId);
        m_.SelectTag(mByNum_);
        if (found) {
            LoadSource();
            return true;
        }
    }
    return SeekSource(refId);
}

std::vector<std::string> CTMGCitationLoader::SubParts() const {
    std::vector<std::string> parts;
    const std::string& d = citation_.detail;
    if (d.empty())
        return parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = d.find(kSubPartSeparator, start);
        if (at == std::string::npos) {
            parts.push_back(d.substr(start));
            return parts;
        }
        parts.push_back(d.substr(start, at - start));
        start = at + kSubPartSeparator.size();
    }
}

std::string_view CTMGCitationLoader::PartName(int index) {
    return index >= 0 && index < kPartCount ? kPartNames[index] : std::string_view();
}

std::string CTMGCitationLoader::PartValue(int index) const {
    const CitationValues& c = citation_;
    switch (index) {
    case 0:
        return c.detail;
    case 1:
        return c.memo;
    case 2:
        return c.reference;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7: {
        char s = c.sureties[index - 3];
        return s == ' ' ? std::string() : std::string(1, s);
    }
    case 8:
        return std::to_string(sourceRefNumber_);
    case 9:
        return source_.abbrev;
    case 10:
        return source_.title;
    case 11: {
        std::string summary;
        for (char s : c.sureties)
            summary += s == ' ' ? '.' : s;
        return summary;
    }
    case 12:
    case 13:
    case 14:
    case 15:
        return personParts_[index - 12];
    case 16:
        return std::to_string(SubParts().size());
    default:
        if (index >= 17 && index < kPartCount) {
            std::vector<std::string> parts = SubParts();
            std::size_t i = static_cast<std::size_t>(index - 17);
            return i < parts.size() ? parts[i] : std::string();
        }
        return {};
    }
}

void CTMGCitationLoader::SetPartValue(int index, std::string_view value) {
    CitationValues& c = citation_;
    switch (index) {
    case 0:
        c.detail = value;
        return;
    case 1:
        c.memo = value;
        return;
    case 2:
        c.reference = value;
        return;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        c.sureties[index - 3] = SuretyChar(value);
        return;
    case 8: {
        std::string_view t = Trim(value);
        long n = 0;
        std::from_chars(t.data(), t.data() + t.size(), n);
        sourceRefNumber_ = n;
        return;
    }
    case 12:
    case 13:
    case 14:
    case 15:
        personParts_[index - 12] = value;
        return;
    default:
        if (index >= 17 && index < kPartCount) {
            std::vector<std::string> parts = SubParts();
            std::size_t i = static_cast<std::size_t>(index - 17);
            if (parts.size() <= i)
                parts.resize(i + 1);
            parts[i] = value;
            std::string joined;
            for (std::size_t p = 0; p < parts.size(); ++p) {
                if (p > 0)
                    joined += kSubPartSeparator;
                joined += parts[p];
            }
            c.detail = std::move(joined);
        }
    }
}

void CTMGCitationLoader::SaveCitation() {
    CitationValues& c = citation_;
    long majSource = c.majSource;
    if (sourceRefNumber_ != source_.refId || source_.majNum != c.majSource) {
        if (SeekSourceByRef(sourceRefNumber_))
            majSource = source_.majNum;
    }
    s_.Go(c.physRec);
    db::Table& t = s_.Tbl();
    auto put = [&](int field, const std::string& text) {
        if (field >= 0 && t.GetString(field) != text && t.GetTrimmed(field) != text)
            t.AssignString(field, text);
    };
    put(sSubSource_, c.detail);
    put(sCitMemo_, c.memo);
    put(sCitRef_, c.reference);
    for (std::size_t i = 0; i < sSure_.size(); ++i)
        put(sSure_[i], std::string(1, c.sureties[i]));
    if (majSource != t.GetLong(sMajSource_))
        t.AssignLong(sMajSource_, majSource);
    c.majSource = majSource;
}

void CTMGCitationLoader::OpenSourceTypes() {
    LoaderTable& a = a_;
    a.Open(*db_, "A");
    a.AcceptSharedDataset(true);
    a.SelectTag("BYTYPE");
    aName_ = a.Field("Name");
    aRuleSet_ = a.Field("RuleSet");
    aSourType_ = a.Field("SourType");
    aTransTo_ = a.OptionalField("Trans_To");
    aFoot_ = a.Field("Foot");
    aShort_ = a.Field("Short");
    aBib_ = a.Field("Bib");
    aCustFoot_ = a.OptionalField("CustFoot");
    aCustShort_ = a.OptionalField("CustShort");
    aCustBib_ = a.OptionalField("CustBib");
    aPrimary_ = a.OptionalField("Primary");
}

SourceTypeValues CTMGCitationLoader::GetSourceType(long category, long sType, long custType) {
    if (!a_.IsOpen()) {
        try {
            OpenSourceTypes();
        } catch (...) {
            a_.Close(); // the next call tries again
            throw;
        }
    }
    LoaderTable& a = a_;
    auto key = [](long ruleSet, long type) {
        std::string r = std::to_string(ruleSet % 10), t = std::to_string(type);
        return r + std::string(t.size() < 10 ? 10 - t.size() : 0, ' ') + t;
    };
    bool found = (custType != 0 && a.Seek(key(3, custType))) || a.Seek(key(category, sType));
    if (!found)
        throw Error(-1, ErrorSource(kClass, "GetSourceType"),
                    "Source Type Not Found (Source Category=" + std::to_string(category) +
                        ", SType=" + std::to_string(sType) +
                        ", CustType=" + std::to_string(custType) + ")");
    SourceTypeValues v;
    v.name = a.Text(aName_);
    v.ruleSet = a.Long(aRuleSet_);
    v.sourType = a.Long(aSourType_);
    v.transTo = a.Long(aTransTo_);
    v.foot = a.Text(aFoot_);
    v.shortForm = a.Text(aShort_);
    v.bib = a.Text(aBib_);
    v.custFoot = a.Text(aCustFoot_);
    v.custShort = a.Text(aCustShort_);
    v.custBib = a.Text(aCustBib_);
    v.primary = a.Bool(aPrimary_);
    return v;
}

std::string CTMGCitationLoader::SourceTypeContext(long sourceNumber, long category) {
    return " getting source type for #" + std::to_string(sourceNumber) +
           ", Source Category=" + std::to_string(category);
}

std::string CTMGCitationLoader::ElementValue(std::string_view elementName) const {
    long group = elements_.ElementGroup(elementName);
    if (group <= 0)
        return {};
    std::vector<std::string> values = SplitPacked(source_.info);
    std::size_t i = static_cast<std::size_t>(group - 1);
    return i < values.size() ? values[i] : std::string();
}

} // namespace hk
