// A quick check of one tag against the data by seeks only: keys of sampled records must be in
// the tag at those records, and sampled entries must carry their records' keys. It catches a
// tag that would be misread (stale, or written in a form we read wrongly) before a run writes.
#include "xbase/cdx/index_key.h"
#include "xbase/dbf/table_file.h"

namespace hk::db {

namespace {

constexpr uint32_t kSpreadSamples = 30;
constexpr uint32_t kLiveLookahead = 8; // records stepped over to find a live one
constexpr char kAdvice[] = ". Reindex the project in TMG, then run again.";

} // namespace

std::string TableFile::SpotCheck(TagState& tag) {
    if (!tag.key || !tag.unusable.empty() || !tag.tag->MachineCollation())
        return {}; // keys we cannot compute are not checked (and not maintained either)
    const uint32_t count = dbf_->RecordCount();
    if (count == 0)
        return {};
    std::vector<uint8_t> rec(dbf_->RecordLength());
    std::string key;
    const bool unique = tag.tag->Info().unique;
    const bool dates = tag.key->Type() == ExprType::Date;
    auto text = [&](std::string_view k) { return KeyText(tag.kind, dates, k); };
    auto fail = [&](const std::string& what) {
        return "tag " + tag.tag->Info().name + ": " + what + kAdvice;
    };

    std::vector<uint32_t> records{1};
    for (uint32_t i = 1; i <= kSpreadSamples; ++i)
        records.push_back(1 +
                          static_cast<uint32_t>(uint64_t(count - 1) * i / (kSpreadSamples + 1)));
    records.push_back(count);

    CdxCursor cursor(*tag.tag);
    std::vector<KeyEntry> entries;
    for (uint32_t r : records) {
        bool live = false;
        for (uint32_t s = r; s <= count && s < r + kLiveLookahead && !live; ++s) {
            dbf_->ReadRecord(s, rec.data());
            if (rec[0] != '*') {
                r = s;
                live = true;
            }
        }
        if (!live) // every record nearby is deleted: check the sampled one as it is
            dbf_->ReadRecord(r, rec.data());
        if (!ComputeKey(tag, rec.data(), r, nullptr, key))
            continue;
        // A unique tag holds each key once, for whichever record had it first.
        if (!cursor.Seek(key, unique ? 0 : r) || (!unique && cursor.RecNo() != r) ||
            cursor.Key() != key)
            return fail("record " + std::to_string(r) + " gives key " + text(key) +
                        ", which the tag does not hold for it");
        if (cursor.Next())
            entries.push_back({std::string(cursor.Key()), cursor.RecNo()});
    }
    for (bool last : {false, true})
        if (last ? cursor.Last() : cursor.First())
            entries.push_back({std::string(cursor.Key()), cursor.RecNo()});

    for (const KeyEntry& e : entries) {
        std::string head =
            "key " + text(e.key) + " found for record " + std::to_string(e.recno) + ", but ";
        if (e.recno == 0 || e.recno > count)
            return fail(head + "the table has no such record");
        dbf_->ReadRecord(e.recno, rec.data());
        if (!ComputeKey(tag, rec.data(), e.recno, nullptr, key))
            return fail(head + "the record is outside the tag's FOR condition and has no key");
        if (key != e.key)
            return fail(head + "the record gives key " + text(key));
    }
    return {};
}

void TableFile::SpotCheckOnce(TagState& tag) {
    if (tag.spotChecked)
        return;
    std::string fault = SpotCheck(tag);
    if (!fault.empty())
        throw DbError(kErrIndex, dbf_->Path(), fault);
    tag.spotChecked = true;
}

void TableFile::SpotCheckBeforeWrite() {
    // The layout of each index before anything of the table is written: a damaged index stops
    // the change before the record does.
    for (auto& set : indexes_)
        set->cdx_->CheckBeforeWrite();
    if (!spotCheck_ || writeChecked_)
        return;
    // A write keeps every tag up to date from the keys the records give: on a tag that does
    // not hold those keys it would remove nothing and leave the tag worse than it found it.
    for (auto& set : indexes_)
        for (auto& tag : set->tags_)
            SpotCheckOnce(*tag);
    writeChecked_ = true;
}

} // namespace hk::db
