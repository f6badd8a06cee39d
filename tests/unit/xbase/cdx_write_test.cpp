// Writing: new files and copies of FoxPro's own files, checked byte by byte where FoxPro's
// choices are known, and read back by index_dump everywhere else.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>

#include "unit/xbase/cdx_test_util.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/cdx/cdx_node.h"
#include "xbase/db_error.h"

using namespace hk::db;
using namespace hk::db::cdx_test;

namespace {

std::vector<KeyEntry> IntEntries(uint32_t n, uint32_t step = 1) {
    std::vector<KeyEntry> out;
    for (uint32_t i = 1; i <= n; ++i)
        out.push_back({EncodeIntKey(int32_t(i * step)), i});
    return out;
}

// The trailing counts stored in a leaf page, decoded independently of the engine.
std::vector<uint32_t> LeafTrails(const std::string& file, uint32_t page) {
    const uint8_t* p = At(file, page);
    std::vector<uint32_t> trails;
    uint32_t n = cdx::Get16(p + 2), recBits = p[20], dupBits = p[21], eb = p[23];
    for (uint32_t i = 0; i < n; ++i) {
        uint64_t v = 0;
        for (uint32_t b = 0; b < eb; ++b)
            v |= uint64_t(p[24 + i * eb + b]) << (8 * b);
        trails.push_back(uint32_t(v >> (recBits + dupBits)) & p[19]);
    }
    return trails;
}

// Unused bytes in the middle of a leaf page: VFP leaves stale bytes there.
void ZeroLeafGap(std::string& file, uint32_t page) {
    const uint8_t* p = At(file, page);
    uint32_t start = 24 + cdx::Get16(p + 2) * p[23];
    std::fill_n(file.begin() + page + start, cdx::Get16(p + 12), '\0');
}

// Offset of the first differing byte, or -1 (gtest would print whole files otherwise).
long FirstDifference(const std::string& a, const std::string& b) {
    auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return ia == a.end() && ib == b.end() ? -1 : long(ia - a.begin());
}

} // namespace

TEST(CdxWrite, BulkBuildGivesVisualFoxProBytes) {
    // Same tags, same entries, same record count as the samples: VFP's own bytes, except the
    // stale bytes VFP left in the unused gap of one leaf.
    TempDir dir;
    std::string path = dir.File("types.cdx");
    {
        auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
        cdx->AddTag({"type_id", "contact_type_id", "", false, false, true, 4, 0, 2}, IntEntries(2));
    }
    std::string ours = ReadBytes(path), theirs = ReadBytes(FixturePath("vfp9-db/types.CDX"));
    ZeroLeafGap(theirs, 0xA00);
    EXPECT_EQ(FirstDifference(ours, theirs), -1);

    path = dir.File("setup.cdx");
    {
        auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
        cdx->AddTag({"KEY_NAME", "key_name", "", false, false, true, 50, ' ', 3},
                    {{PadKey("CALLS", 50), 1},
                     {PadKey("CONTACTS", 50), 2},
                     {PadKey("CONTACT_TYPES", 50), 3}});
    }
    ours = ReadBytes(path);
    theirs = ReadBytes(FixturePath("vfp9-db/setup.CDX"));
    ZeroLeafGap(theirs, 0xA00);
    EXPECT_EQ(FirstDifference(ours, theirs), -1);
}

TEST(CdxWrite, LeafBitWidthsFollowFoxProRule) {
    // Widths observed in VFP and FoxPro 2.x files: (key length, records) -> rec/dup/trail, bytes.
    // FoxPro 2.x (rooms.cdx) used 16 record bits for 42 records: a 12-bit minimum.
    struct Case {
        uint16_t kl;
        uint32_t n;
        int minBits, rec, dup, bytes;
    } cases[] = {{4, 2, 0, 2, 3, 1},        {4, 16, 0, 10, 3, 2},  {50, 3, 0, 4, 6, 2},
                 {20, 58, 0, 6, 5, 2},      {148, 58, 0, 8, 8, 3}, {10, 42, 12, 16, 4, 3},
                 {10, 0x2400, 0, 16, 4, 3}, {4, 2, 12, 18, 3, 3}};
    for (const Case& c : cases) {
        cdx::LeafLayout l = cdx::LayoutFor(c.kl, c.n, c.minBits);
        EXPECT_EQ(l.recBits, c.rec) << c.kl << "/" << c.n;
        EXPECT_EQ(l.dupBits, c.dup);
        EXPECT_EQ(l.trailBits, c.dup);
        EXPECT_EQ(l.entryBytes, c.bytes);
    }
    // Record numbers as wide as they get still fit, with whole bytes and a 32-bit mask.
    for (uint16_t kl : {1, 4, 10, 240}) {
        cdx::LeafLayout l = cdx::LayoutFor(kl, 0xFFFFFFFF);
        EXPECT_EQ(l.recBits, 32);
        EXPECT_EQ((l.recBits + l.dupBits + l.trailBits) % 8, 0);
        EXPECT_GE(l.dupBits, cdx::BitsFor(kl));
        EXPECT_LE(l.dupBits, 8);
    }
}

TEST(CdxWrite, GrowingTagKeepsRootAndReusesFreedPages) {
    TempDir dir;
    std::string path = dir.File("grow.cdx");
    auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
    CdxTag& tag = cdx->AddTag({"ID", "id", "", false, false, false, 4, 0, 0}, {});
    const uint32_t header = tag.HeaderOffset();
    cdx->Flush();
    const uint32_t root = Le32(ReadBytes(path), header);
    std::set<std::pair<std::string, uint32_t>> model;
    for (uint32_t i = 1; i <= 20000; ++i) {
        // Ascending appends, the usual case, interleaved with keys landing in the middle.
        uint32_t recno = i % 3 ? i : 20001 - i;
        std::string key = EncodeIntKey(int32_t(recno % 977));
        ASSERT_TRUE(tag.Insert(key, recno));
        model.insert({key, recno});
    }
    cdx->Flush();
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(Le32(bytes, header), root) << "the tag header must keep pointing at the root";
    EXPECT_EQ(cdx::Get16(At(bytes, root)), 1) << "root interior";
    EXPECT_EQ(Le32(bytes, header + 16), 20000u) << "VFP key count";
    EXPECT_EQ(Le32(bytes, header + 20), 977u) << "VFP distinct keys";
    EXPECT_EQ(Le32(bytes, 4), 0u) << "nothing freed yet";
    const size_t grown = bytes.size();

    // Emptying most of the tag frees pages onto the file's free list...
    size_t i = 0;
    for (auto it = model.begin(); it != model.end();) {
        if (i++ % 50 != 0) {
            ASSERT_TRUE(tag.Remove(it->first, it->second));
            it = model.erase(it);
        } else {
            ++it;
        }
    }
    cdx->Flush();
    bytes = ReadBytes(path);
    EXPECT_NE(Le32(bytes, 4), 0u) << "freed pages go to the free list";
    std::string fault;
    EXPECT_TRUE(cdx->Check(&fault)) << fault;
    // ...and refilling takes them back before the file grows.
    for (uint32_t r = 30001; r <= 40000; ++r) {
        std::string key = EncodeIntKey(int32_t(r));
        ASSERT_TRUE(tag.Insert(key, r));
        model.insert({key, r});
    }
    cdx->Flush();
    EXPECT_EQ(ReadBytes(path).size(), grown);
    EXPECT_TRUE(cdx->Check(&fault)) << fault;
    EXPECT_TRUE(tag.Check(&fault, true)) << fault;
    std::vector<KeyEntry> expected;
    for (auto& [k, r] : model)
        expected.push_back({k, r});
    EXPECT_EQ(tag.Entries(), expected);
    cdx.reset();
    ExpectDumpMatches(path, "ID", expected, true);
}

TEST(CdxWrite, MultiLevelBulkBuildReadsWithIndexDump) {
    TempDir dir;
    std::string path = dir.File("bulk.cdx");
    std::vector<KeyEntry> names, amounts;
    for (uint32_t r = 1; r <= 6000; ++r) {
        names.push_back({PadKey("NAME" + std::to_string(r * 7919 % 6007), 40), r});
        amounts.push_back({EncodeDoubleKey((double(r) - 3000.5) * 1.25), r});
    }
    std::sort(names.begin(), names.end(),
              [](auto& a, auto& b) { return std::tie(a.key, a.recno) < std::tie(b.key, b.recno); });
    {
        auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Fox2);
        cdx->AddTag({"NAME", "name", "", false, false, false, 40, ' ', 6000}, names);
        cdx->AddTag({"AMOUNT", "amount", "", true, false, false, 8, 0, 6000}, amounts);
        cdx->AddTag({"EMPTY", "name", ".F.", false, false, false, 40, ' ', 6000}, {});
    }
    auto cdx = CdxFile::Open(FileSystem::Default(), path, false);
    EXPECT_EQ(cdx->Flavor(), CdxFlavor::Fox2);
    ASSERT_EQ(cdx->TagCount(), 3u);
    EXPECT_EQ(cdx->TagAt(0).Info().name, "NAME");
    EXPECT_TRUE(cdx->TagAt(1).Info().descending);
    EXPECT_EQ(cdx->TagAt(1).PadByte(), 0) << "binary keys recognised on open";
    EXPECT_EQ(cdx->TagAt(0).PadByte(), ' ');
    EXPECT_EQ(cdx->TagAt(0).Entries(), names);
    EXPECT_EQ(cdx->TagAt(1).Entries(), amounts);
    EXPECT_TRUE(cdx->TagAt(2).Entries().empty());
    std::string fault;
    for (size_t t = 0; t < 3; ++t)
        EXPECT_TRUE(cdx->TagAt(t).Check(&fault, true)) << fault;
    ExpectDumpMatches(path, "NAME", names, false);
    ExpectDumpMatches(path, "AMOUNT", amounts, true);
    ExpectDumpMatches(path, "EMPTY", {}, false);
}

TEST(CdxWrite, FoxPro2FileKeepsItsConventions) {
    TempDir dir;
    std::string path = CopyAsCdx(dir, "fox2/rooms.cdx");
    const std::string before = ReadBytes(path);
    std::map<std::string, std::vector<KeyEntry>> expected;
    {
        auto cdx = CdxFile::Open(FileSystem::Default(), path, true);
        ASSERT_EQ(cdx->Flavor(), CdxFlavor::Fox2);
        for (const char* name : {"AUDIO", "ROOMNAME"}) {
            CdxTag& tag = *cdx->FindTag(name);
            std::set<std::pair<std::string, uint32_t>> model;
            for (auto& e : tag.Entries())
                model.insert({e.key, e.recno});
            for (uint32_t r = 43; r < 400; ++r) {
                std::string key = PadKey("Room " + std::to_string(r % 37), 10);
                ASSERT_TRUE(tag.Insert(key, r));
                model.insert({key, r});
            }
            auto victim = *std::next(model.begin(), 3);
            ASSERT_TRUE(tag.Remove(victim.first, victim.second));
            model.erase(victim);
            for (auto& [k, r] : model)
                expected[name].push_back({k, r});
            EXPECT_EQ(tag.Entries(), expected[name]);
        }
    }
    std::string after = ReadBytes(path);
    // One more change session on the counter FoxPro 2.x keeps at 8-11 (big endian).
    EXPECT_EQ(Be32(after, 8), Be32(before, 8) + 1);
    // Bytes 16-31 of tag headers are not statistics in FoxPro 2.x files: left as they were.
    EXPECT_EQ(after.substr(0xC00 + 16, 16), before.substr(0xC00 + 16, 16));
    // The AUDIO tag has a FOR clause: FoxPro 2.x stores its blanks in full (trailing count 0).
    auto cdx = CdxFile::Open(FileSystem::Default(), path, false);
    CdxTag& audio = *cdx->FindTag("AUDIO");
    uint32_t root = Le32(after, audio.HeaderOffset());
    ASSERT_EQ(cdx::Get16(At(after, root)), 1);
    uint32_t firstLeaf = Be32(after, root + 12 + 14);
    for (uint32_t t : LeafTrails(after, firstLeaf))
        EXPECT_EQ(t, 0u);
    // ...while the ROOMNAME tag without FOR does compress them.
    CdxTag& rooms = *cdx->FindTag("ROOMNAME");
    uint32_t roomsRoot = Le32(after, rooms.HeaderOffset());
    uint32_t leaf = Be32(after, roomsRoot + 12 + 14);
    auto trails = LeafTrails(after, leaf);
    EXPECT_TRUE(std::any_of(trails.begin(), trails.end(), [](uint32_t t) { return t > 0; }));
    for (auto& [name, entries] : expected)
        ExpectDumpMatches(path, name, entries, false);
    // Tags not touched still read exactly as before.
    EXPECT_EQ(cdx->FindTag("FILM")->Entries().size(), 6u);
}

TEST(CdxWrite, VisualFoxProFilesTakeNewTagsAndGrowingTrees) {
    TempDir dir;
    std::string path = CopyAsCdx(dir, "vfp9-db/FOXPRO-DB-TEST.DCX");
    std::vector<KeyEntry> objectName, extra;
    {
        auto cdx = CdxFile::Open(FileSystem::Default(), path, true);
        CdxTag& tag = *cdx->FindTag("objectname");
        // 148-byte keys: three to an interior node, so the two-level tree grows new levels.
        for (uint32_t r = 100; r < 400; ++r)
            ASSERT_TRUE(tag.Insert(PadKey("        42Field     f" + std::to_string(r), 148), r));
        objectName = tag.Entries();
        for (uint32_t r = 1; r <= 3000; ++r)
            extra.push_back({EncodeIntKey(int32_t(r)), r});
        cdx->AddTag({"Extra", "objectid", "", false, false, false, 4, 0, 3000}, extra);
        // A candidate tag refuses a second record with the same key, before any write.
        CdxTag& cand = cdx->AddTag({"PK", "objectid", "", false, false, true, 4, 0, 0}, extra);
        EXPECT_THROW(
            {
                try {
                    cand.Insert(EncodeIntKey(7), 5000);
                } catch (const DbError& e) {
                    EXPECT_EQ(e.Number(), kErrUnique);
                    throw;
                }
            },
            DbError);
        EXPECT_EQ(cand.KeyCount(), 3000u);
    }
    auto cdx = CdxFile::Open(FileSystem::Default(), path, false);
    EXPECT_EQ(cdx->Flavor(), CdxFlavor::Vfp);
    ASSERT_EQ(cdx->TagCount(), 4u);
    EXPECT_EQ(cdx->TagAt(2).Info().name, "EXTRA");
    EXPECT_EQ(cdx->TagAt(3).Info().name, "PK");
    EXPECT_TRUE(cdx->TagAt(3).Info().candidate);
    ExpectDumpMatches(path, "OBJECTNAME", objectName, false);
    ExpectDumpMatches(path, "EXTRA", extra, true);
    std::string dumpTags;
    for (auto& t : IndexDumpTags(path))
        dumpTags += t + " ";
    EXPECT_EQ(dumpTags, "EXTRA OBJECTNAME OBJECTTYPE PK ");
}

TEST(CdxWrite, UniqueTagKeepsFirstRecordOfEachKey) {
    TempDir dir;
    auto cdx = CdxFile::Create(FileSystem::Default(), dir.File("u.cdx"), CdxFlavor::Vfp);
    std::vector<KeyEntry> sorted = {{PadKey("A", 3), 4}, {PadKey("A", 3), 9}, {PadKey("B", 3), 2}};
    CdxTag& tag = cdx->AddTag({"U", "x", "", false, true, false, 3, ' ', 0}, sorted);
    EXPECT_TRUE(tag.Info().unique);
    EXPECT_EQ(tag.Entries(), (std::vector<KeyEntry>{{"A  ", 4}, {"B  ", 2}}));
    EXPECT_FALSE(tag.Insert(PadKey("B", 3), 1)) << "key already carried by record 2";
    EXPECT_TRUE(tag.Insert(PadKey("C", 3), 1));
    EXPECT_EQ(tag.Entries().size(), 3u);
    // Bad input is refused with the file left alone.
    EXPECT_THROW(tag.Insert("AB", 3), DbError);
    EXPECT_THROW(tag.Insert(PadKey("C", 3), 1), DbError) << "same entry twice";
    EXPECT_THROW(cdx->AddTag({"U", "x", "", false, false, false, 3, ' ', 0}, {}), DbError);
    EXPECT_THROW(cdx->AddTag({"9BAD", "x", "", false, false, false, 3, ' ', 0}, {}), DbError);
    EXPECT_THROW(cdx->AddTag({"UNSORTED", "x", "", false, false, false, 3, ' ', 0},
                             {{"B  ", 1}, {"A  ", 2}}),
                 DbError);
    EXPECT_EQ(cdx->TagCount(), 1u);
}

TEST(CdxWrite, BulkBuildSpillingTheLevelAboveTheLeavesWritesTheSameBytes) {
    // Long keys that share little: a few entries per leaf, so many leaves and three levels.
    std::vector<KeyEntry> entries;
    for (uint32_t i = 1; i <= 6000; ++i) {
        std::string key = std::to_string(i * 2654435761u) + std::to_string(i * 40503u);
        key.resize(60, static_cast<char>('a' + i % 26));
        entries.push_back({key, i});
    }
    std::sort(entries.begin(), entries.end(), [](const KeyEntry& a, const KeyEntry& b) {
        return a.key != b.key ? a.key < b.key : a.recno < b.recno;
    });
    auto build = [&](const TempDir& dir, size_t levelMemory) {
        std::string path = dir.File("t.cdx");
        {
            auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
            NewTag tag{"LONG", "LONG", "", false, false, false, 60, ' ', 0};
            tag.levelMemory = levelMemory;
            cdx->AddTag(tag, entries);
        }
        return ReadBytes(path);
    };
    TempDir held, spilled;
    std::string inMemory = build(held, 1u << 20);
    // A few leaves per write: the spill file is written many times and read back in groups.
    std::string fromFile = build(spilled, 300);
    ASSERT_GT(inMemory.size(), 500u * cdx::kPageSize) << "enough leaves to need the file";
    EXPECT_EQ(FirstDifference(inMemory, fromFile), -1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(spilled.File("")),
                            std::filesystem::directory_iterator()),
              1)
        << "only the index is left in the folder";

    std::vector<DumpLine> dump = IndexDump(spilled.File("t.cdx"), "LONG", false);
    ASSERT_EQ(dump.size(), entries.size());
    for (size_t i = 0; i < dump.size(); i += 397) {
        EXPECT_EQ(dump[i].recno, entries[i].recno);
        EXPECT_EQ(dump[i].key, entries[i].key);
    }
}
