#include "loaders/loader_table.h"

#include "support/text.h"

namespace hk {

std::string LoadedDate(std::string_view stored) {
    std::string_view t = Trim(stored);
    return t.empty() ? std::string(kEmptySortDate) : std::string(t);
}

LoaderTable::~LoaderTable() {
    Close();
}

void LoaderTable::Open(db::CTMGDB& db, std::string_view suffix) {
    Close();
    db_ = &db;
    alias_ = db.NewAlias();
    db.OpenTable(suffix, alias_);
    table_ = db.TableHandle(alias_);
    currentDsid_ = db.DSID();
    dsid_ = table_->FieldIndex("DSID");
    acceptShared_ = false;
}

void LoaderTable::Close() noexcept {
    if (!table_)
        return;
    table_ = nullptr;
    try {
        // The project may have closed every table already (end of a run).
        if (db_->FindAlias(alias_) >= 0)
            db_->CloseTable(alias_);
    } catch (...) {
    }
}

db::Table& LoaderTable::Tbl() const {
    if (!table_)
        throw Error(-1, ErrorSource("LoaderTable", "Tbl"), "Table not open");
    return *table_;
}

int LoaderTable::Field(std::string_view name) const {
    return db_->Field(Tbl(), name).index;
}

int LoaderTable::OptionalField(std::string_view name) const {
    return Tbl().FieldIndex(name);
}

db::Tag* LoaderTable::FindTag(std::string_view name) const {
    return Tbl().FindTag(name);
}

void LoaderTable::SelectTag(db::Tag* tag) {
    // Selecting makes a new cursor; loaders switch tags often, so keep the one there.
    db::Table& t = Tbl();
    if (t.SelectedTag() != tag)
        t.SelectTag(tag);
}

bool LoaderTable::Acceptable() const {
    const db::Table& t = *table_;
    if (t.Eof() || t.Deleted())
        return false;
    if (dsid_ < 0)
        return true;
    long dsid = t.GetLong(dsid_);
    return dsid == currentDsid_ || (acceptShared_ && dsid == 0);
}

char LoaderTable::Char(int field) const {
    if (field < 0)
        return ' ';
    std::string_view raw = table_->Raw(field);
    return raw.empty() ? ' ' : raw[0];
}

// From a seek result on, the first acceptable record that still has the key.
bool LoaderTable::SettleKey(int pos, bool numeric, long key, std::string_view text) {
    db::Table& t = Tbl();
    while (pos == db::kPosOk) {
        if (Acceptable())
            return true;
        pos = numeric ? t.SeekNextDouble(static_cast<double>(key)) : t.SeekNext(text);
    }
    return false;
}

bool LoaderTable::Seek(long key) {
    return SettleKey(Tbl().SeekDouble(static_cast<double>(key)), true, key, {});
}

bool LoaderTable::SeekNext(long key) {
    return SettleKey(Tbl().SeekNextDouble(static_cast<double>(key)), true, key, {});
}

bool LoaderTable::Seek(std::string_view key) {
    return SettleKey(Tbl().Seek(key), false, 0, key);
}

bool LoaderTable::SeekNext(std::string_view key) {
    return SettleKey(Tbl().SeekNext(key), false, 0, key);
}

bool LoaderTable::First() {
    int pos = Tbl().Top();
    while (pos == db::kPosOk && !Acceptable())
        pos = table_->Skip(1);
    return pos == db::kPosOk;
}

bool LoaderTable::Next() {
    int pos = Tbl().Skip(1);
    while (pos == db::kPosOk && !Acceptable())
        pos = table_->Skip(1);
    return pos == db::kPosOk;
}

bool LoaderTable::Go(uint32_t recNo) {
    return Tbl().Go(recNo) == db::kPosOk;
}

} // namespace hk
