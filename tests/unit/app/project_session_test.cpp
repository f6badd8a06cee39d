// The project session of the front ends on a generated project: how an open ends, and the
// lists the panels are filled from, for the dataset chosen.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/project_lists.h"
#include "app/tmg_project_session.h"
#include "mktmg/generator.h"
#include "support/fake_user_interface.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"

using namespace hk;
using hk::test::FakeUserInterface;
using hk::test::TempDir;

namespace {

struct SessionFixture {
    TempDir dir;
    MemorySettingsStore store;
    Settings settings{store};
    std::string pjc;

    SessionFixture() {
        dir.Write("program/compatibility.ini",
                  "[000.001.000]\r\nTMG-Low=005.000.000\r\nTMG-High=011.999.999\r\n");
        mktmg::GeneratorOptions o;
        o.pjcPath = dir.Folder() + "Gen__.pjc";
        o.people = 30;
        o.seed = 3;
        o.datasets = 2;
        mktmg::GenerateProject(o);
        pjc = o.pjcPath;
    }
    std::string ProgramFolder() const { return dir.Folder() + "program/"; }
};

bool HasTag(const ProjectLists& l, const std::string& name, long group) {
    return std::any_of(l.tagTypes.begin(), l.tagTypes.end(),
                       [&](const TagTypeChoice& t) { return t.name == name && t.group == group; });
}

} // namespace

TEST(TmgProjectSession, OpenTellsOpenedCancelledAndFailedApart) {
    SessionFixture f;
    TmgProjectSession session(f.settings, f.ProgramFolder());
    FakeUserInterface ui;
    std::vector<std::string> captions;
    OpenHooks hooks;
    hooks.setCaption = [&](const std::string& c) { captions.push_back(c); };

    ui.datasets = {-1};
    EXPECT_EQ(session.Open(f.pjc, ui, hooks), OpenResult::Cancelled);
    EXPECT_FALSE(session.IsOpen());

    ui.datasets = {2};
    ASSERT_EQ(session.Open(f.pjc, ui, hooks), OpenResult::Opened);
    EXPECT_TRUE(session.IsOpen());
    EXPECT_EQ(session.Database()->DSID(), 2);
    EXPECT_EQ(session.Info().prefix, "Gen_");
    EXPECT_EQ(session.Caption().rfind("Hearthkit - Gen:2 (", 0), 0u) << session.Caption();
    EXPECT_EQ(captions.back(), session.Caption());

    // Nothing a run opened or cached outlives it: its tables are closed, its loaders dropped,
    // and the next run's loaders work on the same project.
    session.Database()->OpenTable("g", "g");
    auto formatter = std::make_shared<CTMGStyleFormatter>();
    std::weak_ptr<CTMGStyleFormatter> cached = formatter;
    session.Factory()->SetStyleFormatter(std::move(formatter));
    session.AfterRun();
    EXPECT_EQ(session.Database()->TableCount(), 0);
    EXPECT_TRUE(cached.expired());
    EXPECT_EQ(&session.Factory()->TMGDB(), session.Database());
    session.Close();
    EXPECT_FALSE(session.IsOpen());

    EXPECT_EQ(session.Open(f.dir.Folder() + "Missing__.pjc", ui, hooks), OpenResult::Failed);
    EXPECT_EQ(ui.Of("error").size(), 1u);
}

TEST(TmgProjectSession, ListsFollowTheChosenDataset) {
    SessionFixture f;
    TmgProjectSession session(f.settings, f.ProgramFolder());
    FakeUserInterface ui;

    ui.datasets = {1};
    ASSERT_EQ(session.Open(f.pjc, ui, {}), OpenResult::Opened);
    ProjectLists one = session.Lists("ENGLISH||DUTCH");
    EXPECT_TRUE(HasTag(one, "Birth", 4));
    EXPECT_TRUE(HasTag(one, "Name-Var", 1));
    EXPECT_TRUE(HasTag(one, "Marriage", 6));
    // TMG's own flags, then the custom ones; not the deleted one, nor the one defined for
    // the second dataset only.
    std::vector<std::string> labels;
    for (const auto& flag : one.flags)
        labels.push_back(flag.label);
    ASSERT_EQ(labels.size(), 10u);
    EXPECT_EQ(labels[1], "Living");
    EXPECT_EQ(std::vector<std::string>(labels.end() - 3, labels.end()),
              (std::vector<std::string>{"Print", "Group", "DNA line"}));
    EXPECT_EQ(one.flags[7].field, "FLAG1");
    EXPECT_EQ(one.flags[7].values, "NY");
    EXPECT_EQ(one.languages, (std::vector<std::string>{"ENGLISH", "DUTCH"}));
    auto style = [&](const ProjectLists& l, long id) {
        auto it = std::find_if(l.styles.begin(), l.styles.end(),
                               [&](const StyleChoice& s) { return s.id == id; });
        return it == l.styles.end() ? StyleChoice{-1, "", '?'} : *it;
    };
    EXPECT_EQ(style(one, 1).group, 'P');
    EXPECT_EQ(style(one, 2).group, 'N');
    EXPECT_EQ(style(one, 9).id, -1); // a style of the second dataset only
    EXPECT_EQ(session.Database()->TableCount(), 0);
    session.Close();

    ui.datasets = {2};
    ASSERT_EQ(session.Open(f.pjc, ui, {}), OpenResult::Opened);
    ProjectLists two = session.Lists("");
    EXPECT_EQ(two.flags.size(), 11u);
    EXPECT_EQ(two.flags.back().label, "Checked");
    EXPECT_EQ(style(two, 9).group, 'N');
}

TEST(ProjectLists, ChoiceListsSplitAtDoubleBars) {
    EXPECT_EQ(SplitChoiceList("A||B C|| ||D"), (std::vector<std::string>{"A", "B C", "D"}));
    EXPECT_TRUE(SplitChoiceList("").empty());
}
