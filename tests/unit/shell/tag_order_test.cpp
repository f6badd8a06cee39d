// The tag order of Set Sort Dates as a project opens with it, and as it is kept.
#include <gtest/gtest.h>

#include "shell/option_persistence.h"
#include "shell/tag_order.h"
#include "support/memory_settings_store.h"

using namespace hk;

namespace {

const std::string kKey = std::string(kSettingsRoot) + "\\File Preferences\\Family_";

std::vector<TagTypeChoice> Types() {
    return {{2, "Birth", 4},         {3, "Death", 5},        {4, "Marriage", 6},
            {37, "Name-Var", 1},     {79, "Father-Bio", 2},  {85, "Mother-Bio", 3},
            {95, "Parent-Bio", 12},  {66, "Occupation", 99}, {100, "Zebra", 99},
            {101, "Apprentice", 99}, {102, "  ", 99},        {6, "Burial", 9}};
}

std::string Order(const std::vector<ListItem>& items) {
    std::string out;
    for (const auto& i : items)
        out += (out.empty() ? "" : ",") + i.text + (i.selected ? "+" : "-");
    return out;
}

} // namespace

TEST(TagOrder, StoredEntriesThenDefaultsThenTheRestByName) {
    std::vector<ListItem> stored = {{"Death", false, 0},
                                    {" occupation ", true, 0}, // matched trimmed, any case
                                    {"Retired", true, 0},      // no such tag type any more
                                    {"Death", true, 0}};       // listed once
    auto order = BuildTagOrder(stored, Types());
    EXPECT_EQ(Order(order), "Death-,Occupation+,"
                            "Name-Var+,Birth+,Marriage+,Burial+," // defaults in their order
                            "Apprentice+,Zebra+");                // the rest; no parent groups
    EXPECT_EQ(order[1].data, 66);
    EXPECT_EQ(order[3].data, 2);

    // A first open: the defaults the project has, then the rest.
    EXPECT_EQ(Order(BuildTagOrder({}, Types())),
              "Name-Var+,Birth+,Occupation+,Marriage+,Death+,Burial+,Apprentice+,Zebra+");
}

TEST(TagOrder, KeptInTheListFormatAndReadInBothForms) {
    MemorySettingsStore store;
    std::vector<ListItem> items = {{"Birth", true, 2}, {"Death", false, 3}};
    SaveTagOrder(store, kKey, items);
    EXPECT_EQ(store.QueryValue(kKey + "\\Tags", "Count")->dword, 2u);
    EXPECT_EQ(store.QueryValue(kKey + "\\Tags", "001")->data, "Death|0|3");
    EXPECT_EQ(ReadStoredTagOrder(store, kKey), items);

    // The older form: the check mark first, then the name; a missing entry is skipped.
    store.DeleteKey(kKey + "\\Tags");
    store.SaveValue(kKey + "\\Tags", "Count", SettingValue::String("3"));
    store.SaveValue(kKey + "\\Tags", "000", SettingValue::String("1Marriage"));
    store.SaveValue(kKey + "\\Tags", "002", SettingValue::String("0Birth"));
    EXPECT_EQ(Order(ReadStoredTagOrder(store, kKey)), "Marriage+,Birth-");

    // Saving a shorter list leaves nothing of the longer one behind.
    SaveTagOrder(store, kKey, {{"Burial", true, 6}});
    EXPECT_EQ(store.ValueNames(kKey + "\\Tags").size(), 2u);
    EXPECT_TRUE(ReadStoredTagOrder(store, kKey + "\\Elsewhere").empty());
}
