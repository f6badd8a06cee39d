// What the table layer does around its indexes: tags whose keys it cannot compute, a
// production index that is missing or kept only for maintenance, private indexes, and
// relations walked with a query filter.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/temp_dir.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/cdx/index_key.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/relation.h"
#include "xbase/table.h"

using namespace hk::db;
using hk::db::test::ErrorOf;
using hk::test::ReadBytes;

namespace {

std::unique_ptr<Table> People(const std::string& path) {
    auto t = Table::Create(path, {{"PER_NO", 'I'}, {"NAME", 'C', 10}, {"NOTE", 'C', 5}},
                           CreateOptions{}, {{"PER_NO", "PER_NO"}});
    const char* names[] = {"Ann", "Bob", "Cy"};
    for (int i = 0; i < 3; ++i) {
        t->AppendStart();
        t->AssignLong(0, i + 1);
        t->AssignString(1, names[i]);
        t->Append();
    }
    t->Flush();
    return t;
}

TEST(TableIndexRules, TagWithAFunctionWeDoNotKnowIsReadableButRefusesWritesThatNeedIt) {
    hk::test::TempDir dir;
    std::string dbf = dir.File("p.dbf"), cdx = dir.File("p.cdx");
    People(dbf).reset();
    {
        // Add a tag as TMG would, with a function compiled into TMG, keyed on NAME.
        auto file = CdxFile::Open(FileSystem::Default(), cdx, true, CdxFlavor::Vfp);
        NewTag nt;
        nt.name = "BYNAME";
        nt.keyExpr = "TMGKEY(NAME)";
        nt.keyLength = 10;
        file->AddTag(nt, {{PadKey("Ann", 10), 1}, {PadKey("Bob", 10), 2}, {PadKey("Cy", 10), 3}});
        file->Flush();
    }
    std::string before = ReadBytes(dbf) + ReadBytes(cdx);
    auto t = Table::Open(dbf);
    Tag* byName = t->FindTag("BYNAME");
    ASSERT_NE(byName, nullptr);
    EXPECT_NE(byName->Unusable().find("TMGKEY"), std::string::npos) << byName->Unusable();
    t->SelectTag(byName);
    ASSERT_EQ(t->Seek("Bob"), kPosOk);
    EXPECT_EQ(t->RecNo(), 2u);

    EXPECT_EQ(ErrorOf([&] { t->AssignString(1, "Bobby"); }), kErrIndex);
    EXPECT_EQ(ErrorOf([&] {
                  t->AppendStart();
                  t->AssignLong(0, 9);
                  t->Append();
              }),
              kErrIndex);
    t->Flush();
    EXPECT_EQ(ReadBytes(dbf) + ReadBytes(cdx), before)
        << "a refused write must leave every byte alone";

    // A field the tag does not name can still be written.
    ASSERT_EQ(t->Go(2), kPosOk);
    t->AssignString(2, "ok");
    t.reset();
    auto again = Table::Open(dbf, {.writable = false});
    again->Go(2);
    EXPECT_EQ(again->GetTrimmed(2), "ok");
}

TEST(TableIndexRules, ProductionIndexKeptUpToDateWhenNotUsedForOrderAndRefusedWhenMissing) {
    hk::test::TempDir dir;
    std::string dbf = dir.File("p.dbf"), cdx = dir.File("p.cdx");
    People(dbf).reset();
    {
        auto t = Table::Open(dbf, {.writable = true, .productionIndex = false});
        EXPECT_EQ(t->FindTag("PER_NO"), nullptr) << "not offered for ordering";
        t->Go(1);
        t->AssignLong(0, 42);
    }
    {
        auto t = Table::Open(dbf, {.writable = false});
        t->SelectTag(t->FindTag("PER_NO"));
        ASSERT_EQ(t->SeekDouble(42), kPosOk);
        EXPECT_EQ(t->RecNo(), 1u);
        std::string fault;
        EXPECT_TRUE(t->CheckIndexes(&fault)) << fault;
    }
    std::filesystem::remove(cdx);
    std::string before = ReadBytes(dbf);
    auto t = Table::Open(dbf);
    t->Go(1);
    EXPECT_EQ(ErrorOf([&] { t->AssignLong(0, 7); }), kErrIndex);
    t.reset();
    EXPECT_EQ(ReadBytes(dbf), before);
}

TEST(TableIndexRules, PrivateIndexWithForFilterFollowsDeletesAndCloses) {
    hk::test::TempDir dir;
    auto t = People(dir.File("p.dbf"));
    std::string idx = dir.File("name_idx.cdx");
    IndexSet* set = t->CreateIndex(idx, {{"BYNAME", "UPPER(NAME)", ".NOT. DELETED()"}});
    t->SelectTag(t->FindTag("BYNAME"));
    ASSERT_EQ(t->Seek("BOB"), kPosOk);
    t->Delete();
    EXPECT_NE(t->Seek("BOB"), kPosOk);
    t->Go(2);
    t->Recall();
    ASSERT_EQ(t->Seek("BOB"), kPosOk);
    t->CloseIndex(set);
    EXPECT_EQ(t->SelectedTag(), nullptr);
    EXPECT_EQ(t->FindTag("BYNAME"), nullptr);
    // The file stays a valid index: reopening it finds the same keys.
    t->OpenIndex(idx);
    t->SelectTag(t->FindTag("BYNAME"));
    EXPECT_EQ(t->Seek("CY"), kPosOk);
}

TEST(TableIndexRules, RelationPositionsSlavesAndFiltersOnAllOfThem) {
    hk::test::TempDir dir;
    auto people = People(dir.File("p.dbf"));
    people->SetAlias("$");
    auto types = Table::Create(dir.File("t.dbf"), {{"ETYPENUM", 'I'}, {"ADMIN", 'N', 2}},
                               CreateOptions{}, {{"EVTBYNUM", "ETYPENUM"}});
    types->SetAlias("t");
    for (auto [num, admin] : {std::pair{1, 4}, {2, 5}, {3, 6}}) {
        types->AppendStart();
        types->AssignLong(0, num);
        types->AssignLong(1, admin);
        types->Append();
    }
    auto events = Table::Create(dir.File("g.dbf"), {{"ETYPE", 'I'}, {"PER1", 'I'}}, CreateOptions{},
                                {{"BYPER1", "PER1"}});
    events->SetAlias("g");
    // (type, principal): a missing principal 9 and a missing type 7 read as blank records.
    for (auto [etype, per] : {std::pair{1, 2}, {2, 9}, {1, 0}, {7, 3}, {1, 3}}) {
        events->AppendStart();
        events->AssignLong(0, etype);
        events->AssignLong(1, per);
        events->Append();
    }
    Relation rel(*events);
    rel.AddSlave(*events, 0, *types, types->FindTag("EVTBYNUM"));
    rel.AddSlave(*events, 1, *people, people->FindTag("PER_NO"));
    rel.SetQuery("t->ADMIN = 4 .AND. g->Per1 <> 0 .AND. .NOT. DELETED()");
    std::vector<std::string> seen;
    for (int r = rel.Top(); r == kPosOk; r = rel.Skip())
        seen.push_back(std::to_string(events->RecNo()) + ":" + people->GetTrimmed(1));
    EXPECT_EQ(seen, (std::vector<std::string>{"1:Bob", "5:Cy"}));

    rel.SetQuery("t->ADMIN = 0");
    ASSERT_EQ(rel.Top(), kPosOk);
    EXPECT_EQ(events->RecNo(), 4u) << "a missing slave record reads as blank";
    EXPECT_EQ(types->GetLong(0), 0);
    EXPECT_THROW(rel.SetQuery("x->ADMIN = 1"), DbError);
}

TEST(TableIndexRules, BulkBuiltProductionIndexOverManyRecordsIsExact) {
    hk::test::TempDir dir;
    std::string path = dir.File("big.dbf");
    {
        auto t = Table::Create(path, {{"N", 'I'}, {"S", 'C', 12}});
        for (int i = 0; i < 40000; ++i) {
            t->AppendStart();
            t->AssignLong(0, (i * 7919) % 40009);
            t->AssignString(1, "k" + std::to_string((i * 31) % 997));
            t->Append();
        }
        // More entries than one build chunk holds, so leaves are written across chunks.
        t->CreateProductionIndex(
            {{"N", "N"}, {"S", "S", ".NOT. DELETED()"}, {"SU", "S", "", false, true}});
        t->SetUpdateDate(2024, 3, 1);
    }
    auto t = Table::Open(path);
    EXPECT_TRUE(t->Dbf().HasProductionIndexFlag());
    std::string fault;
    ASSERT_TRUE(t->CheckIndexes(&fault)) << fault;
    EXPECT_EQ(t->FindTag("SU")->Entries().size(), 997u) << "one entry per key in a unique tag";
    t->SelectTag(t->FindTag("S"));
    ASSERT_EQ(t->Seek("k996"), kPosOk);
    EXPECT_EQ(t->GetTrimmed(1), "k996");
}

TEST(TableIndexRules, TightBuildMemoryAndCacheGiveTheSameIndexStreamedToDisk) {
    hk::test::TempDir dir;
    auto make = [&](const std::string& name, size_t bound) {
        std::string path = (dir.Path() / (name + ".dbf")).string();
        auto t = Table::Create(path, {{"N", 'I'}, {"S", 'C', 40}});
        for (int i = 0; i < 30000; ++i) {
            t->AppendStart();
            t->AssignLong(0, (i * 7919) % 30011);
            t->AssignString(1, std::to_string(i * 2654435761u % 100003) + "x" +
                                   std::to_string(i % 613));
            t->Append();
        }
        t->Flush();
        if (bound) {
            // Set before the index exists: it must hold for the index created afterwards.
            t->SetCacheLimit(bound);
            t->SetIndexBuildMemory(bound);
        }
        t->CreateProductionIndex({{"N", "N"}, {"S", "S", ".NOT. DELETED()"}});
        uint64_t onDisk = std::filesystem::file_size(SiblingPath(path, ".cdx"));
        t->SetUpdateDate(2024, 3, 1);
        std::string fault;
        EXPECT_TRUE(t->CheckIndexes(&fault)) << fault;
        return onDisk;
    };
    uint64_t heldBack = make("plain", 0);
    uint64_t streamed = make("tight", 64 * 1024);
    std::string plain = ReadBytes(dir.File("plain.cdx"));
    std::string tight = ReadBytes(dir.File("tight.cdx"));
    ASSERT_GT(plain.size(), 256u * 1024);
    EXPECT_TRUE(plain == tight) << "sorted runs and a spilled level build the same tree";
    // A bounded cache writes pages out as it fills; the default one holds the whole index.
    EXPECT_LT(heldBack, 16u * 1024);
    EXPECT_GT(streamed, plain.size() - 128 * 1024);
    std::set<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        files.insert(e.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"plain.cdx", "plain.dbf", "tight.cdx", "tight.dbf"}))
        << "no run or level files are left behind";
}

} // namespace
