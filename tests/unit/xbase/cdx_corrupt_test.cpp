// Damaged index files: every impossible value gives DbError(kErrIndex) naming the file, at open
// or when a walk or a change reaches it, and the file is never written.
#include <gtest/gtest.h>

#include <functional>

#include "support/faulty_file_system.h"
#include "unit/xbase/cdx_test_util.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/cdx/cdx_node.h"
#include "xbase/db_error.h"

using namespace hk::db;
using namespace hk::db::cdx_test;
using hk::db::test::Caught;

namespace {

void SetLe16(std::string& b, size_t at, uint16_t v) {
    cdx::Put16(At(b, at), v);
}
void SetLe32(std::string& b, size_t at, uint32_t v) {
    cdx::Put32(At(b, at), v);
}
void SetBe32(std::string& b, size_t at, uint32_t v) {
    cdx::PutBE32(At(b, at), v);
}

// A file with one two-level tag: a root interior node over several leaves.
struct Sample {
    std::string bytes;
    uint32_t header = 0, root = 0, leaf0 = 0, leaf1 = 0;
};

Sample MakeSample(const TempDir& dir) {
    std::string path = dir.File("sample.cdx");
    std::vector<KeyEntry> entries;
    for (uint32_t r = 1; r <= 1500; ++r)
        entries.push_back({EncodeIntKey(int32_t(r)), r});
    uint32_t header;
    {
        auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
        header =
            cdx->AddTag({"ID", "id", "", false, false, false, 4, 0, 0}, entries).HeaderOffset();
    }
    Sample s;
    s.bytes = ReadBytes(path);
    s.header = header;
    s.root = Le32(s.bytes, header);
    const uint32_t child = 12 + 4 + 4; // first interior entry: key(4), recno, child
    s.leaf0 = Be32(s.bytes, s.root + child);
    s.leaf1 = Be32(s.bytes, s.root + child + 12);
    return s;
}

} // namespace

TEST(CdxCorrupt, ImpossibleValuesAreReportedAndNothingIsWritten) {
    TempDir dir;
    const Sample s = MakeSample(dir);
    ASSERT_EQ(cdx::Get16(At(s.bytes, s.root)), 1);
    ASSERT_EQ(Le32(s.bytes, s.leaf0 + 8), s.leaf1) << "sample: leaf 0 links to leaf 1";

    struct Damage {
        const char* what;
        std::function<void(std::string&)> apply;
        const char* expect; // part of the message
    };
    const uint32_t size = static_cast<uint32_t>(s.bytes.size());
    const std::vector<Damage> damages = {
        {"leaf key count too big", [&](std::string& b) { SetLe16(b, s.leaf0 + 2, 400); },
         "key count too large"},
        {"interior key count 0", [&](std::string& b) { SetLe16(b, s.root + 2, 0); },
         "interior node holds 0 keys"},
        {"child pointer misaligned", [&](std::string& b) { SetBe32(b, s.root + 20, s.leaf1 + 6); },
         "outside the file or misaligned"},
        {"child pointer past the end",
         [&](std::string& b) { SetBe32(b, s.root + 20, size + 4096); },
         "outside the file or misaligned"},
        {"child pointer loops to the root",
         [&](std::string& b) { SetBe32(b, s.root + 20, s.root); }, "loops"},
        {"unknown attribute bits", [&](std::string& b) { SetLe16(b, s.leaf0, 0x12); },
         "impossible node attributes"},
        {"leaf marked root", [&](std::string& b) { SetLe16(b, s.leaf0, 3); }, "marked root"},
        {"leaf in place of the root", [&](std::string& b) { SetLe16(b, s.root, 3); }, ""},
        {"sibling link loops back",
         [&](std::string& b) {
             SetLe32(b, s.leaf1 + 8, s.leaf0); // leaf 1 -> leaf 0 -> leaf 1 ...
             SetLe32(b, s.leaf0 + 4, s.leaf1);
         },
         "sibling link"},
        {"free space miscounted", [&](std::string& b) { SetLe16(b, s.leaf0 + 12, 7); },
         "free space"},
        {"bit widths do not add up", [&](std::string& b) { b[s.leaf0 + 20] += 1; }, "bit widths"},
        {"record mask disagrees", [&](std::string& b) { SetLe32(b, s.leaf0 + 14, 0xFF); }, "masks"},
        {"keys out of order",
         [&](std::string& b) { b[511 + s.leaf1 - 3] = b[511 + s.leaf1 - 3] ^ 0x7F; }, "key"},
        {"key length 0", [&](std::string& b) { SetLe16(b, s.header + 12, 0); }, "key length"},
        {"key length 241", [&](std::string& b) { SetLe16(b, s.header + 12, 241); }, "key length"},
        {"signature", [&](std::string& b) { b[s.header + 15] = 2; }, "signature"},
        {"expression pool overflow", [&](std::string& b) { SetLe16(b, s.header + 510, 600); },
         "expression pool"},
        {"root past the end", [&](std::string& b) { SetLe32(b, s.header, size); }, "root pointer"},
        {"directory root misaligned", [&](std::string& b) { SetLe32(b, 0, 0x401); },
         "root pointer"},
        {"free list into a used page", [&](std::string& b) { SetLe32(b, 4, s.leaf1); },
         "free list"},
        {"size not a multiple of 512", [&](std::string& b) { b += '\x1A'; }, "multiple of 512"},
        {"truncated", [&](std::string& b) { b.resize(1024); }, "too small"},
    };

    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::string bytes = s.bytes;
        d.apply(bytes);
        const std::string path = dir.File("damaged.cdx");
        WriteBytes(path, bytes);
        for (bool writable : {true, false}) {
            // Open checks headers; a walk reads every node; a change or a full check also
            // covers what no walk reads (the free list, pages owned twice).
            DbError e = Caught([&] {
                auto cdx = CdxFile::Open(FileSystem::Default(), path, writable);
                cdx->TagAt(0).Entries();
                if (writable) {
                    cdx->TagAt(0).Insert(EncodeIntKey(5000), 5000);
                } else if (std::string fault; !cdx->Check(&fault)) {
                    throw DbError(kErrIndex, path, fault);
                }
            });
            EXPECT_EQ(e.Number(), kErrIndex);
            EXPECT_EQ(e.File(), path);
            EXPECT_NE(std::string(e.what()).find(d.expect), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadBytes(path), bytes) << "a damaged file must not be written";
    }
}

TEST(CdxCorrupt, OpenReadsLittleAndDeepDamageFailsWhenReachedWithoutAWrite) {
    TempDir dir;
    const std::string path = dir.File("big.cdx");
    constexpr uint32_t kEntries = 100000;
    uint32_t header;
    {
        std::vector<KeyEntry> entries;
        for (uint32_t r = 1; r <= kEntries; ++r)
            entries.push_back({EncodeIntKey(int32_t(r)), r});
        auto cdx = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
        header =
            cdx->AddTag({"ID", "id", "", false, false, false, 4, 0, 0}, entries).HeaderOffset();
    }
    std::string bytes = ReadBytes(path);
    // Down the middle of the tree to a leaf no open reads; the parent entry gives its last key.
    uint32_t node = Le32(bytes, header), entry = 0;
    while (!(cdx::Get16(At(bytes, node)) & 2)) {
        entry = node + 12 + cdx::Get16(At(bytes, node + 2)) / 2 * 12;
        node = Be32(bytes, entry + 8);
    }
    ASSERT_NE(entry, 0u) << "sample: the tree has interior levels";
    const std::string lastKey = bytes.substr(entry, 4);
    const uint32_t lastRecno = Be32(bytes, entry + 4);
    SetLe16(bytes, node + 12, 7); // the leaf's free space count
    WriteBytes(path, bytes);

    hk::test::FaultyFileSystem counting;
    auto cdx = CdxFile::Open(counting, path, true);
    EXPECT_LT(counting.BytesRead() * 20, bytes.size()) << "open reads a few pages, not the tree";
    EXPECT_LT(cdx->NodesChecked(), 10u);
    CdxTag& tag = cdx->TagAt(0);
    CdxCursor c(tag);
    ASSERT_TRUE(c.Seek(EncodeIntKey(1), 0));
    EXPECT_EQ(c.RecNo(), 1u) << "the sound part reads as before";
    const std::vector<std::function<void()>> reaches = {
        [&] { c.Seek(lastKey, lastRecno); },
        [&] { tag.Entries(); },
        [&] { tag.Insert(lastKey, kEntries + 1); },
        [&] { tag.Remove(lastKey, lastRecno); },
        [&] { tag.KeyCount(); },
    };
    for (const auto& reach : reaches) {
        DbError e = Caught(reach);
        EXPECT_EQ(e.Number(), kErrIndex);
        EXPECT_EQ(e.File(), path);
        EXPECT_NE(std::string(e.what()).find("free space"), std::string::npos) << e.what();
    }
    std::string fault;
    EXPECT_FALSE(cdx->Check(&fault));
    EXPECT_NE(fault.find("free space"), std::string::npos) << fault;
    cdx.reset();
    EXPECT_EQ(counting.BytesWritten(), 0u);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(CdxCorrupt, NonMachineCollationIsReadButNeverWritten) {
    TempDir dir;
    Sample s = MakeSample(dir);
    std::memcpy(s.bytes.data() + s.header + 494, "GENERAL", 7);
    const std::string path = dir.File("general.cdx");
    WriteBytes(path, s.bytes);
    {
        auto cdx = CdxFile::Open(FileSystem::Default(), path, true);
        CdxTag& tag = cdx->TagAt(0);
        EXPECT_EQ(tag.Info().collation, "GENERAL");
        EXPECT_FALSE(tag.MachineCollation());
        EXPECT_EQ(tag.PadByte(), 0);
        auto entries = tag.Entries();
        ASSERT_EQ(entries.size(), 1500u);
        EXPECT_EQ(entries[41].key, EncodeIntKey(42));
        for (auto op : {0, 1}) {
            DbError e = Caught([&] {
                if (op == 0)
                    tag.Insert(EncodeIntKey(5000), 5000);
                else
                    tag.Remove(entries[0].key, entries[0].recno);
            });
            EXPECT_EQ(e.Number(), kErrIndex);
            EXPECT_NE(std::string(e.what()).find("GENERAL"), std::string::npos);
        }
        cdx->Flush();
    }
    EXPECT_EQ(ReadBytes(path), s.bytes);
}

TEST(CdxCorrupt, ReadOnlyFileRefusesChanges) {
    TempDir dir;
    Sample s = MakeSample(dir);
    const std::string path = dir.File("ro.cdx");
    WriteBytes(path, s.bytes);
    auto cdx = CdxFile::Open(FileSystem::Default(), path, false);
    EXPECT_FALSE(cdx->Writable());
    EXPECT_THROW(cdx->TagAt(0).Insert(EncodeIntKey(9999), 9999), DbError);
    EXPECT_THROW(cdx->AddTag({"X", "x", "", false, false, false, 4, 0, 0}, {}), DbError);
    cdx.reset();
    EXPECT_EQ(ReadBytes(path), s.bytes);
}
