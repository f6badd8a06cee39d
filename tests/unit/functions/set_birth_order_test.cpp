// Set Birth Order end to end: couples numbered in birth order, couples left alone because a
// child lacks a birth sort date or there are too many children, the flag filter, Log Only.
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

int Child(TestProjectBuilder& b, int father, int mother, const std::string& birth,
          const std::string& order = {}) {
    int c = b.Person('M', "Kid", "Family");
    b.Parents(c, father, mother);
    if (!birth.empty())
        b.Event(kTagBirth, c, 0, birth);
    b.PersonRecord(c).birthOrder = order;
    return c;
}

std::string Order(const FunctionProject& f, int person) {
    return PersonField(f.TablePath("$"), person, "BIRTHORDER");
}

} // namespace

TEST(SetBirthOrder, CouplesAreNumberedByBirthSortDateUnlessAChildLacksOne) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int fa = b.Person('M', "Frank", "Able");
    int mo = b.Person('F', "Mary", "Able");
    int c1 = Child(b, fa, mo, Born(1830, 1, 1));
    int c2 = Child(b, fa, mo, Born(1825, 6, 1), "3");
    int c3 = Child(b, fa, mo, Born(1828, 2, 1), "2"); // right already
    // The second child has no birth event at all, the fourth one with an empty date.
    int g = b.Person('M', "Gus", "Gap");
    int h = b.Person('F', "Hilda", "Gap");
    int d1 = Child(b, g, h, Born(1850, 1, 1), "7");
    int d2 = Child(b, g, h, {});
    Child(b, g, h, Born(1855, 1, 1));
    int d4 = Child(b, g, h, "100000000030000000000");
    // A mother alone: her children have no other parent.
    int k = b.Person('F', "Kate", "Single");
    int e1 = Child(b, 0, k, Born(1870, 3, 1));
    int e2 = Child(b, 0, k, Born(1860, 3, 1), "01");
    // Married, without children.
    int p = b.Person('M', "Paul", "Wed");
    int q = b.Person('F', "Quinn", "Wed");
    b.Event(kTagMarriage, p, q, Born(1900, 5, 5));
    b.Write();

    auto before = Snapshot(f.Folder());
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "none"}, true), 0) << f.err.str();
    EXPECT_EQ(Snapshot(f.Folder()), before);
    RunLog logOnly = f.Log();

    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_EQ(log.WithoutLogOnly(), logOnly.WithoutLogOnly());
    EXPECT_TRUE(log.Has("  Flag Filter: <No Filter>"));
    auto id = [](int n) { return "#" + std::to_string(n); };
    EXPECT_EQ(log.Details("Parent1, Parent2"),
              (std::vector<std::string>{id(g) + ", " + id(h),
                                        "* " + id(d2) + ", no primary birth sort date",
                                        "* " + id(d4) + ", no primary birth sort date"}));
    EXPECT_EQ(log.Totals(), (std::vector<std::pair<std::string, long>>{
                                {"People", q},
                                {"Couples", 4},
                                {" where all children have sort dates", 3},
                                {" where some or all children do not have sort dates", 1},
                                {"Children where all siblings have sort dates", 5},
                                {" and birth order is correct", 2},
                                {" and birth order is incorrect", 3},
                                {"Changes", 3}}));
    EXPECT_NE(f.out.str().find(" and birth order is incorrect=3"), std::string::npos)
        << "the command line prints the sub-totals too";

    EXPECT_EQ(Order(f, c2), "1");
    EXPECT_EQ(Order(f, c3), "2");
    EXPECT_EQ(Order(f, c1), "3");
    EXPECT_EQ(Order(f, e2), "01") << "a number that is right already is not rewritten";
    EXPECT_EQ(Order(f, e1), "2");
    EXPECT_EQ(Order(f, d1), "7") << "a couple with an undated child is left alone";
    ExpectIndexesConsistent(f.TablePath("$"));
    ExpectOraclesRead(f.TablePath("$"), "BIRTHORDER", "PER_NO");

    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    EXPECT_EQ(f.Log().Total("Changes"), 0);
    EXPECT_EQ(f.Log().Total(" and birth order is correct"), 5);
}

TEST(SetBirthOrder, ThirtyThreeChildrenAreTooManyThirtyTwoAreNumbered) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int many = b.Person('M', "Zack", "Many");
    int wife1 = b.Person('F', "Wanda", "Many");
    int most = b.Person('M', "Yuri", "Most");
    int wife2 = b.Person('F', "Vera", "Most");
    std::vector<int> first, second;
    for (int i = 0; i < 33; ++i)
        first.push_back(Child(b, many, wife1, Born(1800 + 33 - i, 1, 1)));
    for (int i = 0; i < 32; ++i)
        second.push_back(Child(b, most, wife2, Born(1800 + 32 - i, 1, 1)));
    b.Write();

    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_EQ(log.Details("Parent1, Parent2"),
              std::vector<std::string>{"* #" + std::to_string(many) + ", too many children"});
    EXPECT_EQ(log.Total("Couples"), 2);
    EXPECT_EQ(log.Total("Children where all siblings have sort dates"), 32);
    EXPECT_EQ(log.Total("Changes"), 32);
    for (int c : first)
        EXPECT_EQ(Order(f, c), "") << c;
    // Born in reverse order of their person numbers: the last one is the eldest.
    EXPECT_EQ(Order(f, second.back()), "1");
    EXPECT_EQ(Order(f, second.front()), "32");
}

TEST(SetBirthOrder, TheFlagFilterChoosesWhoseCouplesAreNumberedAndIsKeptForTheProject) {
    FunctionProject f;
    TestProjectBuilder& b = f.build;
    int printed = b.Person('M', "Rolf", "Print");
    b.PersonRecord(printed).flags[0] = 'Y';
    int wife1 = b.Person('F', "Rita", "Print");
    int not1 = Child(b, printed, wife1, Born(1801, 1, 1));
    int not2 = Child(b, printed, wife1, Born(1800, 1, 1));
    int plain = b.Person('M', "Sven", "Plain");
    int wife2 = b.Person('F', "Sara", "Plain");
    int other = Child(b, plain, wife2, Born(1802, 1, 1));
    b.Write();

    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "FLAG1=Y"}), 0) << f.err.str();
    RunLog log = f.Log();
    EXPECT_TRUE(log.Has("  Flag Filter: Print = 'Y'"));
    EXPECT_EQ(log.Total("People"), 7);
    EXPECT_EQ(log.Total("People that pass filter"), 1);
    EXPECT_EQ(log.Total("Couples"), 1);
    EXPECT_EQ(Order(f, not2), "1");
    EXPECT_EQ(Order(f, not1), "2");
    EXPECT_EQ(Order(f, other), "") << "Sven fails the filter, and Sara leaves the couple to him";

    // Kept for the project; "!=" excludes.
    ASSERT_EQ(f.Run("setbirthorder", {}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Flag Filter: Print = 'Y'"));
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "FLAG1!=YN"}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Flag Filter: Print <> ('Y' or 'N')"));
    EXPECT_EQ(f.Log().Total("People that pass filter"), 0);
    ASSERT_EQ(f.Run("setbirthorder", {"--flag-filter", "none"}), 0) << f.err.str();
    EXPECT_TRUE(f.Log().Has("  Flag Filter: <No Filter>"));
    EXPECT_EQ(f.Log().text.find("People that pass filter"), std::string::npos);
    EXPECT_EQ(Order(f, other), "1");
    EXPECT_EQ(f.Run("setbirthorder", {"--flag-filter", "=Y"}), 2);
}
