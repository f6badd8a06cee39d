// Reading the CDX files FoxPro 2.x and Visual FoxPro wrote: every tag's description, and
// every key and record number in the order the independent reader index_dump sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/text.h"
#include "unit/xbase/cdx_test_util.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/db_error.h"

using namespace hk::db;
using namespace hk::db::cdx_test;

namespace {

struct Expected {
    std::string name, keyExpr, forExpr;
    uint16_t keyLength;
    bool candidate;
};

// Opens a copy of a fixture and checks every tag.
void CheckFixture(const std::string& rel, CdxFlavor flavor, const std::vector<Expected>& tags) {
    TempDir dir;
    std::string copy = CopyAsCdx(dir, rel);
    const std::string original = ReadBytes(copy);
    ASSERT_FALSE(original.empty()) << rel;

    {
        auto cdx = CdxFile::Open(FileSystem::Default(), copy, true);
        EXPECT_EQ(cdx->Flavor(), flavor) << rel;
        ASSERT_EQ(cdx->TagCount(), tags.size()) << rel;
        std::vector<std::string> ours, theirs = IndexDumpTags(copy);
        for (size_t i = 0; i < tags.size(); ++i) {
            CdxTag& tag = cdx->TagAt(i);
            const TagInfo& info = tag.Info();
            SCOPED_TRACE(rel + " tag " + info.name);
            EXPECT_EQ(info.name, tags[i].name);
            EXPECT_EQ(info.keyExpr, tags[i].keyExpr);
            EXPECT_EQ(info.forExpr, tags[i].forExpr);
            EXPECT_EQ(info.keyLength, tags[i].keyLength);
            EXPECT_EQ(info.candidate, tags[i].candidate);
            EXPECT_FALSE(info.descending);
            EXPECT_TRUE(tag.MachineCollation());
            EXPECT_EQ(cdx->FindTag(hk::AsciiLower(info.name)), &tag);
            ours.push_back(info.name);
            if (i > 0)
                EXPECT_GT(tag.HeaderOffset(), cdx->TagAt(i - 1).HeaderOffset());

            bool num = info.keyLength == 4; // the integer tags of the samples
            if (num)
                tag.SetPadByte(0);
            std::vector<KeyEntry> entries = tag.Entries();
            EXPECT_EQ(entries.size(), tag.KeyCount());
            ExpectDumpMatches(copy, info.name, entries, num);

            // The same entries walking backwards, and a seek lands on each of them.
            CdxCursor c(tag);
            std::vector<KeyEntry> back;
            for (bool ok = c.Last(); ok; ok = c.Prev())
                back.push_back({std::string(c.Key()), c.RecNo()});
            std::reverse(back.begin(), back.end());
            EXPECT_EQ(back, entries);
            for (const KeyEntry& e : entries) {
                ASSERT_TRUE(c.Seek(e.key, e.recno));
                EXPECT_EQ(c.RecNo(), e.recno);
            }
            std::string fault;
            EXPECT_TRUE(tag.Check(&fault, true)) << fault;
        }
        std::sort(ours.begin(), ours.end());
        EXPECT_EQ(ours, theirs) << rel;
        EXPECT_EQ(cdx->FindTag("NO_SUCH"), nullptr);
        cdx->Flush();
    }
    // Opened for writing, read, flushed, closed: not one byte may change.
    EXPECT_EQ(ReadBytes(copy), original) << rel;
}

} // namespace

TEST(CdxFixtures, EveryTagOfFoxProAndVisualFoxProFilesReadsExactly) {
    const std::string forAudio = "TRIM(UPPER(facility))==\"AUDIO\"";
    CheckFixture("fox2/rooms.cdx", CdxFlavor::Fox2,
                 {{"ROOMNAME", "roomname", "", 10, false},
                  {"FACILITY", "facility", "", 10, false},
                  {"AUDIO", "roomname", forAudio, 10, false},
                  {"MAIN", "roomname", "TRIM(UPPER(facility))==\"MAIN\"", 10, false},
                  {"FILM", "roomname", "TRIM(UPPER(facility))==\"FILM\"", 10, false}});
    CheckFixture("vfp9-db/calls.CDX", CdxFlavor::Vfp,
                 {{"CALL_ID", "call_id", "", 4, true}, {"CONTACT_ID", "contact_id", "", 4, false}});
    CheckFixture(
        "vfp9-db/contacts.CDX", CdxFlavor::Vfp,
        {{"CONTACT_ID", "contact_id", "", 4, true}, {"TYPE_ID", "contact_type_id", "", 4, false}});
    CheckFixture("vfp9-db/setup.CDX", CdxFlavor::Vfp, {{"KEY_NAME", "key_name", "", 50, true}});
    CheckFixture("vfp9-db/types.CDX", CdxFlavor::Vfp,
                 {{"TYPE_ID", "contact_type_id", "", 4, true}});
    // The OBJECTNAME tag has an interior root over two leaves; its root leaf sibling has
    // attribute 7, so the file is recognised as VFP.
    CheckFixture(
        "vfp9-db/FOXPRO-DB-TEST.DCX", CdxFlavor::Vfp,
        {{"OBJECTNAME", "STR(parentid)+objecttype+LOWER(objectname)", ".NOT.DELETED()", 148, false},
         {"OBJECTTYPE", "STR(parentid)+objecttype", ".NOT.DELETED()", 20, false}});
}
