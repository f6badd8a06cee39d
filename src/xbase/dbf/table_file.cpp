#include "xbase/dbf/table_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "support/text.h"
#include "xbase/cdx/index_key.h"
#include "xbase/cdx/key_sorter.h"
#include "xbase/dbf/field_codec.h"

namespace hk::db {
namespace {

// Resolves the field names of a key or FOR expression against the table's own fields and
// records which fields the expression reads.
class TagResolver final : public FieldResolver {
public:
    TagResolver(const DbfFile& dbf, RecordView& view, TagState& state)
        : dbf_(dbf), view_(view), state_(state) {}

    std::optional<FieldBinding> Resolve(std::string_view alias, std::string_view field) override {
        if (!alias.empty())
            return std::nullopt;
        int i = dbf_.FieldIndex(field);
        if (i < 0)
            return std::nullopt;
        state_.fieldDeps[i] = true;
        const FieldInfo& fi = dbf_.Fields()[i];
        return FieldBinding{&view_, i, fi.type, fi.length, fi.decimals};
    }
    const RecordSource* DefaultSource() override {
        state_.dependsOnRecord = true;
        return &view_;
    }
    const RecordSource* SourceForAlias(std::string_view) override { return nullptr; }

private:
    const DbfFile& dbf_;
    RecordView& view_;
    TagState& state_;
};

// When an expression cannot be compiled we still want to know which fields it names, so that
// writes to other fields remain possible: every identifier that is a field name counts.
void ScanNamedFields(const DbfFile& dbf, std::string_view text, TagState& state) {
    std::string upper = AsciiUpper(text);
    size_t i = 0;
    while (i < upper.size()) {
        unsigned char c = static_cast<unsigned char>(upper[i]);
        if (std::isalpha(c) || c == '_') {
            size_t j = i;
            while (j < upper.size() &&
                   (std::isalnum(static_cast<unsigned char>(upper[j])) || upper[j] == '_'))
                ++j;
            std::string_view word(upper.data() + i, j - i);
            int f = dbf.FieldIndex(word);
            if (f >= 0)
                state.fieldDeps[f] = true;
            if (word.rfind("DELE", 0) == 0 || word.rfind("RECN", 0) == 0)
                state.dependsOnRecord = true;
            i = j;
        } else {
            ++i;
        }
    }
}

} // namespace

TableFile::TableFile(std::unique_ptr<CountingFileSystem> own, std::unique_ptr<DbfFile> dbf,
                     FileSystem& fs, std::shared_ptr<PagePool> pool)
    : own_(std::move(own)), dbf_(std::move(dbf)), fs_(fs), pool_(std::move(pool)) {}

TableFile::~TableFile() {
    try {
        Flush();
    } catch (...) {
    }
}

IndexSet* TableFile::AttachIndex(std::unique_ptr<CdxFile> cdx, bool production, bool selectable) {
    auto set = std::make_unique<IndexSet>();
    set->cdx_ = std::move(cdx);
    if (cacheLimit_)
        set->cdx_->SetCacheLimit(cacheLimit_);
    set->production_ = production;
    set->selectable_ = selectable;
    for (size_t i = 0; i < set->cdx_->TagCount(); ++i) {
        auto state = std::make_unique<TagState>();
        state->owner = set.get();
        state->tag = &set->cdx_->TagAt(i);
        CompileTag(*state);
        set->tags_.push_back(std::move(state));
    }
    IndexSet* raw = set.get();
    // The production index comes first, so its tags are found first by name.
    if (production)
        indexes_.insert(indexes_.begin(), std::move(set));
    else
        indexes_.push_back(std::move(set));
    return raw;
}

void TableFile::SetCacheLimit(size_t bytes) {
    cacheLimit_ = bytes;
    dbf_->SetCacheLimit(bytes);
    for (auto& set : indexes_)
        set->cdx_->SetCacheLimit(bytes);
}

void TableFile::DetachIndex(IndexSet* index) {
    auto it = std::find_if(indexes_.begin(), indexes_.end(),
                           [&](const auto& p) { return p.get() == index; });
    if (it == indexes_.end())
        return;
    (*it)->cdx_->Flush();
    indexes_.erase(it);
}

void TableFile::MakeProduction(IndexSet* index) {
    auto it = std::find_if(indexes_.begin(), indexes_.end(),
                           [&](const auto& p) { return p.get() == index; });
    if (it == indexes_.end())
        return;
    index->production_ = true;
    std::rotate(indexes_.begin(), it, it + 1);
    dbf_->SetProductionIndexFlag(true);
}

void TableFile::CompileTag(TagState& state) {
    const TagInfo& info = state.tag->Info();
    state.fieldDeps.assign(dbf_->Fields().size(), false);
    TagResolver resolver(*dbf_, keyView_, state);
    try {
        state.key = Expression::Compile(info.keyExpr, resolver);
        if (!info.forExpr.empty())
            state.forExpr = Expression::Compile(info.forExpr, resolver);
        std::optional<KeyKind> form =
            KeyFormOf(state.key->KeyKindForIndex(), state.key->Length(), state.tag->KeyLength(),
                      state.tag->MachineCollation());
        if (form) {
            state.kind = *form;
        } else {
            state.unknownForm = "tag " + info.name + " holds keys of " +
                                std::to_string(state.tag->KeyLength()) +
                                " bytes for the expression \"" + info.keyExpr +
                                "\", a key form this program does not know; the tag is neither "
                                "read nor written";
            state.unusable = state.unknownForm;
        }
        if (state.forExpr && state.forExpr->Type() != ExprType::Logical)
            state.unusable = "its FOR expression is not logical";
    } catch (const DbError& e) {
        state.key.reset();
        state.forExpr.reset();
        state.unusable = e.Description();
        ScanNamedFields(*dbf_, info.keyExpr, state);
        ScanNamedFields(*dbf_, info.forExpr, state);
    }
    if (state.unusable.empty() && !state.tag->MachineCollation())
        state.unusable = "its collation " + info.collation + " is not supported for writing";
    state.keyLength = state.tag->KeyLength();
    if (state.key)
        state.tag->SetPadByte(state.kind == KeyKind::Char ? ' ' : 0);
}

void TableFile::AddTag(IndexSet& set, const IndexTagSpec& tagDef) {
    if (tagDef.name.empty() || tagDef.name.size() > 10)
        throw DbError(kErrTagName, set.Cdx().Path(),
                      "tag name \"" + tagDef.name + "\" must have 1 to 10 characters");
    auto state = std::make_unique<TagState>();
    state->owner = &set;
    state->fieldDeps.assign(dbf_->Fields().size(), false);
    TagResolver resolver(*dbf_, keyView_, *state);
    state->key = Expression::Compile(Utf8ToCp1252(tagDef.keyExpr), resolver);
    if (!tagDef.forExpr.empty()) {
        state->forExpr = Expression::Compile(Utf8ToCp1252(tagDef.forExpr), resolver);
        if (state->forExpr->Type() != ExprType::Logical)
            throw DbError(kErrExprType, set.Cdx().Path(),
                          "FOR expression of tag " + tagDef.name + " is not logical");
    }
    state->kind = state->key->KeyKindForIndex();
    switch (state->kind) {
    case KeyKind::Char:
        state->keyLength = static_cast<uint16_t>(state->key->Length());
        break;
    case KeyKind::Int4:
        state->keyLength = 4;
        break;
    case KeyKind::Logical:
        state->keyLength = 1;
        break;
    default:
        state->keyLength = 8;
        break;
    }
    if (state->keyLength < 1 || state->keyLength > 240)
        throw DbError(kErrIndex, set.Cdx().Path(),
                      "key of tag " + tagDef.name + " must be 1 to 240 bytes long, not " +
                          std::to_string(state->keyLength));
    // Keys are sorted in bounded memory (runs spill beside the index), then streamed into the
    // tag; a UNIQUE tag keeps the first record of each key.
    KeySorter sorter(fs_, state->keyLength, buildMemory_,
                     std::filesystem::path(set.Cdx().Path()).parent_path().string());
    {
        std::vector<uint8_t> rec(dbf_->RecordLength());
        std::string key;
        for (uint32_t r = 1; r <= dbf_->RecordCount(); ++r) {
            dbf_->ReadRecord(r, rec.data());
            if (ComputeKey(*state, rec.data(), r, nullptr, key))
                sorter.Add(key, r);
        }
    }
    NewTag nt;
    nt.name = tagDef.name;
    nt.keyExpr = tagDef.keyExpr;
    nt.forExpr = tagDef.forExpr;
    nt.descending = tagDef.descending;
    nt.unique = tagDef.unique;
    nt.keyLength = state->keyLength;
    nt.padByte = static_cast<uint8_t>(state->kind == KeyKind::Char ? ' ' : 0);
    nt.recordCount = dbf_->RecordCount();
    nt.levelMemory = std::max<size_t>(buildMemory_ / 64, 1024);
    nt.spillFs = &fs_;
    state->tag = &set.cdx_->AddTag(nt, sorter);
    set.tags_.push_back(std::move(state));
}

bool TableFile::ComputeKey(TagState& tag, const uint8_t* record, uint32_t recno,
                           const std::map<int, std::string>* memos, std::string& key) {
    keyView_.Bind(dbf_.get(), record, recno, memos);
    if (tag.forExpr && !tag.forExpr->EvaluateLogical())
        return false;
    static thread_local ExprValue value;
    tag.key->Evaluate(value);
    switch (tag.kind) {
    case KeyKind::Char: {
        size_t len = tag.keyLength;
        key.assign(value.str, 0, std::min(len, value.str.size()));
        key.resize(len, ' ');
        break;
    }
    case KeyKind::Double:
        key = EncodeDoubleKey(value.num);
        break;
    case KeyKind::Int4:
        key = EncodeIntKey(static_cast<int32_t>(std::llround(value.num)));
        break;
    case KeyKind::Currency:
        key = EncodeCurrencyKey(static_cast<int64_t>(std::llround(value.num * 10000.0)));
        break;
    case KeyKind::Logical:
        key.assign(1, value.b ? 'T' : 'F');
        break;
    }
    return true;
}

void TableFile::RequireWritable() {
    if (!dbf_->Writable())
        throw DbError(kErrReadOnly, dbf_->Path(), "the table is open read-only");
    if (!missingIndex_.empty())
        throw DbError(kErrIndex, dbf_->Path(),
                      "writing is refused because the production index is not usable: " +
                          missingIndex_);
}

void TableFile::CheckMaintainable(TagState& tag) {
    if (!tag.unknownForm.empty())
        throw DbError(kErrIndex, tag.owner->Cdx().Path(),
                      tag.unknownForm + "; nothing was written");
    if (!tag.unusable.empty())
        throw DbError(kErrIndex, tag.owner->Cdx().Path(),
                      "tag " + tag.tag->Info().name + " cannot be updated: " + tag.unusable +
                          "; nothing was written");
    if (!tag.owner->Cdx().Writable())
        throw DbError(kErrReadOnly, tag.owner->Cdx().Path(), "the index is open read-only");
}

std::vector<TagState*> TableFile::AffectedTags(const uint8_t* before, const uint8_t* after,
                                               const std::map<int, std::string>& memos) {
    const auto& fields = dbf_->Fields();
    std::vector<bool> changed(fields.size(), false);
    bool any = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldInfo& fi = fields[i];
        if (memos.count(static_cast<int>(i)) ||
            std::memcmp(before + fi.offset, after + fi.offset, fi.length) != 0) {
            changed[i] = true;
            any = true;
        }
    }
    bool deletion = before[0] != after[0];
    std::vector<TagState*> out;
    if (!any && !deletion)
        return out;
    for (auto& set : indexes_)
        for (auto& tag : set->tags_) {
            bool hit = deletion && tag->dependsOnRecord;
            for (size_t i = 0; !hit && i < changed.size(); ++i)
                hit = changed[i] && tag->fieldDeps[i];
            if (hit)
                out.push_back(tag.get());
        }
    return out;
}

void TableFile::CheckCandidate(TagState& tag, const std::string& key) {
    if (!tag.tag->Info().candidate)
        return;
    CdxCursor probe(*tag.tag);
    if (probe.SeekFirst(key) && probe.Key() == key)
        throw DbError(kErrUnique, tag.owner->Cdx().Path(),
                      "the key would repeat in candidate tag " + tag.tag->Info().name +
                          "; nothing was written");
}

void TableFile::InsertKey(TagState& tag, const std::string& key, uint32_t recno) {
    // A unique tag keeps one entry per key value (the first record that had it): Insert
    // declines the others; a candidate tag refuses them with an error.
    tag.tag->Insert(key, recno);
}

void TableFile::WriteMemos(std::vector<uint8_t>& record, const std::map<int, std::string>& memos) {
    if (memos.empty())
        return;
    MemoFile* memo = dbf_->Memo();
    if (!memo)
        throw DbError(kErrMemo, dbf_->Path(), "the table has no memo file");
    for (const auto& [field, text] : memos) {
        const FieldInfo& fi = dbf_->Fields()[field];
        uint32_t old = GetMemoBlock(fi, record.data(), dbf_->Flavor());
        uint32_t block = memo->Write(old, text);
        PutMemoBlock(fi, record.data(), dbf_->Flavor(), block);
    }
}

bool TableFile::Update(uint32_t recno, const uint8_t* before, std::vector<uint8_t>& after,
                       const std::map<int, std::string>& memos) {
    RequireWritable();
    SpotCheckBeforeWrite();
    std::vector<TagState*> tags = AffectedTags(before, after.data(), memos);
    for (TagState* t : tags)
        CheckMaintainable(*t);

    // Old keys first: a memo rewritten in place loses its old text.
    std::vector<std::pair<bool, std::string>> oldKeys(tags.size());
    for (size_t i = 0; i < tags.size(); ++i)
        oldKeys[i].first = ComputeKey(*tags[i], before, recno, nullptr, oldKeys[i].second);

    // New keys from the new texts, before anything is written: a candidate key that would
    // repeat stops the change here.
    std::vector<std::pair<bool, std::string>> newKeys(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        newKeys[i].first = ComputeKey(*tags[i], after.data(), recno, &memos, newKeys[i].second);
        if (newKeys[i].first && newKeys[i] != oldKeys[i])
            CheckCandidate(*tags[i], newKeys[i].second);
    }
    if (logOnly_) {
        ++droppedWrites_;
        return false;
    }

    WriteMemos(after, memos);
    dbf_->WriteRecord(recno, after.data());
    for (size_t i = 0; i < tags.size(); ++i) {
        if (oldKeys[i] == newKeys[i])
            continue;
        if (oldKeys[i].first)
            tags[i]->tag->Remove(oldKeys[i].second, recno);
        if (newKeys[i].first)
            InsertKey(*tags[i], newKeys[i].second, recno);
    }
    return true;
}

uint32_t TableFile::Append(std::vector<uint8_t>& record, const std::map<int, std::string>& memos) {
    RequireWritable();
    SpotCheckBeforeWrite();
    for (auto& set : indexes_)
        for (auto& tag : set->tags_)
            CheckMaintainable(*tag);
    uint32_t recno = dbf_->RecordCount() + 1;
    // Keys are computed into reused buffers (appends are the bulk path), from the memo texts
    // not yet written, so that a refused key leaves the files alone.
    size_t n = 0;
    for (auto& set : indexes_)
        for (auto& tag : set->tags_) {
            if (appendKeys_.size() <= n)
                appendKeys_.emplace_back();
            appendKeys_[n].first =
                ComputeKey(*tag, record.data(), recno, &memos, appendKeys_[n].second);
            if (appendKeys_[n].first)
                CheckCandidate(*tag, appendKeys_[n].second);
            ++n;
        }
    if (logOnly_) {
        ++droppedWrites_;
        return recno + phantomAppends_++;
    }
    WriteMemos(record, memos);
    uint32_t got = dbf_->AppendRecord(record.data());
    n = 0;
    for (auto& set : indexes_)
        for (auto& tag : set->tags_) {
            if (appendKeys_[n].first)
                InsertKey(*tag, appendKeys_[n].second, got);
            ++n;
        }
    return got;
}

void TableFile::Sync() {
    Flush();
    dbf_->Sync();
    for (auto& set : indexes_)
        if (set->Production())
            set->cdx_->Sync();
}

void TableFile::Flush() {
    dbf_->Flush();
    for (auto& set : indexes_)
        set->cdx_->Flush();
}

} // namespace hk::db
