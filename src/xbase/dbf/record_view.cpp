#include "xbase/dbf/record_view.h"

#include "xbase/dbf/field_codec.h"

namespace hk::db {

std::string RecordView::MemoBytes(int field) const {
    if (overrides_) {
        auto it = overrides_->find(field);
        if (it != overrides_->end())
            return it->second;
    }
    const FieldInfo& fi = dbf_->Fields()[field];
    uint32_t block = GetMemoBlock(fi, record_, dbf_->Flavor());
    if (block == 0 || !dbf_->Memo())
        return {};
    return dbf_->Memo()->Read(block);
}

std::string_view RecordView::CharValue(int field) const {
    const FieldInfo& fi = dbf_->Fields()[field];
    if (fi.IsMemo()) {
        memoCache_[field] = MemoBytes(field);
        return memoCache_[field];
    }
    return FieldBytes(fi, record_);
}

double RecordView::NumberValue(int field) const {
    return GetNumber(dbf_->Fields()[field], record_);
}

double RecordView::DateValue(int field) const {
    return GetNumber(dbf_->Fields()[field], record_);
}

bool RecordView::LogicalValue(int field) const {
    return GetLogical(dbf_->Fields()[field], record_);
}

} // namespace hk::db
