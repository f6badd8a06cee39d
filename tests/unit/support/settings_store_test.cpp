#include <gtest/gtest.h>

#include "support/memory_settings_store.h"
#include "support/settings_store.h"

using namespace hk;

TEST(SettingsStore, RegistryKeyRules) {
    MemorySettingsStore store;
    store.SaveValue("Software\\Ravelstone\\Hearthkit\\File List", "File 1",
                    SettingValue::String("/p/a__.pjc"));
    // Names match without regard to case (accented letters included) and keep their first case.
    EXPECT_EQ(store.QueryValue("software\\RAVELSTONE\\hearthkit\\file list", "FILE 1")->data,
              "/p/a__.pjc");
    store.SaveValue("SOFTWARE\\Ravelstone\\Hearthkit\\File List", "file 1", SettingValue::Dword(7));
    EXPECT_EQ(store.ValueNames("Software\\Ravelstone\\Hearthkit\\File List"),
              std::vector<std::string>{"File 1"});
    EXPECT_EQ(*store.QueryValue("Software\\Ravelstone\\Hearthkit\\File List", "File 1"),
              SettingValue::Dword(7));
    store.SaveValue("R\\\xC3\x89t\xC3\xA9", "V", SettingValue::Binary(std::string("\0\1", 2)));
    EXPECT_EQ(store.QueryValue("R\\\xC3\xA9T\xC3\x89", "v")->data, std::string("\0\1", 2));
    // Doubled and trailing separators name the same key.
    EXPECT_TRUE(store.KeyExists("\\Software\\\\Ravelstone\\Hearthkit\\"));

    // Sub-keys enumerate in name order.
    store.SaveValue("K\\b", "z", SettingValue::Dword(1));
    store.SaveValue("K\\A", "y", SettingValue::Dword(1));
    EXPECT_EQ(store.SubkeyNames("K"), (std::vector<std::string>{"A", "b"}));

    // Deleting a key takes its sub-keys with it and leaves its siblings.
    EXPECT_TRUE(store.DeleteKey("k\\B"));
    EXPECT_FALSE(store.KeyExists("K\\b"));
    EXPECT_TRUE(store.KeyExists("K\\A"));
    EXPECT_TRUE(store.DeleteKey("K"));
    EXPECT_FALSE(store.QueryValue("K\\A", "y").has_value());
    EXPECT_FALSE(store.DeleteKey("K"));
    EXPECT_TRUE(store.DeleteValue("R\\\xC3\x89t\xC3\xA9", "V"));
    EXPECT_FALSE(store.DeleteValue("R\\\xC3\x89t\xC3\xA9", "V"));
}

TEST(SettingsStore, ReadersSplitValueNamesAndFlagMissing) {
    MemorySettingsStore store;
    Settings s(store);
    const std::string root(kSettingsRoot);

    // "Window\Left" under "Windows\Main" lives in the key "...\Windows\Main\Window".
    s.SaveSettingLong(root, "Windows\\Main", "Window\\Left", 120);
    EXPECT_EQ(*store.QueryValue(root + "\\Windows\\Main\\Window", "Left"),
              SettingValue::Dword(120));
    EXPECT_FALSE(store.QueryValue(root + "\\Windows\\Main", "Window\\Left").has_value());
    EXPECT_EQ(s.GetSettingLong(root, "Windows\\Main", "Window\\Left", 0), 120);
    EXPECT_FALSE(s.SettingMissing());
    // Only the last backslash separates the value name.
    s.SaveSettingString(root, "", "Area Editor\\Window\\Top", "7");
    EXPECT_EQ(store.QueryValue(root + "\\Area Editor\\Window", "Top"), SettingValue::String("7"));
    EXPECT_EQ(s.GetSettingLong(root, "Area Editor", "Window\\Top", 0), 7);

    // Missing values give the default and raise the flag; the next found value lowers it.
    EXPECT_EQ(s.GetSettingString(root, "Windows\\Main", "Window\\Nope", "dflt"), "dflt");
    EXPECT_TRUE(s.SettingMissing());
    EXPECT_EQ(s.GetSettingString(root, "Windows\\Main", "Window\\Left", "x"), "120");
    EXPECT_FALSE(s.SettingMissing());
    EXPECT_EQ(s.GetSettingLong(root, "No\\Such\\Key", "V", -5), -5);
    EXPECT_TRUE(s.SettingMissing());

    // Long form: numeric strings convert; other strings and binary count as missing.
    s.SaveSettingString(root, "T", "num", " 17 ");
    s.SaveSettingString(root, "T", "word", "seventeen");
    s.SaveSettingString(root, "T", "empty", "");
    store.SaveValue(root + "\\T", "bin", SettingValue::Binary("\x01"));
    EXPECT_EQ(s.GetSettingLong(root, "T", "num", 0), 17);
    EXPECT_FALSE(s.SettingMissing());
    for (const char* name : {"word", "empty", "bin"}) {
        EXPECT_EQ(s.GetSettingLong(root, "T", name, 3), 3) << name;
        EXPECT_TRUE(s.SettingMissing()) << name;
    }
    // An empty string is a value: it is found, not missing.
    EXPECT_EQ(s.GetSettingString(root, "T", "empty", "d"), "");
    EXPECT_FALSE(s.SettingMissing());

    // Negative Longs survive the round trip through an unsigned DWORD.
    s.SaveSettingLong(root, "T", "neg", -1);
    EXPECT_EQ(store.QueryValue(root + "\\T", "neg")->dword, 0xFFFFFFFFu);
    EXPECT_EQ(s.GetSettingLong(root, "T", "neg", 0), -1);
    EXPECT_EQ(s.GetSettingString(root, "T", "neg", ""), "-1");
}

TEST(SettingsStore, AnyRootFallsBackToTheMachineHive) {
    MemorySettingsStore user, machine;
    machine.SaveValue("Software\\Vendor\\App", "InstallPath", SettingValue::String("/opt/app"));
    machine.SaveValue("Software\\Vendor\\App", "Both", SettingValue::String("machine"));
    user.SaveValue("Software\\Vendor\\App", "Both", SettingValue::String("user"));
    Settings s(user, &machine);
    EXPECT_EQ(s.GetSettingStringAnyRoot("Software\\Vendor", "App", "InstallPath", ""), "/opt/app");
    EXPECT_FALSE(s.SettingMissing());
    EXPECT_EQ(s.GetSettingStringAnyRoot("Software\\Vendor", "App", "Both", ""), "user");
    EXPECT_EQ(s.GetSettingStringAnyRoot("Software\\Vendor", "App", "None", "d"), "d");
    EXPECT_TRUE(s.SettingMissing());
    // The plain reader never looks at the machine hive.
    EXPECT_EQ(s.GetSettingString("Software\\Vendor", "App", "InstallPath", "d"), "d");
    Settings userOnly(user);
    EXPECT_EQ(userOnly.GetSettingStringAnyRoot("Software\\Vendor", "App", "InstallPath", "d"), "d");
}
