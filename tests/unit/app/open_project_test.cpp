// Opening a project as the window and the command line do: the version check, the dataset
// choice, the locked-dataset question, and what the user is shown when something stops it.
#include <gtest/gtest.h>

#include "app/open_project.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "tmgdb/ctmgdb.h"
#include "xbase/table.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::FakeUserInterface;
using hk::test::TempDir;
using hk::test::TestProjectBuilder;

namespace {

struct OpenFixture {
    TempDir dir;
    db::CTMGDB db;
    FakeUserInterface ui; // a question it has no answer for throws
    OpenProjectSteps steps;
    std::vector<std::string> captions;
    int saves = 0;

    explicit OpenFixture(const std::string& compatibility =
                             "[001.000.000]\r\nTMG-Low=005.000.000\r\nTMG-High=011.999.999\r\n") {
        dir.Write("program/compatibility.ini", compatibility);
        steps.programFolder = dir.Folder() + "program/";
        steps.programVersion = {1, 0, 2};
        steps.setCaption = [this](const std::string& c) { captions.push_back(c); };
        steps.beforeClose = [this] { ++saves; };
    }

    std::string Project(std::vector<int> datasets, TmgLayout layout = TmgLayout::Current) {
        TestProjectBuilder b(dir.Folder() + "proj", "Family", layout);
        b.Datasets(datasets);
        for (int dsid : datasets) {
            b.UseDataset(dsid);
            b.Person('M', "P", "Dataset" + std::to_string(dsid));
        }
        return b.Write();
    }
};

void LockDataset(const std::string& dTable, long dsid) {
    auto t = db::Table::Open(dTable);
    int fDsid = t->FieldIndex("DSID"), fLocked = t->FieldIndex("DSLOCKED");
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (t->GetLong(fDsid) == dsid)
            t->AssignBool(fLocked, true);
}

} // namespace

TEST(OpenProjectFile, OneDatasetOpensWithoutAskingAndSetsTheCaption) {
    OpenFixture s;
    std::string pjc = s.Project({1});
    ASSERT_TRUE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_TRUE(s.db.IsOpen());
    EXPECT_EQ(s.db.DSID(), 1);
    EXPECT_EQ(s.db.DatasetName(), "Dataset 1");
    EXPECT_TRUE(s.ui.events.empty());
    EXPECT_EQ(s.captions,
              (std::vector<std::string>{"Hearthkit - Family", "Hearthkit - Family:1 (Dataset 1)"}));
    EXPECT_EQ(s.saves, 0);

    // Opening again first lets the window save the open project's options.
    ASSERT_TRUE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_EQ(s.saves, 1);
}

TEST(OpenProjectFile, SeveralDatasetsAskAndCancelCloses) {
    OpenFixture s;
    std::string pjc = s.Project({1, 2, 8});
    s.ui.datasets = {8, -1};
    ASSERT_TRUE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_EQ(s.db.DSID(), 8);
    EXPECT_EQ(s.db.DatasetName(), "Dataset 8");
    ASSERT_EQ(s.ui.Of("dataset").size(), 1u);
    EXPECT_EQ(s.ui.Of("dataset")[0].text, "3");
    EXPECT_EQ(s.captions.back(), "Hearthkit - Family:8 (Dataset 8)");

    MemorySettingsStore store;
    CRecentFiles recent(store);
    recent.SetRegKey("");
    s.steps.recentFiles = &recent;
    EXPECT_FALSE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_FALSE(s.db.IsOpen());
    EXPECT_EQ(s.db.TableCount(), 0);
    ASSERT_EQ(recent.Count(), 1);
    EXPECT_EQ(recent.Item(1).fullPath, pjc);
}

TEST(OpenProjectFile, LockedDatasetAsksToGoOn) {
    OpenFixture s;
    std::string pjc = s.Project({1});
    LockDataset(s.dir.Folder() + "proj/Family_d.dbf", 1);
    s.ui.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    EXPECT_FALSE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_FALSE(s.db.IsOpen());
    ASSERT_EQ(s.ui.Of("message").size(), 1u);
    EXPECT_EQ(s.ui.Of("message")[0].title, "Dataset Locked");
    EXPECT_EQ(s.ui.Of("message")[0].text, "The dataset is locked. Click [OK] to continue, or "
                                          "[Cancel] to close the project and dataset.");
    EXPECT_TRUE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
    EXPECT_TRUE(s.db.IsOpen());
    EXPECT_EQ(s.ui.Of("message").size(), 2u);
}

TEST(OpenProjectFile, UnsupportedVersionsAndFailedOpensAreShown) {
    {
        OpenFixture s; // supports 5 to 11.999.999: the old layout's 4.0d is too old
        std::string pjc = s.Project({1}, TmgLayout::Old);
        EXPECT_FALSE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
        EXPECT_FALSE(s.db.IsOpen());
        ASSERT_EQ(s.ui.Of("message").size(), 1u);
        EXPECT_EQ(s.ui.Of("message")[0].text,
                  "This program does not support TMG project structure version 4.0D databases. "
                  "You should upgrade to a newer version of TMG, or attempt to find a back-level "
                  "version of Hearthkit. See: " +
                      SupportWebAddress());
    }
    {
        OpenFixture s("[001.000.000]\r\nTMG-Low=005.000.000\r\nTMG-High=009.999.999\r\n");
        std::string pjc = s.Project({1});
        EXPECT_FALSE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
        EXPECT_EQ(s.ui.Of("message")[0].text,
                  "This program does not support TMG project structure version 11.0 databases. "
                  "You may need a  new version of Hearthkit or a new version of the "
                  "compatibility check file. If you are using a newly updated version of TMG, "
                  "then a new version of Hearthkit may or may not be available. See: " +
                      SupportWebAddress());
        EXPECT_EQ(s.db.TableCount(), 0);
    }
    {
        OpenFixture s;
        std::string pjc = s.Project({1});
        std::filesystem::remove(s.dir.Folder() + "proj/Family_t.cdx");
        EXPECT_FALSE(OpenProjectFile(s.db, pjc, s.ui, s.steps));
        ASSERT_EQ(s.ui.Of("error").size(), 1u);
        EXPECT_NE(s.ui.Of("error")[0].text.find("Error -1 from [CTMGDB.VerifyIndexFiles]"),
                  std::string::npos);
        EXPECT_NE(s.ui.Of("error")[0].text.find("Index file(s) missing:\r\nFamily_t.cdx"),
                  std::string::npos);
        EXPECT_EQ(s.captions, (std::vector<std::string>{"Hearthkit - Family"}));
    }
}
