// Whole-table checks: the header against the file, memo pointers, and every tag against the
// data, reading the records once and holding each tag's keys by record number.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>

#include "xbase/cdx/index_key.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/table_file.h"
#include "xbase/io/hash64.h"

namespace hk::db {
namespace {

// Keys longer than this are held as 64-bit hashes, so that a table of millions of records with
// long keys is checked in little memory; the key itself is computed again only for a fault.
constexpr size_t kLongestHeldKey = 8;

// The keys the data gives one tag, by record number, and which records are in the tag.
struct TagKeys {
    TagState* tag = nullptr;
    // An integer field as it stands, for all records or the live ones: read from the record
    // without evaluating the expression. -1 when the key is anything else.
    int intField = -1;
    bool liveOnly = false;
    std::string treeFault;        // the tree itself is damaged: its entries are not compared
    std::string keys;             // keyLength bytes per record, record 1 first (short keys)
    std::vector<uint64_t> hashes; // the hash of each record's key, record 1 first (long keys)
    std::vector<bool> has;        // the record has a key (passes the FOR condition)
    std::vector<bool> seen;
    std::function<std::string(uint32_t)> keyAgain; // a record's key, computed again

    bool Hashed() const { return tag->keyLength > kLongestHeldKey; }
    bool Matches(uint32_t recno, std::string_view key) const {
        if (Hashed())
            return key.size() == tag->keyLength &&
                   HashBytes(key.data(), key.size()) == hashes[recno - 1];
        const size_t kl = tag->keyLength;
        return std::string_view(keys.data() + size_t(recno - 1) * kl, kl) == key;
    }
    std::string KeyOf(uint32_t recno) const {
        const size_t kl = tag->keyLength;
        return Hashed() ? keyAgain(recno) : keys.substr(size_t(recno - 1) * kl, kl);
    }
};

std::string Squeezed(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ')
            out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    return out;
}

// Sets the direct read of a key that is a bare integer field (most tags of a project).
void FindIntField(const DbfFile& dbf, TagKeys& k) {
    const TagInfo& info = k.tag->tag->Info();
    const std::string filter = Squeezed(info.forExpr);
    const int f = dbf.FieldIndex(Squeezed(info.keyExpr));
    if (f < 0 || dbf.Fields()[f].type != 'I' || dbf.Fields()[f].length != 4 ||
        dbf.Fields()[f].IsNullable() || k.tag->kind != KeyKind::Int4 ||
        !(filter.empty() || filter == ".NOT.DELETED()" || filter == "!DELETED()"))
        return;
    k.intField = f;
    k.liveOnly = !filter.empty();
}

// Words for a difference between a tag's entries and the data, for a person: the tag, the
// position as the tag is walked, the key found, the key the record gives, and the record.
class TagFault {
public:
    TagFault(const TagKeys& keys, size_t entries) : keys_(keys), entries_(entries) {}

    std::string Text(std::string_view key) const {
        return KeyText(keys_.tag->kind, keys_.tag->key->Type() == ExprType::Date, key);
    }
    std::string At(size_t i) const {
        size_t pos = keys_.tag->tag->Info().descending ? entries_ - i : i + 1;
        return "tag " + keys_.tag->tag->Info().name + ", position " + std::to_string(pos) + ": ";
    }
    // The entry at `i` holds `key` for `recno`: what the record gives instead, or empty when
    // the record gives that very key.
    std::string Wrong(size_t i, std::string_view key, uint32_t recno) const {
        auto head = [&] {
            return At(i) + "key " + Text(key) + " found for record " + std::to_string(recno) +
                   ", but ";
        };
        if (recno == 0 || recno >= keys_.has.size())
            return head() + "the table has no such record";
        if (!keys_.has[recno])
            return head() + "the record is outside the tag's FOR condition and has no key";
        if (!keys_.Matches(recno, key))
            return head() + "the record gives key " + Text(keys_.KeyOf(recno));
        return {};
    }
    std::string Missing(size_t i, uint32_t recno) const {
        return At(i) + "record " + std::to_string(recno) + " (key " + Text(keys_.KeyOf(recno)) +
               ") is missing from the tag";
    }

private:
    const TagKeys& keys_;
    size_t entries_;
};

// The first fault of one tag whose keys were computed: every entry must carry its record's
// key, once; in a tag that is not unique every record with a key must be there.
std::string CompareTag(TagKeys& k) {
    CdxTag& tag = *k.tag->tag;
    const bool unique = tag.Info().unique;
    TagFault why(k, tag.KeyCount());
    k.seen.assign(k.has.size(), false);
    std::string previous;
    size_t i = 0;
    CdxCursor c(tag);
    for (bool ok = c.First(); ok; ok = c.Next(), ++i) {
        const uint32_t recno = c.RecNo();
        if (recno == 0 || recno >= k.has.size() || !k.has[recno] || !k.Matches(recno, c.Key()))
            return why.Wrong(i, c.Key(), recno);
        if (k.seen[recno])
            return why.At(i) + "record " + std::to_string(recno) + " is in the tag twice";
        k.seen[recno] = true;
        if (unique) {
            if (i > 0 && previous == c.Key())
                return why.At(i) + "key " + why.Text(c.Key()) + " repeats in a unique tag";
            previous.assign(c.Key());
        }
    }
    if (unique)
        return {}; // a record whose key another record holds is rightly left out
    for (uint32_t r = 1; r < k.has.size(); ++r) {
        if (!k.has[r] || k.seen[r])
            continue;
        // Its position: after every entry below its key and record number.
        size_t pos = 0;
        const std::string want = k.KeyOf(r);
        for (bool ok = c.First(); ok; ok = c.Next()) {
            const int cmp = c.Key().compare(want);
            if (cmp > 0 || (cmp == 0 && c.RecNo() > r))
                break;
            ++pos;
        }
        return why.Missing(pos, r);
    }
    return {};
}

} // namespace

void TableFile::CheckFiles(bool memos, const std::function<void(const TableFault&)>& report,
                           const std::function<void(uint32_t, const uint8_t*)>& eachRecord) {
    const uint32_t count = dbf_->RecordCount();
    const uint64_t size = dbf_->FileSize(), header = dbf_->HeaderLength();
    const uint64_t holds = size < header ? 0 : (size - header) / dbf_->RecordLength();
    if (holds != count)
        report({TableFault::Kind::Header,
                0,
                {},
                "the header counts " + std::to_string(count) + " records but the file holds " +
                    std::to_string(holds)});

    std::vector<TagKeys> tags;
    for (auto& set : indexes_) {
        // The whole file first: pages shared between trees and the free list are faults no
        // single tag shows. Each tag's own check then passes at once or names its fault.
        std::string fileFault;
        const bool fileOk = set->cdx_->Check(&fileFault);
        const size_t firstTag = tags.size();
        for (auto& state : set->tags_) {
            TagKeys& k = tags.emplace_back();
            k.tag = state.get();
            if (!state->tag->Check(&k.treeFault))
                continue;
            if (!state->unknownForm.empty())
                k.treeFault = set->cdx_->Path() + ": " + state->unknownForm;
            else if (state->key) {
                FindIntField(*dbf_, k);
                if (k.Hashed())
                    k.hashes.assign(count, 0);
                else
                    k.keys.assign(size_t(count) * state->keyLength, '\0');
                k.has.assign(size_t(count) + 1, false);
            }
        }
        const bool tagFault = std::any_of(tags.begin() + firstTag, tags.end(),
                                          [](const TagKeys& k) { return !k.treeFault.empty(); });
        if (!fileOk && !tagFault && firstTag < tags.size())
            tags[firstTag].treeFault = fileFault;
    }

    std::vector<int> memoFields;
    MemoFile* memo = memos ? dbf_->Memo() : nullptr;
    if (memo)
        for (size_t f = 0; f < dbf_->Fields().size(); ++f)
            if (dbf_->Fields()[f].IsMemo())
                memoFields.push_back(static_cast<int>(f));

    std::vector<uint8_t> rec(dbf_->RecordLength());
    std::string key;
    // The key of `k` for the record in `rec`, as long as the tag's keys; false without one.
    auto keyFor = [&](TagKeys& k, uint32_t r) {
        if (k.intField >= 0) {
            if (k.liveOnly && rec[0] == '*')
                return false;
            const uint8_t* p = rec.data() + dbf_->Fields()[k.intField].offset;
            key = EncodeIntKey(static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 |
                                                    uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24));
        } else if (!ComputeKey(*k.tag, rec.data(), r, nullptr, key)) {
            return false;
        }
        key.resize(k.tag->keyLength, '\0');
        return true;
    };
    for (uint32_t r = 1; r <= count; ++r) {
        dbf_->ReadRecord(r, rec.data());
        if (eachRecord)
            eachRecord(r, rec.data());
        for (int f : memoFields) {
            const FieldInfo& fi = dbf_->Fields()[f];
            std::string fault = memo->CheckPointer(GetMemoBlock(fi, rec.data(), dbf_->Flavor()));
            if (!fault.empty())
                report({TableFault::Kind::Memo, r, fi.name, std::move(fault)});
        }
        for (TagKeys& k : tags) {
            if (k.has.empty() || !keyFor(k, r))
                continue;
            k.has[r] = true;
            if (k.Hashed())
                k.hashes[r - 1] = HashBytes(key.data(), key.size());
            else
                std::memcpy(k.keys.data() + size_t(r - 1) * k.tag->keyLength, key.data(),
                            key.size());
        }
    }

    for (TagKeys& k : tags) {
        k.keyAgain = [&](uint32_t r) {
            dbf_->ReadRecord(r, rec.data());
            return keyFor(k, r) ? key : std::string();
        };
        std::string fault = !k.treeFault.empty() ? k.treeFault
                            : k.has.empty()      ? std::string() // cannot be computed
                                                 : CompareTag(k);
        if (!fault.empty())
            report({TableFault::Kind::Tag, 0, k.tag->tag->Info().name, std::move(fault)});
        k = {}; // let go of its keys before the next tag's are walked
    }
}

bool TableFile::Check(std::string* fault) {
    bool ok = true;
    CheckFiles(false, [&](const TableFault& f) {
        if (ok && f.kind == TableFault::Kind::Tag) {
            ok = false;
            if (fault)
                *fault = f.what;
        }
    });
    return ok;
}

} // namespace hk::db
