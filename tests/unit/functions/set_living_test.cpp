// Set Living=N end to end: which people are marked and why, the search traces through
// descendants and ancestors, the confirmation, and the Log Only promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "functions/set_living.h"
#include "people_functions_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

std::string InYear(int year) {
    char b[32];
    std::snprintf(b, sizeof b, "1%04d0000030000000000", year);
    return b;
}

void SetPrimary(TestProjectBuilder& b, int event, int person, bool primary) {
    for (ParticipantRec& p : b.Participants())
        if (p.event == event && p.perNo == person)
            p.primary = primary;
}

// A line of descent: each new person a child of the one before; returns their numbers.
std::vector<int> Descent(TestProjectBuilder& b, int from, int generations, char living) {
    std::vector<int> line;
    for (int g = 0; g < generations; ++g) {
        int child = b.Person(g % 2 ? 'F' : 'M', "Gen" + std::to_string(g + 1), "Line");
        b.PersonRecord(child).living = living;
        b.Parents(child, b.PersonRecord(from).sex == 'M' ? from : 0,
                  b.PersonRecord(from).sex == 'F' ? from : 0);
        line.push_back(child);
        from = child;
    }
    return line;
}

// The people and events of the own-event rules: Abel (1), the couple (7, 8), Boris (9) and
// Dirk (13) have primary BMDB events before 1900 as principals.
void OwnEventProject(TestProjectBuilder& b) {
    b.Datasets({1, 8});
    int abel = b.Person('M', "Abel", "Old");
    int birth = b.Event(kTagBirth, abel, 0, InYear(1850));
    int bea = b.Person('F', "Bea", "Threshold");
    b.Event(kTagBirth, bea, 0, InYear(1900));
    int yves = b.Person('M', "Yves", "Living");
    b.PersonRecord(yves).living = 'Y';
    b.Event(kTagBirth, yves, 0, InYear(1800));
    int zero = b.Person('M', "Zeno", "Zero");
    b.Event(kTagBirth, zero, 0, "100000101030000000000");
    int cen = b.Person('F', "Cena", "Census");
    b.Event(kTagCensus, cen, 0, InYear(1800));
    SetPrimary(b, b.Event(kTagDeath, cen, 0, InYear(1880)), cen, false);
    int wit = b.Person('M', "Walt", "Witness");
    b.Witness(birth, wit).primary = true;
    int husband = b.Person('M', "Hugo", "Wed");
    int wife = b.Person('F', "Wilma", "Wed");
    b.Event(kTagMarriage, husband, wife, InYear(1870));
    int buried = b.Person('M', "Boris", "Buried");
    b.Event(kTagBurial, buried, 0, InYear(1890));
    int dead = b.Person('F', "Nora", "No");
    b.PersonRecord(dead).living = 'N';
    b.Event(kTagBirth, dead, 0, InYear(1700));
    int vague = b.Person('M', "Vic", "Vague");
    b.Event(kTagBirth, vague, 0, "0about 1800");
    int twice = b.Person('F', "Tess", "Twice");
    b.Event(kTagBirth, twice, 0, InYear(1950));
    SetPrimary(b, b.Event(kTagBirth, twice, 0, InYear(1800)), twice, false);
    int last = b.Person('M', "Dirk", "Died");
    b.Event(kTagDeath, last, 0, InYear(1899));
    b.UseDataset(8);
    int other = b.Person('M', "Otto", "Other");
    b.Event(kTagBirth, other, 0, InYear(1800));
}

} // namespace

TEST(SetLiving, OwnEventsBeforeTheYearMarkOnlyUnknownPeopleAndLogOnlyChangesNothing) {
    FunctionProject f;
    OwnEventProject(f.build);
    f.build.Write();
    const std::vector<std::string> opts = {"--opt",        "MaxYear=1900", "--opt",
                                           "UseParents=0", "--opt",        "UseChildren=0"};

    auto before = Snapshot(f.Folder());
    ASSERT_EQ(f.Run("setliving", opts, true), 0) << f.err.str();
    EXPECT_EQ(Snapshot(f.Folder()), before) << "Log Only leaves every file as it was";
    RunLog logOnly = f.Log();
    EXPECT_TRUE(logOnly.Has("Log Only=True"));
    EXPECT_EQ(logOnly.lines.back(), kLogOnlyNote);

    ASSERT_EQ(f.Run("setliving", opts), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_EQ(log.WithoutLogOnly(), logOnly.WithoutLogOnly());
    EXPECT_FALSE(log.Has(std::string(kLogOnlyNote)));

    // Options, then one line per person: ID, the event's tag type and year.
    std::vector<std::string> options = {"Options:", "  Before Year: 1900",
                                        "  Use Ancestor's Events: False",
                                        "  Use Descendant's Events: False"};
    auto at = std::find(log.lines.begin(), log.lines.end(), "Options:");
    ASSERT_NE(at, log.lines.end());
    EXPECT_EQ(std::vector<std::string>(at, at + 5),
              (std::vector<std::string>{options[0], options[1], options[2], options[3], ""}));
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (std::vector<std::string>{"1, Birth 1850", "7, Marriage 1870", "8, Marriage 1870",
                                        "9, Burial 1890", "13, Death 1899"}));
    EXPECT_EQ(log.Totals(),
              (std::vector<std::pair<std::string, long>>{{"People", 13},
                                                         {"People with Living '?'", 11},
                                                         {"Changed flag; event before 1900", 5},
                                                         {"Set Living 'N'", 5}}));

    std::string living;
    for (const std::string& v : Column(f.TablePath("$"), "LIVING"))
        living += v;
    // Abel ... Dirk of dataset 1, then Otto of dataset 8.
    EXPECT_EQ(living, "N?Y???NNNN??N?");
    ExpectIndexesConsistent(f.TablePath("$"));
    ExpectOraclesRead(f.TablePath("$"), "LIVING", "REF_ID");

    // A second run finds nobody left to mark.
    ASSERT_EQ(f.Run("setliving", {}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Before Year: 1900")) << "the options were kept for the project";
    EXPECT_EQ(f.Log().Total("Set Living 'N'"), 0);
}

TEST(SetLiving, DescendantsAndAncestorsAllowYearsPerGenerationAndTraceBackToThePerson) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    // A child born in 1905 counts for its parent with ten years per generation, a grandchild
    // born in 1915 for its grandparent (but not for its own parent).
    int a = b.Person('M', "Adam", "Parent");
    int c = b.Person('M', "Carl", "Child");
    b.Parents(c, a, 0);
    b.Event(kTagBirth, c, 0, InYear(1905));
    int g1 = b.Person('F', "Gita", "Grand");
    std::vector<int> gl = Descent(b, g1, 2, 'Y');
    b.Event(kTagBirth, gl[1], 0, InYear(1915));
    // A father born in 1835 is before 1900 less sixty years.
    int d = b.Person('F', "Dora", "Daughter");
    int fa = b.Person('M', "Fritz", "Father");
    b.PersonRecord(fa).living = 'Y';
    b.Parents(d, fa, 0);
    b.Event(kTagBirth, fa, 0, InYear(1835));
    // Ancestors are searched up to the great-great-grandparents, not further.
    auto ancestry = [&](int person, int generations) {
        std::vector<int> up;
        int child = person;
        for (int g = 0; g < generations; ++g) {
            int parent = b.Person('M', "Anc" + std::to_string(g + 1), "Up");
            b.PersonRecord(parent).living = 'Y';
            b.Parents(child, parent, 0);
            up.push_back(parent);
            child = parent;
        }
        return up;
    };
    int x = b.Person('M', "Xaver", "Far");
    b.Event(kTagBirth, ancestry(x, 5).back(), 0, InYear(1500));
    int y = b.Person('M', "Yann", "Near");
    std::vector<int> yl = ancestry(y, 4);
    b.Event(kTagBirth, yl.back(), 0, InYear(1650));
    // Only 32 children of a person are read: the 33rd child's early birth does not count.
    int m = b.Person('F', "Maria", "Many");
    for (int i = 0; i < 33; ++i) {
        int child = b.Person('M', "Kid" + std::to_string(i + 1), "Many");
        b.PersonRecord(child).living = 'Y';
        b.Parents(child, 0, m);
        if (i == 32)
            b.Event(kTagBirth, child, 0, InYear(1850));
    }
    b.Write();

    ASSERT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900", "--opt", "UseParents=1", "--opt",
                                  "UseChildren=1", "--opt", "FiveGenerations=0"}),
              0)
        << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("  Use Five Generations Rule: False"));
    auto id = [](int n) { return std::to_string(n); };
    ASSERT_EQ(a, 1) << "IDs follow person numbers in this project";
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (std::vector<std::string>{
                  "    " + id(c) + ", Birth 1905",
                  "    " + id(c) + " is child of " + id(a),
                  id(a) + ", *",
                  "        " + id(gl[1]) + ", Birth 1915",
                  "        " + id(gl[1]) + " is child of " + id(gl[0]),
                  "    " + id(gl[0]) + " is child of " + id(g1),
                  id(g1) + ", *",
                  "    " + id(fa) + ", Birth 1835",
                  "    " + id(fa) + " is parent of " + id(d),
                  id(d) + ", *",
                  "                " + id(yl[3]) + ", Birth 1650",
                  "                " + id(yl[3]) + " is parent of " + id(yl[2]),
                  "            " + id(yl[2]) + " is parent of " + id(yl[1]),
                  "        " + id(yl[1]) + " is parent of " + id(yl[0]),
                  "    " + id(yl[0]) + " is parent of " + id(y),
                  id(y) + ", *",
              }));
    EXPECT_EQ(log.Totals(),
              (std::vector<std::pair<std::string, long>>{{"People", m + 33},
                                                         {"People with Living '?'", 7},
                                                         {"Changed flag; event before 1900", 0},
                                                         {"Changed flag; ancestor event", 2},
                                                         {"Changed flag; descendant event", 2},
                                                         {"Set Living 'N'", 4}}));
    for (int n : {a, g1, d, y})
        EXPECT_EQ(PersonField(f.TablePath("$"), n, "LIVING"), "N") << n;
    for (int n : {c, x, m})
        EXPECT_EQ(PersonField(f.TablePath("$"), n, "LIVING"), "?") << n;
}

TEST(SetLiving, FiveGenerationsOfDescendantsSufficeWithoutDatesAndLoopsEnd) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int h = b.Person('M', "Hans", "Five");
    std::vector<int> five = Descent(b, h, 5, 'Y');
    int j = b.Person('M', "Jan", "Four");
    Descent(b, j, 4, 'Y');
    // Each the other's child: a loop in the parent-child links.
    int l1 = b.Person('M', "Lou", "Loop");
    int l2 = b.Person('M', "Leo", "Loop");
    b.Parents(l1, l2, 0);
    b.Parents(l2, l1, 0);
    b.Write();

    // Without the rule nobody has dated events, and the loop is searched to its end.
    ASSERT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900", "--opt", "UseChildren=1", "--opt",
                                  "FiveGenerations=0"}),
              0)
        << f.err.str();
    EXPECT_EQ(f.Log().Details("ID, Event and Year"), std::vector<std::string>{});
    EXPECT_EQ(f.Log().Total("Set Living 'N'"), 0);

    ASSERT_EQ(f.Run("setliving", {"--opt", "FiveGenerations=1"}), 0) << f.err.str();
    RunLog log = f.Log();
    auto id = [](int n) { return std::to_string(n); };
    EXPECT_EQ(log.Details("ID, Event and Year"),
              (std::vector<std::string>{
                  "                    " + id(five[4]) + ", Gen=5",
                  "                    " + id(five[4]) + " is child of " + id(five[3]),
                  "                " + id(five[3]) + " is child of " + id(five[2]),
                  "            " + id(five[2]) + " is child of " + id(five[1]),
                  "        " + id(five[1]) + " is child of " + id(five[0]),
                  "    " + id(five[0]) + " is child of " + id(h),
                  id(h) + ", *",
              }));
    EXPECT_EQ(log.Totals(), (std::vector<std::pair<std::string, long>>{
                                {"People", 13},
                                {"People with Living '?'", 4},
                                {"Changed flag; event before 1900", 0},
                                {"Changed flag; descendant event", 0},
                                {"Changed flag; 5 generations of descendants", 1},
                                {"Set Living 'N'", 1}}));
    EXPECT_EQ(PersonField(f.TablePath("$"), h, "LIVING"), "N");
    for (int n : {j, l1, l2})
        EXPECT_EQ(PersonField(f.TablePath("$"), n, "LIVING"), "?") << n;
}

TEST(SetLiving, ConfirmationNamesTheYearsOfTheSettingsFileAndCancelStopsBeforeTheLog) {
    TempDir dir;
    TestProjectBuilder b(dir.Folder() + "proj", "Family");
    int a = b.Person('M', "Adam", "Parent");
    int c = b.Person('M', "Carl", "Child");
    b.PersonRecord(c).living = 'Y';
    b.Parents(c, a, 0);
    b.Event(kTagBirth, c, 0, InYear(1915));
    b.Write();
    std::string program = dir.Folder() + "program/";
    dir.Write("program/hearthkit.ini", "[Advanced]\r\nSet Living.Descendant Years=20\r\n"
                                       "Set Living.Ancestor Years=50\r\n");

    SetLivingFunction fn;
    ControlStates options;
    EXPECT_FALSE(fn.CanRun(options));
    options["txtSLFYear"].text = "19x0";
    EXPECT_FALSE(fn.CanRun(options));
    options["txtSLFYear"].text = "1900";
    EXPECT_TRUE(fn.CanRun(options));
    for (const char* box : {"chkUseParents", "chkUseChildren", "chkFiveGenerations"})
        options[box].value = 1;

    FrameRun run(b.PjcPath());
    run.ui.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(run.Run(fn, options, program)) << "no log after Cancel";
    ASSERT_EQ(run.ui.Of("message").size(), 1u);
    EXPECT_EQ(run.ui.Of("message")[0].title, "Confirm");
    EXPECT_EQ(run.ui.Of("message")[0].text,
              "Click [OK] to set Living=N for all people with LIVING=? and BMDB events before "
              "1900,\r\nor with parents who have BMDB events before 1850,\r\nor with children "
              "who have BMDB events before 1920,\r\nor with five generations of relationships.");

    run.ui.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(run.Run(fn, options, program));
    ASSERT_EQ(run.ui.Of("log").size(), 1u);
    RunLog log = RunLog::Read(run.ui.Of("log")[0].text);
    EXPECT_TRUE(log.Has("  Use Five Generations Rule: True"));
    EXPECT_EQ(log.Total("Changed flag; descendant event"), 1) << "1915 is before 1900 + 20";

    // The rule's option line belongs to the descendant search; the question names it anyway.
    options["chkUseParents"].value = 0;
    options["chkUseChildren"].value = 0;
    run.ui.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(run.Run(fn, options, program));
    EXPECT_EQ(run.ui.Of("message").back().text,
              "Click [OK] to set Living=N for all people with LIVING=? and BMDB events before "
              "1900,\r\nor with five generations of relationships.");
    log = RunLog::Read(run.ui.Of("log").back().text);
    EXPECT_TRUE(log.Has("  Use Descendant's Events: False"));
    EXPECT_EQ(log.text.find("Use Five Generations Rule"), std::string::npos);
    EXPECT_EQ(log.text.find("Changed flag; descendant event"), std::string::npos);
}
