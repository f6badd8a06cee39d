// Events, parent-child links and the joint-event writer on small projects.
#include <gtest/gtest.h>

#include <vector>

#include "loader_project.h"
#include "loaders/event_loader.h"
#include "loaders/joint_event.h"
#include "loaders/parent_child_loader.h"
#include "support/set_items.h"
#include "support/table_data.h"
#include "unit/formats/expect_error.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::Items;
using hk::test::LoaderProject;
using hk::test::TableData;

TEST(EventLoader, FindsPrimaryEventsParticipantsAndBirthDates) {
    LoaderProject p;
    p.build.Datasets({1, 2});
    int ann = p.build.Person('F', "Ann", "X");
    int bob = p.build.Person('M', "Bob", "X");
    int wit = p.build.Person('M', "Wit", "X");
    int bap = p.build.Event(kTagBaptism, ann, 0, ExactDate(1801, 5));
    p.build.Participants().back().primary = false; // not her primary birth-group event
    int birth = p.build.Event(kTagBirth, ann, 0, ExactDate(1800, 1, 2));
    int wedding = p.build.Event(kTagMarriage, ann, bob, ExactDate(1820));
    p.build.EventRecord(wedding).sureties = {'3', ' ', '-', ' ', '1'};
    p.build.Witness(wedding, wit);
    int hidden = p.build.Event(kTagDeath, bob, 0, ExactDate(1850));
    p.build.EventRecord(hidden).deleted = true;
    p.build.UseDataset(2);
    p.build.Event(kTagBirth, bob, 0, ExactDate(1790)); // another dataset's event
    p.Open();

    CTMGEventLoader events;
    events.OpenTables(p.db);
    EXPECT_EQ(events.GetBirthSortDate(ann, p.tagTypes), ExactDate(1800, 1, 2));
    EXPECT_EQ(events.GetBirthSortDate(bob, p.tagTypes), "");
    ASSERT_TRUE(events.FindPrimaryEventOfGroup(ann, p.tagTypes, hk::kGroupBirth));
    EXPECT_EQ(events.Event().recNo, birth);
    EXPECT_FALSE(events.FindPrimaryEventOfGroup(bob, p.tagTypes, hk::kGroupDeath));
    ASSERT_TRUE(events.FindSharedEvent(bob, ann, p.tagTypes));
    EXPECT_EQ(events.Event().recNo, wedding);
    EXPECT_FALSE(events.FindSharedEvent(ann, wit, p.tagTypes));

    EXPECT_EQ(events.CountParticipants(wedding), 3);
    std::vector<std::pair<long, bool>> seen; // person, witness
    for (bool ok = events.FirstParticipant(wedding); ok; ok = events.NextParticipant())
        seen.emplace_back(events.Witness().ePer, events.Witness().isWitness);
    EXPECT_EQ(seen, (std::vector<std::pair<long, bool>>{{ann, false}, {bob, false}, {wit, true}}));
    EXPECT_TRUE(events.IsPrimary(ann, wedding));
    EXPECT_FALSE(events.IsPrimary(wit, wedding));
    EXPECT_FALSE(events.IsPrimary(wit, birth)) << "no row at all";

    std::vector<long> annEvents;
    for (bool ok = events.FirstParticipation(ann); ok; ok = events.NextParticipation())
        annEvents.push_back(events.Event().recNo);
    EXPECT_EQ(annEvents, (std::vector<long>{bap, birth, wedding}));

    EXPECT_EQ(events.GetSuretyString(wedding), "3.-.1");
    EXPECT_EQ(events.GetSuretyString(birth), "") << "all blank reads as empty";
    events.SetSuretyString(wedding, "..2.");
    EXPECT_EQ(events.GetSuretyString(wedding), "..2..");
    events.SetDoubleDash(true);
    EXPECT_EQ(events.WitnessSeparator(), "--");
    EXPECT_EQ(events.SeparatorLength(), 2);
}

TEST(EventLoader, DeletingAnEventTakesItsParticipantRows) {
    LoaderProject p;
    int ann = p.build.Person('F', "Ann", "X");
    int bob = p.build.Person('M', "Bob", "X");
    int keep = p.build.Event(kTagBirth, ann);
    int gone = p.build.Event(kTagMarriage, ann, bob);
    p.build.Witness(gone, bob, kRoleWitness);
    p.Open();
    CTMGEventLoader events;
    events.OpenTables(p.db);
    events.DeleteEvent(gone);
    EXPECT_FALSE(events.SeekEvent(gone));
    EXPECT_EQ(events.CountParticipants(gone), 0);
    EXPECT_TRUE(events.SeekEvent(keep));
    EXPECT_EQ(events.CountParticipants(keep), 1);
    events.CloseTables();
    p.db.CloseProject();
    TableData e(p.build.TablePath("E"));
    int live = 0;
    for (size_t r : e.Live())
        live += e.Int(r, "GNUM") == gone;
    EXPECT_EQ(live, 0);
    EXPECT_EQ(e.Size(), 4u) << "rows are marked deleted, not removed";
}

TEST(EventLoader, OldProjectsCannotDeleteEvents) {
    hk::test::TempDir dir;
    hk::test::TestProjectBuilder b(dir.Folder() + "old", "Old", TmgLayout::Old);
    int ann = b.Person('F', "Ann", "X");
    int ev = b.Event(kTagBirth, ann);
    db::CTMGDB db;
    db.OpenProject(b.Write());
    CTMGEventLoader events;
    events.OpenTables(db);
    hk::test::ExpectError([&] { events.DeleteEvent(ev); }, -1, "[CTMGEventLoader.DeleteEvent]",
                          "Wrong dataset version: " + db.VersionText());
}

TEST(ParentChildLoader, LinksSuretiesAndLinesOfDescent) {
    LoaderProject p;
    int root = p.build.Person('M', "Root", "X");
    int mum = p.build.Person('F', "Mum", "X");
    int son = p.build.Person('M', "Son", "X");
    int dau = p.build.Person('F', "Dau", "X");
    int sonSon = p.build.Person('M', "SonSon", "X");
    int sonDau = p.build.Person('F', "SonDau", "X");
    int dauSon = p.build.Person('M', "DauSon", "X");
    int dauDau = p.build.Person('F', "DauDau", "X");
    int step = p.build.Person('M', "Step", "X");
    p.build.Parents(son, root, mum);
    p.build.Parents(dau, root, mum);
    p.build.Parents(sonSon, son, 0);
    p.build.Parents(sonDau, son, 0);
    p.build.Parents(dauSon, 0, dau);
    p.build.Parents(dauDau, 0, dau);
    int stepLink = p.build.ParentLink(step, root, kTagFatherStep, false);
    p.Open();

    CTMGParentChildLoader links;
    links.OpenTables(p.db);
    EXPECT_EQ(links.GetRelationshipType(root, step), kTagFatherStep);
    EXPECT_EQ(links.GetRelationshipType(root, son), kTagFatherBiological);
    EXPECT_EQ(links.GetRelationshipType(son, root), -1);
    EXPECT_EQ(Items(links.GetPrimaryChildren(root)), (std::vector<long>{son, dau}));
    EXPECT_EQ(links.GetSex(dau), "F");
    EXPECT_EQ(links.GetSex(999), " ");

    db::CSetLong male;
    links.GetLineDescendants(male, root, false);
    EXPECT_EQ(Items(male), (std::vector<long>{root, son, sonSon}));
    db::CSetLong female;
    links.GetLineDescendants(female, mum, true);
    EXPECT_EQ(Items(female), (std::vector<long>{mum, son, dau, dauSon, dauDau}));

    EXPECT_EQ(links.GetSuretyString(stepLink), "");
    links.SetSuretyString(stepLink, "2...-");
    EXPECT_EQ(links.GetSuretyString(stepLink), "2...-");
    links.SelectTag("BYRECNO");
    ASSERT_TRUE(links.SeekFirst(stepLink));
    ASSERT_TRUE(links.MoveNext());
    EXPECT_EQ(links.Link().pSure, '2');
    EXPECT_EQ(links.Link().fSure, '-');
    EXPECT_FALSE(links.MoveNext());
}

TEST(JointEvent, WritesAnEventThatReadsBackAndFindsPrimaries) {
    LoaderProject p;
    int ann = p.build.Person('F', "Ann", "X");
    int bob = p.build.Person('M', "Bob", "X");
    int wit = p.build.Person('M', "Wit", "X");
    int src = p.build.Source("Register");
    int late = p.build.Event(kTagMarriage, ann, bob, ExactDate(1830));
    int early = p.build.Event(kTagMarriage, bob, ann, ExactDate(1825));
    for (ParticipantRec& r : p.build.Participants())
        r.primary = false;
    p.Open();

    CJointEvent joint;
    joint.OpenTables(p.db, p.tagTypes);
    EXPECT_TRUE(joint.HasSharedEvent(ann, bob, hk::kGroupMarriage));
    EXPECT_TRUE(joint.HasSharedEvent(bob, ann, hk::kGroupMarriage));
    EXPECT_FALSE(joint.HasSharedEvent(ann, wit, hk::kGroupMarriage));
    EXPECT_FALSE(joint.HasSharedEvent(ann, bob, hk::kGroupBirth));

    EXPECT_FALSE(joint.FindPrimaryOfGroup(hk::kGroupMarriage, ann));
    EXPECT_EQ(joint.TakenEvent(), early) << "the earliest sort date is taken";
    EXPECT_EQ(joint.EventDate(), ExactDate(1825));
    p.db.SetLogOnly(true);
    EXPECT_TRUE(joint.MakePrimary(hk::kGroupMarriage, ann));
    EXPECT_FALSE(joint.FindPrimaryOfGroup(hk::kGroupMarriage, ann)) << "log only changed nothing";
    EXPECT_EQ(p.db.DroppedWrites(), 1u);
    p.db.SetLogOnly(false);
    EXPECT_TRUE(joint.MakePrimary(hk::kGroupMarriage, ann));
    EXPECT_TRUE(joint.FindPrimaryOfGroup(hk::kGroupMarriage, ann));
    EXPECT_EQ(joint.TakenEvent(), early);

    EXPECT_EQ(joint.NextEventNumber(), late + 2);
    joint.Reset();
    JointEventRecord& event = joint.Record();
    EXPECT_EQ(event.srtDate, "100000000030000000000");
    event.eType = kTagCensus;
    event.per1 = ann;
    event.primary1 = true;
    event.eDate = event.srtDate = ExactDate(1841, 6, 6);
    event.witnesses = {{wit, ""}, {0, ""}};
    event.sourceNo = src;
    event.citationDetail = "p. 4";
    event.citationSureties = {'3', ' ', ' ', ' ', ' '};
    long census = joint.Write();
    EXPECT_EQ(census, late + 2);
    EXPECT_EQ(joint.ParticipantRowsWritten(), 2) << "no row for person 0";
    EXPECT_EQ(joint.CitationRowsWritten(), 1);

    CTMGEventLoader events;
    events.OpenTables(p.db);
    ASSERT_TRUE(events.SeekEvent(census));
    EXPECT_EQ(events.Event().eType, kTagCensus);
    EXPECT_EQ(events.Event().eDate, ExactDate(1841, 6, 6));
    EXPECT_TRUE(events.IsPrimary(ann, census));
    std::vector<std::string> roles;
    for (bool ok = events.FirstParticipant(census); ok; ok = events.NextParticipant())
        roles.push_back(events.Witness().role);
    EXPECT_EQ(roles, (std::vector<std::string>{p.db.PrincipalRoleId(), p.db.WitnessRoleId()}));
    EXPECT_EQ(joint.NextCitationNumber(), 2);
}

TEST(JointEvent, AnUndatedEventIsTakenBeforeDatedOnes) {
    // TMG's order: the empty sort date sorts before every real date, so it is the earliest.
    LoaderProject p;
    int ann = p.build.Person('F', "Ann", "X");
    int bob = p.build.Person('M', "Bob", "X");
    p.build.Event(kTagMarriage, ann, bob, ExactDate(1825));
    int undated = p.build.Event(kTagMarriage, ann, bob);
    p.build.Event(kTagMarriage, ann, bob, ExactDate(1830));
    for (ParticipantRec& r : p.build.Participants())
        r.primary = false;
    p.Open();

    CJointEvent joint;
    joint.OpenTables(p.db, p.tagTypes);
    EXPECT_FALSE(joint.FindPrimaryOfGroup(hk::kGroupMarriage, bob));
    EXPECT_EQ(joint.TakenEvent(), undated);
    EXPECT_EQ(joint.EventDate(), "");
}
