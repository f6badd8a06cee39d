// Relations opened through the project database object: slaves positioned by tag seeks from
// their master's fields, a slave of a slave, blank slaves for missing records, and queries over
// master and slave aliases.
#include <gtest/gtest.h>

#include <tuple>

#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "tmgdb/ctmgdb.h"
#include "unit/xbase/db_test_files.h"

using namespace hk;
using namespace hk::db;
using namespace hk::mktmg;
using hk::db::test::Caught;
using hk::test::TempDir;
using hk::test::TestProjectBuilder;

namespace {

struct Family {
    TempDir dir;
    std::string pjc;
    int john, mary, tom, birth, marriage, census;

    Family() {
        TestProjectBuilder b(dir.Folder() + "proj", "Family");
        john = b.Person('M', "John", "Smith");
        mary = b.Person('F', "Mary", "Jones");
        tom = b.Person('M', "Tom", "Smith");
        birth = b.Event(kTagBirth, tom, 0, ExactDate(1846, 3, 5));
        marriage = b.Event(kTagMarriage, john, mary, ExactDate(1845, 6, 1));
        census = b.Event(kTagCensus, john, 0, ExactDate(1851));
        b.Witness(marriage, tom);
        b.EventRecord(census).deleted = true;
        // A participant row whose event does not exist.
        ParticipantRec orphan;
        orphan.perNo = mary;
        orphan.event = 99;
        orphan.role = kRoleWitness;
        b.Participants().push_back(orphan);
        pjc = b.Write();
    }
};

// (person, event type, tag type name) for every step of the relation.
using Row = std::tuple<long, long, std::string>;

std::vector<Row> Walk(CTMGDB& db, Relation& r) {
    FieldRef per = db.Field("e.EPer"), type = db.Field("g.EType"), name = db.Field("t.ETypeName");
    std::vector<Row> rows;
    for (int pos = r.Top(); pos == kPosOk; pos = r.Skip())
        rows.emplace_back(per.table->GetLong(per.index), type.table->GetLong(type.index),
                          name.table->GetTrimmed(name.index));
    return rows;
}

} // namespace

TEST(CTMGDBRelation, MasterWithSlavesAndASlaveOfASlave) {
    Family f;
    CTMGDB db;
    db.OpenProject(f.pjc);
    db.SetDSID(1);
    db.OpenTable("e", "e");
    db.OpenSlaveTable("g", "g", "ByRecNo=e.GNum");
    db.OpenSlaveTable("t", "t", "EvtByNum=g.EType");
    db.OpenSlaveTable("$", "$", "Per_No=e.EPer");
    Relation* r = db.CreateRelation("e");
    ASSERT_NE(r, nullptr);

    // Participants in record order. A row whose event is missing or deleted gets a blank event
    // and a blank tag type.
    std::vector<Row> all = Walk(db, *r);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0], Row(f.tom, kTagBirth, "Birth"));
    EXPECT_EQ(all[1], Row(f.john, kTagMarriage, "Marriage"));
    EXPECT_EQ(all[2], Row(f.mary, kTagMarriage, "Marriage"));
    EXPECT_EQ(all[3], Row(f.john, 0, "")); // the census event is deleted
    EXPECT_EQ(all[4], Row(f.tom, kTagMarriage, "Marriage"));
    EXPECT_EQ(all[5], Row(f.mary, 0, ""));

    // A query over the master and both levels of slaves.
    r->SetQuery("t->ADMIN = " + std::to_string(kGroupMarriage) +
                " .AND. g->Per1 <> 0 .AND. "
                "g->DSID = " +
                std::to_string(db.DSID()) + " .AND. .NOT. Deleted()");
    EXPECT_EQ(Walk(db, *r), (std::vector<Row>{Row(f.john, kTagMarriage, "Marriage"),
                                              Row(f.mary, kTagMarriage, "Marriage"),
                                              Row(f.tom, kTagMarriage, "Marriage")}));
    r->SetQuery(".NOT. DELETED() .AND. $->SEX = 'M' .AND. e->ROLE <> '" +
                std::string(kRoleWitness) + "'");
    EXPECT_EQ(Walk(db, *r),
              (std::vector<Row>{Row(f.tom, kTagBirth, "Birth"),
                                Row(f.john, kTagMarriage, "Marriage"), Row(f.john, 0, "")}));

    // Closing a slave ends the relation; a new one can be made.
    db.CloseTable("$");
    r = db.CreateRelation("e");
    r->SetQuery("g->ETYPE = " + std::to_string(kTagBirth));
    EXPECT_EQ(Walk(db, *r), (std::vector<Row>{Row(f.tom, kTagBirth, "Birth")}));
}

TEST(CTMGDBRelation, BadRelationsAreReportedWithTheirStep) {
    Family f;
    CTMGDB db;
    db.OpenProject(f.pjc);
    db.OpenTable("e", "e");
    db.OpenSlaveTable("g", "g", "NoSuchTag=e.GNum");
    hk::Error e = Caught<hk::Error>([&] { db.CreateRelation("e"); });
    EXPECT_EQ(e.Source(), "[CTMGDB.CreateRelation]");
    EXPECT_EQ(e.Description(), "Error (-330) Tag Name not Found making relationship g");
    db.CloseTable("g");
    db.OpenSlaveTable("g", "g", "ByRecNo=e.GNum", 7, kRelateBlank);
    EXPECT_EQ(Caught<hk::Error>([&] { db.CreateRelation("e"); }).Description(),
              "Error (-930) Unexpected Parameter setting relation type on g");
    db.CloseTable("g");
    // Slaves naming another master are not part of this relation.
    db.OpenSlaveTable("g", "g", "ByRecNo=x.GNum");
    Relation* r = db.CreateRelation("e");
    int steps = 0;
    for (int pos = r->Top(); pos == kPosOk; pos = r->Skip())
        ++steps;
    EXPECT_EQ(steps, 6);
}
