// The loader table's handles and the smaller loaders and helpers: cross index, format tables,
// exhibits and their description markers, DNA results and test definitions, sureties.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "loader_project.h"
#include "loaders/cross_index.h"
#include "loaders/dna_loader.h"
#include "loaders/dna_tests.h"
#include "loaders/ext_exhibit_loader.h"
#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "loaders/surety.h"
#include "unit/formats/expect_error.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::LoaderProject;

TEST(LoaderTable, HandlesAreFoundOnceWithoutRegardToCase) {
    LoaderProject p;
    int a = p.build.Person('M', "A", "X");
    int b = p.build.Person('F', "B", "X");
    p.Open();
    LoaderTable t;
    t.Open(p.db, "$");
    const int perNo = t.Field("per_no");
    EXPECT_GE(perNo, 0);
    EXPECT_EQ(t.Field("PER_NO"), perNo);
    EXPECT_EQ(t.OptionalField("NoSuch"), -1);
    hk::test::ExpectError([&] { t.Field("NoSuch"); }, -1, "[CTMGDB.Field]",
                          "Error (-210) Unrecognized Field Name finding field " + t.Alias() +
                              ".NoSuch");
    db::Tag* byNumber = t.FindTag("per_no");
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(t.FindTag("PER_NO"), byNumber);
    EXPECT_EQ(t.FindTag("NOSUCH"), nullptr);
    t.SelectTag(t.FindTag("PERBYMOT"));
    t.SelectTag(byNumber);
    ASSERT_TRUE(t.Seek(static_cast<long>(b)));
    EXPECT_EQ(t.Long(perNo), b);
    t.SelectTag("no such tag"); // record order
    EXPECT_EQ(t.Tbl().SelectedTag(), nullptr);
    ASSERT_TRUE(t.First());
    EXPECT_EQ(t.Long(perNo), a);
}

TEST(CrossIndex, MapsNumbersOfTheDatasetOnly) {
    LoaderProject p;
    p.build.Datasets({1, 2});
    int a = p.build.Person('M', "A", "X");
    int b = p.build.Person('F', "B", "X");
    p.build.PersonRecord(b).living = 'N';
    p.build.UseDataset(2);
    int other = p.build.Person('M', "O", "X");
    p.Open();
    CTMGCrossIndex ids, living;
    ids.BuildPersonIDs(p.db);
    living.BuildLiving(p.db);
    EXPECT_EQ(ids.Lookup(a), 1);
    EXPECT_EQ(ids.Lookup(b), 2);
    EXPECT_EQ(ids.Lookup(other), 0);
    EXPECT_EQ(ids.Lookup(other + 50), 0);
    EXPECT_EQ(living.Lookup(b), 'N');
    EXPECT_EQ(living.Lookup(a), '?');
}

TEST(FormatTables, TagTypesStylesAndFlagsComeFromTheProject) {
    LoaderProject p;
    p.build.Person('M', "A", "X");
    p.Open();
    EXPECT_EQ(p.tagTypes.GroupOf(kTagBirth), hk::kGroupBirth);
    EXPECT_EQ(p.tagTypes.NameOf(kTagMarriage), "Marriage");
    EXPECT_FALSE(p.tagTypes.Has(kTagRetired)) << "a deleted tag type is left out";
    CTMGStyleFormatter formatter;
    LoadStyles(p.db, formatter);
    EXPECT_TRUE(formatter.HasStyle(kStyleNameTitleLast, StyleGroup::Name));
    EXPECT_FALSE(formatter.HasStyle(kStyleNameSecondDataset, StyleGroup::Name));
    std::vector<FlagDefinition> flags = ProjectFlags(ReadFlagRows(p.db), p.db.DSID());
    std::optional<FlagDefinition> flag1 = FindFlag(ReadFlagRows(p.db), "flag1", p.db.DSID());
    ASSERT_TRUE(flag1.has_value());
    EXPECT_EQ(flag1->label, CustomFlags()[0].label);
    EXPECT_EQ(flag1->values, CustomFlags()[0].values);
    EXPECT_GT(flags.size(), CustomFlags().size()) << "TMG's own flags come too";
}

TEST(ExtExhibitLoader, ExhibitsOfASubjectAndTheirDescriptionMarkers) {
    LoaderProject p;
    int a = p.build.Person('M', "A", "X");
    ExhibitRec first, second, other;
    first.id = 1;
    first.ownerNum = a;
    first.name = "Portrait";
    first.imageFile = "portrait.jpg";
    second.id = 2;
    second.ownerNum = a;
    second.name = "Letter";
    second.primary = true;
    other.id = 3;
    other.ownerType = 'G';
    other.ownerNum = a;
    p.build.Add(first);
    p.build.Add(second);
    p.build.Add(other);
    p.Open();
    CTMGExtExhibitLoader exhibits;
    exhibits.OpenTables(p.db);
    std::vector<std::string> names;
    for (bool ok = exhibits.FirstOfSubject('_', a); ok; ok = exhibits.NextOfSubject())
        names.push_back(exhibits.Exhibit().xName);
    EXPECT_EQ(names, (std::vector<std::string>{"Portrait", "Letter"}));
    ASSERT_TRUE(exhibits.FindPrimary('_', a));
    EXPECT_EQ(exhibits.Exhibit().xName, "Letter");
    EXPECT_FALSE(exhibits.FirstOfSubject('Q', a)) << "not an owner kind";

    EXPECT_EQ(ExhibitSubjectKey('_', 42), "_        42");
    EXPECT_EQ(JoinExhibitPath("C:\\pics", "a.jpg"), "C:\\pics\\a.jpg");
    EXPECT_EQ(JoinExhibitPath("C:\\pics\\", "a.jpg"), "C:\\pics\\a.jpg");
    EXPECT_EQ(CTMGExtExhibitLoader::GetTypeName(4), "OLE");
    EXPECT_EQ(CTMGExtExhibitLoader::GetTypeName(6), "");
    EXPECT_EQ(CTMGExtExhibitLoader::FileKind("x.JPEG"), ExhibitFileKind::Image);
    EXPECT_EQ(CTMGExtExhibitLoader::FileKind("x.ogg"), ExhibitFileKind::Audio);
    EXPECT_EQ(CTMGExtExhibitLoader::FileKind("x.mpg"), ExhibitFileKind::Other);
    EXPECT_TRUE(CTMGExtExhibitLoader::IsWebPage("page.htm"));

    ExhibitDisplay d = CTMGExtExhibitLoader::DisplayOf("Text [:QX-EMBED-CENTER:] more");
    EXPECT_EQ(d.mode, 2);
    EXPECT_EQ(d.align, "center");
    EXPECT_EQ(CTMGExtExhibitLoader::DisplayOf("none").mode, -1);
    EXPECT_EQ(CTMGExtExhibitLoader::Property("[QX-MIN-WIDTH:200] x", "QX-MIN-WIDTH"), "200");
    EXPECT_EQ(CTMGExtExhibitLoader::Property("x", "QX-MIN-WIDTH"), "0");
    EXPECT_EQ(CTMGExtExhibitLoader::Property("x", "QX-LINK-TEXT"), "");
    EXPECT_EQ(CTMGExtExhibitLoader::Caption("caption: The house; more"), "The house");
    EXPECT_EQ(CTMGExtExhibitLoader::LinkList("a.htm; b.htm"),
              "<a href=\"a.htm\">a.htm</a> <a href=\"b.htm\">b.htm</a>");

    std::string map = "<map name=\"m\"><area shape=\"rect\"></map>";
    std::string stored = CTMGExtExhibitLoader::WithImageMap("A photo.", map);
    EXPECT_EQ(stored, "A photo.[HID:][QX:]" + map + "[:QX][:HID]");
    std::string rest;
    EXPECT_EQ(CTMGExtExhibitLoader::ImageMap(stored, &rest), map);
    EXPECT_EQ(rest, "A photo.");
    EXPECT_EQ(CTMGExtExhibitLoader::WithImageMap(stored, ""), "A photo.");
}

TEST(DnaLoader, RecordsResultsAndTestDefinitions) {
    LoaderProject p;
    int a = p.build.Person('M', "A", "X");
    DnaRec r;
    r.id = 7;
    r.person = a;
    r.name = "Y-DNA37";
    r.kit = "K-1";
    r.result = "DYS393=13, DYS390=24,[hid:] DYS19=14 [:hid], DYS391=10";
    p.build.Add(r);
    p.Open();
    CTMGDNALoader dna;
    dna.OpenTables(p.db);
    ASSERT_TRUE(dna.MoveFirst());
    EXPECT_EQ(dna.Record().kitNumber, "K-1");
    std::vector<DnaMarker> markers = CTMGDNALoader::ParseResult(dna.Record().result);
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_EQ(markers[1].name, "DYS390");
    EXPECT_EQ(markers[1].value, "24");
    EXPECT_TRUE(markers[2].hidden);
    EXPECT_FALSE(markers[3].hidden);
    std::string xml = dna.TestResultXml(true);
    EXPECT_NE(xml.find("person=\"" + std::to_string(a) + "\""), std::string::npos);
    EXPECT_NE(xml.find("name=\"DYS393\" mv=\"13\""), std::string::npos);
    EXPECT_EQ(xml.find("DYS19"), std::string::npos) << "hidden markers stay out";

    CDNATests tests;
    tests.LoadXml("<tests>\n<test-definition id=\"t1\"><key>Y37</key><shortname>Y-DNA37"
                  "</shortname></test-definition>\n<test-definition id=\"t2\"><key>MT</key>"
                  "</test-definition>\n</tests>");
    EXPECT_EQ(tests.ByKey("MT"), "t2");
    EXPECT_EQ(tests.ByShortName("Y-DNA37"), "t1");
    EXPECT_EQ(tests.ById("t2"), "t2");
    EXPECT_EQ(tests.ByKey("none"), "");
    EXPECT_EQ(tests.ByKey("a'b"), "");
    try {
        tests.LoadXml("<tests>\n<open>\n</tests>");
        ADD_FAILURE() << "no parse error";
    } catch (const Error& e) {
        EXPECT_NE(e.Description().find(" at line 3 near </tests>"), std::string::npos)
            << e.Description();
    }
}

TEST(Surety, RanksAndSummaries) {
    EXPECT_EQ(BetterSurety('-', ' '), '-');
    EXPECT_EQ(BetterSurety('3', '-'), '3');
    EXPECT_EQ(BetterSurety('0', 'x'), '0') << "no surety character never wins";
    EXPECT_EQ(SuretyString({'3', ' ', '-', ' ', '1'}), "3.-.1");
    EXPECT_EQ(SuretyString({' ', ' ', ' ', ' ', ' '}), "");
    EXPECT_EQ(RelationshipSuretyString('2', ' '), "2....");
    EXPECT_EQ(SuretiesFromString("1.3"), (std::array<char, 5>{'1', ' ', '3', ' ', ' '}));
    EXPECT_EQ(SuretyChar("  2 "), '2');
}
