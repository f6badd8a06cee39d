// Set Living=N end to end: who is marked and why, the traces through descendants and
// ancestors, the confirmation, and the Log Only promise.
#include <gtest/gtest.h>

#include "people_functions_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

// People with Living "Y" are not tested themselves: they only carry the events searched.
int Helper(TestProjectBuilder& b, char sex) {
    int p = b.Person(sex, "Helper", "Kin");
    b.PersonRecord(p).living = 'Y';
    return p;
}

// `generations` helpers, each the child (down) or the father (up) of the one before.
std::vector<int> Line(TestProjectBuilder& b, int from, int generations, bool down) {
    std::vector<int> line;
    for (int g = 0; g < generations; ++g) {
        int next = Helper(b, 'M');
        down ? b.Parents(next, from, 0) : b.Parents(from, next, 0);
        line.push_back(from = next);
    }
    return line;
}

std::string Id(int n) {
    return std::to_string(n);
}

} // namespace

TEST(SetLiving, OwnEventsBeforeTheYearMarkOnlyUnknownPeopleAndLogOnlyChangesNothing) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    b.Datasets({1, 8});
    int abel = b.Person('M', "Abel", "Old");
    int birth = b.Event(kTagBirth, abel, 0, ExactDate(1850));
    b.Event(kTagBirth, b.Person('F', "Bea", "Threshold"), 0, ExactDate(1900));
    b.Event(kTagBirth, Helper(b, 'M'), 0, ExactDate(1800));                        // "Y"
    b.Event(kTagBirth, b.Person('M', "Zeno", "Zero"), 0, "100000101030000000000"); // year 0
    int cena = b.Person('F', "Cena", "Census");
    b.Event(kTagCensus, cena, 0, ExactDate(1800));
    b.Event(kTagDeath, cena, 0, ExactDate(1880));
    b.Participants().back().primary = false;
    b.Witness(birth, b.Person('M', "Walt", "Witness")).primary = true;
    int hugo = b.Person('M', "Hugo", "Wed");
    b.Event(kTagMarriage, hugo, b.Person('F', "Wilma", "Wed"), ExactDate(1870));
    b.Event(kTagBurial, b.Person('M', "Boris", "Buried"), 0, ExactDate(1890));
    int nora = b.Person('F', "Nora", "No");
    b.PersonRecord(nora).living = 'N';
    b.Event(kTagBirth, nora, 0, ExactDate(1700));
    b.Event(kTagBirth, b.Person('M', "Vic", "Vague"), 0, "0about 1800");
    int tess = b.Person('F', "Tess", "Twice");
    b.Event(kTagBirth, tess, 0, ExactDate(1950));
    b.Event(kTagBirth, tess, 0, ExactDate(1800));
    b.Participants().back().primary = false;
    b.Event(kTagDeath, b.Person('M', "Dirk", "Died"), 0, ExactDate(1899));
    b.UseDataset(8);
    b.Event(kTagBirth, b.Person('M', "Otto", "Other"), 0, ExactDate(1800));
    b.Write();
    const Lines opts = {"--opt", "MaxYear=1900", "--opt", "UseParents=0", "--opt", "UseChildren=0"};

    RunLog log = f.RunBothWays("setliving", opts, opts);
    EXPECT_EQ(log.Between("Options:", "ID, Event and Year"),
              (Lines{"  Before Year: 1900", "  Use Ancestor's Events: False",
                     "  Use Descendant's Events: False", ""}));
    // Abel, the couple, Boris and Dirk: primary BMDB events before 1900, as principals.
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (Lines{"1, Birth 1850", "7, Marriage 1870", "8, Marriage 1870", "9, Burial 1890",
                     "13, Death 1899"}));
    EXPECT_EQ(log.Totals(), (Lines{"People=13", "People with Living '?'=11",
                                   "Changed flag; event before 1900=5", "Set Living 'N'=5"}));
    std::string living;
    for (const std::string& v : Column(f.Table("$"), "LIVING"))
        living += v;
    EXPECT_EQ(living, "N?Y???NNNN??N?") << "Otto of dataset 8 last";
    ExpectTableSound(f.Table("$"), "LIVING", "REF_ID");
}

TEST(SetLiving, DescendantsAndAncestorsAllowYearsPerGenerationAndTraceBackToThePerson) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    // With ten years per generation, a child's birth in 1905 counts for the parent, a
    // grandchild's in 1915 for the grandparent (not for the parent between them).
    int adam = b.Person('M', "Adam", "Parent");
    int carl = b.Person('M', "Carl", "Child");
    b.Parents(carl, adam, 0);
    b.Event(kTagBirth, carl, 0, ExactDate(1905));
    int gert = b.Person('M', "Gert", "Grand");
    std::vector<int> down = Line(b, gert, 2, true);
    b.Event(kTagBirth, down[1], 0, ExactDate(1915));
    // With sixty years per generation, a father's birth in 1835 counts; so does one in 1650 of
    // a great-great-grandfather, but not one in 1500 of the generation above.
    int dora = b.Person('F', "Dora", "Daughter");
    b.Event(kTagBirth, Line(b, dora, 1, false)[0], 0, ExactDate(1835));
    int yann = b.Person('M', "Yann", "Near");
    std::vector<int> up = Line(b, yann, 4, false);
    b.Event(kTagBirth, up[3], 0, ExactDate(1650));
    int xaver = b.Person('M', "Xaver", "Far");
    b.Event(kTagBirth, Line(b, xaver, 5, false)[4], 0, ExactDate(1500));
    // Only 32 children are read: the 33rd child's birth does not count.
    int many = b.Person('M', "Max", "Many");
    for (int i = 0; i < 33; ++i) {
        int kid = Line(b, many, 1, true)[0];
        if (i == 32)
            b.Event(kTagBirth, kid, 0, ExactDate(1850));
    }
    b.Write();

    ASSERT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900", "--opt", "UseParents=1", "--opt",
                                  "UseChildren=1", "--opt", "FiveGenerations=0"}),
              0)
        << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("  Use Five Generations Rule: False"));
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (Lines{
                  "    " + Id(carl) + ", Birth 1905",
                  "    " + Id(carl) + " is child of " + Id(adam),
                  Id(adam) + ", *",
                  "        " + Id(down[1]) + ", Birth 1915",
                  "        " + Id(down[1]) + " is child of " + Id(down[0]),
                  "    " + Id(down[0]) + " is child of " + Id(gert),
                  Id(gert) + ", *",
                  "    " + Id(dora + 1) + ", Birth 1835",
                  "    " + Id(dora + 1) + " is parent of " + Id(dora),
                  Id(dora) + ", *",
                  "                " + Id(up[3]) + ", Birth 1650",
                  "                " + Id(up[3]) + " is parent of " + Id(up[2]),
                  "            " + Id(up[2]) + " is parent of " + Id(up[1]),
                  "        " + Id(up[1]) + " is parent of " + Id(up[0]),
                  "    " + Id(up[0]) + " is parent of " + Id(yann),
                  Id(yann) + ", *",
              }));
    EXPECT_EQ(log.Totals(),
              (Lines{"People=" + Id(many + 33), "People with Living '?'=7",
                     "Changed flag; event before 1900=0", "Changed flag; ancestor event=2",
                     "Changed flag; descendant event=2", "Set Living 'N'=4"}));
    Lines living = Column(f.Table("$"), "LIVING");
    for (int n : {carl, xaver, many})
        EXPECT_EQ(living[n - 1], "?") << n;
}

TEST(SetLiving, FiveGenerationsOfDescendantsSufficeWithoutDatesAndLoopsEnd) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int hans = b.Person('M', "Hans", "Five");
    std::vector<int> five = Line(b, hans, 5, true);
    int jan = b.Person('M', "Jan", "Four");
    Line(b, jan, 4, true);
    // Each the other's child: a loop in the parent-child links.
    int lou = b.Person('M', "Lou", "Loop");
    int leo = b.Person('M', "Leo", "Loop");
    b.Parents(lou, leo, 0);
    b.Parents(leo, lou, 0);
    b.Write();

    // Without the rule nobody has dated events, and the loop is searched to its end.
    ASSERT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900", "--opt", "UseChildren=1", "--opt",
                                  "FiveGenerations=0"}),
              0)
        << f.err.str();
    EXPECT_TRUE(f.Log().Has("Set Living 'N'=0"));

    ASSERT_EQ(f.Run("setliving", {"--opt", "FiveGenerations=1"}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (Lines{
                  "                    " + Id(five[4]) + ", Gen=5",
                  "                    " + Id(five[4]) + " is child of " + Id(five[3]),
                  "                " + Id(five[3]) + " is child of " + Id(five[2]),
                  "            " + Id(five[2]) + " is child of " + Id(five[1]),
                  "        " + Id(five[1]) + " is child of " + Id(five[0]),
                  "    " + Id(five[0]) + " is child of " + Id(hans),
                  Id(hans) + ", *",
              }));
    EXPECT_EQ(log.Totals(),
              (Lines{"People=13", "People with Living '?'=4", "Changed flag; event before 1900=0",
                     "Changed flag; descendant event=0",
                     "Changed flag; 5 generations of descendants=1", "Set Living 'N'=1"}));
    Lines living = Column(f.Table("$"), "LIVING");
    EXPECT_EQ(living[hans - 1], "N");
    for (int n : {jan, lou, leo})
        EXPECT_EQ(living[n - 1], "?") << n;
}

TEST(SetLiving, TheConfirmationNamesTheYearsOfTheSettingsFileAndOnlyOkRuns) {
    FunctionProject f;
    int adam = f.build.Person('M', "Adam", "Parent");
    f.build.Event(kTagBirth, Line(f.build, adam, 1, true)[0], 0, ExactDate(1915));
    f.build.Write();
    f.programFolder = f.dir.Folder() + "program/";
    f.dir.Write("program/hearthkit.ini", "[Advanced]\r\nSet Living.Descendant Years=20\r\n"
                                         "Set Living.Ancestor Years=50\r\n");
    f.dir.Write("program/compatibility.ini",
                ReadBytes(std::string(HK_SOURCE_DIR) + "/data/compatibility.ini"));
    EXPECT_EQ(f.Run("setliving", {"--opt", "MaxYear=19x0"}), 2) << "the year is not complete";

    f.yes = false;
    EXPECT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900", "--opt", "UseParents=1", "--opt",
                                  "UseChildren=1", "--opt", "FiveGenerations=1"}),
              2);
    EXPECT_EQ(f.logPath, "") << "not confirmed: no log";
    const std::string confirm = "Confirm: Click [OK] to set Living=N for all people with "
                                "LIVING=? and BMDB events before 1900,\r\n";
    EXPECT_NE(f.err.str().find(confirm + "or with parents who have BMDB events before 1850,\r\n"
                                         "or with children who have BMDB events before 1920,\r\n"
                                         "or with five generations of relationships.\n"),
              std::string::npos)
        << f.err.str();
    f.yes = true;
    ASSERT_EQ(f.Run("setliving", {}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("Changed flag; descendant event=1")) << "1915 is before 1900 + 20";

    // The rule's option line belongs to the descendant search; the question names it anyway.
    ASSERT_EQ(f.Run("setliving", {"--opt", "UseParents=0", "--opt", "UseChildren=0"}), 0);
    EXPECT_NE(f.err.str().find(confirm + "or with five generations of relationships.\n"),
              std::string::npos)
        << f.err.str();
    EXPECT_FALSE(f.Log().Mentions("Five Generations"));
    EXPECT_FALSE(f.Log().Mentions("descendant event"));
}
