// The tag order of Set Sort Dates: both stored forms, the three filling steps, and the tag
// types of a project in the order of their name tag.
#include <gtest/gtest.h>

#include <algorithm>

#include "loaders/format_tables.h"
#include "run/option_persistence.h"
#include "run/tag_order.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "support/text.h"
#include "tmgdb/ctmgdb.h"

using namespace hk;

namespace {

const std::string kKey = std::string(kSettingsRoot) + "\\File Preferences\\Family_";

TagTypeRow Row(long number, long group, std::string name) {
    TagTypeRow r;
    r.eTypeNum = number;
    r.admin = group;
    r.eTypeName = std::move(name);
    r.dsid = 0;
    return r;
}

CTMGTagTypes Types() {
    std::vector<TagTypeRow> rows = {
        Row(2, kGroupBirth, "Birth"),        Row(3, kGroupDeath, "Death"),
        Row(4, kGroupMarriage, "Marriage"),  Row(37, kGroupName, "Name-Var"),
        Row(79, kGroupFather, "Father-Bio"), Row(85, kGroupMother, "Mother-Bio"),
        Row(95, kGroupParent, "Parent-Bio"), Row(66, kGroupOther, "Occupation"),
        Row(100, kGroupOther, "Zebra"),      Row(101, kGroupOther, "Apprentice"),
        Row(102, kGroupOther, "  "),         Row(6, kGroupBurial, "Burial")};
    CTMGTagTypes types;
    types.LoadTags(rows, 1, nullptr, "");
    return types;
}

// "Name+" for a checked item, "Name-" for one that is not.
std::string Order(const std::vector<ListItem>& items) {
    std::string out;
    for (const auto& i : items)
        out += (out.empty() ? "" : ",") + i.text + (i.selected ? "+" : "-");
    return out;
}

} // namespace

TEST(TagOrder, StoredEntriesThenDefaultsThenTheRestByNameAllAddedChecked) {
    const CTMGTagTypes types = Types();
    // The name tag's order, as the project gives it (parents and unnamed types included).
    const std::vector<long> byName = {101, 2, 6, 3, 79, 4, 85, 37, 66, 95, 100, 102};
    std::vector<StoredTag> stored = {{"Death", false},
                                     {" occupation ", true}, // matched trimmed, any case
                                     {"Retired", true},      // no such tag type any more
                                     {"death", true}};       // listed once, as first kept
    auto order = BuildTagOrder(stored, types, byName);
    EXPECT_EQ(Order(order), "Death-,Occupation+,"
                            "Name-Var+,Birth+,Marriage+,Burial+," // defaults in their order
                            "Apprentice+,Zebra+");                // the rest; no parent groups
    EXPECT_EQ(order[1].data, 66);
    EXPECT_EQ(order[3].data, 2);

    // A first open: the defaults the project has, then the rest in the name tag's order.
    EXPECT_EQ(Order(BuildTagOrder({}, types, byName)),
              "Name-Var+,Birth+,Occupation+,Marriage+,Death+,Burial+,Apprentice+,Zebra+");
    // A tag type the name tag does not list is not added by the last step.
    EXPECT_EQ(Order(BuildTagOrder({{"Zebra", false}}, types, {100, 101})),
              "Zebra-,Name-Var+,Birth+,Occupation+,Marriage+,Death+,Burial+,Apprentice+");

    // The list as the window or the command line hands it back builds the same order.
    EXPECT_EQ(BuildTagOrder(StoredTagsOf(order), types, byName), order);
}

TEST(TagOrder, ReadInBothStoredFormsAndAsTheListBoxKeepsIt) {
    EXPECT_EQ(ParseStoredTag("Birth|1|2"), (StoredTag{"Birth", true}));
    EXPECT_EQ(ParseStoredTag(" Death |0"), (StoredTag{"Death", false}));
    EXPECT_EQ(ParseStoredTag("1Marriage"), (StoredTag{"Marriage", true}));
    EXPECT_EQ(ParseStoredTag("0 Burial"), (StoredTag{"Burial", false}));
    EXPECT_EQ(ParseStoredTag("Note|10"), (StoredTag{"Note", false})); // only "1" checks
    EXPECT_EQ(ParseStoredTag(""), StoredTag{});

    MemorySettingsStore store;
    // The older form with the count as text; an entry that is missing is skipped.
    store.SaveValue(kKey + "\\Tags", "Count", SettingValue::String("3"));
    store.SaveValue(kKey + "\\Tags", "000", SettingValue::String("1Marriage"));
    store.SaveValue(kKey + "\\Tags", "002", SettingValue::String("0Birth"));
    EXPECT_EQ(ReadStoredTagOrder(store, kKey),
              (std::vector<StoredTag>{{"Marriage", true}, {"Birth", false}}));

    // What the option persistence writes for the list is read back in order.
    SaveListBox(store, kKey, kTagOrderSetting, {{"Burial", true, 6}, {"Death", false, 3}});
    EXPECT_EQ(store.QueryValue(kKey + "\\Tags", "001")->data, "Death|0|3");
    EXPECT_EQ(ReadStoredTagOrder(store, kKey),
              (std::vector<StoredTag>{{"Burial", true}, {"Death", false}}));
    EXPECT_TRUE(ReadStoredTagOrder(store, kKey + "\\Elsewhere").empty());
}

TEST(TagOrder, TagTypesByNameAreThoseOfTheDatasetInNameTagOrder) {
    test::TempDir dir;
    test::TestProjectBuilder b(dir.Folder() + "proj", "Family");
    b.Datasets({1, 2});
    mktmg::TagTypeRec own;
    own.number = 3001;
    own.dsid = 2;
    own.name = "aardvark";
    b.Add(own);
    mktmg::TagTypeRec shared = own;
    shared.number = 3002;
    shared.dsid = 0;
    shared.name = "Zz-Shared";
    b.Add(shared);
    b.Write();

    db::CTMGDB db;
    db.OpenProject(b.PjcPath());
    // The numbers of a dataset, with their names upper-cased as the name tag orders them.
    auto byName = [&](long dsid) {
        db.SetDSID(dsid);
        CTMGTagTypes types;
        LoadTagTypes(db, types);
        std::vector<std::pair<long, std::string>> out;
        for (long n : TagTypesByName(db))
            out.push_back({n, Cp1252UpperStr(Utf8ToCp1252(types.NameOf(n)))});
        return out;
    };
    auto has = [](const auto& list, long number) {
        return std::any_of(list.begin(), list.end(), [&](auto& e) { return e.first == number; });
    };
    auto inNameOrder = [](const auto& list) {
        return std::is_sorted(list.begin(), list.end(),
                              [](auto& a, auto& b) { return a.second < b.second; });
    };
    auto first = byName(1);
    auto second = byName(2);
    db.CloseProject();

    ASSERT_GT(first.size(), 20u);
    EXPECT_TRUE(inNameOrder(first));
    EXPECT_TRUE(inNameOrder(second));
    EXPECT_FALSE(has(first, 3001)); // another dataset's own tag type
    EXPECT_TRUE(has(first, 3002));  // dataset 0 belongs to every dataset
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second.front().first, 3001); // "AARDVARK" sorts first
    EXPECT_TRUE(has(second, 3002));
}
