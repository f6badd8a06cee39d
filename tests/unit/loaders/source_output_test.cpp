// What the source exporters get of a source: templates filled in (optional segments, n.pub.
// and n.p., repository and citation elements), the elements the templates use, and the
// repositories with their names and addresses formatted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/packed_field.h"
#include "loader_project.h"
#include "loaders/citation_loader.h"
#include "loaders/source_formatter.h"

using namespace hk;
using namespace hk::mktmg;
using hk::test::LoaderProject;

namespace {

CTMGSourceElements Elements() {
    CTMGSourceElements e;
    for (auto [name, group] :
         std::vector<std::pair<std::string, long>>{{"[TITLE]", 1},
                                                   {"[AUTHOR]", 6},
                                                   {"[WRITER]", 6},
                                                   {"[DATE]", 11},
                                                   {"[PUBLISHER]", 15},
                                                   {"[PUBLISHER LOCATION]", 16},
                                                   {"[REPOSITORY]", 22},
                                                   {"[REPOSITORY LOCATION]", 23},
                                                   {"[REPOSITORY REFERENCE]", 24},
                                                   {"[CD]", 29},
                                                   {"[CITATION REFERENCE]", 30},
                                                   {"[CITATION MEMO]", 31},
                                                   {"[REPOSITORY MEMO]", 32}})
        e.Add(name, group);
    return e;
}

std::string Info(const std::vector<std::pair<int, std::string>>& values) {
    std::vector<std::string> info(32);
    for (const auto& [group, value] : values)
        info[group - 1] = value;
    return JoinPacked(info);
}

std::vector<std::string> Names(const std::vector<SourceElementValue>& values) {
    std::vector<std::string> out;
    for (const SourceElementValue& v : values)
        out.push_back(v.name + "=" + v.value);
    return out;
}

} // namespace

TEST(SourceFormatter, SegmentsFillInsAndNamesItDoesNotKnow) {
    CTMGSourceElements elements = Elements();
    SourceElementInputs in;
    in.info = Info({{1, "History of Kent"}, {6, "Ann Author"}, {11, "1900"}});
    CTMGSourceFormatter f(elements, in);

    EXPECT_EQ(f.Format("[AUTHOR], [TITLE]<, [CD]>."), "Ann Author, History of Kent.")
        << "a segment whose element is empty is dropped with its text";
    EXPECT_EQ(f.Format("[writer], [Title]"), "Ann Author, History of Kent")
        << "names in any case, and every name of a group";
    EXPECT_EQ(f.Format("[TITLE] ([PUBLISHER LOCATION]: [PUBLISHER], [DATE])"),
              "History of Kent (n.p.: n.pub., 1900)");
    EXPECT_EQ(f.Format("[TITLE]< ([PUBLISHER LOCATION]: [PUBLISHER])>"), "History of Kent")
        << "the fill-ins alone do not make a segment written";
    EXPECT_EQ(f.Format("<[DATE] >[ITAL:][TITLE][:ITAL] [PAGE] [FOO-1]"),
              "1900 [ITAL:]History of Kent[:ITAL] [PAGE] [FOO-1]")
        << "codes and unknown names stay as written";
    EXPECT_EQ(f.Format("<only [PAGE]>|<[PAGE] by [AUTHOR]>|<>|a < b [DATE]"),
              "|[PAGE] by Ann Author|<>|a < b 1900");
    EXPECT_EQ(f.Format("[REPOSITORY]<, [REPOSITORY REFERENCE]>; [CITATION REFERENCE]"), "; ")
        << "no repository and no citation";

    SourceRepository repo;
    repo.name = "Family History Library";
    repo.address = "Salt Lake City, Utah";
    repo.stored.reference = "Film 1234";
    repo.stored.note = "Open Mondays";
    in.repository = repo;
    in.citation = CitationElementValues{"p. 7", "R-12", "copy kept"};
    in.info = Info({{15, "Chapman"}, {22, "typed repository"}, {29, "typed detail"}});
    CTMGSourceFormatter withAll(elements, in);
    EXPECT_EQ(withAll.Format("[REPOSITORY], [REPOSITORY LOCATION]<, [REPOSITORY REFERENCE]> "
                             "([REPOSITORY MEMO])"),
              "Family History Library, Salt Lake City, Utah, Film 1234 (Open Mondays)");
    EXPECT_EQ(withAll.Format("<[CD]><; [CITATION REFERENCE]><; [CITATION MEMO]>"),
              "p. 7; R-12; copy kept");
    EXPECT_EQ(withAll.Format("<([PUBLISHER LOCATION]: [PUBLISHER])>"), "(n.p.: Chapman)");
    EXPECT_EQ(withAll.GroupValue(15), "Chapman");
    EXPECT_EQ(withAll.GroupValue(16), "") << "the fill-in is not a stored value";
}

TEST(CitationLoaderSourceOutput, TemplatesAndTheElementsTheyUse) {
    LoaderProject p;
    SourceTypeRec type;
    type.ruleSet = 1;
    type.type = 30;
    type.name = "Test type";
    type.foot = "[TITLE] plain";
    type.custFoot = "[AUTHOR], [TITLE]<, [CD]> [FOO]";
    type.shortForm = "[SHORT TITLE]<, [CD]>";
    type.bib = "[WRITER]. [Title]. [copyist]. [PUBLISHER LOCATION]: [PUBLISHER]";
    p.build.Add(type);
    // One element row may give several names.
    p.build.Add(SourceElementRec{60, 0, "[SCRIBE]\r\n[COPYIST]", 8});
    int typed = p.build.Source("History of Kent");
    SourceRec& t = p.build.SourceRecord(typed);
    t.type = 30;
    t.info = Info({{1, "History of Kent"}, {2, "Kent"}, {6, "Ann Author"}, {8, "Cal Copy"}});
    int own = p.build.Source("Own forms");
    p.build.SourceRecord(own).type = 30;
    p.build.SourceRecord(own).footTemplate = "[DATE] own";
    p.build.SourceRecord(own).bibTemplate = "[COMPILER]";
    p.Open();

    CTMGCitationLoader cites;
    cites.OpenTables(p.db);
    ASSERT_TRUE(cites.SeekSource(typed));
    SourceTypeValues sourceType = cites.GetSourceType(1, 30, 0);
    SourceTexts templates = cites.SourceTemplates(sourceType);
    EXPECT_EQ(templates.footnote, type.custFoot) << "the custom footnote wins";
    EXPECT_EQ(templates.shortFootnote, type.shortForm) << "no custom short footnote";
    EXPECT_EQ(templates.bibliography, type.bib);
    EXPECT_EQ(Names(cites.SourceElementValues(sourceType)),
              (std::vector<std::string>{"AUTHOR=Ann Author", "TITLE=History of Kent",
                                        "CD=", "SHORT TITLE=Kent", "copyist=Cal Copy",
                                        "PUBLISHER LOCATION=", "PUBLISHER="}));
    SourceTexts texts = cites.FormatSource(sourceType, {}, false);
    EXPECT_EQ(texts.footnote, "Ann Author, History of Kent [FOO]");
    EXPECT_EQ(texts.shortFootnote, "Kent");
    EXPECT_EQ(texts.bibliography, "Ann Author. History of Kent. Cal Copy. n.p.: n.pub.");

    ASSERT_TRUE(cites.SeekSource(own));
    templates = cites.SourceTemplates(sourceType);
    EXPECT_EQ(templates.footnote, "[DATE] own") << "the source's own form wins";
    EXPECT_EQ(templates.shortFootnote, type.shortForm);
    EXPECT_EQ(templates.bibliography, "[COMPILER]");
    std::vector<SourceElementValue> values = cites.SourceElementValues(sourceType);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[3].name, "COMPILER");
    EXPECT_EQ(values[3].group, 8);
}

TEST(CitationLoaderSourceOutput, RepositoriesOfTheDatasetPrimaryFirstFormatted) {
    LoaderProject p;
    p.build.Datasets({1, 2});
    StyleRec cityCountry;
    cityCountry.id = 20;
    cityCountry.group = 'P';
    cityCountry.display = "[CITY] [STATE] [COUNTRY]";
    cityCountry.output = "[CITY] ([COUNTRY])";
    p.build.Add(cityCountry);
    int utah = p.build.Place("Salt Lake City", "", "Utah", "USA");
    mktmg::PlaceParts parts;
    parts[kCity] = "London";
    parts[kCounty] = "Middlesex";
    parts[kCountry] = "England";
    int london = p.build.Place(parts, cityCountry.id);
    int src = p.build.Source("Parish register");
    SourceRec& s = p.build.SourceRecord(src);
    s.footTemplate = "[TITLE]; [REPOSITORY], [REPOSITORY LOCATION]<, [REPOSITORY REFERENCE]>"
                     "<; [CD]>";
    s.info = Info({{1, "Parish register"}});
    int cite = p.build.Citation('E', 1, src, "entry 12");
    p.build.Add(RepositoryRec{1, 1, 1, "FHL", "Family History Library", "", utah});
    p.build.Add(RepositoryRec{2, 2, 1, "Smith", "Smith$!&Dr.$!&John$!&Jr.$!&", "", 0});
    p.build.Add(RepositoryRec{3, 3, 1, "LMA", "London Metropolitan Archives", "", london});
    p.build.Add(RepositoryLinkRec{src, 2, 1, "Copy", false});
    p.build.Add(RepositoryLinkRec{src, 1, 1, "Film 1234", true});
    p.build.Add(RepositoryLinkRec{src, 3, 1, "", false});
    RepositoryLinkRec gone{src, 3, 1, "gone", true};
    gone.deleted = true;
    p.build.Add(gone);
    p.build.UseDataset(2);
    p.build.Add(RepositoryRec{4, 1, 2, "Other", "Other archive", "", 0});
    p.build.Add(RepositoryLinkRec{src, 4, 2, "other dataset", true});
    p.build.Add(RepositoryLinkRec{src, 1, 2, "other dataset", true});
    p.Open();

    FormatSettings settings;
    settings.EnsureUnknownNamePlaceholder();
    CTMGStyleFormatter styles;
    LoadStyles(p.db, styles);
    CTMGCitationLoader cites;
    CTMGRepositoryLoader repositories;
    CTMGPlaceLoader places(true);
    cites.OpenTables(p.db);
    repositories.OpenTables(p.db);
    places.OpenTables(p.db, settings, &styles);

    ASSERT_TRUE(cites.SeekSource(src));
    std::vector<SourceRepository> repos =
        cites.GetSourceRepositories(repositories, places, styles, settings);
    ASSERT_EQ(repos.size(), 3u);
    EXPECT_EQ(repos[0].name, "Family History Library") << "a plain name needs no given name";
    EXPECT_EQ(repos[0].address, "Salt Lake City, Utah, USA");
    EXPECT_EQ(repos[0].stored.reference, "Film 1234");
    EXPECT_EQ(repos[1].name, "Dr. John Smith Jr.");
    EXPECT_EQ(repos[1].address, "");
    EXPECT_EQ(repos[2].address, "London (England)") << "the place style's output template";

    std::vector<SourceRepository> titleLast =
        cites.GetSourceRepositories(repositories, places, styles, settings, kStyleNameTitleLast);
    EXPECT_EQ(titleLast[1].name, "John Smith Jr. (Dr.)");
    std::vector<SourceRepository> noStyle =
        cites.GetSourceRepositories(repositories, places, styles, settings, 77);
    EXPECT_EQ(noStyle[1].name, "Dr. John Smith Jr.") << "parts joined without the style";

    SourceTypeValues type = cites.GetSourceType(1, 1, 0);
    EXPECT_EQ(cites.FormatSource(type, repos, false).footnote,
              "Parish register; Family History Library, Salt Lake City, Utah, USA, Film 1234");
    ASSERT_TRUE(cites.SeekCitation(cite));
    EXPECT_EQ(cites.FormatSource(type, repos, true).footnote,
              "Parish register; Family History Library, Salt Lake City, Utah, USA, Film 1234; "
              "entry 12");
    std::vector<SourceRepository> secondary(repos.begin() + 1, repos.end());
    EXPECT_EQ(cites.FormatSource(type, secondary, true).footnote, "Parish register; , ; entry 12")
        << "repository elements come from a primary repository only";
}
