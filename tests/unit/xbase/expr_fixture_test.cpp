// Tag expressions of files written by FoxPro and Visual FoxPro: each compiles, sizes its key
// as the tag header says, and rebuilds, record by record, exactly the keys and the FOR subset
// stored in the tag's root leaf. The tables and index pages are read here with just enough
// code to reach them, so this test does not lean on the table engine.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "support/text.h"
#include "xbase/expr/expr_format.h"
#include "xbase/expression.h"

using namespace hk::db;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

// A DBF file as a record source, positioned with Go().
class DbfFile : public RecordSource, public FieldResolver {
public:
    explicit DbfFile(const std::string& path) : data_(ReadFile(path)) {
        count_ = Le(data_, 4, 4);
        headerLength_ = Le(data_, 8, 2);
        recordLength_ = Le(data_, 10, 2);
        for (size_t at = 32; at + 32 <= data_.size() && data_[at] != '\x0D'; at += 32) {
            std::string name = data_.substr(at, 11);
            name.resize(std::strlen(name.c_str()));
            fields_.push_back({name, data_[at + 11], static_cast<int>(Le(data_, at + 12, 4)),
                               static_cast<unsigned char>(data_[at + 16]),
                               static_cast<unsigned char>(data_[at + 17])});
        }
    }
    void Go(uint32_t recNo) { recNo_ = recNo; }
    uint32_t RecCount() const override { return count_; }
    uint32_t RecNo() const override { return recNo_; }
    bool Deleted() const override { return Record()[0] == '*'; }

    std::string_view CharValue(int f) const override {
        return fields_[f].type == 'C' ? Bytes(f) : std::string_view();
    }
    double NumberValue(int f) const override {
        std::string_view b = Bytes(f);
        if (fields_[f].type == 'I')
            return static_cast<int32_t>(Le(std::string(b), 0, 4));
        return expr::ParseVal(b);
    }
    double DateValue(int f) const override {
        std::string_view b = Bytes(f);
        if (fields_[f].type == 'D')
            return expr::ParseStod(b);
        std::string s(b);
        return Le(s, 0, 4) + Le(s, 4, 4) / 86400000.0;
    }
    bool LogicalValue(int f) const override {
        char c = Bytes(f)[0];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }

    std::optional<FieldBinding> Resolve(std::string_view alias, std::string_view name) override {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (alias.empty() && hk::EqualsNoCase(fields_[i].name, name))
                return FieldBinding{this, static_cast<int>(i), fields_[i].type, fields_[i].length,
                                    fields_[i].decimals};
        return std::nullopt;
    }
    const RecordSource* DefaultSource() override { return this; }
    const RecordSource* SourceForAlias(std::string_view) override { return nullptr; }

private:
    struct Field {
        std::string name;
        char type;
        int offset;
        int length;
        int decimals;
    };
    std::string_view Record() const {
        return std::string_view(data_).substr(headerLength_ + (recNo_ - 1) * recordLength_,
                                              recordLength_);
    }
    std::string_view Bytes(int f) const {
        return Record().substr(fields_[f].offset, fields_[f].length);
    }

    std::string data_;
    std::vector<Field> fields_;
    uint32_t count_ = 0, headerLength_ = 0, recordLength_ = 0, recNo_ = 1;
};

struct Tag {
    size_t offset;
    int keyLength;
    std::string key, filter;
    bool rootIsLeaf;
    std::map<uint32_t, std::string> keys; // record number -> key bytes, when the root is a leaf
};

// Every tag header in the file (orphaned copies included: they still describe real keys).
std::vector<Tag> ReadTags(const std::string& cdx) {
    std::vector<Tag> tags;
    for (size_t off = 0; off + 1024 <= cdx.size(); off += 512) {
        auto options = static_cast<unsigned char>(cdx[off + 14]);
        if (cdx[off + 15] != 1 || (options & 0x60) != 0x60 || (options & 0x80))
            continue;
        Tag t;
        t.offset = off;
        t.keyLength = static_cast<int>(Le(cdx, off + 12, 2));
        size_t pool = off + 512;
        t.filter = std::string(cdx.c_str() + pool + Le(cdx, off + 504, 2));
        t.key = std::string(cdx.c_str() + pool + Le(cdx, off + 508, 2));
        uint32_t root = Le(cdx, off, 4);
        t.rootIsLeaf = (Le(cdx, root, 2) & 2) != 0;
        if (t.rootIsLeaf) {
            int count = static_cast<int>(Le(cdx, root + 2, 2));
            uint32_t recMask = Le(cdx, root + 14, 4);
            int recBits = cdx[root + 20], dupBits = cdx[root + 21];
            int entryBytes = cdx[root + 23];
            auto dupMask = static_cast<unsigned char>(cdx[root + 18]);
            auto trailMask = static_cast<unsigned char>(cdx[root + 19]);
            std::string prev;
            size_t text = root + 512;
            for (int i = 0; i < count; ++i) {
                uint32_t v = Le(cdx, root + 24 + i * entryBytes, entryBytes);
                int dup = (v >> recBits) & dupMask;
                int trail = (v >> (recBits + dupBits)) & trailMask;
                int stored = t.keyLength - dup - trail;
                text -= stored;
                std::string key = prev.substr(0, dup) + cdx.substr(text, stored);
                t.keys[v & recMask] = key; // without its trailing pad bytes
                prev = key;
            }
        }
        tags.push_back(std::move(t));
    }
    return tags;
}

std::string KeyBytes(const Expression& e, int keyLength) {
    ExprValue v;
    e.Evaluate(v);
    if (e.KeyKindForIndex() == KeyKind::Int4) {
        uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(v.num)) ^ 0x80000000u;
        return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
                static_cast<char>(u)};
    }
    v.str.resize(keyLength, ' ');
    return v.str;
}

void CheckTags(const std::string& dbfPath, const std::string& cdxPath, size_t expectedTags) {
    SCOPED_TRACE(cdxPath);
    DbfFile table(std::string(HK_FIXTURES_DIR) + "/foxpro/" + dbfPath);
    auto tags = ReadTags(ReadFile(std::string(HK_FIXTURES_DIR) + "/foxpro/" + cdxPath));
    ASSERT_EQ(tags.size(), expectedTags);
    for (const Tag& tag : tags) {
        SCOPED_TRACE(tag.key + " FOR " + tag.filter);
        auto key = Expression::Compile(tag.key, table);
        EXPECT_EQ(key->Length(), tag.keyLength);
        std::unique_ptr<Expression> filter;
        if (!tag.filter.empty())
            filter = Expression::CompileFilter(tag.filter, table);
        if (!tag.rootIsLeaf)
            continue;
        std::map<uint32_t, std::string> built;
        for (uint32_t r = 1; r <= table.RecCount(); ++r) {
            table.Go(r);
            if (!filter || filter->EvaluateLogical())
                built[r] = KeyBytes(*key, tag.keyLength);
        }
        ASSERT_EQ(built.size(), tag.keys.size());
        char pad = key->KeyKindForIndex() == KeyKind::Char ? ' ' : '\0';
        for (const auto& [recNo, stored] : tag.keys) {
            ASSERT_TRUE(built.count(recNo)) << "record " << recNo << " is not in the subset";
            std::string full = stored + std::string(tag.keyLength - stored.size(), pad);
            EXPECT_EQ(built[recNo], full) << "record " << recNo;
        }
    }
}

TEST(ExprFixtures, TagExpressionsRebuildTheStoredKeys) {
    CheckTags("fox2/rooms.dbf", "fox2/rooms.cdx", 6);
    CheckTags("vfp9-db/FOXPRO-DB-TEST.DBC", "vfp9-db/FOXPRO-DB-TEST.DCX", 2);
    CheckTags("vfp9-db/setup.dbf", "vfp9-db/setup.CDX", 1);
    CheckTags("vfp9-db/calls.dbf", "vfp9-db/calls.CDX", 3);
}

} // namespace
