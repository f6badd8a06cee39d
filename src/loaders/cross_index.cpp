#include "loaders/cross_index.h"

#include "loaders/loader_table.h"

namespace hk {

void CTMGCrossIndex::Build(db::CTMGDB& db, const char* suffix, const char* tag,
                           const char* keyField, const char* valueField, bool character) {
    values_.clear();
    LoaderTable t;
    t.Open(db, suffix);
    t.SelectTag(tag);
    const int key = t.Field(keyField);
    const int value = t.OptionalField(valueField);
    // Sized by the largest key, the last one in key order.
    if (t.Tbl().SelectedTag() && t.Tbl().Bottom() == db::kPosOk && t.Long(key) > 0)
        values_.reserve(static_cast<std::size_t>(t.Long(key)) + 1);
    for (bool ok = t.First(); ok; ok = t.Next()) {
        long k = t.Long(key);
        if (k < 0)
            continue;
        if (static_cast<std::size_t>(k) >= values_.size())
            values_.resize(static_cast<std::size_t>(k) + 1, 0);
        long v = value < 0   ? k
                 : character ? static_cast<unsigned char>(t.Char(value))
                             : t.Long(value);
        values_[static_cast<std::size_t>(k)] = static_cast<int32_t>(v);
    }
}

void CTMGCrossIndex::BuildPersonIDs(db::CTMGDB& db) {
    Build(db, "$", db.PersonOrder().c_str(), "Per_No", "Ref_ID", false);
}

void CTMGCrossIndex::BuildLiving(db::CTMGDB& db) {
    Build(db, "$", db.PersonOrder().c_str(), "Per_No", "Living", true);
}

void CTMGCrossIndex::BuildSourceIDs(db::CTMGDB& db) {
    Build(db, "M", "MJBYNUM", "MajNum", "Ref_ID", false);
}

} // namespace hk
