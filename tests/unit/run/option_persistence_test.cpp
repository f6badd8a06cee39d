#include <gtest/gtest.h>

#include "app/window_placement.h"
#include "run/option_persistence.h"
#include "support/error.h"
#include "support/memory_settings_store.h"

using namespace hk;

namespace {

const std::string kRoot(kSettingsRoot);

OptionDecl Decl(std::string control, OptionKind kind, std::string dataField) {
    OptionDecl d;
    d.control = std::move(control);
    d.kind = kind;
    d.caption = d.control;
    d.dataField = std::move(dataField);
    return d;
}

std::vector<OptionDecl> SetLivingPanel() {
    return {
        Decl("chkSLUseParents", OptionKind::CheckBox, ProjectDataField("SetLiving", "UseParents")),
        Decl("txtSLMaxYear", OptionKind::TextBox, "R:<FILE>\\SetLiving\\MaxYear"),
        Decl("lstDTTags", OptionKind::ListBox, ProjectDataField("DeleteTags", "Tags")),
        Decl("cmbSLFlag", OptionKind::ComboBox, ProjectDataField("SetLiving", "Flag")),
        Decl("chkGlobal", OptionKind::CheckBox, "r:Global\\Option"),
        Decl("chkNotKept", OptionKind::CheckBox, ""),
    };
}

ControlStates DesignTimeValues() {
    ControlStates s;
    s["chkSLUseParents"].value = 1;
    s["txtSLMaxYear"].text = "1900";
    s["lstDTTags"].items = {{"Birth", false, 4}, {"Death|Burial", false, 5}, {"Note", false, 6}};
    s["cmbSLFlag"].listIndex = 2;
    s["chkGlobal"].value = 1;
    s["chkNotKept"].value = 1;
    return s;
}

} // namespace

TEST(OptionPersistence, DataFieldsResolvePerProjectOrGlobal) {
    auto t = ResolveDataField("r:<file>\\SetLiving\\MaxYear", "File Preferences\\smith_");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->subKey, "File Preferences\\smith_\\SetLiving");
    EXPECT_EQ(t->valueName, "MaxYear");
    // Markers are case-blind; only the first "<file>" is replaced.
    t = ResolveDataField("R:<File>\\Export\\<file>", "FP\\p");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->subKey, "FP\\p\\Export");
    EXPECT_EQ(t->valueName, "<file>");
    EXPECT_FALSE(ResolveDataField("r:<file>\\SetLiving\\MaxYear", ""));
    EXPECT_FALSE(ResolveDataField("r:Global\\Option", "FP\\p"));
    EXPECT_TRUE(ResolveDataField("r:Global\\Option", ""));
}

TEST(OptionPersistence, SavedPerProjectInTheStoredFormats) {
    MemorySettingsStore store;
    Settings settings(store);
    auto panel = SetLivingPanel();
    ControlStates values = DesignTimeValues();
    values["chkSLUseParents"].value = 2;
    values["txtSLMaxYear"].text = "1925";
    values["lstDTTags"].items[1].selected = true;
    SaveControls(settings, kRoot, ProjectFileKey("smith_"), panel, values);

    const std::string key = kRoot + "\\File Preferences\\smith_";
    EXPECT_EQ(*store.QueryValue(key + "\\SetLiving", "UseParents"), SettingValue::Dword(2));
    EXPECT_EQ(*store.QueryValue(key + "\\SetLiving", "MaxYear"), SettingValue::String("1925"));
    EXPECT_EQ(*store.QueryValue(key + "\\DeleteTags\\Tags", "Count"), SettingValue::Dword(3));
    EXPECT_EQ(store.QueryValue(key + "\\DeleteTags\\Tags", "000")->data, "Birth|0|4");
    EXPECT_EQ(store.QueryValue(key + "\\DeleteTags\\Tags", "001")->data, "Death Burial|1|5");
    // Combos, unmarked and global controls are not written while a project is open.
    EXPECT_EQ(store.ValueNames(key + "\\SetLiving"),
              (std::vector<std::string>{"UseParents", "MaxYear"}));
    EXPECT_FALSE(store.KeyExists(kRoot + "\\Global"));

    // The same project restores the values; "|" in a stored text no longer matches the item.
    ControlStates restored = DesignTimeValues();
    restored["lstDTTags"].items[0].selected = true;
    restored["lstDTTags"].items.push_back({"Death Burial", false, 0});
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, restored);
    EXPECT_EQ(restored["chkSLUseParents"].value, 2);
    EXPECT_EQ(restored["txtSLMaxYear"].text, "1925");
    EXPECT_EQ(restored["lstDTTags"].items, (std::vector<ListItem>{{"Birth", false, 4},
                                                                  {"Death|Burial", false, 5},
                                                                  {"Note", false, 6},
                                                                  {"Death Burial", true, 5}}));

    // A project never used restores nothing: every control keeps its design-time value.
    ControlStates fresh = DesignTimeValues();
    RestoreControls(settings, kRoot, ProjectFileKey("jones_"), panel, fresh);
    EXPECT_EQ(fresh["chkSLUseParents"].value, 1);
    EXPECT_EQ(fresh["txtSLMaxYear"].text, "1900");

    // A shorter list rewrites the key whole: no stale items survive.
    values["lstDTTags"].items.resize(1);
    SaveControls(settings, kRoot, ProjectFileKey("smith_"), panel, values);
    EXPECT_EQ(store.ValueNames(key + "\\DeleteTags\\Tags"),
              (std::vector<std::string>{"Count", "000"}));
}

TEST(OptionPersistence, RestoreTakesOnlyUsableValues) {
    MemorySettingsStore store;
    Settings settings(store);
    auto panel = SetLivingPanel();
    const std::string key = kRoot + "\\File Preferences\\smith_\\SetLiving";

    // A check box ignores a stored string that is not a number and values it cannot show.
    store.SaveValue(key, "UseParents", SettingValue::String("yes"));
    ControlStates s = DesignTimeValues();
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(s["chkSLUseParents"].value, 1);
    store.SaveValue(key, "UseParents", SettingValue::Dword(7));
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(s["chkSLUseParents"].value, 1);
    store.SaveValue(key, "UseParents", SettingValue::String("0"));
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(s["chkSLUseParents"].value, 0);

    // An empty stored text clears the box; a missing one leaves it alone.
    EXPECT_EQ(s["txtSLMaxYear"].text, "1900");
    store.SaveValue(key, "MaxYear", SettingValue::String(""));
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(s["txtSLMaxYear"].text, "");

    // List values without data, or with a broken count, restore what they can.
    const std::string tags = kRoot + "\\File Preferences\\smith_\\DeleteTags\\Tags";
    store.SaveValue(tags, "Count", SettingValue::Dword(3));
    store.SaveValue(tags, "000", SettingValue::String("Note|1"));
    store.SaveValue(tags, "002", SettingValue::String("Birth|1|x"));
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(
        s["lstDTTags"].items,
        (std::vector<ListItem>{{"Birth", true, 4}, {"Death|Burial", false, 5}, {"Note", true, 6}}));

    // Global controls are restored only at start-up (no file key).
    store.SaveValue(kRoot + "\\Global", "Option", SettingValue::Dword(0));
    RestoreControls(settings, kRoot, ProjectFileKey("smith_"), panel, s);
    EXPECT_EQ(s["chkGlobal"].value, 1);
    RestoreControls(settings, kRoot, "", panel, s);
    EXPECT_EQ(s["chkGlobal"].value, 0);
}

TEST(OptionPersistence, WindowPlacementRoundTrip) {
    MemorySettingsStore store;
    Settings settings(store);
    CSizeAndPosition pos(settings);
    WindowPlacement p{10, 20, 7500, 7500, 0};
    EXPECT_THROW(pos.SavePosition(p), Error); // "Registry Key not set"
    pos.SetRegKey(kRoot + "\\Windows\\Main");
    EXPECT_FALSE(pos.RestorePosition(p)); // nothing stored: unchanged
    EXPECT_EQ(p, (WindowPlacement{10, 20, 7500, 7500, 0}));
    pos.SavePosition({-5, 30, 9000, 6000, 2});
    EXPECT_TRUE(pos.RestorePosition(p));
    EXPECT_EQ(p, (WindowPlacement{-5, 30, 9000, 6000, 2}));
}
