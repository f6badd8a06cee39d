// The person loader: the dataset and deletion rules on every walk and seek, the loaded
// values, children by partner, and the order of partners.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "loader_project.h"
#include "loaders/event_loader.h"
#include "loaders/person_loader.h"
#include "support/set_items.h"
#include "unit/formats/expect_error.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::Items;
using hk::test::LoaderProject;

TEST(PersonLoader, WalksAndSeeksSeeOnlyLivePeopleOfTheDataset) {
    LoaderProject p;
    p.build.Datasets({1, 2});
    int ann = p.build.Person('F', "Ann", "Ash");
    int gone = p.build.Person('M', "Gone", "Ash");
    p.build.PersonRecord(gone).deleted = true;
    p.build.UseDataset(2);
    int other = p.build.Person('M', "Otto", "Other"); // ID 1 in dataset 2
    p.build.UseDataset(1);
    int bob = p.build.Person('M', "Bob", "Ash");
    p.build.PersonRecord(bob).reference = "  R-7 ";
    p.build.PersonRecord(bob).flags = {'Y', 'N'};
    p.build.Event(kTagBirth, bob, 0, ExactDate(1900, 2, 3));
    p.Open();

    CTMGPersonLoader people;
    people.SetExtraField("NoSuchField");
    people.SetFlagFields({"FLAG1", "FLAG2"});
    people.OpenTables(p.db);
    EXPECT_EQ(people.ExtraField(), "") << "a missing extra field is forgotten";

    std::vector<long> walked;
    ASSERT_TRUE(people.MoveFirst());
    while (people.MoveNext())
        walked.push_back(people.PerNo());
    EXPECT_EQ(walked, (std::vector<long>{ann, bob}));
    EXPECT_EQ(people.PerNo(), 0) << "the walk's end clears Per_No";

    EXPECT_FALSE(people.SeekPerson(gone));
    EXPECT_FALSE(people.SeekPerson(other));
    ASSERT_TRUE(people.SeekPerson(bob));
    const PersonValues& v = people.Person();
    EXPECT_EQ(v.reference, "R-7");
    EXPECT_EQ(v.pBirth, ExactDate(1900, 2, 3));
    EXPECT_EQ(v.pDeath, "100000000030000000000") << "a blank date loads as the empty date";
    EXPECT_EQ(v.sex, 'M');
    EXPECT_EQ(v.dsid, 1);
    EXPECT_EQ(people.flag("flag2"), "N");
    EXPECT_EQ(people.FlagValue(people.FlagHandle("Flag1")), "Y");
    EXPECT_EQ(people.FlagHandle("FLAG9"), -1);
    EXPECT_EQ(people.flag("FLAG9"), "");
    EXPECT_EQ(people.flag("NoSuchField"), "") << "the forgotten extra field reads as empty";
    CTMGPersonLoader withExtra;
    withExtra.SetExtraField("Reference");
    withExtra.OpenTables(p.db);
    ASSERT_TRUE(withExtra.SeekPerson(bob));
    EXPECT_EQ(withExtra.flag("REFERENCE"), "R-7");

    // IDs count per dataset: ID 1 is Ann here and Otto in dataset 2.
    ASSERT_TRUE(people.SeekByID(1));
    EXPECT_EQ(people.PerNo(), ann);
    EXPECT_EQ(people.ID(), 1);
    ASSERT_TRUE(people.SeekByID(3));
    EXPECT_EQ(people.PerNo(), bob);
    EXPECT_FALSE(people.SeekByID(2)) << "ID 2 is the deleted person";
}

TEST(PersonLoader, SeekingTheLoadedPersonLeavesTheWalkWhereItIs) {
    LoaderProject p;
    int a = p.build.Person('M', "A", "X");
    int b = p.build.Person('F', "B", "X");
    p.build.Person('F', "C", "X");
    p.Open();
    CTMGPersonLoader people;
    people.OpenTables(p.db);
    ASSERT_TRUE(people.MoveFirst());
    ASSERT_TRUE(people.MoveNext());
    ASSERT_EQ(people.PerNo(), a);
    uint32_t at = people.RecNo();
    EXPECT_TRUE(people.SeekPerson(a));
    EXPECT_EQ(people.RecNo(), at);
    ASSERT_TRUE(people.MoveNext());
    EXPECT_EQ(people.PerNo(), b) << "the walk goes on";
    people.MoveNextLight();
    EXPECT_EQ(people.ID(), 3);
}

TEST(PersonLoader, ChildrenByTheOtherParent) {
    LoaderProject p;
    int dad = p.build.Person('M', "Dad", "X");
    int mum = p.build.Person('F', "Mum", "X");
    int second = p.build.Person('F', "Second", "X");
    int c1 = p.build.Person('M', "C1", "X");
    int c2 = p.build.Person('F', "C2", "X");
    int c3 = p.build.Person('F', "C3", "X");
    int c4 = p.build.Person('M', "C4", "X");
    int unknown = p.build.Person('?', "U", "X");
    p.build.Parents(c1, dad, mum);
    p.build.Parents(c2, dad, second);
    p.build.Parents(c3, dad, 0);
    p.build.Parents(c4, dad, mum);
    p.build.PersonRecord(c4).deleted = true;
    p.build.Parents(unknown, 0, mum);
    p.Open();
    CTMGPersonLoader people;
    people.OpenTables(p.db);
    ASSERT_TRUE(people.SeekPerson(dad));
    EXPECT_EQ(Items(people.GetChildren(-1)), (std::vector<long>{c1, c2, c3}));
    EXPECT_EQ(Items(people.GetChildren(0)), (std::vector<long>{c3}));
    EXPECT_EQ(Items(people.GetChildren(second)), (std::vector<long>{c2}));
    ASSERT_TRUE(people.SeekPerson(mum));
    EXPECT_EQ(Items(people.GetChildren(-1)), (std::vector<long>{c1, unknown}));
    ASSERT_TRUE(people.SeekPerson(unknown));
    EXPECT_EQ(people.GetChildren(-1).Count(), 0) << "neither M nor F: no children";
}

TEST(PersonLoader, PartnersComeInTheOrderOfTheirFirstConnection) {
    LoaderProject p;
    int man = p.build.Person('M', "Man", "X");
    int wifeLate = p.build.Person('F', "Late", "X");   // bann 1850, married 1900, child 1890
    int wifeEarly = p.build.Person('F', "Early", "X"); // married 1880
    int friendB = p.build.Person('F', "Bann", "X");    // only a marriage bann, 1870
    int childOnly = p.build.Person('F', "Kid", "X");   // only a child, born 1875
    int undated = p.build.Person('F', "Undated", "X"); // a child without a birth date
    p.build.Event(kTagMarriage, man, wifeLate, ExactDate(1900));
    p.build.Event(kTagMarriage, man, wifeEarly, ExactDate(1880));
    p.build.Event(kTagMarriageBann, man, friendB, ExactDate(1870));
    p.build.Event(kTagMarriageBann, man, wifeLate, ExactDate(1850));
    int k1 = p.build.Person('M', "K1", "X");
    p.build.Parents(k1, man, wifeLate);
    p.build.Event(kTagBirth, k1, 0, ExactDate(1890));
    int k2 = p.build.Person('M', "K2", "X");
    p.build.Parents(k2, man, childOnly);
    p.build.Event(kTagBirth, k2, 0, ExactDate(1875));
    int k3 = p.build.Person('M', "K3", "X");
    p.build.Parents(k3, man, undated);
    // A witness row does not make a partner.
    int w = p.build.Event(kTagMarriage, wifeEarly, 0, ExactDate(1850));
    p.build.Witness(w, man);
    p.Open();

    CTMGPersonLoader people;
    CTMGEventLoader events;
    people.OpenTables(p.db);
    events.OpenTables(p.db);
    ASSERT_TRUE(people.SeekPerson(man));

    // Children only: the undated mother first (no key; TMG's order, kept on purpose), then by
    // the children's births.
    EXPECT_EQ(Items(people.GetCoParents(events, p.tagTypes, false, -1)),
              (std::vector<long>{undated, childOnly, wifeLate}));
    // Marriage-group events: their dates win over the children's births, the earliest counts.
    EXPECT_EQ(Items(people.GetCoParents(events, p.tagTypes, true, -1)),
              (std::vector<long>{undated, wifeLate, friendB, childOnly, wifeEarly}));
    // An event of the chosen tag type outranks an earlier other shared event of that partner.
    EXPECT_EQ(Items(people.GetCoParents(events, p.tagTypes, true, kTagMarriage)),
              (std::vector<long>{undated, friendB, childOnly, wifeEarly, wifeLate}));
    people.SetPartnerExclusions({kTagMarriageBann});
    EXPECT_EQ(Items(people.GetCoParents(events, p.tagTypes, true, -1)),
              (std::vector<long>{undated, childOnly, wifeEarly, wifeLate}));

    ASSERT_TRUE(people.SeekPerson(k1));
    EXPECT_EQ(people.GetCoParents(events, p.tagTypes, true, -1).Count(), 0);
}

TEST(PersonLoader, OnePartnerStaysAsFound) {
    LoaderProject p;
    int man = p.build.Person('M', "Man", "X");
    int k = p.build.Person('M', "K", "X");
    p.build.Parents(k, man, 0);
    p.Open();
    CTMGPersonLoader people;
    CTMGEventLoader events;
    people.OpenTables(p.db);
    events.OpenTables(p.db);
    ASSERT_TRUE(people.SeekPerson(man));
    EXPECT_EQ(Items(people.GetCoParents(events, p.tagTypes, true, -1)), (std::vector<long>{0}));
}

TEST(PersonLoader, AChildTheIndexGivesWrongRaisesTheReindexError) {
    // Two projects alike but for the child's father; the first one's person index is put
    // beside the second one's people, so the father tag names the wrong man.
    auto make = [](LoaderProject& p, bool firstFather) {
        int a = p.build.Person('M', "A", "X");
        int b = p.build.Person('M', "B", "X");
        int m = p.build.Person('F', "M", "X");
        int c = p.build.Person('M', "C", "X");
        p.build.Parents(c, firstFather ? a : b, m);
        return a;
    };
    LoaderProject right, wrong;
    int a = make(right, true);
    make(wrong, false);
    right.build.Write();
    wrong.build.Write();
    std::filesystem::path from = right.build.TablePath("$"), to = wrong.build.TablePath("$");
    std::filesystem::copy_file(from.replace_extension(".cdx"), to.replace_extension(".cdx"),
                               std::filesystem::copy_options::overwrite_existing);
    wrong.Open(1, false);
    CTMGPersonLoader people;
    CTMGEventLoader events;
    people.OpenTables(wrong.db);
    events.OpenTables(wrong.db);
    ASSERT_TRUE(people.SeekPerson(a));
    hk::test::ExpectError([&] { people.GetCoParents(events, wrong.tagTypes, false, -1); }, -1,
                          "[CTMGPersonLoader.GetCoParents]",
                          "Index error for person #" + std::to_string(a) +
                              ". Try using TMG's Reindex command.");
}
