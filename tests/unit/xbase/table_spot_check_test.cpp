// The spot check a run makes before it trusts a tag's seeks: sound tags pass (FOR-filtered and
// descending ones too); a tag gone stale under changed data bytes is refused, naming the
// table, the tag and the record, when selected or before a write with the switch on.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/table.h"

using namespace hk::db;
using hk::test::ReadBytes;
using hk::test::WriteBytes;

namespace {

constexpr uint32_t kRecords = 200;

// PER_NO 1..200, NAME "N<k>", SEX alternating; every tenth record deleted.
void WritePeople(const std::string& path) {
    auto t = Table::Create(
        path, {{"PER_NO", 'I'}, {"NAME", 'C', 10}, {"SEX", 'C', 1}}, CreateOptions{},
        {{"PER_NO", "PER_NO"}, {"BYNAME", "NAME", "", true}, {"MEN", "NAME", "SEX = \"M\""}});
    for (uint32_t i = 1; i <= kRecords; ++i) {
        t->AppendStart();
        t->AssignLong(0, static_cast<long>(i));
        t->AssignString(1, "N" + std::to_string(1000 + i));
        t->AssignString(2, i % 2 ? "M" : "F");
        t->Append();
        if (i % 10 == 0)
            t->Delete();
    }
    t->Flush();
}

// Overwrites a field's bytes of one record in the data file, leaving every index as it was.
void Patch(const std::string& path, uint32_t recno, const char* field, std::string_view bytes) {
    uint32_t at;
    {
        auto t = Table::Open(path, {.writable = false});
        at = t->Dbf().HeaderLength() + (recno - 1) * t->Dbf().RecordLength() +
             t->FieldAt(t->FieldIndex(field)).offset;
    }
    std::string data = ReadBytes(path);
    data.replace(at, bytes.size(), bytes);
    WriteBytes(path, data);
}

std::string FaultOf(Table& t, const char* tag) {
    try {
        t.SpotCheck(t.FindTag(tag));
    } catch (const DbError& e) {
        EXPECT_EQ(e.Number(), kErrIndex);
        return e.what();
    }
    return {};
}

} // namespace

TEST(TableSpotCheck, SoundTagsPassStaleOnesAreRefusedWithTableTagRecordAndAdvice) {
    hk::test::TempDir dir;
    std::string path = dir.File("people.dbf");
    WritePeople(path);
    {
        auto t = Table::Open(path);
        for (const char* tag : {"PER_NO", "BYNAME", "MEN"})
            EXPECT_EQ(FaultOf(*t, tag), "") << tag;
    }

    // Record 1 (always sampled) renamed behind the index's back: its key is not in the tags.
    Patch(path, 1, "NAME", "Zed       ");
    // Record 2's number changed: the entry after record 1's in PER_NO points at a record that
    // now gives another key.
    Patch(path, 2, "PER_NO", std::string("\xE7\x03\0\0", 4)); // 999
    auto t = Table::Open(path);
    const std::string advice = ". Reindex the project in TMG, then run again.";
    EXPECT_EQ(FaultOf(*t, "BYNAME"), path +
                                         ": tag BYNAME: record 1 gives key \"Zed\", which "
                                         "the tag does not hold for it" +
                                         advice);
    EXPECT_EQ(FaultOf(*t, "MEN"), path +
                                      ": tag MEN: record 1 gives key \"Zed\", which the "
                                      "tag does not hold for it" +
                                      advice);
    EXPECT_EQ(FaultOf(*t, "PER_NO"),
              path + ": tag PER_NO: key 2 found for record 2, but the record gives key 999" +
                  advice);

    // The switch makes selection check, and a refused tag stays unselected.
    t->SelectTag(t->FindTag("BYNAME")); // off: selected unchecked
    t->SetSpotCheckOnSelect(true);
    EXPECT_THROW(t->SelectTag(t->FindTag("PER_NO")), DbError);
    EXPECT_EQ(t->SelectedTag(), t->FindTag("BYNAME"));
    t->SelectTag(nullptr); // record order needs no check
    // A write would maintain the stale tags: refused before a byte is written.
    std::string before = ReadBytes(path) + ReadBytes(dir.File("people.cdx"));
    t->Go(5);
    EXPECT_THROW(t->AssignString(2, "F"), DbError);
    EXPECT_THROW(t->Delete(), DbError);
    t.reset();
    EXPECT_EQ(ReadBytes(path) + ReadBytes(dir.File("people.cdx")), before);
}
