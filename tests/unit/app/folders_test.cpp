#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/folders.h"
#include "app/startup.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"

using namespace hk;
namespace fs = std::filesystem;
using hk::test::FakeUserInterface;
using hk::test::ReadBytes;
using hk::test::TempDir;

TEST(Folders, OldLogFolderMovesIntoTheDataFolder) {
    TempDir docs;
    docs.Write("Hearthkit Logs/20200101-101010.log", "old log");
    docs.Write("Hearthkit Logs/sub/x.txt", "x");
    FakeUserInterface ui;
    UserFolders f = SetUpUserFolders(docs.Folder(), "", ui);
    EXPECT_EQ(f.dataFolder, docs.Folder() + "Hearthkit/");
    EXPECT_EQ(f.logFolder, docs.Folder() + "Hearthkit/Logs/");
    EXPECT_EQ(f.rulesFolder, docs.Folder() + "Hearthkit/Rules/");
    EXPECT_EQ(ReadBytes(f.logFolder + "20200101-101010.log"), "old log");
    EXPECT_EQ(ReadBytes(f.logFolder + "sub/x.txt"), "x");
    EXPECT_FALSE(fs::exists(docs.Path() / "Hearthkit Logs"));
    EXPECT_TRUE(fs::is_directory(f.rulesFolder));
    EXPECT_TRUE(ui.events.empty());

    // With both folders present the old one is left where it is.
    TempDir both;
    both.Write("Hearthkit Logs/a.log", "a");
    both.Write("Hearthkit/Logs/b.log", "b");
    SetUpUserFolders(both.Folder(), "", ui);
    EXPECT_TRUE(fs::exists(both.Path() / "Hearthkit Logs/a.log"));
    EXPECT_FALSE(fs::exists(both.Path() / "Hearthkit/Logs/a.log"));
    EXPECT_TRUE(ui.events.empty());
}

TEST(Folders, RulesAreSeededFromTheProgramFolderOnce) {
    TempDir docs, program;
    program.Write("Rules/names.rul", "rule v1");
    FakeUserInterface ui;
    UserFolders f = SetUpUserFolders(docs.Folder(), program.Folder(), ui);
    EXPECT_EQ(ReadBytes(f.rulesFolder + "names.rul"), "rule v1");
    // The user's own rules folder is never overwritten again.
    program.Write("Rules/names.rul", "rule v2");
    docs.Write("Hearthkit/Rules/mine.rul", "mine");
    SetUpUserFolders(docs.Folder(), program.Folder(), ui);
    EXPECT_EQ(ReadBytes(f.rulesFolder + "names.rul"), "rule v1");
    EXPECT_TRUE(ui.events.empty());
    EXPECT_FALSE(EnsureFolder(f.rulesFolder));
    EXPECT_TRUE(EnsureFolder(f.rulesFolder + "new/deep/"));
}

TEST(Folders, FailuresAreReportedAndStartupGoesOn) {
    TempDir docs;
    docs.Write("Hearthkit", "a file where the data folder should be");
    FakeUserInterface ui;
    SetUpUserFolders(docs.Folder(), "", ui);
    auto messages = ui.Of("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Error creating or moving log folder:\r\n", 0), 0u);
    EXPECT_GT(messages[0].text.size(), 40u); // the description follows
    EXPECT_EQ(messages[1].text.rfind("Error creating Rules folder:\r\n", 0), 0u);
}

TEST(Folders, DocumentsFolderFromXdgUserDirHasNoLineEnd) {
    // A stand-in `xdg-user-dir` that answers as the real one does: the path and a newline.
    TempDir bin, docs;
    std::string script =
        bin.Write("xdg-user-dir", "#!/bin/sh\nprintf '%s\\n' '" + docs.Folder() + "My Docs'\n");
    fs::permissions(script, fs::perms::owner_all);
    const char* oldPath = std::getenv("PATH");
    std::string savedPath = oldPath != nullptr ? oldPath : "";
    const char* oldDocs = std::getenv("XDG_DOCUMENTS_DIR");
    std::optional<std::string> savedDocs;
    if (oldDocs != nullptr)
        savedDocs = oldDocs;
    setenv("PATH", (bin.Folder() + ":" + savedPath).c_str(), 1);
    std::string found = DocumentsFolder();
    setenv("XDG_DOCUMENTS_DIR", " /from/env\n", 1);
    setenv("PATH", bin.Folder().c_str(), 1); // still answers
    std::string again = DocumentsFolder();
    setenv("PATH", "/nonexistent", 1); // no tool: the variable, trimmed
    std::string fromEnv = DocumentsFolder();
    setenv("PATH", savedPath.c_str(), 1);
    if (savedDocs)
        setenv("XDG_DOCUMENTS_DIR", savedDocs->c_str(), 1);
    else
        unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(found, docs.Folder() + "My Docs/");
    EXPECT_EQ(again, found);
    EXPECT_EQ(fromEnv, "/from/env/");
}

TEST(Folders, ProgramFolderIsFoundBesideTheExecutable) {
    TempDir tree;
    tree.Write("data/hearthkit.ini", "[Advanced]\n");
    tree.Write("build/src/cli/hearthkit-cli", "");
    tree.Write("prefix/share/hearthkit/hearthkit.ini", "");
    tree.Write("prefix/bin/hearthkit", "");
    EXPECT_EQ(FindProgramFolderFor(tree.File("build/src/cli/hearthkit-cli")),
              tree.Folder() + "data/");
    EXPECT_EQ(FindProgramFolderFor(tree.File("prefix/bin/hearthkit")),
              tree.Folder() + "prefix/share/hearthkit/");
    EXPECT_EQ(FindProgramFolderFor("/nonexistent/dir/exe"), "");
    EXPECT_EQ(FindProgramFolder("/opt/hk/data"), "/opt/hk/data/");
    // The message names every folder looked in, nearest first.
    std::vector<std::string> looked = ProgramFolderCandidatesFor("/a/b/bin/hearthkit-cli");
    ASSERT_GE(looked.size(), 4u);
    EXPECT_EQ(looked[0], "/a/b/bin/data/");
    EXPECT_EQ(looked[3], "/a/b/share/hearthkit/");
    std::string text = ProgramFolderNotFoundText(looked);
    EXPECT_NE(text.find("was not found"), std::string::npos);
    EXPECT_NE(text.find("\n  /a/b/share/hearthkit/\n"), std::string::npos);

    // HEARTHKIT_DATA wins, but only when it holds hearthkit.ini.
    setenv("HEARTHKIT_DATA", (tree.Folder() + "prefix/share/hearthkit\n").c_str(), 1);
    std::string fromEnv = FindProgramFolder();
    std::vector<std::string> envLooked = ProgramFolderCandidates();
    setenv("HEARTHKIT_DATA", tree.Folder().c_str(), 1);
    std::string wrongEnv = FindProgramFolder();
    unsetenv("HEARTHKIT_DATA");
    EXPECT_EQ(fromEnv, tree.Folder() + "prefix/share/hearthkit/");
    EXPECT_EQ(envLooked, std::vector<std::string>{fromEnv});
    EXPECT_EQ(wrongEnv, "");
}

TEST(Folders, StartupStopsWhenRegularExpressionsFail) {
    TempDir docs, program;
    program.Write("hearthkit.ini", "[Advanced]\nBeta for Version=0\n"
                                   "[LanguageChoices]\nLanguage1=Fran\xE7"
                                   "ais\nLanguage2=German\n");
    MemorySettingsStore store;
    CRecentFiles recent(store);
    recent.SelectFile("/gone/a__.pjc");
    recent.SelectFile(docs.Write("b__.pjc", ""));

    FakeUserInterface ui;
    int listsLoaded = 0;
    StartupOptions options;
    options.programFolder = program.Folder();
    options.documentsFolder = docs.Folder();
    options.regexSelfTest = [] { throw std::runtime_error("FirstIndex>1000"); };
    options.loadExceptionLists = [&] { ++listsLoaded; };
    StartupResult r = RunStartup(options, ui, recent);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(ui.events.size(), 2u);
    EXPECT_EQ(ui.events[0].kind, "document");
    EXPECT_EQ(ui.events[0].text, program.Folder() + "help/windowsscript.htm");
    EXPECT_EQ(ui.events[1].title, "Windows Script Error");
    EXPECT_EQ(ui.events[1].text.rfind("The Windows Script subsystem is not working properly. A "
                                      "browser window will open when you click OK.",
                                      0),
              0u);
    EXPECT_FALSE(fs::exists(docs.Path() / "Hearthkit")); // stopped before the folders
    EXPECT_EQ(listsLoaded, 0);

    // A working engine: folders made, vanished projects dropped, languages upper-cased.
    FakeUserInterface ok;
    options.regexSelfTest = [] {};
    r = RunStartup(options, ok, recent);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(listsLoaded, 1);
    EXPECT_TRUE(r.program.betaFlag); // any non-empty text, even "0"
    EXPECT_EQ(r.languageChoices, "FRAN\xC3\x87"
                                 "AIS||GERMAN");
    EXPECT_TRUE(fs::is_directory(r.folders.logFolder));
    ASSERT_EQ(recent.Count(), 1);
    EXPECT_EQ(recent.Item(1).fullPath, docs.Folder() + "b__.pjc");
    EXPECT_TRUE(ok.events.empty());
}
