// Adjust Birth and Death end to end: the person's dates follow the primary birth and death
// events, a date without such an event is cleared, and with the option an event is made
// primary where the person has none.
#include <gtest/gtest.h>

#include "people_functions_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

// The Primary flag of each participant row, in record order.
std::string PrimaryFlags(const std::string& tablePath) {
    std::string flags;
    for (const std::string& v : Column(tablePath, "PRIMARY"))
        flags += v;
    return flags;
}

} // namespace

TEST(AdjustBirthDeath, DatesFollowThePrimaryEventsAndTheOptionChoosesAPrimary) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    b.Datasets({1, 8});
    int moved = b.Person('M', "Max", "Moved");
    b.EventRecord(b.Event(kTagBirth, moved, 0, ExactDate(1820, 3, 5))).sortDate =
        ExactDate(1820, 3, 1);
    int stale = b.Person('F', "Stella", "Stale");
    // Two births, neither primary: participant rows 2 and 3.
    int unsure = b.Person('M', "Ugo", "Unsure");
    b.Event(kTagBirth, unsure, 0, ExactDate(1790, 0, 0));
    b.Event(kTagBirth, unsure, 0, ExactDate(1788, 0, 0));
    b.Participants()[1].primary = b.Participants()[2].primary = false;
    int settled = b.Person('F', "Sofie", "Settled");
    b.Event(kTagBirth, settled, 0, ExactDate(1801, 1, 2));
    b.Event(kTagDeath, settled, 0, ExactDate(1870, 12, 24));
    int war = b.Person('M', "Willem", "War");
    b.Event(kTagDeath, war, 0, "0in the war");
    b.UseDataset(8);
    int other = b.Person('M', "Otto", "Other");
    b.EventRecord(b.Event(kTagBirth, other, 0, ExactDate(1830, 1, 1))).sortDate =
        ExactDate(1830, 1, 9);
    b.Write();
    SetPersonField(f.Table("$"), stale, "PBIRTH", ExactDate(1790, 1, 1));
    const std::string people = f.Table("$"), rows = f.Table("e");

    ASSERT_EQ(f.Run("adjustbirthdeath", {"--opt", "Choose primary=0"}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("Function=Adjust Bith and Death"));
    EXPECT_TRUE(log.Has("  Choose primary if no existing primary: False"));
    EXPECT_EQ(log.Details("ID, Change"), (Lines{"#" + std::to_string(moved) + ", B=05 Mar 1820",
                                                "#" + std::to_string(stale) + ", B=",
                                                "#" + std::to_string(war) + ", D=in the war"}));
    EXPECT_EQ(log.Totals(),
              (Lines{"People=5", "Primary births on input=2", "Primary births set=0",
                     "Lifespan births changed=2", "Primary deaths on input=2",
                     "Primary deaths set=0", "Lifespan deaths changed=1", "Total changes=3"}));
    Lines births = Column(people, "PBIRTH");
    EXPECT_EQ(births[moved - 1], ExactDate(1820, 3, 5));
    EXPECT_EQ(births[stale - 1], "");
    EXPECT_EQ(births[other - 1], ExactDate(1830, 1, 9)) << "another dataset";
    EXPECT_EQ(Column(people, "PDEATH")[war - 1], "0in the war");
    EXPECT_EQ(PrimaryFlags(rows), "TFFTTTT") << "the option was off";
    ExpectTableSound(people, "PBIRTH", "BYBIRTH");

    // With the option the earliest of the births becomes primary; Log Only first.
    log = f.RunBothWays("adjustbirthdeath", {"--opt", "Choose primary=1"}, {});
    EXPECT_EQ(log.Details("ID, Change"), Lines{"#" + std::to_string(unsure) + ", *B=1788"});
    EXPECT_EQ(f.out.str().find("B=1788"), std::string::npos) << "detail lines are not totals";
    EXPECT_TRUE(log.Has("Primary births set=1"));
    EXPECT_TRUE(log.Has("Total changes=1"));
    EXPECT_EQ(PrimaryFlags(rows), "TFTTTTT");
    EXPECT_EQ(Column(people, "PBIRTH")[unsure - 1], ExactDate(1788, 0, 0));
    ExpectTableSound(people, "PBIRTH", "BYBIRTH");
    ExpectTableSound(rows, "PRIMARY", "EVBYPER");

    // Nothing left to do: the primary found now is the one just set.
    ASSERT_EQ(f.Run("adjustbirthdeath", {}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("Primary births on input=3"));
    EXPECT_TRUE(f.Log().Has("Total changes=0"));
}
