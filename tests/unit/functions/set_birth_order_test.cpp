// Set Birth Order end to end: couples numbered in birth order, couples left alone because a
// child lacks a birth sort date or there are too many children, the flag filter, Log Only.
#include <gtest/gtest.h>

#include "people_functions_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

int Child(TestProjectBuilder& b, int father, int mother, const std::string& birth,
          const std::string& order = {}) {
    int c = b.Person('M', "Kid", "Family");
    b.Parents(c, father, mother);
    if (!birth.empty())
        b.Event(kTagBirth, c, 0, birth);
    b.PersonRecord(c).birthOrder = order;
    return c;
}

} // namespace

TEST(SetBirthOrder, CouplesAreNumberedByBirthSortDateUnlessAChildLacksOne) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int fa = b.Person('M', "Frank", "Able"), mo = b.Person('F', "Mary", "Able");
    int c1 = Child(b, fa, mo, ExactDate(1830, 1, 1));
    int c2 = Child(b, fa, mo, ExactDate(1825, 1, 1), "3");
    int c3 = Child(b, fa, mo, ExactDate(1828, 1, 1), "2"); // right already
    // The second child has no birth event, the fourth one the empty date.
    int g = b.Person('M', "Gus", "Gap"), h = b.Person('F', "Hilda", "Gap");
    int d1 = Child(b, g, h, ExactDate(1850, 1, 1), "7");
    int d2 = Child(b, g, h, {});
    Child(b, g, h, ExactDate(1855, 1, 1));
    int d4 = Child(b, g, h, "100000000030000000000");
    // A mother alone: her children's other parent is 0.
    int k = b.Person('F', "Kate", "Single");
    int e1 = Child(b, 0, k, ExactDate(1870, 1, 1));
    int e2 = Child(b, 0, k, ExactDate(1860, 1, 1), "01");
    // Married, without children.
    int p = b.Person('M', "Paul", "Wed");
    int q = b.Person('F', "Quinn", "Wed");
    b.Event(kTagMarriage, p, q, ExactDate(1900, 1, 1));
    b.Write();

    RunLog log = f.RunBothWays("setbirthorder", {}, {});
    EXPECT_TRUE(log.Has("  Flag Filter: <No Filter>"));
    auto id = [](int n) { return "#" + std::to_string(n); };
    EXPECT_EQ(log.Details("Parent1, Parent2"),
              (Lines{id(g) + ", " + id(h), "* " + id(d2) + ", no primary birth sort date",
                     "* " + id(d4) + ", no primary birth sort date"}));
    EXPECT_EQ(
        log.Totals(),
        (Lines{"People=" + std::to_string(q), "Couples=4", " where all children have sort dates=3",
               " where some or all children do not have sort dates=1",
               "Children where all siblings have sort dates=5", " and birth order is correct=2",
               " and birth order is incorrect=3", "Changes=3"}));
    EXPECT_NE(f.out.str().find(" and birth order is incorrect=3"), std::string::npos)
        << "the command line prints the sub-totals too";

    Lines order = Column(f.Table("$"), "BIRTHORDER");
    EXPECT_EQ((Lines{order[c2 - 1], order[c3 - 1], order[c1 - 1]}), (Lines{"1", "2", "3"}));
    EXPECT_EQ(order[e2 - 1], "01") << "a number that is right already is not rewritten";
    EXPECT_EQ(order[e1 - 1], "2");
    EXPECT_EQ(order[d1 - 1], "7") << "a couple with an undated child is left alone";
    ExpectTableSound(f.Table("$"), "BIRTHORDER", "PER_NO");
}

TEST(SetBirthOrder, ThirtyThreeChildrenAreTooManyThirtyTwoAreNumbered) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int many = b.Person('M', "Zack", "Many"), wife1 = b.Person('F', "Wanda", "Many");
    int most = b.Person('M', "Yuri", "Most"), wife2 = b.Person('F', "Vera", "Most");
    std::vector<int> first, second;
    // Born in the reverse order of their numbers.
    for (int i = 0; i < 33; ++i)
        first.push_back(Child(b, many, wife1, ExactDate(1833 - i, 1, 1)));
    for (int i = 0; i < 32; ++i)
        second.push_back(Child(b, most, wife2, ExactDate(1832 - i, 1, 1)));
    b.Write();

    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_EQ(log.Details("Parent1, Parent2"),
              Lines{"* #" + std::to_string(many) + ", too many children"});
    EXPECT_TRUE(log.Has("Couples=2"));
    EXPECT_TRUE(log.Has("Changes=32"));
    Lines order = Column(f.Table("$"), "BIRTHORDER");
    for (int c : first)
        EXPECT_EQ(order[c - 1], "") << c;
    EXPECT_EQ(order[second.back() - 1], "1");
    EXPECT_EQ(order[second.front() - 1], "32");
}

TEST(SetBirthOrder, TheFlagFilterChoosesWhoseCouplesAreNumberedAndIsKeptForTheProject) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int rolf = b.Person('M', "Rolf", "Print");
    b.PersonRecord(rolf).flags[0] = 'Y';
    int wife1 = b.Person('F', "Rita", "Print");
    int younger = Child(b, rolf, wife1, ExactDate(1801, 1, 1));
    Child(b, rolf, wife1, ExactDate(1800, 1, 1));
    int sven = b.Person('M', "Sven", "Plain");
    int other = Child(b, sven, b.Person('F', "Sara", "Plain"), ExactDate(1802, 1, 1));
    b.Write();

    // Sven fails the filter, and Sara leaves their couple to him (his number is lower).
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "FLAG1=Y"}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("  Flag Filter: Print = 'Y'"));
    EXPECT_TRUE(log.Has("People that pass filter=1"));
    EXPECT_TRUE(log.Has("Couples=1"));
    EXPECT_EQ(Column(f.Table("$"), "BIRTHORDER")[younger - 1], "2");
    EXPECT_EQ(Column(f.Table("$"), "BIRTHORDER")[other - 1], "");

    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Flag Filter: Print = 'Y'")) << "kept for the project";
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "FLAG1!=yn"}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Flag Filter: Print <> ('Y' or 'N')"));
    EXPECT_TRUE(f.Log().Has("People that pass filter=0"));
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "none"}), 0) << f.err.str();
    EXPECT_FALSE(f.Log().Mentions("People that pass filter"));
    EXPECT_EQ(Column(f.Table("$"), "BIRTHORDER")[other - 1], "1");
    EXPECT_EQ(f.Run("setbirthorder", {"--flag-filter", "=Y"}), 2);
}
