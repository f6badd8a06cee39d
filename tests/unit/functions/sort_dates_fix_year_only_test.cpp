// Fix Sort Dates and Set Year Only Dates end to end: which events they touch, their log lines
// and totals, the options kept per project, and the Log Only promise.
#include "sort_dates_fixture.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

std::string Dated(const char* yyyymmdd, char modifier = '3', const char* second = "00000000") {
    return std::string("1") + yyyymmdd + "0" + modifier + second + "00";
}

} // namespace

TEST(FixSortDates, CopiesRegularDatesIntoEmptySortDatesOnly) {
    SortDatesProject p;
    auto& b = p.builder;
    b.Datasets({1, 2});
    int ann = b.Person('F', "Ann", "One");
    int ben = b.Person('M', "Ben", "Two");
    int plain = b.Event(kTagBirth, ann, 0, Dated("18500305"));
    int before = b.Event(kTagMarriage, ann, ben, Dated("18700000", '0'));
    int kept = b.Event(kTagDeath, ann, 0, Dated("19000101"));
    int irregular = b.Event(kTagBurial, ann, 0, "0in the spring");
    int undated = b.Event(kTagCensus, ben, 0, "100000000030000000000");
    int gone = b.Event(kTagCensus, ben, 0, Dated("18600000"));
    for (int e : {plain, before, irregular, undated, gone})
        b.EventRecord(e).sortDate = "";
    b.EventRecord(kept).sortDate = Dated("19000102");
    b.EventRecord(gone).deleted = true;
    b.UseDataset(2);
    int other = b.Person('M', "Carl", "Elsewhere");
    int elsewhere = b.Event(kTagBirth, other, 0, Dated("18000101"));
    b.EventRecord(elsewhere).sortDate = "";
    b.Write();

    ASSERT_EQ(p.RunBothWays("fixsortdates", {"--dataset", "1"}), 0) << p.err.str();
    const std::string g = p.Table("g");
    EXPECT_EQ(FieldOf(g, plain, "SRTDATE"), Dated("18500305"));
    EXPECT_EQ(FieldOf(g, before, "SRTDATE"), Dated("18700000", '0'));
    EXPECT_EQ(FieldOf(g, kept, "SRTDATE"), Dated("19000102"));
    for (int e : {irregular, undated, gone, elsewhere})
        EXPECT_EQ(FieldOf(g, e, "SRTDATE"), "") << e;
    EXPECT_NE(p.log.find("\r\nEvent, P1, P2, Date\r\n"
                         "Birth, #1, #0, 05 Mar 1850\r\n"
                         "Marriage, #1, #2, before 1870\r\n\r\nFinished at"),
              std::string::npos)
        << p.log;
    EXPECT_NE(p.log.find("\r\nEvents read=5\r\nEvent Sort Dates fixed=2\r\n"), std::string::npos)
        << p.log;
    ExpectTableSound(p.Table("g"), "SRTDATE", "BYRECNO");
}

TEST(YearOnlyDates, RemovesMonthAndDayFromPlainDatesOfLivingPeopleInChosenGroups) {
    SortDatesProject p;
    auto& b = p.builder;
    b.Datasets({1, 2});
    int live = b.Person('F', "Lena", "Living");
    int dead = b.Person('M', "Dirk", "Dead");
    int dead2 = b.Person('F', "Dora", "Dead");
    b.PersonRecord(dead).living = 'N';
    b.PersonRecord(dead2).living = 'N';
    b.PersonRecord(live).living = 'Y';
    // Marked dead, but in another dataset: not found here, so possibly living.
    b.UseDataset(2);
    int otto = b.Person('M', "Otto", "Elsewhere");
    b.PersonRecord(otto).living = 'N';
    b.UseDataset(1);
    int birth = b.Event(kTagBirth, live, 0, Dated("18500303"));
    int month = b.Event(kTagBaptism, live, 0, Dated("18500400"));
    int yearOnly = b.Event(kTagCensus, live, 0, Dated("18600000"));
    int beforeDate = b.Event(kTagDeath, live, 0, Dated("19000512", '0'));
    int between = b.Event(kTagBurial, live, 0, Dated("19000512", '5', "19010101"));
    int deadOnly = b.Event(kTagMarriage, dead, dead2, Dated("18750607"));
    int mixed = b.Event(kTagMarriage, dead, live, Dated("18760708"));
    int stranger = b.Event(kTagOccupation, dead, otto, Dated("18770809"));
    int address = b.Event(kTagAddress, live, 0, Dated("18800910"));
    b.Write();
    const std::string g = p.Table("g");
    std::string addressBefore = FieldOf(g, address, "EDATE");

    // Nothing chosen: the command button stays disabled.
    EXPECT_EQ(p.Run("yearonlydates", {"--dataset", "1"}), 2);
    EXPECT_NE(p.err.str().find("not complete"), std::string::npos) << p.err.str();
    std::vector<std::string> opts = {"--dataset", "1",
                                     "--opt",     "BirthGroup=1",
                                     "--opt",     "DeathGroup=1",
                                     "--opt",     "BurialGroup=1",
                                     "--opt",     "MarriageGroup=1",
                                     "--opt",     "CustomGroup=1"};
    ASSERT_EQ(p.RunBothWays("yearonlydates", opts), 0) << p.err.str();

    EXPECT_EQ(FieldOf(g, birth, "EDATE"), Dated("18500000"));
    EXPECT_EQ(FieldOf(g, birth, "SRTDATE"), Dated("18500303")) << "sort date left alone";
    EXPECT_EQ(FieldOf(g, month, "EDATE"), Dated("18500000"));
    EXPECT_EQ(FieldOf(g, yearOnly, "EDATE"), Dated("18600000"));
    EXPECT_EQ(FieldOf(g, beforeDate, "EDATE"), Dated("19000512", '0'));
    EXPECT_EQ(FieldOf(g, between, "EDATE"), Dated("19000512", '5', "19010101"));
    EXPECT_EQ(FieldOf(g, deadOnly, "EDATE"), Dated("18750607"));
    EXPECT_EQ(FieldOf(g, mixed, "EDATE"), Dated("18760000"));
    EXPECT_EQ(FieldOf(g, stranger, "EDATE"), Dated("18770000")) << "someone not found may live";
    EXPECT_EQ(FieldOf(g, address, "EDATE"), addressBefore) << "group not chosen";

    EXPECT_NE(p.log.find("Options:\r\n  Birth Group\r\n  Death Group\r\n  Marriage Group\r\n"
                         "  Burial Group\r\n  Other Group\r\n\r\n"
                         "Event, P1, P2, Old Date, New Date\r\n"
                         "Birth, #1, #0, 03 Mar 1850, 1850\r\n"
                         "Baptism, #1, #0, Apr 1850, 1850\r\n"
                         "Marriage, #2, #1, 08 Jul 1876, 1876\r\n"
                         "Occupation, #2, #0, 09 Aug 1877, 1877\r\n\r\nFinished"),
              std::string::npos)
        << p.log;
    EXPECT_NE(p.log.find("\r\nEvents read=9\r\nEvents in selected groups=8\r\n"
                         "Event Dates modified=4\r\n"),
              std::string::npos)
        << p.log;
    ExpectTableSound(p.Table("g"), "EDATE", "BYRECNO");

    // The boxes were kept for the project: a second run needs no options and changes nothing.
    ASSERT_EQ(p.Run("yearonlydates", {"--dataset", "1"}), 0) << p.err.str();
    EXPECT_NE(p.log.find("Event Dates modified=0\r\n"), std::string::npos) << p.log;
}
