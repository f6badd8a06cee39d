#include <gtest/gtest.h>

#include <set>

#include "app/recent_files.h"
#include "support/error.h"
#include "support/memory_settings_store.h"

using namespace hk;

namespace {

const std::string kFileList = std::string(kSettingsRoot) + "\\File List";

std::string Project(int i) {
    return "/home/ann/TMG/p" + std::to_string(i) + "__.pjc";
}

std::vector<std::string> Paths(const CRecentFiles& r) {
    std::vector<std::string> out;
    for (int i = 1; i <= r.Count(); ++i)
        out.push_back(r.Item(i).fullPath);
    return out;
}

// Expects `call` to raise the program's error with this source and description.
template <typename F> void ExpectError(F call, const std::string& source, const std::string& text) {
    try {
        call();
        ADD_FAILURE() << "no error for " << source;
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), -1);
        EXPECT_EQ(e.Source(), source);
        EXPECT_EQ(e.Description(), text);
    }
}

} // namespace

TEST(RecentFiles, TenthProjectDropsTheOldestAndListPersists) {
    MemorySettingsStore store;
    CRecentFiles recent(store);
    for (int i = 1; i <= 10; ++i)
        recent.SelectFile(Project(i));
    ASSERT_EQ(recent.Count(), 9);
    EXPECT_EQ(recent.Item(1).fullPath, Project(10));
    EXPECT_EQ(recent.Item(9).fullPath, Project(2)); // p1 dropped
    EXPECT_EQ(recent.LastFolder(), "/home/ann/TMG/");
    EXPECT_EQ(store.QueryValue(kFileList, "File 1")->data, Project(10));
    EXPECT_EQ(store.QueryValue(kFileList, "File 9")->data, Project(2));
    EXPECT_FALSE(store.QueryValue(kFileList, "File 10"));

    // Selecting a listed project moves it to the top without a duplicate.
    recent.SelectFile(Project(5));
    EXPECT_EQ(Paths(recent),
              (std::vector<std::string>{Project(5), Project(10), Project(9), Project(8), Project(7),
                                        Project(6), Project(4), Project(3), Project(2)}));

    // Removing rewrites the list from "File 1" with no stale last value.
    recent.RemoveEntry(1);
    EXPECT_EQ(store.ValueNames(kFileList).size(), 8u);
    EXPECT_EQ(store.QueryValue(kFileList, "File 1")->data, Project(10));
    EXPECT_FALSE(store.QueryValue(kFileList, "File 9"));

    CRecentFiles reloaded(store);
    reloaded.LoadFromKey();
    EXPECT_EQ(Paths(reloaded), Paths(recent));
}

TEST(RecentFiles, LoadSkipsEmptyValuesAndDuplicatesAndDropsVanishedFiles) {
    MemorySettingsStore store;
    store.SaveValue(kFileList, "File 1", SettingValue::String(Project(1)));
    store.SaveValue(kFileList, "File 2", SettingValue::String("\r\n"));
    store.SaveValue(kFileList, "File 3", SettingValue::String(Project(3)));
    store.SaveValue(kFileList, "File 4", SettingValue::String(Project(4)));
    store.SaveValue(kFileList, "File 5", SettingValue::String(Project(5) + "\n"));
    store.SaveValue(kFileList, "File 6", SettingValue::String(Project(3) + "\r\n"));
    CRecentFiles recent(store);
    recent.LoadFromKey();
    // Line ends dropped; a project listed twice (a hand-edited file) shows once.
    EXPECT_EQ(Paths(recent),
              (std::vector<std::string>{Project(1), Project(3), Project(4), Project(5)}));

    std::set<std::string> present = {Project(1), Project(5)};
    std::vector<std::string> asked;
    recent.RemoveMissing([&](const std::string& p) {
        asked.push_back(p);
        return present.count(p) > 0;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{Project(5), Project(4), Project(3), Project(1)}));
    EXPECT_EQ(Paths(recent), (std::vector<std::string>{Project(1), Project(5)}));
    EXPECT_EQ(store.QueryValue(kFileList, "File 2")->data, Project(5));
    EXPECT_EQ(store.ValueNames(kFileList).size(), 2u);
}

TEST(RecentFiles, InvalidUsesRaiseTheirErrors) {
    MemorySettingsStore store;
    CRecentFiles recent(store);
    recent.SelectFile(Project(1));
    ExpectError([&] { recent.SelectFile("   "); }, "CRecentFiles::SelectFile",
                "The path is invalid.");
    ExpectError([&] { recent.RemoveEntry(2); }, "CRecentFiles::RemoveEntry",
                "Collection item index is invalid");
    ExpectError([&] { recent.Item(0); }, "CRecentFiles::Item", "Collection item index is invalid");
    ExpectError([&] { recent.ShortHand(2); }, "CRecentFiles::ShortHand",
                "Invalid item index parameter.");
    ExpectError([&] { recent.SetMaxEntries(0); }, "CRecentFiles::LetMaxEntries",
                "Must be positive integer.");
    EXPECT_EQ(Paths(recent), std::vector<std::string>{Project(1)}); // nothing changed
}

TEST(RecentFiles, ShortHandReplacesLeadingFolders) {
    const std::string longPath =
        "/home/ann/Documents/Genealogy/TMG Projects/Smith Family/smith__.pjc";
    ASSERT_GT(longPath.size(), 60u);
    std::string shortened = ShortenPath(longPath, 60);
    EXPECT_EQ(shortened, "/.../Genealogy/TMG Projects/Smith Family/smith__.pjc");
    EXPECT_LE(shortened.size(), 60u);
    EXPECT_EQ(ShortenPath(longPath, 40), "/.../Smith Family/smith__.pjc");
    EXPECT_EQ(ShortenPath("C:\\Users\\Ann\\Documents\\TMG\\smith__.pjc", 30),
              "C:\\...\\TMG\\smith__.pjc");
    // Even the file name alone too long: its tail, behind "...".
    EXPECT_EQ(ShortenPath("/x/averyveryverylongname.pjc", 12), "...gname.pjc");

    MemorySettingsStore store;
    CRecentFiles recent(store);
    recent.SelectFile(longPath);
    EXPECT_EQ(recent.Item(1).shortPath, shortened);
    recent.SetMaxLength(40);
    EXPECT_EQ(recent.ShortHand(1), "/.../Smith Family/smith__.pjc");
}
