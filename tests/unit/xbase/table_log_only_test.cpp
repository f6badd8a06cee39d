// A table under Log Only: write calls are checked as in a real run, then change neither the
// files nor the cursor's record, and are counted; appends number the records they would have
// made; every cursor of the files shares the switch.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "xbase/table.h"

using namespace hk::db;
using namespace hk::test;

TEST(TableLogOnly, WritesAreCheckedCountedAndDroppedWhileReadsSeeTheStoredRecord) {
    TempDir dir;
    const std::string path = dir.File("people.dbf");
    {
        auto t = Table::Create(path, {{"ID", 'I'}, {"NAME", 'C', 12}, {"NOTE", 'M'}}, {},
                               {{"NAME", "NAME"}});
        for (int i = 1; i <= 5; ++i) {
            t->AppendStart();
            t->AssignLong(0, i);
            t->AssignString(1, "Name" + std::to_string(i));
            t->AssignMemo(2, "note " + std::to_string(i));
            t->Append();
        }
    }
    const std::string dbf = ReadBytes(path), cdx = ReadBytes(dir.File("people.cdx")),
                      fpt = ReadBytes(dir.File("people.fpt"));

    auto t = Table::Open(path);
    auto clone = t->Clone();
    t->SetLogOnly(true);
    EXPECT_TRUE(clone->LogOnly()) << "cursors of the same files share the switch";
    ASSERT_EQ(t->Go(3), kPosOk);
    t->AssignString(1, "Changed");
    t->AssignMemo(2, std::string(4000, 'x'));
    t->Delete();
    EXPECT_EQ(t->GetTrimmed(1), "Name3");
    EXPECT_EQ(t->GetMemo(2), "note 3");
    EXPECT_FALSE(t->Deleted());
    for (uint32_t expected : {6u, 7u}) {
        t->AppendStart();
        t->AssignLong(0, 99);
        EXPECT_EQ(t->Append(), expected) << "the number the record would have had";
    }
    EXPECT_EQ(t->RecNo(), 3u) << "the cursor stays where it was";
    EXPECT_EQ(t->GetLong(0), 3);
    EXPECT_EQ(t->RecCount(), 5u);
    EXPECT_EQ(t->DroppedWrites(), 9u);
    EXPECT_THROW(t->CreateProductionIndex({{"ID", "ID"}}), DbError) << "refused as for real";
    t->Flush();
    EXPECT_EQ(t->BytesWritten(), 0u);

    // The checks of a real run still refuse: a read-only table cannot be written.
    auto readOnly = Table::Open(path, {.writable = false});
    readOnly->SetLogOnly(true);
    readOnly->Go(1);
    EXPECT_THROW(readOnly->AssignString(1, "x"), DbError);
    readOnly.reset();
    clone.reset();
    t.reset();
    EXPECT_EQ(ReadBytes(path), dbf);
    EXPECT_EQ(ReadBytes(dir.File("people.cdx")), cdx);
    EXPECT_EQ(ReadBytes(dir.File("people.fpt")), fpt);

    t = Table::Open(path);
    t->Go(3);
    t->AssignString(1, "Changed");
    t->Flush();
    EXPECT_GT(t->BytesWritten(), 0u);
    EXPECT_EQ(t->DroppedWrites(), 0u);
    std::string fault;
    EXPECT_TRUE(t->CheckIndexes(&fault)) << fault;
}
