#include <gtest/gtest.h>

#include "expect_error.h"
#include "formats/style_formatter.h"
#include "formats/tmg_name.h"

using namespace hk;
using hk::test::ExpectError;

namespace {

std::vector<int> Kinds(const CompiledTemplate& c) {
    std::vector<int> kinds;
    for (const StyleToken& t : c.tokens)
        kinds.push_back(t.kind);
    return kinds;
}

CompiledTemplate Compile(std::string_view text, StyleGroup group) {
    return CompileStyleTemplate(text, group, StyleVariables::For(group));
}

NameParts Name(const char* title, const char* given, const char* surname, const char* suffix) {
    NameParts p;
    const std::pair<int, const char*> parts[] = {
        {kNameTitle, title},   {kNameGiven, given},         {kNameSurname, surname},
        {kNameSuffix, suffix}, {kNameSortSurname, surname}, {kNameSortGiven, given}};
    for (auto [id, text] : parts)
        p.SetPartValue(id, text);
    return p;
}

PlaceParts::Texts Place(std::initializer_list<std::pair<int, const char*>> parts) {
    PlaceParts::Texts t;
    for (auto [id, text] : parts)
        t[static_cast<std::size_t>(id)] = text;
    return t;
}

StyleRow Style(long id, const char* group, std::string display, long dsid = 0) {
    StyleRow r;
    r.styleId = id;
    r.styleName = "Style " + std::to_string(id);
    r.group = group;
    r.dsid = dsid;
    r.stDisplay = std::move(display);
    return r;
}

StyleTables Tables(std::vector<StyleRow> rows) {
    StyleTables t;
    t.versionMajor = 9;
    t.dsid = 3;
    t.styles = std::move(rows);
    return t;
}

const std::string kGetFirst = "CTMGStyleFormatter.GetFirstTokenForStyle";

} // namespace

TEST(StyleTemplate, FoldsNamePatterns) {
    // "[Surname]" ", " "[GivenName] " "([Title]) " "[Suffix]" end
    CompiledTemplate c = Compile("[Surname], [GivenName] ([Title]) [Suffix]", StyleGroup::Name);
    EXPECT_EQ(Kinds(c), (std::vector<int>{5, 1, 8, 10, 5, 2}));
    EXPECT_EQ(c.rawTokenCount, 10);
    EXPECT_EQ(c.tokens[1].text, std::string(1, kStyleCommaMark) + " ");
    EXPECT_EQ(c.tokens[2].part, kNameGiven);
    EXPECT_EQ(c.tokens[3].part, kNameTitle);
    EXPECT_EQ(Kinds(Compile("([Title])[Suffix]", StyleGroup::Name)), (std::vector<int>{9, 5, 2}));
    // Only a single blank folds; places keep their tokens as they are.
    EXPECT_EQ(Kinds(Compile("[Title]  [Suffix]", StyleGroup::Name)),
              (std::vector<int>{5, 1, 5, 2}));
    EXPECT_EQ(Kinds(Compile("[City] ([County])", StyleGroup::Place)),
              (std::vector<int>{5, 1, 1, 5, 1, 2}));
    // Parentheses inside a group stay group text, so they print only with the group.
    EXPECT_EQ(Kinds(Compile("<([Title])>", StyleGroup::Name)),
              (std::vector<int>{3, 7, 6, 7, 4, 2}));
}

TEST(StyleTemplate, GroupsAndLinks) {
    CompiledTemplate c = Compile("<[City], ><[County], >", StyleGroup::Place);
    EXPECT_EQ(Kinds(c), (std::vector<int>{11, 11, 2}));
    EXPECT_EQ(c.rawTokenCount, 9);

    // The blank before "<" goes; text inside a group before a variable gains a blank unless
    // it starts with punctuation; every token of the group links to the group's end.
    c = Compile("Born <in [City]><, [County]>", StyleGroup::Place);
    ASSERT_EQ(Kinds(c), (std::vector<int>{1, 3, 7, 6, 4, 3, 7, 6, 4, 2}));
    EXPECT_EQ(c.tokens[0].text, "Born");
    EXPECT_EQ(c.tokens[2].text, " in ");
    EXPECT_EQ(c.tokens[6].text, ", ");
    for (int k : {1, 2, 3, 5, 6, 7})
        EXPECT_EQ(c.tokens[k].link, k < 4 ? 4 : 8) << k;
    EXPECT_EQ(c.tokens[4].link, -1);

    // Links survive folding that removes tokens before the group.
    c = Compile("([Title]) <of [Surname]>", StyleGroup::Name);
    ASSERT_EQ(Kinds(c), (std::vector<int>{9, 3, 7, 6, 4, 2}));
    EXPECT_EQ(c.tokens[3].link, 4);

    // An unclosed "[" is text; an unclosed group closes at the end.
    EXPECT_EQ(Kinds(Compile("a[b", StyleGroup::Place)), (std::vector<int>{1, 2}));
    EXPECT_EQ(Kinds(Compile("<[City] x", StyleGroup::Place)), (std::vector<int>{3, 6, 7, 4, 2}));
}

TEST(StyleTemplate, Variables) {
    CompiledTemplate c = Compile("<[Parish], >[CITY][l10][LatLong]", StyleGroup::Place);
    EXPECT_EQ(c.invalidVariables, (std::vector<std::string>{"Parish"}));
    EXPECT_EQ(c.tokens[0].part, -1);
    EXPECT_EQ(c.tokens[1].part, kPlaceCity);
    EXPECT_EQ(c.tokens[2].part, kPlaceTemple);
    EXPECT_EQ(c.tokens[3].part, kPlaceLatLong);
    EXPECT_EQ(Compile("[City][Prefix]", StyleGroup::Name).invalidVariables.size(), 2u);

    // Part-type rows add names for dataset 0 and the current one; the current one wins.
    std::vector<PartTypeRow> rows = {{"Vorname", 3, 0, false}, {"Praefix", 2, 0, false},
                                     {"Praefix", 4, 3, false}, {"Other", 7, 5, false},
                                     {"Gone", 1, 0, true},     {"TooFar", 10, 0, false}};
    StyleVariables v = StyleVariables::For(StyleGroup::Name, rows, 3);
    EXPECT_EQ(v.Find("VORNAME"), kNameGiven);
    EXPECT_EQ(v.Find("praefix"), kNamePreSurname);
    for (const char* missing : {"Other", "Gone", "TooFar"})
        EXPECT_EQ(v.Find(missing), std::nullopt) << missing;
}

TEST(StyleFormatter, BuiltInStyles) {
    CTMGStyleFormatter f;
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceCity, "Springfield"},
                                   {kPlaceCounty, "Sangamon"},
                                   {kPlaceState, "Illinois"},
                                   {kPlaceCountry, "USA"}}),
                            1),
              "Springfield, Sangamon, Illinois, USA");
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceCountry, "England"}}), 1), "England");
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceAddressee, "Rectory"}, {kPlaceLatLong, "40.5 -74"}}), 1),
              "Rectory, 40.5 -74");

    NameParts dr = Name("Dr.", "John", "Smith", "");
    NameParts plain = Name("", "John", "Smith", "");
    EXPECT_EQ(f.FormatName(dr, nullptr, 2), "Dr. John Smith");
    EXPECT_EQ(f.FormatName(plain, nullptr, 2), "John Smith");
    EXPECT_EQ(f.FormatName(dr, nullptr, 2, StyleTemplate::SurnameDisplay), "Smith, John (Dr.)");
    EXPECT_EQ(f.FormatName(plain, nullptr, 2, StyleTemplate::SurnameDisplay), "Smith, John");
    EXPECT_EQ(f.FormatNameSort(Name("Dr.", "John", "Smith", "Jr."), 2), "Smith, John Jr. Dr.");

    // Template commas left dangling by empty parts go; commas inside a part stay.
    EXPECT_EQ(f.FormatName(Name("", "John", "", ""), nullptr, 2, StyleTemplate::SurnameDisplay),
              "John");
    EXPECT_EQ(f.FormatNameSort(Name("", "", "Smith", ""), 2), "Smith");
    EXPECT_EQ(f.FormatNameSort(Name("", "", "Smith, the elder", ""), 2), "Smith, the elder");
    EXPECT_EQ(f.FormatNameSort(Name("", "Ann, Mary", "", ""), 2), "Ann, Mary");

    ExpectError([&] { f.FormatName(plain, nullptr, 1); }, -1, kGetFirst,
                "Invalid StyleID 1 formatting name");
    ExpectError([&] { f.FormatPlace(Place({}), 99); }, -1, kGetFirst,
                "Invalid StyleID 99 formatting place");
}

TEST(StyleFormatter, MarkedSurname) {
    FormatSettings settings;
    CTMGName name(settings);
    for (auto [id, text] : {std::pair{kNameTitle, "Dr."},
                            {kNameGiven, "John"},
                            {kNameSurname, "Smith"},
                            {kNameSortSurname, "Smith"},
                            {kNameSortGiven, "John"}})
        name.SetPart(id, text);
    NameParts marked = name.MarkedParts();
    CTMGStyleFormatter f;
    std::string leading = "stale";
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::Display, &leading),
              "Dr. John Smith");
    EXPECT_EQ(leading, "Dr. John ");
    // No mark in the text (the sort surname is not marked): no leading part.
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::SurnameSort, &leading),
              "Smith, John Dr.");
    EXPECT_EQ(leading, "");
    // Only the display and sort templates report a leading part.
    leading = "stale";
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::SurnameDisplay, &leading),
              "Smith, John (Dr.)");
    EXPECT_EQ(leading, "");
    // Without a marked copy a "|" is plain text.
    EXPECT_EQ(f.FormatName(Name("", "A|B", "Lee", ""), nullptr, 2), "A|B Lee");

    // Doubled blanks next to the surname mark are reduced; elsewhere they stay.
    CTMGStyleFormatter custom;
    custom.LoadStyles(Tables({Style(5, "N", "[GivenName]  [Surname]  [Suffix]")}));
    name.SetPart(kNameSuffix, "Jr.");
    marked = name.MarkedParts();
    EXPECT_EQ(custom.FormatName(name.Parts(), &marked, 5, StyleTemplate::Display, &leading),
              "John Smith Jr.");
    EXPECT_EQ(leading, "John ");
    EXPECT_EQ(custom.FormatName(name.Parts(), nullptr, 5), "John  Smith  Jr.");
}

TEST(StyleFormatter, PlaceGroups) {
    CTMGStyleFormatter f;
    f.LoadStyles(
        Tables({Style(7, "P", "[City]<[County]>"), Style(8, "P", "[City]< near [County]>"),
                Style(9, "P", "<[City] and [County]>/"), Style(10, "P", "[Detail] [City],")}));
    auto fmt = [&f](long id, const char* city, const char* county) {
        return f.FormatPlace(Place({{kPlaceCity, city}, {kPlaceCounty, county}}), id);
    };
    EXPECT_EQ(fmt(7, "Dover", "Kent"), "Dover Kent");
    EXPECT_EQ(fmt(8, "Dover", "Kent"), "Dover near Kent");
    EXPECT_EQ(fmt(8, "Dover", ""), "Dover");
    // An empty variable drops its whole group, text gathered before it included.
    EXPECT_EQ(fmt(9, "Dover", "Kent"), "Dover and Kent/");
    EXPECT_EQ(fmt(9, "", "Kent"), "/");
    EXPECT_EQ(fmt(9, "Dover", ""), "/");
    // One trailing comma goes.
    EXPECT_EQ(fmt(10, "Dover", ""), " Dover");
}

TEST(StyleFormatter, LoadStyles) {
    StyleRow parish = Style(10, "P", "<[Parish], ><[City], >");
    parish.styleName = " Parishes ";
    StyleRow deleted = Style(12, "P", "[City]");
    deleted.deleted = true;
    StyleRow names = Style(20, "N", "[GivenName] [Surname]");
    names.srnameSort = "[SortSurname]\r\n, [SortGiven]";
    StyleTables tables = Tables({parish, Style(11, "P", "[City]", 5), deleted,
                                 Style(13, "X", "[City]"), names, Style(14, "P", "x", 3)});
    tables.shortPlaceTemplate = "<[CITY], ><[Hamlet]>";

    CTMGStyleFormatter f;
    f.LoadStyles(tables);
    EXPECT_EQ(f.LoadMessages(),
              "\"Parish\" is invalid in \"<[Parish], ><[City], >\" for style [10] Parishes (P)\n"
              "\"Hamlet\" is invalid in \"<[CITY], ><[Hamlet]>\" (short place template) for "
              "style [10] Parishes (P)\n"
              "\"Hamlet\" is invalid in \"<[CITY], ><[Hamlet]>\" (short place template) for "
              "style [14] Style 14 (P)\n");
    // Other datasets, deleted rows and unknown groups are left out; so are the built-ins.
    for (long id : {10, 14})
        EXPECT_TRUE(f.HasStyle(id, StyleGroup::Place)) << id;
    for (long id : {11, 12, 13, 20, 1})
        EXPECT_FALSE(f.HasStyle(id, StyleGroup::Place)) << id;
    EXPECT_TRUE(f.HasStyle(20, StyleGroup::Name));
    EXPECT_FALSE(f.HasStyle(2, StyleGroup::Name));

    PlaceParts::Texts dover = Place({{kPlaceCity, "Dover"}, {kPlaceCounty, "Kent"}});
    EXPECT_EQ(f.FormatPlace(dover, 10), "Dover");
    EXPECT_EQ(f.FormatPlace(dover, 10, StyleTemplate::ShortPlace), "Dover");
    EXPECT_EQ(f.FormatNameSort(Name("", "John", "Smith", ""), 20), "Smith, John");

    // A number in both datasets takes the current dataset's row, whatever the order.
    CTMGStyleFormatter both;
    both.LoadStyles(Tables({Style(4, "P", "[County]", 0), Style(4, "P", "[City]", 3),
                            Style(6, "P", "[City]", 3), Style(6, "P", "[County]", 0)}));
    EXPECT_EQ(both.FormatPlace(dover, 4), "Dover");
    EXPECT_EQ(both.FormatPlace(dover, 6), "Dover");

    // Older projects keep the built-in styles whatever rows they are given.
    tables.versionMajor = 4;
    f.LoadStyles(tables);
    EXPECT_TRUE(f.HasStyle(1, StyleGroup::Place));
    EXPECT_TRUE(f.HasStyle(2, StyleGroup::Name));
    EXPECT_FALSE(f.HasStyle(10, StyleGroup::Place));
    EXPECT_EQ(f.LoadMessages(), "");
}

TEST(StyleFormatter, TokenLimit) {
    // A place style takes its display template, an empty output template and an empty short
    // template: n variables give n + 3 tokens.
    auto styleOf = [](int variables) {
        std::string text;
        for (int i = 0; i < variables; ++i)
            text += "[City]";
        return Tables({Style(1, "P", text)});
    };
    const std::string limit = "Token limit exceeded loading styles";
    CTMGStyleFormatter f;
    f.LoadStyles(styleOf(CTMGStyleFormatter::kMaxTokens - 3));
    EXPECT_EQ(f.Tokens().size(), 4095u);
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceCity, "x"}}), 1).size(), 4092u);
    ExpectError([&] { f.LoadStyles(styleOf(CTMGStyleFormatter::kMaxTokens - 2)); }, -1,
                "Tokens_Add", limit);

    // The limit counts tokens before folding: 1024 groups of four tokens fold to 1024.
    std::string groups;
    for (int i = 0; i < 1024; ++i)
        groups += "<[City], >";
    ExpectError([&] { f.LoadStyles(Tables({Style(1, "P", groups)})); }, -1, "Tokens_Add", limit);
}
