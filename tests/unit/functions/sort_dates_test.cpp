// Set Sort Dates end to end: which tags get sort dates and which dates, the person blocks of
// the log, the tag order with its stored forms, the limits, and the Log Only promise.
#include "sort_dates_fixture.h"

#include <algorithm>

#include "run/option_persistence.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;

namespace {

const char* kEmpty = "";
const char* kTags = "Tags=Name-Var;Birth;Baptism;Occupation|0;Census;Marriage;Death";

std::string Line(const std::string& log, const std::string& start) {
    size_t at = log.find("\r\n" + start);
    if (at == std::string::npos)
        return "<no line " + start + ">";
    at += 2;
    return log.substr(at, log.find("\r\n", at) - at);
}

} // namespace

TEST(SortDates, GivesUndatedTagsDatesInTagOrderAfterParentsAndEarlierTags) {
    SortDatesProject p;
    auto& b = p.builder;
    int adam = b.Person('M', "Adam", "Single");
    int adamBirth = b.Event(kTagBirth, adam); // a single tag stays undated
    int bella = b.Person('F', "Bella", "Dated");
    b.Event(kTagBirth, bella, 0, Exact(1850, 1, 1));
    b.Event(kTagDeath, bella, 0, Exact(1900, 1, 1));
    int carl = b.Person('M', "Carl", "Orphan");
    int carlDeath = b.Event(kTagDeath, carl);
    int carlBirth = b.Event(kTagBirth, carl);
    int unknown = b.Event(5000, carl);
    int frank = b.Person('M', "Frank", "Father");
    b.Event(kTagBirth, frank, 0, Exact(1800, 3, 1));
    int gina = b.Person('F', "Gina", "Mother");
    b.Event(kTagBirth, gina, 0, Exact(1805, 6, 10));
    int dora = b.Person('F', "Dora", "Child");
    b.Parents(dora, frank, 0);
    int doraCensus1 = b.Event(kTagCensus, dora);
    int doraBirth = b.Event(kTagBirth, dora);
    int doraCensus2 = b.Event(kTagCensus, dora);
    int hugo = b.Person('M', "Hugo", "Child");
    b.Parents(hugo, frank, gina);
    int hugoBirth = b.Event(kTagBirth, hugo);
    int hugoDeath = b.Event(kTagDeath, hugo);
    int ivan = b.Person('M', "Ivan", "Worker");
    NameParts alias;
    alias[kGiven] = "John";
    alias[kSurname] = "Worker";
    int ivanAlias = b.Name(ivan, alias);
    int ivanJob = b.Event(kTagOccupation, ivan, 0, Exact(1850, 5, 5));
    int ivanJob2 = b.Event(kTagOccupation, ivan);
    int ivanCensus = b.Event(kTagCensus, ivan);
    b.Event(kTagDeath, ivan, 0, Exact(1900, 1, 1));
    int ivanBaptism = b.Event(kTagBaptism, ivan);
    int jack = b.Person('M', "Jack", "Groom");
    int kate = b.Person('F', "Kate", "Bride");
    int jackBirth = b.Event(kTagBirth, jack);
    b.Event(kTagBirth, kate, 0, Exact(1830, 4, 4));
    int wedding = b.Event(kTagMarriage, jack, kate);
    int lou = b.Person('M', "Lou", "Self");
    int louBirth = b.Event(kTagBirth, lou);
    int louCensus = b.Event(kTagCensus, lou, lou); // read under both principals
    b.Write();

    ASSERT_EQ(p.RunBothWays("sortdates", {"--opt", kTags}), 0) << p.err.str();
    const std::string g = p.Table("g");
    auto srt = [&](int ev) { return FieldOf(g, ev, "SRTDATE"); };
    EXPECT_EQ(srt(adamBirth), kEmpty);
    // No parents: from 1 January 100, one day after each earlier tag.
    EXPECT_EQ(srt(carlBirth), Exact(100, 1, 1));
    EXPECT_EQ(srt(carlDeath), Exact(100, 1, 2));
    EXPECT_EQ(srt(unknown), kEmpty);
    // Father born 1 March 1800: twelve years on; a second tag of a type one day later.
    EXPECT_EQ(srt(doraBirth), Exact(1812, 3, 1));
    EXPECT_EQ(srt(doraCensus1), Exact(1812, 3, 2));
    EXPECT_EQ(srt(doraCensus2), Exact(1812, 3, 3));
    // The later of the parents' births counts.
    EXPECT_EQ(srt(hugoBirth), Exact(1817, 6, 10));
    EXPECT_EQ(srt(hugoDeath), Exact(1817, 6, 11));
    // An unchecked type keeps its undated tag but its dated one pushes later types forward;
    // a dated tag later in the order does not pull anything.
    EXPECT_EQ(FieldOf(p.Table("n"), ivanAlias, "SRTDATE"), Exact(100, 1, 1));
    EXPECT_EQ(srt(ivanBaptism), Exact(100, 1, 2));
    EXPECT_EQ(srt(ivanJob2), kEmpty);
    EXPECT_EQ(srt(ivanCensus), Exact(1850, 5, 6));
    EXPECT_EQ(srt(ivanJob), Exact(1850, 5, 5));
    // The other principal's birth: the day after it.
    EXPECT_EQ(srt(jackBirth), Exact(100, 1, 1));
    EXPECT_EQ(srt(wedding), Exact(1830, 4, 5));
    EXPECT_EQ(srt(louBirth), Exact(100, 1, 1));
    // Taken once per principal: the second entry of the record is dated after the first.
    EXPECT_EQ(srt(louCensus), Exact(100, 1, 3));

    const std::string& log = p.log;
    EXPECT_NE(log.find("Options:\r\n  Tag Order\r\n  Seq Type R/W Name\r\n"
                       "    0   37  Y  Name-Var\r\n    1    2  Y  Birth\r\n"
                       "    2   12  Y  Baptism\r\n    3   66  N  Occupation\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\r\nSkipping event (RECNO=" + std::to_string(unknown) +
                       ") - Unknown tag type\r\n"),
              std::string::npos);
    // The person block: names first (the undated primary name is not counted), then events
    // as loaded, each with its date and sort date.
    EXPECT_NE(log.find("\r\n\r\n#" + std::to_string(ivan) +
                       ", 1 n, 5 v\r\n"
                       " I:      9 Name-Var   |01 Jan 0100\r\n"
                       " I:     14 Occupation 05 May 1850|05 May 1850\r\n"
                       " I:     15 Occupation |\r\n"
                       " I:     16 Census     |06 May 1850\r\n"
                       " I:     17 Death      01 Jan 1900|01 Jan 1900\r\n"
                       " I:     18 Baptism    |02 Jan 0100\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(Line(log, "#" + std::to_string(carl)), "#3, 0 n, 2 v");
    EXPECT_EQ(Line(log, "#" + std::to_string(lou)), "#11, 0 n, 3 v");
    for (int quiet : {adam, bella, frank, gina, kate})
        EXPECT_EQ(log.find("\r\n#" + std::to_string(quiet) + ","), std::string::npos) << quiet;
    EXPECT_EQ(Line(log, "Tags changed="), "Tags changed=15");
    EXPECT_EQ(Line(log, "Tags w/unrecognized types="), "Tags w/unrecognized types=1");
    EXPECT_NE(p.err.str().find("1 tags with unrecognized tag types were found.  Review the "
                               "error messages in the log and then use TMG's Repair function "
                               "to fix the database."),
              std::string::npos)
        << p.err.str();

    ExpectTableSound(p.Table("g"), "SRTDATE", "BYRECNO");
    ExpectTableSound(p.Table("n"), "SRTDATE", "BYNPER");
}

TEST(SortDates, TagOrderComesFromEitherStoredFormThenDefaultsThenTheRestByName) {
    SortDatesProject p;
    auto& b = p.builder;
    int many = b.Person('M', "Many", "Tags");
    std::vector<int> census;
    for (int i = 0; i < 300; ++i)
        census.push_back(b.Event(kTagCensus, many));
    b.Write();
    // Kept by an older version: "1" + name for a checked entry; a name the project does not
    // have is dropped.
    std::string key = std::string(kSettingsRoot) + "\\" + ProjectFileKey("Fam_") + "\\Tags";
    p.store.SaveValue(key, "Count", SettingValue::Dword(3));
    p.store.SaveValue(key, "000", SettingValue::String("1Census"));
    p.store.SaveValue(key, "001", SettingValue::String("Birth|0|2"));
    p.store.SaveValue(key, "002", SettingValue::String("Milit-Beg|1|13"));

    ASSERT_EQ(p.RunBothWays("sortdates"), 0) << p.err.str();
    const std::string& log = p.log;
    std::vector<std::string> names;
    for (size_t at = log.find("  Seq Type R/W Name\r\n"); at != std::string::npos;) {
        at = log.find("\r\n", at) + 2;
        std::string line = log.substr(at, log.find("\r\n", at) - at);
        if (line.empty())
            break;
        names.push_back(line.substr(15) + (line.substr(11, 3) == " Y " ? "+" : ""));
    }
    std::vector<std::string> head(names.begin(), names.begin() + 20);
    // Tag types the kept list does not name are added checked.
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Census+",    "Birth",       "Name-Var+",   "Baptism+",  "Adoption+",
                        "Education+", "Graduation+", "Occupation+", "Marriage+", "Name-Marr+",
                        "Divorce+",   "Residence+",  "Will+",       "Death+",    "Burial+",
                        "Note+",      "Address+",    "AFN+",        "Age+",      "Anecdote+"}));
    for (const std::string& n : names) {
        EXPECT_EQ(n.find("Father-"), std::string::npos) << n;
        EXPECT_EQ(n.find("Parent-"), std::string::npos) << n;
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "Census+"), 1);

    // At most 256 tags of a person are taken; the rest keep their empty sort dates.
    EXPECT_NE(log.find("\r\n#1, 0 n, 256 v\r\n"), std::string::npos);
    EXPECT_EQ(FieldOf(p.Table("g"), census[0], "SRTDATE"), Exact(100, 1, 1));
    EXPECT_EQ(FieldOf(p.Table("g"), census[255], "SRTDATE"), Exact(100, 9, 13));
    EXPECT_EQ(FieldOf(p.Table("g"), census[256], "SRTDATE"), kEmpty);
    EXPECT_EQ(Line(log, "Tags changed="), "Tags changed=256");

    // The list is kept again in today's form, the whole list.
    auto count = p.store.QueryValue(key, "Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->dword, names.size());
    EXPECT_EQ(p.store.QueryValue(key, "000")->data, "Census|1|19");
    EXPECT_EQ(p.store.QueryValue(key, "001")->data, "Birth|0|2");

    // The command line's list comes first and is kept as the panel keeps it: completed from
    // the project, with the tag type numbers; a name of no tag type is dropped, and said so.
    ASSERT_EQ(p.Run("sortdates", {"--opt", "Tags=Death;Nosuch|1;Census|0"}), 0) << p.err.str();
    EXPECT_NE(p.log.find("    0    3  Y  Death\r\n    1   19  N  Census\r\n    2   37  Y  "),
              std::string::npos);
    EXPECT_NE(p.err.str().find("Nosuch"), std::string::npos) << p.err.str();
    EXPECT_EQ(p.store.QueryValue(key, "Count")->dword, names.size());
    EXPECT_EQ(p.store.QueryValue(key, "000")->data, "Death|1|3");
    EXPECT_EQ(p.store.QueryValue(key, "001")->data, "Census|0|19");
}

TEST(SortDates, TagTypeNumberAboveTheLimitEndsTheRunWithAnError) {
    SortDatesProject p;
    TagTypeRec big;
    big.number = 9000;
    big.name = "Big";
    p.builder.Add(big);
    int a = p.builder.Person('M', "Adam", "Any");
    int e1 = p.builder.Event(kTagBirth, a);
    p.builder.Event(kTagDeath, a);
    p.builder.Write();
    auto before = Snapshot(p.Folder());
    EXPECT_EQ(p.Run("sortdates", {"--opt", "Tags=Birth;Death"}), 1);
    EXPECT_NE(p.log.find("*ERROR* Error -1 from CEventList:CopyTagData\r\n"
                         "Tag type 9000 for 'Big' exceeds max (8191)\r\n"),
              std::string::npos)
        << p.log;
    EXPECT_NE(p.log.find("Tags changed=0\r\nErrors=1\r\n"), std::string::npos) << p.log;
    EXPECT_EQ(FieldOf(p.Table("g"), e1, "SRTDATE"), kEmpty);
    EXPECT_EQ(Snapshot(p.Folder()), before);
}
