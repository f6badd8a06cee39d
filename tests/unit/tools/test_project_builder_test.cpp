// The test project builder: what a test describes comes back through the engine, with the
// fields TMG derives from other records filled in.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/table_data.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "xbase/table.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::TableData;
using hk::test::TempDir;

using hk::test::TestProjectBuilder;

namespace {

// Dictionary texts of a name or place, by part type.
std::map<long, std::string> Parts(const TableData& values, const TableData& dictionary,
                                  long recNo) {
    std::map<long, std::string> byUid, out;
    for (size_t r : dictionary.Live())
        byUid[dictionary.Int(r, "UID")] = dictionary.Str(r, "VALUE");
    for (size_t r : values.Live())
        if (values.Int(r, "RECNO") == recNo)
            out[values.Int(r, "TYPE")] = byUid[values.Int(r, "UID")];
    return out;
}

} // namespace

TEST(TestProjectBuilder, AFamilyComesBackThroughTheEngine) {
    TempDir dir;
    TestProjectBuilder b(dir.File("proj"), "Family");
    int john = b.Person('M', "John", "Smith");
    int mary = b.Person('F', "Mary", "Jones");
    int tom = b.Person('M', "Tom", "Smith");
    int ann = b.Person('F', "Ann", "Smith");
    b.Parents(tom, john, mary);
    b.Parents(ann, 0, mary);
    b.ParentLink(ann, john, kTagFatherStep, false);
    int springfield = b.Place("Springfield", "Sangamon", "Illinois", "USA");
    int wedding = b.Event(kTagMarriage, john, mary, ExactDate(1845, 6, 1), springfield);
    b.Witness(wedding, tom, kRoleOfficiant);
    int born = b.Event(kTagBirth, tom, 0, ExactDate(1846, 3, 5));
    b.Event(kTagBaptism, ann, 0, IrregularDate("Easter 1850")); // stands for her birth
    int died = b.Event(kTagDeath, john, 0, ExactDate(1880));
    b.EventRecord(died).deleted = true;
    NameParts married;
    married[kGiven] = "Mary";
    married[kSurname] = "Smith";
    int marr = b.Name(mary, married, kTagNameMarr);
    int parish = b.Source("Parish register of St. Mary");
    int cite = b.Citation('E', born, parish, "p. 12||line 4", "321");
    b.Citation('N', marr, parish);
    std::string pjc = b.Write();
    EXPECT_TRUE(std::filesystem::exists(pjc));

    TableData people(b.TablePath("$"));
    ASSERT_EQ(people.Live().size(), 4u);
    std::map<long, size_t> byPer;
    for (size_t r : people.Live())
        byPer[people.Int(r, "PER_NO")] = r;
    EXPECT_EQ(people.Int(byPer[tom], "FATHER"), john);
    EXPECT_EQ(people.Int(byPer[tom], "MOTHER"), mary);
    EXPECT_EQ(people.Int(byPer[ann], "FATHER"), 0); // the step-father link is not primary
    EXPECT_EQ(people.Str(byPer[tom], "PBIRTH"), ExactDate(1846, 3, 5));
    EXPECT_EQ(people.Str(byPer[ann], "PBIRTH"), "");  // an irregular date has no sort date
    EXPECT_EQ(people.Str(byPer[john], "PDEATH"), ""); // the death event is deleted
    EXPECT_EQ(people.Int(byPer[mary], "REF_ID"), 2);

    TableData names(b.TablePath("N"));
    TableData npv(b.TablePath("NPV"));
    TableData nd(b.TablePath("ND"));
    int primaries = 0;
    for (size_t r : names.Live()) {
        primaries += names.Bool(r, "PRIMARY");
        if (names.Int(r, "RECNO") == marr) {
            EXPECT_EQ(names.Int(r, "NPER"), mary);
            EXPECT_EQ(names.Int(r, "ALTYPE"), kTagNameMarr);
            EXPECT_EQ(names.Str(r, "SRNAMESORT"), "Smith, Mary");
        }
    }
    EXPECT_EQ(primaries, 4);
    auto parts = Parts(npv, nd, marr);
    EXPECT_EQ(parts, (std::map<long, std::string>{{3, "Mary"}, {5, "Smith"}}));
    int smiths = 0;
    for (size_t r : nd.Live()) {
        if (nd.Str(r, "VALUE") != "Smith")
            continue;
        ++smiths;
        EXPECT_EQ(nd.Str(r, "SDX"), "S530");
    }
    EXPECT_EQ(smiths, 1) << "dictionary entries are shared";

    TableData places(b.TablePath("P"));
    ASSERT_EQ(places.Live().size(), 1u);
    EXPECT_EQ(Parts(TableData(b.TablePath("PPV")), TableData(b.TablePath("PD")), springfield),
              (std::map<long, std::string>{
                  {3, "Springfield"}, {4, "Sangamon"}, {5, "Illinois"}, {6, "USA"}}));

    TableData e(b.TablePath("E"));
    std::map<std::pair<long, long>, std::pair<bool, std::string>> rows;
    for (size_t r : e.Live())
        rows[{e.Int(r, "GNUM"), e.Int(r, "EPER")}] = {e.Bool(r, "PRIMARY"), e.Str(r, "ROLE")};
    EXPECT_EQ(rows[std::make_pair(long(wedding), long(john))],
              std::make_pair(true, std::string("00001")));
    EXPECT_EQ(rows[std::make_pair(long(wedding), long(mary))],
              std::make_pair(true, std::string("00001")));
    EXPECT_EQ(rows[std::make_pair(long(wedding), long(tom))],
              std::make_pair(false, std::string("00005")));

    TableData s(b.TablePath("S"));
    ASSERT_EQ(s.Live().size(), 2u);
    size_t c = s.Live()[0];
    EXPECT_EQ(s.Int(c, "RECNO"), cite);
    EXPECT_EQ(s.Str(c, "STYPE"), "E");
    EXPECT_EQ(s.Int(c, "REFREC"), born);
    EXPECT_EQ(s.Str(c, "SUBSOURCE"), "p. 12||line 4");
    EXPECT_EQ(s.Str(c, "SNSURE") + s.Str(c, "SSSURE") + s.Str(c, "SDSURE"), "321");

    for (const char* suffix : {"$", "N", "NPV", "G", "E", "F", "S", "P", "PPV"}) {
        db::OpenOptions o;
        o.writable = false;
        auto t = db::Table::Open(b.TablePath(suffix), o);
        std::string fault;
        EXPECT_TRUE(t->CheckIndexes(&fault)) << suffix << ": " << fault;
    }
}

TEST(TestProjectBuilder, DatasetsNumberTheirOwnPeopleAndOldProjectsPackNames) {
    TempDir dir;
    TestProjectBuilder b(dir.File("ds"), "Two");
    b.Datasets({1, 2});
    b.Person('F', "Ada", "Lovelace");
    b.UseDataset(2);
    int other = b.Person('M', "Alan", "Turing");
    EXPECT_THROW(b.UseDataset(3), std::invalid_argument);
    b.Write();
    TableData people(b.TablePath("$"));
    ASSERT_EQ(people.Size(), 2u);
    EXPECT_EQ(people.Int(1, "PER_NO"), other);
    EXPECT_EQ(people.Int(1, "DSID"), 2);
    EXPECT_EQ(people.Int(1, "REF_ID"), 1);
    TableData datasets(b.TablePath("D"));
    EXPECT_EQ(datasets.Live().size(), 2u);

    TestProjectBuilder old(dir.File("old"), "Old", TmgLayout::Old);
    int p = old.Person('M', "Hans", "Müller");
    NameParts parts;
    parts[kTitle] = "Dr.";
    parts[kGiven] = "Hans";
    parts[kSurname] = "Müller";
    parts[kSuffix] = "Jr.";
    old.NameRecord(old.PrimaryName(p)).parts = parts;
    old.Place("Köln", "", "Nordrhein-Westfalen", "Deutschland");
    old.Write();
    TableData names(old.TablePath("N"));
    ASSERT_EQ(names.Size(), 1u);
    EXPECT_EQ(names.Str(0, "NAME"), "Müller$!&Dr.$!&Hans$!&Jr.$!&");
    TableData places(old.TablePath("P"));
    EXPECT_EQ(places.Str(0, "PLACE"), "$!&$!&Köln$!&$!&Nordrhein-Westfalen$!&Deutschland$!&");
    EXPECT_FALSE(std::filesystem::exists(old.TablePath("NPV")));
}
