#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/temp_dir.h"
#include "tmgdb/tmg_schema.h"
#include "xbase/table.h"

namespace fs = std::filesystem;
using namespace hk;

namespace {

std::set<std::string> Suffixes(TmgLayout layout) {
    std::set<std::string> out;
    for (const auto& t : TmgTables(layout))
        out.insert(t.suffix);
    return out;
}

} // namespace

TEST(TmgSchema, CurrentLayoutHasTmgsTablesMemosAndWidths) {
    std::set<std::string> expected = {"$",   "A",   "B", "C", "D",  "DNA", "E",   "F", "G", "I",
                                      "K",   "L",   "M", "N", "ND", "NPT", "NPV", "O", "P", "PD",
                                      "PPT", "PPV", "R", "S", "ST", "T",   "U",   "W", "XD"};
    EXPECT_EQ(Suffixes(TmgLayout::Current), expected);

    // TMG's tables with memo fields, and so with a memo file.
    std::set<std::string> memo = {"A", "C", "D",  "DNA", "E",  "F", "G", "I",  "L",
                                  "M", "N", "ND", "P",   "PD", "R", "S", "ST", "T"};
    for (const auto& t : TmgTables(TmgLayout::Current))
        EXPECT_EQ(t.HasMemo(), memo.count(t.suffix) == 1) << t.suffix;

    auto field = [](const char* table, const char* name) {
        const TmgTableLayout* t = FindTmgTable(TmgLayout::Current, table);
        EXPECT_NE(t, nullptr) << table;
        const db::FieldSpec* f = t ? t->Field(name) : nullptr;
        EXPECT_NE(f, nullptr) << table << "." << name;
        return f ? *f : db::FieldSpec{};
    };
    EXPECT_EQ(field("E", "ROLE").length, 5);
    EXPECT_EQ(field("L", "EXPENSES").type, 'N');
    EXPECT_EQ(field("L", "EXPENSES").length, 14);
    EXPECT_EQ(field("L", "EXPENSES").decimals, 2);
    EXPECT_EQ(field("I", "OLE_OBJECT").type, 'G');
    EXPECT_EQ(field("D", "DSLOCATION").length, 253);
    EXPECT_EQ(field("N", "SRNAMESORT").length, 70);
    EXPECT_EQ(field("$", "PBIRTH").length, 30);
    EXPECT_EQ(field("$", "PER_NO").type, 'I');
    // A table holds a field name once, even where TMG's document lists it twice.
    for (const auto& t : TmgTables(TmgLayout::Current)) {
        std::set<std::string> names;
        for (const auto& f : t.fields)
            EXPECT_TRUE(names.insert(f.name).second) << t.suffix << "." << f.name;
    }

    EXPECT_EQ(FindTmgTable(TmgLayout::Current, "npv"), FindTmgTable(TmgLayout::Current, "NPV"));
    EXPECT_EQ(FindTmgTable(TmgLayout::Current, "Q"), nullptr);
    EXPECT_EQ(TmgTableDescription("$"), "Person File");
    EXPECT_EQ(TmgTableDescription("xd"), "Duplicates");
    EXPECT_EQ(TmgTableDescription("DNA"), "");
    EXPECT_EQ(TmgTableFileName("Family_", "$"), "Family_$.dbf");
    EXPECT_EQ(TmgTableFileName("Family_", "NPV"), "Family_npv.dbf");
}

TEST(TmgSchema, OldLayoutKeepsPackedNamesAndPlacesAndNumericKeys) {
    std::set<std::string> expected = {"$", "A", "E", "F", "G", "I", "K", "L",
                                      "M", "N", "P", "R", "S", "T", "U", "W"};
    EXPECT_EQ(Suffixes(TmgLayout::Old), expected);
    const TmgTableLayout* n = FindTmgTable(TmgLayout::Old, "N");
    ASSERT_NE(n, nullptr);
    ASSERT_NE(n->Field("NAME"), nullptr);
    EXPECT_EQ(n->Field("NAME")->type, 'M');
    EXPECT_EQ(n->Field("DSID"), nullptr);
    EXPECT_EQ(n->Field("SRNAMESORT"), nullptr);
    ASSERT_NE(FindTmgTable(TmgLayout::Old, "P")->Field("PLACE"), nullptr);
    const db::FieldSpec* perNo = FindTmgTable(TmgLayout::Old, "$")->Field("PER_NO");
    EXPECT_EQ(perNo->type, 'N');
    EXPECT_EQ(perNo->length, 10);
    EXPECT_EQ(FindTmgTable(TmgLayout::Old, "T")->Field("ETYPENAME")->length, 10);
    EXPECT_EQ(TmgCreateOptions(TmgLayout::Old).flavor, db::DbfFlavor::Fox2);
    EXPECT_EQ(TmgCreateOptions(TmgLayout::Current).flavor, db::DbfFlavor::Vfp);
}

TEST(TmgSchema, EveryTagBuildsOnItsOwnTable) {
    hk::test::TempDir temp;
    const fs::path& dir = temp.Path();
    for (TmgLayout layout : {TmgLayout::Current, TmgLayout::Old}) {
        for (const auto& t : TmgTables(layout)) {
            TmgTableLayout l = t.suffix == "$" ? WithPersonFlags(t, 3) : t;
            std::string path =
                (dir / TmgTableFileName(layout == TmgLayout::Old ? "old_" : "cur_", t.suffix))
                    .string();
            std::unique_ptr<db::Table> table;
            ASSERT_NO_THROW(table =
                                db::Table::Create(path, l.fields, TmgCreateOptions(layout), l.tags))
                << path;
            ASSERT_EQ(table->Tags().size(), t.tags.size()) << path;
            for (const auto& tagDef : t.tags) {
                db::Tag* tag = table->FindTag(tagDef.name);
                ASSERT_NE(tag, nullptr) << path << " " << tagDef.name;
                EXPECT_TRUE(tag->Unusable().empty()) << path << " " << tagDef.name;
                EXPECT_EQ(tag->Info().forExpr, ".NOT. DELETED()");
            }
            if (t.suffix == "$") {
                EXPECT_EQ(table->FieldAt(table->FieldCount() - 1).name, "FLAG3");
                EXPECT_NE(table->FindTag(layout == TmgLayout::Old ? "PERBYNO" : "PER_NO"), nullptr);
            }
        }
    }
}
