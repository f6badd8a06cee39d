// Adjust Birth and Death end to end: the person's dates follow the primary birth and death
// events, a date without such an event is cleared, and with the option an event is made
// primary where the person has none.
#include <gtest/gtest.h>

#include <cstdio>

#include "people_functions_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

std::string Born(int year, int month, int day) {
    char b[32];
    std::snprintf(b, sizeof b, "1%04d%02d%02d030000000000", year, month, day);
    return b;
}

// The Primary flag of the person's participant row for the event.
bool PrimaryRow(const std::string& tablePath, int person, int event) {
    auto t = db::Table::Open(tablePath, {.writable = false});
    int per = t->FieldIndex("EPER"), gnum = t->FieldIndex("GNUM"),
        primary = t->FieldIndex("PRIMARY");
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        if (!t->Deleted() && t->GetLong(per) == person && t->GetLong(gnum) == event)
            return t->GetBool(primary);
    ADD_FAILURE() << "no row of person " << person << " for event " << event;
    return false;
}

} // namespace

TEST(AdjustBirthDeath, DatesFollowThePrimaryEventsAndTheOptionChoosesAPrimary) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    b.Datasets({1, 8});
    int moved = b.Person('M', "Max", "Moved");
    b.EventRecord(b.Event(kTagBirth, moved, 0, Born(1820, 3, 5))).sortDate = Born(1820, 3, 1);
    int stale = b.Person('F', "Stella", "Stale");
    int unsure = b.Person('M', "Ugo", "Unsure");
    int later = b.Event(kTagBirth, unsure, 0, Born(1790, 0, 0));
    int earlier = b.Event(kTagBirth, unsure, 0, Born(1788, 0, 0));
    for (ParticipantRec& p : b.Participants())
        if (p.perNo == unsure)
            p.primary = false;
    int settled = b.Person('F', "Sofie", "Settled");
    b.Event(kTagBirth, settled, 0, Born(1801, 1, 2));
    b.Event(kTagDeath, settled, 0, Born(1870, 12, 24));
    int war = b.Person('M', "Willem", "War");
    b.Event(kTagDeath, war, 0, "0in the war");
    b.UseDataset(8);
    int other = b.Person('M', "Otto", "Other");
    b.EventRecord(b.Event(kTagBirth, other, 0, Born(1830, 1, 1))).sortDate = Born(1830, 1, 9);
    b.Write();
    SetPersonField(f.TablePath("$"), stale, "PBIRTH", Born(1790, 1, 1));

    ASSERT_EQ(f.Run("adjustbirthdeath", {"--opt", "Choose primary=0"}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("Function=Adjust Bith and Death"));
    EXPECT_TRUE(log.Has("  Choose primary if no existing primary: False"));
    EXPECT_EQ(log.Details("ID, Change"),
              (std::vector<std::string>{"#" + std::to_string(moved) + ", B=05 Mar 1820",
                                        "#" + std::to_string(stale) + ", B=",
                                        "#" + std::to_string(war) + ", D=in the war"}));
    EXPECT_EQ(log.Totals(),
              (std::vector<std::pair<std::string, long>>{{"People", 5},
                                                         {"Primary births on input", 2},
                                                         {"Primary births set", 0},
                                                         {"Lifespan births changed", 2},
                                                         {"Primary deaths on input", 2},
                                                         {"Primary deaths set", 0},
                                                         {"Lifespan deaths changed", 1},
                                                         {"Total changes", 3}}));
    EXPECT_NE(f.out.str().find("\nTotal changes=3\n"), std::string::npos) << f.out.str();
    std::string people = f.TablePath("$");
    EXPECT_EQ(PersonField(people, moved, "PBIRTH"), Born(1820, 3, 5));
    EXPECT_EQ(PersonField(people, stale, "PBIRTH"), "");
    EXPECT_EQ(PersonField(people, war, "PDEATH"), "0in the war");
    EXPECT_EQ(PersonField(people, settled, "PDEATH"), Born(1870, 12, 24));
    EXPECT_EQ(PersonField(people, unsure, "PBIRTH"), "");
    EXPECT_EQ(PersonField(people, other, "PBIRTH"), Born(1830, 1, 9)) << "another dataset";
    EXPECT_FALSE(PrimaryRow(f.TablePath("e"), unsure, earlier)) << "the option was off";
    EXPECT_FALSE(PrimaryRow(f.TablePath("e"), unsure, later));
    ExpectIndexesConsistent(people);
    ExpectOraclesRead(people, "PBIRTH", "BYBIRTH");

    // With the option the earliest of the births becomes primary; Log Only first.
    auto before = Snapshot(f.Folder());
    ASSERT_EQ(f.Run("adjustbirthdeath", {"--opt", "Choose primary=1"}, true), 0) << f.err.str();
    EXPECT_EQ(Snapshot(f.Folder()), before);
    RunLog logOnly = f.Log();
    ASSERT_EQ(f.Run("adjustbirthdeath", {}), 0) << f.err.str();
    log = f.Log();
    EXPECT_EQ(log.WithoutLogOnly(), logOnly.WithoutLogOnly());
    EXPECT_EQ(logOnly.lines.back(), kLogOnlyNote);
    EXPECT_TRUE(log.Has("  Choose primary if no existing primary: True"));
    EXPECT_EQ(log.Details("ID, Change"),
              std::vector<std::string>{"#" + std::to_string(unsure) + ", *B=1788"});
    EXPECT_EQ(f.out.str().find("B=1788"), std::string::npos) << "detail lines are not totals";
    EXPECT_EQ(log.Total("Primary births set"), 1);
    EXPECT_EQ(log.Total("Lifespan births changed"), 1);
    EXPECT_EQ(log.Total("Total changes"), 1);
    EXPECT_TRUE(PrimaryRow(f.TablePath("e"), unsure, earlier));
    EXPECT_FALSE(PrimaryRow(f.TablePath("e"), unsure, later));
    EXPECT_EQ(PersonField(people, unsure, "PBIRTH"), Born(1788, 0, 0));
    ExpectIndexesConsistent(people);
    ExpectIndexesConsistent(f.TablePath("e"));
    ExpectOraclesRead(f.TablePath("e"), "PRIMARY", "EVBYPER");

    // Nothing left to do: the primary found now is the one just set.
    ASSERT_EQ(f.Run("adjustbirthdeath", {}), 0) << f.err.str();
    EXPECT_EQ(f.Log().Total("Primary births on input"), 3);
    EXPECT_EQ(f.Log().Total("Total changes"), 0);
}
