#pragma once
// One record of a table as the expression evaluator sees it: a record buffer read through
// the table's field layout, memos from the memo file or from text not yet written.
#include <map>
#include <string>
#include <vector>

#include "xbase/dbf/dbf_file.h"
#include "xbase/expression.h"

namespace hk::db {

class RecordView final : public RecordSource {
public:
    void Bind(DbfFile* dbf, const uint8_t* record, uint32_t recno,
              const std::map<int, std::string>* memoOverrides = nullptr) {
        dbf_ = dbf;
        record_ = record;
        recno_ = recno;
        overrides_ = memoOverrides;
        if (memoCache_.size() < dbf->Fields().size())
            memoCache_.resize(dbf->Fields().size());
    }
    const uint8_t* Record() const { return record_; }
    DbfFile* Dbf() const { return dbf_; }

    std::string_view CharValue(int field) const override;
    double NumberValue(int field) const override;
    double DateValue(int field) const override;
    bool LogicalValue(int field) const override;
    bool Deleted() const override { return record_ && record_[0] == '*'; }
    uint32_t RecNo() const override { return recno_; }
    uint32_t RecCount() const override { return dbf_ ? dbf_->RecordCount() : 0; }

    // The memo text of a field (1252 bytes): an override when present, else the memo file.
    std::string MemoBytes(int field) const;

private:
    DbfFile* dbf_ = nullptr;
    const uint8_t* record_ = nullptr;
    uint32_t recno_ = 0;
    const std::map<int, std::string>* overrides_ = nullptr;
    mutable std::vector<std::string> memoCache_;
};

} // namespace hk::db
