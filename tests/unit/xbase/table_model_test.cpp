// Randomized model test of index maintenance: many appends, key changes, deletes and recalls
// on a table with several tags, checked against keys computed here, independently of the
// engine's expression evaluator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "support/temp_dir.h"
#include "support/text.h"
#include "xbase/cdx/index_key.h"
#include "xbase/table.h"

using namespace hk;
using namespace hk::db;

namespace {

struct Row {
    std::string name; // 1252 bytes, up to 12
    double num;       // N(8,2)
    int32_t id;       // I
    bool deleted = false;
};

std::string PadRight(std::string s, size_t n) {
    s.resize(n, ' ');
    return s;
}

class TableModel : public ::testing::Test {
protected:
    hk::test::TempDir dir;
    std::mt19937 rng{20261205};
    std::vector<Row> rows; // rows[i] is record i+1

    std::string RandomName() {
        static const char* stems[] = {"smith",  "Smith", "SMITHSON",  "\xE9lise", "",
                                      "  lead", "z",     "M\xFCller", "brown",    "Brown "};
        std::string s = stems[rng() % 10];
        if (rng() % 3 == 0)
            s += std::to_string(rng() % 50);
        if (s.size() > 12)
            s.resize(12);
        return s;
    }
    double RandomNum() { return std::round((static_cast<int>(rng() % 200001) - 100000)) / 100.0; }

    // What each tag must hold, computed from the model.
    std::vector<KeyEntry> Expected(const std::string& tag) {
        std::vector<KeyEntry> out;
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            uint32_t recno = static_cast<uint32_t>(i + 1);
            if (tag == "UNAME")
                out.push_back({PadRight(Cp1252UpperStr(r.name), 12), recno});
            else if (tag == "NUM" || tag == "NUMDESC")
                out.push_back({EncodeDoubleKey(r.num), recno});
            else if (tag == "ID")
                out.push_back({EncodeIntKey(r.id), recno});
            else if (tag == "LIVE" && !r.deleted)
                out.push_back({PadRight(r.name, 12), recno});
        }
        std::sort(out.begin(), out.end(), [](const KeyEntry& a, const KeyEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        return out;
    }

    void Verify(Table& t, const std::string& when) {
        for (const char* name : {"UNAME", "NUM", "NUMDESC", "ID", "LIVE"}) {
            Tag* tag = t.FindTag(name);
            ASSERT_NE(tag, nullptr) << name;
            std::vector<KeyEntry> want = Expected(name), got = tag->Entries();
            ASSERT_EQ(got.size(), want.size()) << name << " " << when;
            for (size_t i = 0; i < want.size(); ++i) {
                ASSERT_EQ(got[i].recno, want[i].recno) << name << " entry " << i << " " << when;
                ASSERT_EQ(got[i].key, want[i].key) << name << " entry " << i << " " << when;
            }
            // Walking the cursor gives the same order (reversed for the descending tag).
            t.SelectTag(tag);
            std::vector<uint32_t> walked;
            for (int r = t.Top(); r == kPosOk; r = t.Skip(1))
                walked.push_back(t.RecNo());
            if (tag->Info().descending)
                std::reverse(walked.begin(), walked.end());
            ASSERT_EQ(walked.size(), want.size()) << name << " walk " << when;
            for (size_t i = 0; i < want.size(); ++i)
                ASSERT_EQ(walked[i], want[i].recno);
        }
        t.SelectTag(nullptr);
        std::string fault;
        ASSERT_TRUE(t.CheckIndexes(&fault)) << fault << " " << when;
    }
};

TEST_F(TableModel, RandomAppendsChangesDeletesAndRecallsKeepEveryTagExact) {
    std::string path = dir.File("model.dbf");
    {
        auto t =
            Table::Create(path, {{"NAME", 'C', 12}, {"NUM", 'N', 8, 2}, {"ID", 'I'}, {"NOTE", 'M'}},
                          CreateOptions{},
                          {{"UNAME", "UPPER(NAME)"},
                           {"NUM", "NUM"},
                           {"NUMDESC", "NUM", "", true},
                           {"ID", "ID"},
                           {"LIVE", "NAME", ".NOT. DELETED()"}});
        const int fName = t->FieldIndex("NAME"), fNum = t->FieldIndex("NUM"),
                  fId = t->FieldIndex("ID"), fNote = t->FieldIndex("NOTE");
        for (int batch = 0; batch < 12; ++batch) {
            for (int op = 0; op < 250; ++op) {
                unsigned what = rng() % 10;
                if (rows.empty() || what < 4) {
                    Row r{RandomName(), RandomNum(), static_cast<int32_t>(rng() % 70000) - 1000};
                    t->AppendStart();
                    t->AssignString(fName, Cp1252ToUtf8(r.name));
                    t->AssignDouble(fNum, r.num);
                    t->AssignLong(fId, r.id);
                    if (rng() % 4 == 0)
                        t->AssignMemo(fNote, "memo " + std::to_string(op));
                    ASSERT_EQ(t->Append(), rows.size() + 1);
                    rows.push_back(r);
                    continue;
                }
                uint32_t recno = 1 + rng() % rows.size();
                ASSERT_EQ(t->Go(recno), kPosOk);
                Row& r = rows[recno - 1];
                switch (what) {
                case 4:
                    r.name = RandomName();
                    t->AssignString(fName, Cp1252ToUtf8(r.name));
                    break;
                case 5:
                    r.num = RandomNum();
                    t->AssignDouble(fNum, r.num);
                    break;
                case 6:
                    r.id = static_cast<int32_t>(rng() % 70000);
                    t->AssignLong(fId, r.id);
                    break;
                case 7:
                    r.deleted = true;
                    t->Delete();
                    break;
                case 8:
                    r.deleted = false;
                    t->Recall();
                    break;
                default:
                    t->AssignMemo(fNote, std::string(rng() % 300, 'x'));
                    break;
                }
            }
            Verify(*t, "after batch " + std::to_string(batch));
        }
    }
    // Everything reached the disk: a fresh open sees the same.
    auto again = Table::Open(path);
    ASSERT_EQ(again->RecCount(), rows.size());
    Verify(*again, "after reopening");
}

TEST_F(TableModel, SeeksFindPrefixesAndNumbersAndWalkEqualKeys) {
    auto t = Table::Create(dir.File("seek.dbf"), {{"NAME", 'C', 10}, {"NUM", 'I'}}, CreateOptions{},
                           {{"NAME", "NAME"}, {"NUM", "NUM"}, {"NUMD", "NUM", "", true}});
    const char* names[] = {"Adams", "Baker", "Baker", "Bakerson", "Carter", "Baker"};
    for (int i = 0; i < 6; ++i) {
        t->AppendStart();
        t->AssignString(0, names[i]);
        t->AssignLong(1, (i * 7) % 5);
        t->Append();
    }
    t->SelectTag(t->FindTag("NAME"));
    // A shorter key finds the first key that begins with it; equal keys come in record order.
    ASSERT_EQ(t->Seek("Bak"), kPosOk);
    EXPECT_EQ(t->RecNo(), 2u);
    ASSERT_EQ(t->Seek("Baker     "), kPosOk);
    std::vector<uint32_t> bakers{t->RecNo()};
    while (t->SeekNext("Baker     ") == kPosOk)
        bakers.push_back(t->RecNo());
    EXPECT_EQ(bakers, (std::vector<uint32_t>{2, 3, 6}));
    // No match: positioned on the next key, result says so; past the end: eof.
    EXPECT_EQ(t->Seek("Bz"), kPosAfter);
    EXPECT_EQ(t->RecNo(), 5u);
    EXPECT_EQ(t->Seek("Zz"), kPosEof);
    EXPECT_TRUE(t->Eof());

    t->SelectTag(t->FindTag("NUM")); // values 0 2 4 1 3 0
    ASSERT_EQ(t->SeekDouble(0), kPosOk);
    EXPECT_EQ(t->RecNo(), 1u);
    EXPECT_EQ(t->SeekNextDouble(0), kPosOk);
    EXPECT_EQ(t->RecNo(), 6u);
    EXPECT_NE(t->SeekNextDouble(0), kPosOk);
    ASSERT_EQ(t->Seek("3"), kPosOk) << "text seeks on numeric tags read the text as a number";
    EXPECT_EQ(t->RecNo(), 5u);

    t->SelectTag(t->FindTag("NUMD"));
    ASSERT_EQ(t->SeekDouble(0), kPosOk);
    EXPECT_EQ(t->RecNo(), 6u) << "descending order walks equal keys backwards";
    EXPECT_EQ(t->Skip(1), kPosOk);
    EXPECT_EQ(t->RecNo(), 1u);
    EXPECT_EQ(t->Skip(1), kPosEof);
    ASSERT_EQ(t->Top(), kPosOk);
    EXPECT_EQ(t->RecNo(), 3u); // the largest key, 4
    EXPECT_EQ(t->Skip(-1), kPosBof);
}

TEST_F(TableModel, ChangingTheKeyOfTheCurrentRecordRepositionsTheWalk) {
    auto t = Table::Create(dir.File("walk.dbf"), {{"N", 'I'}}, CreateOptions{}, {{"N", "N"}});
    for (int v : {10, 20, 30, 40}) {
        t->AppendStart();
        t->AssignLong(0, v);
        t->Append();
    }
    t->SelectTag(t->FindTag("N"));
    ASSERT_EQ(t->SeekDouble(20), kPosOk);
    t->AssignLong(0, 35); // now between 30 and 40
    ASSERT_EQ(t->Skip(1), kPosOk);
    EXPECT_EQ(t->GetLong(0), 40);
    ASSERT_EQ(t->Skip(-2), kPosOk);
    EXPECT_EQ(t->GetLong(0), 30);
}

TEST_F(TableModel, ClonesShareFilesAndSeeEachOthersWrites) {
    auto t = Table::Create(dir.File("clone.dbf"), {{"N", 'I'}, {"S", 'C', 4}}, CreateOptions{},
                           {{"N", "N"}});
    t->AppendStart();
    t->AssignLong(0, 5);
    t->Append();
    auto c = t->Clone();
    c->SelectTag(c->FindTag("N"));
    ASSERT_EQ(c->SeekDouble(5), kPosOk);
    c->AssignLong(0, 6);
    ASSERT_EQ(t->Go(1), kPosOk);
    EXPECT_EQ(t->GetLong(0), 6);
    t->SelectTag(t->FindTag("N"));
    EXPECT_EQ(t->SeekDouble(6), kPosOk);
    EXPECT_NE(t->SeekDouble(5), kPosOk);
}

} // namespace
