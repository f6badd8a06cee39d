// Writes through the table layer to copies of files FoxPro and Visual FoxPro wrote: every tag
// stays consistent with the data, and index_dump (an independent reader) still walks every
// tag in the order we hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "cdx_test_util.h"
#include "xbase/table.h"

using namespace hk::db;
namespace fs = std::filesystem;

namespace {

// Copies a fixture table with its memo and index files; returns the copy's .dbf path.
std::string CopyTable(const hk::test::TempDir& dir, const std::string& rel) {
    fs::path src = cdx_test::FixturePath(rel);
    for (const auto& entry : fs::directory_iterator(src.parent_path())) {
        if (entry.path().stem() == src.stem())
            fs::copy_file(entry.path(), dir.Path() / entry.path().filename());
    }
    return dir.File(src.filename().string());
}

void ExpectConsistentAndDumpable(Table& t, const std::string& cdx) {
    t.Flush();
    std::string fault;
    ASSERT_TRUE(t.CheckIndexes(&fault)) << fault;
    for (Tag* tag : t.Tags())
        cdx_test::ExpectDumpMatches(cdx, tag->Name(), tag->Entries(), tag->Kind() != KeyKind::Char);
}

TEST(TableFixtureWrites, VisualFoxProTablesTakeAppendsKeyChangesAndDeletes) {
    hk::test::TempDir dir;
    std::string calls = CopyTable(dir, "vfp9-db/calls.dbf");
    std::string contacts = CopyTable(dir, "vfp9-db/contacts.dbf");
    {
        auto t = Table::Open(calls);
        int callId = t->FieldIndex("CALL_ID"), contactId = t->FieldIndex("CONTACT_ID");
        ASSERT_GE(callId, 0);
        for (int i = 0; i < 40; ++i) {
            t->AppendStart();
            t->AssignLong(callId, 1000 + i);
            t->AssignLong(contactId, i % 7);
            t->Append();
        }
        t->Go(3);
        t->AssignLong(contactId, 99);
        t->Go(5);
        t->Delete();
        // A candidate key may not repeat: refused, nothing changed.
        t->Go(6);
        EXPECT_THROW(t->AssignLong(callId, 1000), DbError);
        ExpectConsistentAndDumpable(*t, dir.File("calls.CDX"));
    }
    {
        auto t = Table::Open(contacts);
        int typeId = t->FieldIndex("CONTACT_TY"); // field names are cut at 10 characters
        ASSERT_GE(typeId, 0);
        t->Go(2);
        t->AssignLong(typeId, 7);
        t->Go(1);
        t->Delete();
        t->Recall();
        ExpectConsistentAndDumpable(*t, dir.File("contacts.CDX"));
    }
}

TEST(TableFixtureWrites, FoxProTwoTableWithForTagsFollowsFacilityChanges) {
    hk::test::TempDir dir;
    std::string rooms = CopyTable(dir, "fox2/rooms.dbf");
    auto t = Table::Open(rooms);
    int name = t->FieldIndex("ROOMNAME"), facility = t->FieldIndex("FACILITY");
    Tag* audio = t->FindTag("AUDIO");
    ASSERT_NE(audio, nullptr);
    ASSERT_TRUE(audio->Unusable().empty()) << audio->Unusable();
    size_t audioBefore = audio->Entries().size();
    t->AppendStart();
    t->AssignString(name, "Studio 9");
    t->AssignString(facility, "audio");
    t->Append();
    EXPECT_EQ(audio->Entries().size(), audioBefore + 1) << "FOR clause on UPPER(facility)";
    t->Go(1);
    t->AssignString(facility, "Film");
    ExpectConsistentAndDumpable(*t, dir.File("rooms.cdx"));
}

} // namespace
