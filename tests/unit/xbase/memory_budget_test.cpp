// One budget shared by many open tables: its own accounting stays within the limit while they
// are written and walked together, and eviction across files changes no result and no byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/memory_budget.h"
#include "xbase/table.h"

using namespace hk::db;
using hk::test::ReadBytes;

namespace {

constexpr int kTables = 20;
constexpr uint32_t kRecords = 4000;
constexpr const char* kExtensions[] = {".dbf", ".cdx", ".fpt"};

std::string TablePath(const hk::test::TempDir& dir, int i) {
    return dir.File("t" + std::to_string(i) + ".dbf");
}

// Twenty copies of one table with a production index on NAME and memos.
void MakeTables(const hk::test::TempDir& dir) {
    {
        auto t = Table::Create(TablePath(dir, 0), {{"ID", 'I'}, {"NAME", 'C', 24}, {"NOTE", 'M'}},
                               CreateOptions{}, {{"NAME", "NAME"}});
        for (uint32_t i = 1; i <= kRecords; ++i) {
            t->AppendStart();
            t->AssignLong(0, static_cast<long>(i));
            t->AssignString(1, "N" + std::to_string(i * 7919 % 10007));
            if (i % 3 == 0)
                t->AssignMemo(2, std::string(50 + i % 200, static_cast<char>('a' + i % 26)));
            t->Append();
        }
    }
    for (int i = 1; i < kTables; ++i)
        for (const char* ext : kExtensions)
            std::filesystem::copy_file(dir.File(std::string("t0") + ext),
                                       dir.File("t" + std::to_string(i) + ext));
}

struct Outcome {
    std::vector<std::string> walks; // per table: name, id and memo length in name order
    size_t peak = 0;
};

// Opens every table in one budget, changes keys and memos in all of them in turn, then walks
// them all in name order a record of each at a time, checking the budget's accounting.
Outcome WriteAndWalk(const hk::test::TempDir& dir, size_t limit) {
    constexpr size_t kMargin = 8192; // one data page
    MemoryBudget budget(limit);
    std::vector<std::unique_ptr<Table>> tables;
    for (int i = 0; i < kTables; ++i)
        tables.push_back(Table::Open(TablePath(dir, i), {.budget = &budget}));
    for (uint32_t r = 1; r <= kRecords; r += 9) {
        for (int i = 0; i < kTables; ++i) {
            Table& t = *tables[i];
            EXPECT_EQ(t.Go(r), kPosOk);
            t.AssignString(1, "M" + std::to_string((r * 31 + i) % 5003));
            if (r % 2)
                t.AssignMemo(2, std::string(300 + r % 700, 'x'));
        }
        EXPECT_LE(budget.HeldBytes(), limit + kMargin);
    }
    Outcome out;
    out.walks.resize(kTables);
    for (auto& t : tables) {
        t->SelectTag(t->FindTag("NAME"));
        t->Top();
    }
    for (bool more = true; more;) {
        more = false;
        for (int i = 0; i < kTables; ++i) {
            Table& t = *tables[i];
            if (t.Eof())
                continue;
            out.walks[i] += t.GetTrimmed(1) + "," + std::to_string(t.GetLong(0)) + "," +
                            std::to_string(t.GetMemo(2).size()) + ";";
            t.Skip();
            more = true;
        }
        EXPECT_LE(budget.HeldBytes(), limit + kMargin);
    }
    out.peak = budget.PeakBytes();
    EXPECT_LE(out.peak, limit + kMargin);
    tables.clear();
    EXPECT_EQ(budget.HeldBytes(), 0u);
    return out;
}

TEST(MemoryBudget, TwentyTablesStayWithinOneBudgetAndEvictionAcrossThemChangesNothing) {
    hk::test::TempDir tight, roomy;
    MakeTables(tight);
    MakeTables(roomy);
    // The tables hold about 10 MB: 1 MiB makes every file evict the others' pages, dirty ones
    // included; 64 MiB evicts nothing.
    Outcome small = WriteAndWalk(tight, 1u << 20);
    Outcome big = WriteAndWalk(roomy, 64u << 20);
    EXPECT_GE(small.peak, (1u << 20) / 2); // the caches really drew on the budget
    EXPECT_GT(big.peak, 4u << 20);
    ASSERT_EQ(small.walks.size(), big.walks.size());
    for (int i = 0; i < kTables; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(small.walks[i], big.walks[i]);
        EXPECT_NE(small.walks[i].find("M"), std::string::npos); // the changed keys are walked
        EXPECT_EQ(std::count(small.walks[i].begin(), small.walks[i].end(), ';'), kRecords);
        for (const char* ext : kExtensions)
            EXPECT_EQ(ReadBytes(tight.File("t" + std::to_string(i) + ext)),
                      ReadBytes(roomy.File("t" + std::to_string(i) + ext)))
                << ext;
        std::string fault;
        EXPECT_TRUE(Table::Open(TablePath(tight, i))->CheckIndexes(&fault)) << fault;
    }
}

} // namespace
