// Citations (dataset rule, best sureties, parts and sub-parts), names and places written back
// through their part tables, and the groups finder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader_project.h"
#include "loaders/citation_loader.h"
#include "loaders/groups.h"
#include "loaders/name_loader.h"
#include "loaders/place_loader.h"
#include "support/table_data.h"
#include "unit/formats/expect_error.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::LoaderProject;
using hk::test::TableData;

TEST(CitationLoader, CitationsOfOtherDatasetsAreNeverCountedOrChanged) {
    LoaderProject p;
    p.build.Datasets({1, 2});
    int ann = p.build.Person('F', "Ann", "X");
    int ev = p.build.Event(kTagBirth, ann);
    int s1 = p.build.Source("One");
    int s2 = p.build.Source("Two");
    p.build.Citation('E', ev, s1, "", "3 1- ");
    p.build.Citation('E', ev, s2, "", "-2 3 ");
    p.build.Citation('N', ev, s2, "", "33333"); // another record kind with the same number
    int gone = p.build.Citation('E', ev, s2, "", "33333");
    p.build.CitationRecord(gone).deleted = true;
    p.build.UseDataset(2);
    p.build.Citation('E', ev, s1, "", "33333");
    p.Open();

    CTMGCitationLoader cites;
    cites.OpenTables(p.db);
    EXPECT_EQ(cites.CountCitations('E', ev), 2);
    EXPECT_EQ(cites.GetBestSurety('E', ev), "3213 ");
    EXPECT_EQ(cites.GetBestSurety('E', ev + 100), "     ");
    db::CSetLong sources = cites.GetCitedSources('E', ev);
    ASSERT_EQ(sources.Count(), 2);
    EXPECT_EQ(sources.Item(0) + sources.Item(1), s1 + s2);
    EXPECT_EQ(cites.GetCitationRecords('E', ev).Count(), 2);
    EXPECT_EQ(cites.DeleteCitations('E', ev), 2);
    EXPECT_EQ(cites.CountCitations('E', ev), 0);
    EXPECT_EQ(cites.CountCitations('N', ev), 1);
    cites.CloseTables();
    p.db.CloseProject();
    TableData s(p.build.TablePath("S"));
    int liveOtherDataset = 0;
    for (size_t r : s.Live())
        liveOtherDataset += s.Int(r, "DSID") == 2;
    EXPECT_EQ(liveOtherDataset, 1);
}

TEST(CitationLoader, PartValuesAndDetailSubParts) {
    LoaderProject p;
    int ann = p.build.Person('F', "Ann", "X");
    int ev = p.build.Event(kTagBirth, ann);
    int first = p.build.Source("First source");
    int second = p.build.Source("Second source");
    int c1 = p.build.Citation('E', ev, first, "vol. 2||p. 7", " 2   ");
    int c2 = p.build.Citation('E', ev, first, "");
    p.Open();
    CTMGCitationLoader cites;
    cites.OpenTables(p.db);

    ASSERT_TRUE(cites.SeekCitation(c2));
    EXPECT_EQ(cites.PartValue(16), "0");
    EXPECT_EQ(cites.PartValue(17), "");
    EXPECT_EQ(cites.PartValue(11), ".....") << "the summary keeps its five places";
    cites.SetPartValue(19, "line 3");
    EXPECT_EQ(cites.PartValue(0), "||||line 3");
    EXPECT_EQ(cites.PartValue(16), "3");

    ASSERT_TRUE(cites.SeekCitation(c1));
    EXPECT_EQ(cites.PartValue(16), "2");
    EXPECT_EQ(cites.PartValue(18), "p. 7");
    EXPECT_EQ(cites.PartValue(25), "");
    EXPECT_EQ(cites.PartValue(4), "2");
    EXPECT_EQ(cites.PartValue(3), "");
    EXPECT_EQ(cites.PartValue(11), ".2...");
    EXPECT_EQ(cites.PartValue(10), "First source");
    EXPECT_EQ(cites.PartValue(8), "1");
    cites.SetPartValue(19, "c");
    EXPECT_EQ(cites.PartValue(0), "vol. 2||p. 7||c");
    cites.SetPartValue(17, "vol. 3");
    EXPECT_EQ(cites.PartValue(0), "vol. 3||p. 7||c");
    cites.SetPartValue(5, "  2 ");
    EXPECT_EQ(cites.PartValue(5), "2");
    cites.SetPartValue(8, " 2");
    cites.SaveCitation();

    CTMGCitationLoader again;
    again.OpenTables(p.db);
    ASSERT_TRUE(again.SeekCitation(c1));
    EXPECT_EQ(again.Citation().detail, "vol. 3||p. 7||c");
    EXPECT_EQ(again.Citation().majSource, second);
    EXPECT_EQ(again.PartValue(11), ".22..");
    EXPECT_EQ(again.PartValue(9), "Second source");
}

TEST(CitationLoader, AMissingSourceTypeIsReported) {
    LoaderProject p;
    p.build.Person('F', "Ann", "X");
    p.Open();
    CTMGCitationLoader cites;
    cites.OpenTables(p.db);
    SourceTypeValues found = cites.GetSourceType(1, 1, 0);
    EXPECT_FALSE(found.name.empty());
    hk::test::ExpectError([&] { cites.GetSourceType(2, 987, 55); }, -1,
                          "[CTMGCitationLoader.GetSourceType]",
                          "Source Type Not Found (Source Category=2, SType=987, CustType=55)");
    EXPECT_EQ(cites.GetSourceType(1, 1, 0).name, found.name) << "the table stays usable";
    EXPECT_EQ(CTMGCitationLoader::SourceTypeContext(12, 2),
              " getting source type for #12, Source Category=2");
}

TEST(NameLoader, ANameWrittenBackReadsBackEqualSharingDictionaryEntries) {
    LoaderProject p;
    int ann = p.build.Person('F', "Ann", "Smith");
    int bob = p.build.Person('M', "Bob", "Jones");
    p.Open();
    FormatSettings settings;
    settings.EnsureUnknownNamePlaceholder();
    CTMGStyleFormatter formatter;
    LoadStyles(p.db, formatter);

    CTMGNameLoader names;
    names.OpenTables(p.db, settings);
    ASSERT_TRUE(names.SeekPrimaryName(bob));
    EXPECT_EQ(names.PartValue(kNameGiven), "Bob");
    EXPECT_EQ(names.PartValue(kNameTitle), "");
    names.SetPartValue(kNameSurname, "Smith"); // a text the dictionary holds
    names.SetPartValue(kNameTitle, "Dr.");     // a new one
    names.SetPartValue(kNameGiven, "");
    names.SaveParts();
    names.UpdateDerivedFields(formatter);
    EXPECT_EQ(names.EntriesAdded(), 1);

    hk::NameParts written = names.Parts();
    written.SetPartValue(kNameGiven, settings.UnknownNamePlaceholder());
    CTMGNameLoader again;
    again.OpenTables(p.db, settings);
    ASSERT_TRUE(again.SeekPrimaryName(bob));
    EXPECT_EQ(again.Parts(), written);
    ASSERT_TRUE(again.SeekPrimaryName(ann));
    long smithUid = again.Name().surId;
    ASSERT_TRUE(again.SeekPrimaryName(bob));
    EXPECT_EQ(again.Name().surId, smithUid) << "the surname shares Ann's dictionary entry";
    EXPECT_EQ(again.Name().givId, 0);
    EXPECT_EQ(again.Name().srNameDisp, "Smith, (Dr.)");

    // A new name for Ann, with its derived fields.
    hk::NameParts married;
    married.SetPartValue(kNameGiven, "Ann");
    married.SetPartValue(kNameSurname, "Jones");
    again.Parts().CopyNameParts(married);
    long recNo = again.AddName(ann, kTagNameMarr, false, 2, &formatter);
    CTMGNames all;
    again.LoadPerson(ann, all);
    ASSERT_EQ(all.Count(), 2);
    EXPECT_EQ(all.PartValue(0, kNameSurname), "Smith") << "the primary name first";
    EXPECT_EQ(all.Entry(1).recNo, recNo);
    EXPECT_EQ(all.PartValue(1, kNameSurname), "Jones");
    again.CloseTables();
    names.CloseTables();
    p.db.CloseProject();

    TableData nd(p.build.TablePath("ND"));
    int jones = 0, dr = 0;
    for (size_t r : nd.Live()) {
        jones += nd.Str(r, "VALUE") == "Jones";
        if (nd.Str(r, "VALUE") == "Dr.") {
            ++dr;
            EXPECT_EQ(nd.Str(r, "SDX"), "D600");
        }
    }
    EXPECT_EQ(jones, 1);
    EXPECT_EQ(dr, 1);
    TableData n(p.build.TablePath("N"));
    for (size_t r : n.Live())
        if (n.Int(r, "RECNO") == recNo) {
            EXPECT_EQ(n.Str(r, "SNDXSURN"), "J520");
            EXPECT_EQ(n.Int(r, "NPER"), ann);
        }
}

TEST(PlaceLoader, PartsReadThroughStylesAndWrittenBack) {
    LoaderProject p;
    mktmg::PlaceParts parts;
    parts[kCity] = "Springfield[:PLACE-MAP-LINK:]";
    parts[kState] = "Illinois";
    parts[kPhone] = "555";
    StyleRec cityState;
    cityState.id = 20;
    cityState.dsid = 1;
    cityState.group = 'P';
    cityState.display = cityState.output = "[CITY], [STATE]";
    p.build.Add(cityState);
    int place = p.build.Place(parts, cityState.id);
    p.Open();
    FormatSettings settings;
    CTMGStyleFormatter formatter;
    LoadStyles(p.db, formatter);

    CTMGPlaceLoader all(true);
    all.OpenTables(p.db, settings, &formatter);
    ASSERT_TRUE(all.SeekPlace(place));
    EXPECT_EQ(all.PartValue(kPlaceCity), "Springfield");
    EXPECT_TRUE(all.Parts().Part(kPlaceCity).placeMapLink);
    EXPECT_EQ(all.PartValue(kPlacePhone), "555");

    CTMGPlaceLoader styled(false);
    styled.OpenTables(p.db, settings, &formatter);
    ASSERT_TRUE(styled.SeekPlace(place));
    EXPECT_EQ(styled.PartValue(kPlaceState), "Illinois");
    EXPECT_EQ(styled.PartValue(kPlacePhone), "") << "the place's style shows no phone";

    all.SetPartValue(kPlaceState, "Ohio");
    all.SetPartValue(kPlacePhone, "");
    all.SavePlace();
    CTMGPlaceLoader again(true);
    again.OpenTables(p.db, settings, &formatter);
    ASSERT_TRUE(again.SeekPlace(place));
    EXPECT_EQ(again.PartValue(kPlaceState), "Ohio");
    EXPECT_EQ(again.PartValue(kPlacePhone), "");
    EXPECT_TRUE(again.Parts().Part(kPlaceCity).placeMapLink)
        << "an unchanged part keeps its markers";
}

TEST(Groups, LabelsConnectedGroupsAndOrphansSmallOnes) {
    LoaderProject p;
    // A family of four, a couple linked only by a marriage, and three people alone.
    int f = p.build.Person('M', "F", "A");
    int m = p.build.Person('F', "M", "A");
    int c1 = p.build.Person('M', "C1", "A");
    int c2 = p.build.Person('F', "C2", "A");
    p.build.Parents(c1, f, m);
    p.build.Parents(c2, f, m);
    int h = p.build.Person('M', "H", "B");
    int w = p.build.Person('F', "W", "B");
    p.build.Event(kTagMarriage, h, w);
    int loners[3];
    for (int& l : loners)
        l = p.build.Person('M', "L", "C");
    p.Open();

    std::vector<std::string> log;
    CTMGGroups groups;
    groups.OpenTables(p.db, "FLAG1", [&](const std::string& line) { log.push_back(line); });
    groups.FindAllGroups(1); // groups of 2 or more keep their label
    for (int person : {f, m, c1, c2})
        EXPECT_EQ(groups.LabelOf(person), '1');
    EXPECT_EQ(groups.LabelOf(h), '2');
    EXPECT_EQ(groups.LabelOf(w), '2');
    for (int l : loners)
        EXPECT_EQ(groups.LabelOf(l), 'O');
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Reset FLAG1 Flag (9 records)", "Group '1' contains 4 people",
                       "Group '2' contains 2 people", "Orphans (Group 'O') contains 3 people"}));
    groups.CloseTables();
    p.db.CloseProject();
    TableData people(p.build.TablePath("$"));
    std::string flags;
    for (size_t r : people.Live())
        flags += people.Str(r, "FLAG1");
    EXPECT_EQ(flags, "111122OOO");
}

TEST(Groups, LabelsRunOutWithoutEverUsingO) {
    LoaderProject p;
    for (int i = 0; i < 40; ++i)
        p.build.Person('M', "P" + std::to_string(i), "X");
    p.Open();
    std::vector<std::string> log;
    CTMGGroups groups;
    groups.OpenTables(p.db, "FLAG1", [&](const std::string& line) { log.push_back(line); });
    groups.FindAllGroups(0); // every single person is a group
    std::string labels;
    for (int i = 1; i <= 40; ++i)
        labels += groups.LabelOf(i);
    EXPECT_EQ(labels.substr(0, 34), std::string(CTMGGroups::kLabels));
    EXPECT_EQ(labels.find('O'), std::string::npos);
    EXPECT_EQ(labels.substr(34), std::string(6, ' ')) << "past the labels nobody is labelled";
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2], "Too many groups (35)");
    EXPECT_FALSE(groups.StackOverflowed());
}
