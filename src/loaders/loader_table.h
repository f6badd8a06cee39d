#pragma once
// LoaderTable: one table a loader opened for itself under a fresh alias, with the rule every
// loader applies: only records that are not deleted and belong to the current dataset count.
// Seeks and walks here skip the others. Fields and tags are resolved once into handles (-1 for a
// missing optional field, which reads as empty, zero or false; a null tag for record order).
#include <cstdint>
#include <string>
#include <string_view>

#include "tmgdb/ctmgdb.h"
#include "xbase/table.h"

namespace hk {

// The value TMG stores for a date that is not known.
inline constexpr std::string_view kEmptySortDate = "100000000030000000000";

// A date as loaders hand it out: trimmed, blank replaced by the empty sort date.
std::string LoadedDate(std::string_view stored);

class LoaderTable {
public:
    LoaderTable() = default;
    ~LoaderTable();
    LoaderTable(const LoaderTable&) = delete;
    LoaderTable& operator=(const LoaderTable&) = delete;

    // Opens the table of `suffix` under a fresh alias; the current dataset is read now.
    void Open(db::CTMGDB& db, std::string_view suffix);
    // Closes the table when the project still has it open; never throws.
    void Close() noexcept;
    bool IsOpen() const { return table_ != nullptr; }

    db::CTMGDB& Db() const { return *db_; }
    db::Table& Tbl() const;
    const std::string& Alias() const { return alias_; }
    long CurrentDsid() const { return currentDsid_; }

    // Field handles, found on the table without regard to case: Field raises the project's
    // error when the field is missing, OptionalField gives -1.
    int Field(std::string_view name) const;
    int OptionalField(std::string_view name) const;
    // Tag handles, found without regard to case: null when the table has no such tag.
    db::Tag* FindTag(std::string_view name) const;
    bool HasTag(std::string_view name) const { return FindTag(name) != nullptr; }
    // Selects a tag (null: record order); the cursor stays when the tag is selected already.
    void SelectTag(db::Tag* tag);
    // By name, for one-off selections; loops keep the handle.
    void SelectTag(std::string_view name) { SelectTag(FindTag(name)); }

    // Reference tables (source types, elements) keep shared rows under dataset 0.
    void AcceptSharedDataset(bool on) { acceptShared_ = on; }

    // The current record is there, not deleted, and of the current dataset (or has no DSID).
    bool Acceptable() const;

    // Seeks on the selected tag: true on the first acceptable record with the key. Next moves
    // on to the following acceptable record with the same key.
    bool Seek(long key);
    bool SeekNext(long key);
    bool Seek(std::string_view key);
    bool SeekNext(std::string_view key);
    // Whole-table walks in the selected order, acceptable records only.
    bool First();
    bool Next();
    // The record of a physical number, whatever its state.
    bool Go(uint32_t recNo);
    bool Eof() const { return Tbl().Eof(); }
    uint32_t RecNo() const { return Tbl().RecNo(); }

    long Long(int field) const { return field < 0 ? 0 : table_->GetLong(field); }
    bool Bool(int field) const { return field >= 0 && table_->GetBool(field); }
    // Trimmed text of a character or memo field.
    std::string Text(int field) const {
        return field < 0 ? std::string() : table_->GetTrimmed(field);
    }
    // First character of a one-character field, or a blank.
    char Char(int field) const;
    std::string Date(int field) const {
        return field < 0 ? std::string(kEmptySortDate) : LoadedDate(table_->GetString(field));
    }
    // The record's DSID, 0 when the table has none.
    long RecordDsid() const { return Long(dsid_); }
    int DsidField() const { return dsid_; }

private:
    bool SettleKey(int pos, bool numeric, long key, std::string_view text);

    db::CTMGDB* db_ = nullptr;
    db::Table* table_ = nullptr;
    std::string alias_;
    long currentDsid_ = 0;
    int dsid_ = -1;
    bool acceptShared_ = false;
};

} // namespace hk
