#include "loaders/part_value_tables.h"

#include <algorithm>
#include <map>

#include "formats/soundex.h"
#include "loaders/format_tables.h"

namespace hk {

void PartDictionary::Open(db::CTMGDB& db, std::string_view suffix) {
    table_.Open(db, suffix);
    byUid_ = table_.FindTag("UID");
    table_.SelectTag(byUid_);
    uid_ = table_.Field("UID");
    value_ = table_.Field("Value");
    sdx_ = table_.OptionalField("Sdx");
    textsLoaded_ = false;
    byText_.clear();
    added_ = 0;
}

std::string PartDictionary::Value(long uid) {
    if (uid == 0 || !table_.Seek(uid))
        return {};
    return table_.Tbl().GetMemo(value_);
}

void PartDictionary::LoadTexts() {
    // Every record, deleted ones too: their numbers stay taken.
    long maxUid = 0;
    db::Table& t = table_.Tbl();
    t.SelectTag(nullptr);
    for (int pos = t.Top(); pos == db::kPosOk; pos = t.Skip(1)) {
        long uid = t.GetLong(uid_);
        maxUid = std::max(maxUid, uid);
        if (!t.Deleted())
            byText_.emplace(t.GetMemo(value_), uid); // the first entry of a text wins
    }
    table_.SelectTag(byUid_);
    nextUid_ = maxUid + 1;
    textsLoaded_ = true;
}

long PartDictionary::FindOrAdd(std::string_view text) {
    if (!textsLoaded_)
        LoadTexts();
    auto it = byText_.find(std::string(text));
    if (it != byText_.end())
        return it->second;
    const long uid = nextUid_++;
    db::Table& t = table_.Tbl();
    t.AppendStart();
    t.AssignLong(uid_, uid);
    t.AssignMemo(value_, text);
    if (sdx_ >= 0)
        t.AssignString(sdx_, CSoundex::SoundCode(text));
    t.Append();
    byText_.emplace(std::string(text), uid);
    ++added_;
    return uid;
}

void PartValueTables::Open(db::CTMGDB& db, std::string_view values, std::string_view dictionary,
                           std::string_view partTypes) {
    Close();
    values_.Open(db, values);
    values_.SelectTag("RECNO");
    recNo_ = values_.Field("RecNo");
    type_ = values_.Field("Type");
    uid_ = values_.Field("UID");
    id_ = values_.OptionalField("ID");
    dictionary_.Open(db, dictionary);
    partTypeIds_.clear();
    if (!ProjectHasTable(db, partTypes))
        return;
    LoaderTable t;
    t.Open(db, partTypes);
    const int id = t.Field("ID"), type = t.Field("Type");
    // Rows of the current dataset win over those of dataset 0.
    for (int pos = t.Tbl().Top(); pos == db::kPosOk; pos = t.Tbl().Skip(1)) {
        long dsid = t.RecordDsid();
        if (t.Tbl().Deleted() || (dsid != 0 && dsid != db.DSID()))
            continue;
        auto [it, added] = partTypeIds_.emplace(t.Long(type), t.Long(id));
        if (!added && dsid != 0)
            it->second = t.Long(id);
    }
}

void PartValueTables::Close() noexcept {
    dictionary_.Close();
    values_.Close();
}

long PartValueTables::PartTypeId(long type) const {
    auto it = partTypeIds_.find(type);
    return it == partTypeIds_.end() ? type : it->second;
}

void PartValueTables::ForEachPart(long recNo,
                                  const std::function<void(long type, std::string value)>& part) {
    // Rows are read first: the dictionary lookups share nothing with this cursor, but the
    // caller may write while handling a part.
    std::vector<std::pair<long, long>> rows; // type, dictionary id
    for (bool ok = values_.Seek(recNo); ok; ok = values_.SeekNext(recNo)) {
        long uid = values_.Long(uid_);
        rows.emplace_back(values_.Long(type_), uid != 0 ? uid : values_.Long(id_));
    }
    for (auto [type, uid] : rows)
        part(type, dictionary_.Value(uid));
}

void PartValueTables::Save(long recNo, const std::vector<std::string>& texts,
                           const std::vector<bool>& changed) {
    std::map<long, std::vector<uint32_t>> rowsByType;
    for (bool ok = values_.Seek(recNo); ok; ok = values_.SeekNext(recNo))
        rowsByType[values_.Long(type_)].push_back(values_.RecNo());
    db::Table& t = values_.Tbl();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i >= changed.size() || !changed[i])
            continue;
        const long type = static_cast<long>(i) + 1;
        std::vector<uint32_t>& rows = rowsByType[type];
        if (texts[i].empty()) {
            for (uint32_t r : rows) {
                t.Go(r);
                t.Delete();
            }
            continue;
        }
        const long uid = dictionary_.FindOrAdd(texts[i]);
        if (rows.empty()) {
            t.AppendStart();
            if (values_.DsidField() >= 0)
                t.AssignLong(values_.DsidField(), values_.CurrentDsid());
            t.AssignLong(recNo_, recNo);
            t.AssignLong(type_, type);
            t.AssignLong(uid_, uid);
            if (id_ >= 0)
                t.AssignLong(id_, PartTypeId(type));
            t.Append();
            continue;
        }
        // One row per part: extra rows of the same type go.
        for (std::size_t r = 0; r < rows.size(); ++r) {
            t.Go(rows[r]);
            if (r > 0) {
                t.Delete();
                continue;
            }
            if (t.GetLong(uid_) != uid)
                t.AssignLong(uid_, uid);
            if (id_ >= 0 && t.GetLong(id_) != PartTypeId(type))
                t.AssignLong(id_, PartTypeId(type));
        }
    }
}

} // namespace hk
