// The window's flag filter is kept per project, so a later start (or the command line) uses
// the same filter.
#include <gtest/gtest.h>

#include "run/flag_filter_settings.h"
#include "run/option_persistence.h"
#include "support/memory_settings_store.h"

using namespace hk;

TEST(FlagFilterSettings, KeptPerProject) {
    MemorySettingsStore store;
    Settings settings(store);
    CTMGFlagFilter filter;
    filter.SetFilter("FLAG2", false, "NY");
    SaveFlagFilter(settings, ProjectFileKey("Family_"), filter);
    EXPECT_EQ(
        store.QueryValue(std::string(kSettingsRoot) + "\\File Preferences\\Family_\\FlagFilter",
                         "Include"),
        SettingValue::Dword(0));

    CTMGFlagFilter back = RestoreFlagFilter(settings, ProjectFileKey("Family_"));
    EXPECT_EQ(back.FlagField(), "FLAG2");
    EXPECT_FALSE(back.IncludeValues());
    EXPECT_EQ(back.FlagValues(), "NY");
    // The pass table is rebuilt, not just the three settings.
    EXPECT_FALSE(back.Passes("N"));
    EXPECT_TRUE(back.Passes("?"));

    CTMGFlagFilter other = RestoreFlagFilter(settings, ProjectFileKey("Other_"));
    EXPECT_FALSE(other.Active());
    EXPECT_TRUE(other.IncludeValues());
}
