#include "xbase/table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "support/text.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/cdx/index_key.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"
#include "xbase/dbf/record_view.h"
#include "xbase/dbf/table_file.h"

namespace hk::db {

const std::string& Tag::Name() const {
    return state_->tag->Info().name;
}
const IndexSet* Tag::Index() const {
    return state_->owner;
}

const TagInfo& Tag::Info() const {
    return state_->tag->Info();
}
const std::string& Tag::Unusable() const {
    return state_->unusable;
}
KeyKind Tag::Kind() const {
    return state_->kind;
}
bool Tag::DateKeys() const {
    return state_->key && state_->key->Type() == ExprType::Date;
}
std::vector<KeyEntry> Tag::Entries() const {
    return state_->tag->Entries();
}

namespace {

FileSystem& Fs(FileSystem* fs) {
    return fs ? *fs : FileSystem::Default();
}

CdxFlavor FlavorOf(const DbfFile& dbf) {
    return dbf.Flavor() == DbfFlavor::Fox2 ? CdxFlavor::Fox2 : CdxFlavor::Vfp;
}

} // namespace

Table::Table(std::shared_ptr<TableFile> file)
    : file_(std::move(file)), view_(std::make_unique<RecordView>()) {
    record_.resize(file_->Dbf().RecordLength());
    SetEof();
}

Table::~Table() {
    try {
        if (file_->Dbf().Writable())
            file_->Flush();
    } catch (...) {
    }
}

std::unique_ptr<Table> Table::Open(const std::string& path, const OpenOptions& options) {
    FileSystem& fs = Fs(options.fs);
    auto found = FindFileNoCase(fs, path);
    if (!found)
        throw DbError(kErrOpen, path, "file not found");
    auto own = std::make_unique<CountingFileSystem>(fs);
    std::shared_ptr<PagePool> pool = options.budget ? options.budget->Pool() : nullptr;
    auto dbf = DbfFile::Open(*own, *found, options.writable, pool);
    auto file = std::make_shared<TableFile>(std::move(own), std::move(dbf), fs, pool);
    FileSystem& ownFs = file->OwnFs();
    bool exists = false;
    std::string cdxPath = SiblingPath(fs, *found, ".cdx", &exists);
    if (exists) {
        if (options.productionIndex) {
            file->AttachIndex(
                CdxFile::Open(ownFs, cdxPath, options.writable, FlavorOf(file->Dbf()), pool), true,
                true);
        } else if (options.writable) {
            // Not used for ordering, but kept up to date so the project stays intact.
            try {
                file->AttachIndex(CdxFile::Open(ownFs, cdxPath, true, FlavorOf(file->Dbf()), pool),
                                  true, false);
            } catch (const DbError& e) {
                file->SetMissingIndex(e.Description());
            }
        }
    } else if (options.writable && file->Dbf().HasProductionIndexFlag()) {
        file->SetMissingIndex("the table says it has a production index, but " + cdxPath +
                              " does not exist");
    }
    return std::unique_ptr<Table>(new Table(std::move(file)));
}

std::unique_ptr<Table> Table::Create(const std::string& path, const std::vector<FieldSpec>& fields,
                                     const CreateOptions& options,
                                     const std::vector<IndexTagSpec>& productionTags,
                                     FileSystem* fsp, MemoryBudget* budget) {
    FileSystem& fs = Fs(fsp);
    CreateOptions opts = options;
    opts.productionIndex = !productionTags.empty();
    auto own = std::make_unique<CountingFileSystem>(fs);
    std::shared_ptr<PagePool> pool = budget ? budget->Pool() : nullptr;
    auto dbf = DbfFile::Create(*own, path, fields, opts, pool);
    auto file = std::make_shared<TableFile>(std::move(own), std::move(dbf), fs, pool);
    std::unique_ptr<Table> table(new Table(file));
    if (!productionTags.empty())
        table->AddProductionIndex(productionTags);
    return table;
}

std::unique_ptr<Table> Table::Clone() {
    return std::unique_ptr<Table>(new Table(file_));
}

const std::string& Table::Path() const {
    return file_->Dbf().Path();
}
bool Table::Writable() const {
    return file_->Dbf().Writable();
}
const DbfFile& Table::Dbf() const {
    return file_->Dbf();
}
int Table::FieldCount() const {
    return static_cast<int>(file_->Dbf().Fields().size());
}
const FieldInfo& Table::FieldAt(int i) const {
    const auto& fields = file_->Dbf().Fields();
    if (i < 0 || i >= static_cast<int>(fields.size()))
        throw DbError(kErrFieldName, Path(), "no field number " + std::to_string(i));
    return fields[i];
}
int Table::FieldIndex(std::string_view name) const {
    return file_->Dbf().FieldIndex(name);
}
uint32_t Table::RecCount() const {
    return file_->Dbf().RecordCount();
}
bool Table::Deleted() const {
    return !eof_ && record_[0] == '*';
}

void Table::LoadRecord(uint32_t recno) {
    file_->Dbf().ReadRecord(recno, record_.data());
    recno_ = recno;
    eof_ = bof_ = false;
    appending_ = false;
    pendingMemos_.clear();
    view_->Bind(&file_->Dbf(), record_.data(), recno_);
}

void Table::SetEof() {
    file_->Dbf().BlankRecord(record_.data());
    recno_ = file_->Dbf().RecordCount() + 1;
    eof_ = true;
    appending_ = false;
    pendingMemos_.clear();
    view_->Bind(&file_->Dbf(), record_.data(), recno_);
}

bool Table::Descending() const {
    return selected_ && selected_->Info().descending;
}

int Table::PositionFromCursor(bool valid) {
    if (!valid) {
        SetEof();
        return kPosEof;
    }
    LoadRecord(cursor_->RecNo());
    synced_ = true;
    return kPosOk;
}

int Table::Top() {
    if (!selected_) {
        if (RecCount() == 0) {
            SetEof();
            return kPosEof;
        }
        LoadRecord(1);
        return kPosOk;
    }
    return PositionFromCursor(Descending() ? cursor_->Last() : cursor_->First());
}

int Table::Bottom() {
    if (!selected_) {
        if (RecCount() == 0) {
            SetEof();
            return kPosEof;
        }
        LoadRecord(RecCount());
        return kPosOk;
    }
    return PositionFromCursor(Descending() ? cursor_->First() : cursor_->Last());
}

int Table::Go(uint32_t recno) {
    if (recno < 1 || recno > RecCount()) {
        SetEof();
        return kPosEof;
    }
    LoadRecord(recno);
    synced_ = false;
    return kPosOk;
}

bool Table::StepCursor(bool forward) {
    bool physicalForward = forward != Descending();
    return physicalForward ? cursor_->Next() : cursor_->Prev();
}

int Table::Skip(long n) {
    if (n == 0)
        return eof_ ? kPosEof : kPosOk;
    bool forward = n > 0;
    long steps = forward ? n : -n;
    if (!selected_) {
        if (eof_ && forward)
            return kPosEof;
        int64_t target = static_cast<int64_t>(eof_ ? RecCount() + 1 : recno_) + n;
        if (target > static_cast<int64_t>(RecCount())) {
            SetEof();
            return kPosEof;
        }
        if (target < 1) {
            if (RecCount() == 0) {
                SetEof();
                return kPosBof;
            }
            LoadRecord(1);
            bof_ = true;
            return kPosBof;
        }
        LoadRecord(static_cast<uint32_t>(target));
        return kPosOk;
    }
    if (eof_) {
        if (forward)
            return kPosEof;
        // Backwards from the end: the last entry in tag order.
        int r = Bottom();
        if (r != kPosOk)
            return kPosBof;
        --steps;
    } else if (!synced_) {
        // Re-find the current record in the tag (its key may have changed since).
        TagState* st = selected_->state_;
        std::string key;
        bool in = st->key && file_->ComputeKey(*st, record_.data(), recno_, nullptr, key);
        if (!st->key)
            throw DbError(kErrIndex, Path(), "cannot position in tag " + selected_->Name());
        bool valid = cursor_->Seek(in ? key : key, recno_);
        bool onCurrent = in && valid && cursor_->RecNo() == recno_ && cursor_->Key() == key;
        if (!onCurrent) {
            // The cursor sits on the first entry after the record's place.
            bool physicalForward = forward != Descending();
            if (physicalForward) {
                if (!valid) {
                    SetEof();
                    return kPosEof;
                }
                --steps;
            } else if (!valid) {
                valid = cursor_->Last();
                --steps;
                if (!valid) {
                    SetEof();
                    return kPosBof;
                }
            }
            if (steps == 0)
                return PositionFromCursor(true);
        }
        synced_ = true;
    }
    for (long i = 0; i < steps; ++i) {
        if (!StepCursor(forward)) {
            if (forward) {
                SetEof();
                return kPosEof;
            }
            Top();
            bof_ = true;
            return kPosBof;
        }
    }
    return PositionFromCursor(true);
}

Tag* Table::FindTag(std::string_view name) const {
    for (auto& set : file_->Indexes()) {
        if (!set->Selectable())
            continue;
        for (auto& tag : set->Tags())
            if (EqualsNoCase(tag->tag->Info().name, name))
                return &tag->handle;
    }
    return nullptr;
}

std::vector<Tag*> Table::Tags() const {
    std::vector<Tag*> out;
    for (auto& set : file_->Indexes())
        if (set->Selectable())
            for (auto& tag : set->Tags())
                out.push_back(&tag->handle);
    return out;
}

void Table::SelectTag(Tag* tag) {
    if (tag && !tag->state_->unknownForm.empty())
        throw DbError(kErrIndex, tag->state_->owner->Cdx().Path(), tag->state_->unknownForm);
    if (tag && file_->SpotCheckOn())
        file_->SpotCheckOnce(*tag->state_);
    selected_ = tag;
    cursor_ = tag ? std::make_unique<CdxCursor>(*tag->state_->tag) : nullptr;
    synced_ = false;
}

std::string Table::KeyFromText(std::string_view text) const {
    TagState* st = selected_->state_;
    switch (st->kind) {
    case KeyKind::Char: {
        std::string key = Utf8ToCp1252(text);
        if (key.size() > st->tag->KeyLength())
            key.resize(st->tag->KeyLength());
        return key;
    }
    case KeyKind::Logical: {
        std::string_view t = Trim(text);
        bool b = !t.empty() && (t[0] == 'T' || t[0] == 't' || t[0] == 'Y' || t[0] == 'y' ||
                                t == ".T." || t == ".t.");
        return std::string(1, b ? 'T' : 'F');
    }
    default: {
        std::string_view t = Trim(text);
        if (st->key && st->key->Type() == ExprType::Date)
            return KeyFromDouble(t.empty() ? 0.0 : static_cast<double>(JulianFromDate(t)));
        double v = 0;
        std::from_chars(t.data(), t.data() + t.size(), v);
        return KeyFromDouble(v);
    }
    }
}

std::string Table::KeyFromDouble(double value) const {
    TagState* st = selected_->state_;
    switch (st->kind) {
    case KeyKind::Int4:
        return EncodeIntKey(static_cast<int32_t>(std::llround(value)));
    case KeyKind::Currency:
        return EncodeCurrencyKey(static_cast<int64_t>(std::llround(value * 10000.0)));
    case KeyKind::Double:
        return EncodeDoubleKey(value);
    default:
        throw DbError(kErrParam, Path(),
                      "tag " + selected_->Name() + " has character keys; seek it with text");
    }
}

int Table::SeekKey(const std::string& key) {
    if (!selected_)
        throw DbError(kErrParam, Path(), "seek without a selected tag");
    bool valid = Descending() ? cursor_->SeekLast(key) : cursor_->SeekFirst(key);
    if (!valid) {
        SetEof();
        return kPosEof;
    }
    PositionFromCursor(true);
    return cursor_->Key().substr(0, key.size()) == key ? kPosOk : kPosAfter;
}

int Table::SeekNextKey(const std::string& key) {
    if (!selected_)
        throw DbError(kErrParam, Path(), "seek without a selected tag");
    if (eof_ || !synced_ || cursor_->Key().substr(0, key.size()) != key)
        return SeekKey(key);
    if (!StepCursor(true)) {
        SetEof();
        return kPosEof;
    }
    PositionFromCursor(true);
    return cursor_->Key().substr(0, key.size()) == key ? kPosOk : kPosAfter;
}

int Table::Seek(std::string_view key) {
    return SeekKey(KeyFromText(key));
}
int Table::SeekDouble(double key) {
    return SeekKey(KeyFromDouble(key));
}
int Table::SeekNext(std::string_view key) {
    return SeekNextKey(KeyFromText(key));
}
int Table::SeekNextDouble(double key) {
    return SeekNextKey(KeyFromDouble(key));
}

std::string_view Table::Raw(int field) const {
    return FieldBytes(FieldAt(field), record_.data());
}

std::string Table::MemoText(int field) const {
    auto it = pendingMemos_.find(field);
    if (it != pendingMemos_.end())
        return it->second;
    if (eof_)
        return {};
    return view_->MemoBytes(field);
}

std::string Table::GetString(int field) const {
    const FieldInfo& fi = FieldAt(field);
    switch (fi.type) {
    case 'M':
        return Cp1252ToUtf8(MemoText(field));
    case 'I':
        return std::to_string(GetInteger(fi, record_.data()));
    case 'L':
        return GetLogical(fi, record_.data()) ? "T" : "F";
    default:
        return Cp1252ToUtf8(Raw(field));
    }
}

std::string Table::GetTrimmed(int field) const {
    return std::string(Trim(GetString(field)));
}

long Table::GetLong(int field) const {
    const FieldInfo& fi = FieldAt(field);
    if (fi.type == 'C') {
        std::string_view t = Trim(Raw(field));
        long v = 0;
        if (!t.empty() && t[0] == '+')
            t.remove_prefix(1);
        std::from_chars(t.data(), t.data() + t.size(), v);
        return v;
    }
    return static_cast<long>(GetInteger(fi, record_.data()));
}

double Table::GetDouble(int field) const {
    return GetNumber(FieldAt(field), record_.data());
}
bool Table::GetBool(int field) const {
    return GetLogical(FieldAt(field), record_.data());
}
std::string Table::GetMemo(int field) const {
    return Cp1252ToUtf8(MemoText(field));
}
bool Table::IsNull(int field) const {
    const FieldInfo* flags = file_->Dbf().NullFlagsField();
    return flags && db::IsNull(FieldAt(field), *flags, record_.data());
}

template <typename Fn> void Table::Modify(Fn&& apply) {
    if (appending_) {
        apply(record_, pendingMemos_);
        return;
    }
    if (shadowAppending_) {
        file_->CountDropped();
        apply(shadow_, shadowMemos_);
        return;
    }
    if (eof_)
        throw DbError(kErrParam, Path(), "there is no current record to change");
    std::vector<uint8_t> after = record_;
    std::map<int, std::string> memos;
    apply(after, memos);
    if (!file_->Update(recno_, record_.data(), after, memos))
        return; // Log Only: checked, not written; the record reads as stored
    record_.swap(after);
    view_->Bind(&file_->Dbf(), record_.data(), recno_);
    synced_ = false;
}

void Table::AssignString(int field, std::string_view utf8) {
    const FieldInfo& fi = FieldAt(field);
    switch (fi.type) {
    case 'M':
        AssignMemo(field, utf8);
        return;
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y': {
        std::string_view t = Trim(utf8);
        double v = 0;
        if (!t.empty() && t[0] == '+')
            t.remove_prefix(1);
        std::from_chars(t.data(), t.data() + t.size(), v);
        AssignDouble(field, v);
        return;
    }
    case 'L': {
        std::string_view t = Trim(utf8);
        AssignBool(field, !t.empty() && std::strchr("TtYy", t[0]) != nullptr);
        return;
    }
    case 'D':
        AssignDate(field, utf8);
        return;
    default: {
        std::string bytes = Utf8ToCp1252(utf8);
        Modify([&](std::vector<uint8_t>& rec, auto&) { PutChar(fi, rec.data(), bytes); });
    }
    }
}

void Table::AssignLong(int field, long value) {
    const FieldInfo& fi = FieldAt(field);
    if (fi.type == 'C') {
        AssignString(field, std::to_string(value));
        return;
    }
    Modify([&](std::vector<uint8_t>& rec, auto&) { PutInteger(fi, rec.data(), value); });
}

void Table::AssignDouble(int field, double value) {
    const FieldInfo& fi = FieldAt(field);
    Modify([&](std::vector<uint8_t>& rec, auto&) { PutNumber(fi, rec.data(), value); });
}

void Table::AssignBool(int field, bool value) {
    const FieldInfo& fi = FieldAt(field);
    Modify([&](std::vector<uint8_t>& rec, auto&) { PutLogical(fi, rec.data(), value); });
}

void Table::AssignDate(int field, std::string_view yyyymmdd) {
    const FieldInfo& fi = FieldAt(field);
    std::string d(Trim(yyyymmdd));
    Modify([&](std::vector<uint8_t>& rec, auto&) { PutDate(fi, rec.data(), d); });
}

void Table::AssignMemo(int field, std::string_view utf8) {
    std::string bytes = Utf8ToCp1252(utf8);
    Modify([&](std::vector<uint8_t>&, std::map<int, std::string>& memos) { memos[field] = bytes; });
}

void Table::Delete() {
    Modify([](std::vector<uint8_t>& rec, auto&) { rec[0] = '*'; });
}

void Table::Recall() {
    Modify([](std::vector<uint8_t>& rec, auto&) { rec[0] = ' '; });
}

void Table::AppendStart() {
    if (file_->LogOnly()) {
        // The record is built aside, so that the current record stays as it is.
        file_->CountDropped();
        shadow_.resize(record_.size());
        file_->Dbf().BlankRecord(shadow_.data());
        shadowMemos_.clear();
        shadowAppending_ = true;
        return;
    }
    file_->Dbf().BlankRecord(record_.data());
    pendingMemos_.clear();
    appending_ = true;
    eof_ = bof_ = false;
    recno_ = RecCount() + 1;
    view_->Bind(&file_->Dbf(), record_.data(), recno_, &pendingMemos_);
}

void Table::Blank() {
    if (shadowAppending_) {
        file_->CountDropped();
        file_->Dbf().BlankRecord(shadow_.data());
        shadowMemos_.clear();
        return;
    }
    file_->Dbf().BlankRecord(record_.data());
    pendingMemos_.clear();
}

uint32_t Table::Append() {
    if (shadowAppending_) {
        shadowAppending_ = false;
        return file_->Append(shadow_, shadowMemos_);
    }
    if (!appending_)
        throw DbError(kErrParam, Path(), "Append without AppendStart");
    uint32_t recno = file_->Append(record_, pendingMemos_);
    LoadRecord(recno);
    synced_ = false;
    return recno;
}

void Table::Flush() {
    file_->Flush();
}

void Table::Sync() {
    file_->Sync();
}

void Table::SetCacheLimit(size_t bytes) {
    file_->SetCacheLimit(bytes);
}

void Table::SetIndexBuildMemory(size_t bytes) {
    file_->SetIndexBuildMemory(bytes);
}

void Table::SetUpdateDate(int year, int month, int day) {
    file_->Dbf().SetUpdateDate(year, month, day);
}

void Table::CreateProductionIndex(const std::vector<IndexTagSpec>& tags) {
    for (auto& set : file_->Indexes())
        if (set->Production())
            throw DbError(kErrParam, Path(), "the table already has its production index");
    if (file_->LogOnly()) {
        file_->CountDropped();
        return;
    }
    AddProductionIndex(tags);
}

void Table::AddProductionIndex(const std::vector<IndexTagSpec>& tags) {
    IndexSet* set =
        file_->AttachIndex(CdxFile::Create(file_->OwnFs(), SiblingPath(file_->Fs(), Path(), ".cdx"),
                                           FlavorOf(file_->Dbf()), file_->Pool()),
                           false, true);
    for (const IndexTagSpec& tagDef : tags)
        file_->AddTag(*set, tagDef);
    file_->MakeProduction(set);
}

void Table::SetLogOnly(bool on) {
    file_->SetLogOnly(on);
    shadowAppending_ = false;
}
bool Table::LogOnly() const {
    return file_->LogOnly();
}
uint64_t Table::DroppedWrites() const {
    return file_->DroppedWrites();
}
uint64_t Table::BytesWritten() const {
    return file_->BytesWritten();
}

IndexSet* Table::OpenIndex(const std::string& path) {
    auto found = FindFileNoCase(file_->Fs(), path);
    if (!found)
        throw DbError(kErrOpen, path, "index file not found");
    return file_->AttachIndex(
        CdxFile::Open(file_->Fs(), *found, Writable(), FlavorOf(file_->Dbf()), file_->Pool()),
        false, true);
}

IndexSet* Table::CreateIndex(const std::string& path, const std::vector<IndexTagSpec>& tags) {
    IndexSet* set = file_->AttachIndex(
        CdxFile::Create(file_->Fs(), path, FlavorOf(file_->Dbf()), file_->Pool()), false, true);
    for (const IndexTagSpec& tagDef : tags)
        file_->AddTag(*set, tagDef);
    return set;
}

void Table::CloseIndex(IndexSet* index) {
    if (selected_ && selected_->state_->owner == index)
        SelectTag(nullptr);
    file_->DetachIndex(index);
}

void Table::SpotCheck(Tag* tag) {
    if (tag)
        file_->SpotCheckOnce(*tag->state_);
}

void Table::SetSpotCheckOnSelect(bool on) {
    file_->SetSpotCheck(on);
}

bool Table::CheckIndexes(std::string* fault) {
    return file_->Check(fault);
}

void Table::CheckFiles(const std::function<void(const TableFault&)>& report,
                       const std::function<void(uint32_t, const uint8_t*)>& eachRecord) {
    file_->CheckFiles(true, report, eachRecord);
}

const RecordSource& Table::Current() const {
    return *view_;
}

} // namespace hk::db
