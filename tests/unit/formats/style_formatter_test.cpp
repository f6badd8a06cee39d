#include <gtest/gtest.h>

#include <functional>

#include "formats/style_formatter.h"
#include "formats/tmg_name.h"

using namespace hk;

namespace {

std::vector<int> Kinds(const CompiledTemplate &c) {
    std::vector<int> kinds;
    for (const StyleToken &t : c.tokens)
        kinds.push_back(t.kind);
    return kinds;
}

CompiledTemplate Compile(std::string_view text, StyleGroup group) {
    return CompileStyleTemplate(text, group, StyleVariables::For(group));
}

NameParts Name(const char *title, const char *given, const char *surname, const char *suffix) {
    NameParts p;
    p.SetPartValue(kNameTitle, title);
    p.SetPartValue(kNameGiven, given);
    p.SetPartValue(kNameSurname, surname);
    p.SetPartValue(kNameSuffix, suffix);
    p.SetPartValue(kNameSortSurname, surname);
    p.SetPartValue(kNameSortGiven, given);
    return p;
}

PlaceParts::Texts Place(std::initializer_list<std::pair<int, const char *>> parts) {
    PlaceParts::Texts t;
    for (auto [id, text] : parts)
        t[static_cast<std::size_t>(id)] = text;
    return t;
}

StyleRow PlaceStyle(long id, std::string display, long dsid = 0) {
    StyleRow r;
    r.styleId = id;
    r.styleName = "Place " + std::to_string(id);
    r.group = "P";
    r.dsid = dsid;
    r.stDisplay = std::move(display);
    return r;
}

StyleRow NameStyle(long id, std::string display, long dsid = 0) {
    StyleRow r = PlaceStyle(id, std::move(display), dsid);
    r.styleName = "Name " + std::to_string(id);
    r.group = "N";
    return r;
}

StyleTables Tables(std::vector<StyleRow> rows, long dsid = 3) {
    StyleTables t;
    t.versionMajor = 9;
    t.dsid = dsid;
    t.styles = std::move(rows);
    return t;
}

void ExpectError(const std::function<void()> &f, long number, const std::string &source,
                 const std::string &description) {
    try {
        f();
        ADD_FAILURE() << "no error, expected " << description;
    } catch (const Error &e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Source(), source);
        EXPECT_EQ(e.Description(), description);
    }
}

} // namespace

TEST(StyleTemplate, FoldsNamePatterns) {
    // "[Surname]" ", " "[GivenName] " "([Title]) " "[Suffix]" end
    CompiledTemplate c = Compile("[Surname], [GivenName] ([Title]) [Suffix]", StyleGroup::Name);
    EXPECT_EQ(Kinds(c), (std::vector<int>{5, 1, 8, 10, 5, 2}));
    EXPECT_EQ(c.rawTokenCount, 10);
    EXPECT_EQ(c.tokens[1].text, std::string(1, kStyleCommaMark) + " ");
    EXPECT_EQ(c.tokens[0].part, kNameSurname);
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
    EXPECT_EQ(c.tokens[1].part, kPlaceCounty);

    // The blank before "<" goes; text inside a group before a variable gains a blank unless
    // it starts with punctuation; every token of the group links to the group's end.
    c = Compile("Born <in [City]><, [County]>", StyleGroup::Place);
    ASSERT_EQ(Kinds(c), (std::vector<int>{1, 3, 7, 6, 4, 3, 7, 6, 4, 2}));
    EXPECT_EQ(c.tokens[0].text, "Born");
    EXPECT_EQ(c.tokens[2].text, " in ");
    EXPECT_EQ(c.tokens[6].text, ", ");
    for (int k : {1, 2, 3})
        EXPECT_EQ(c.tokens[k].link, 4) << k;
    for (int k : {5, 6, 7})
        EXPECT_EQ(c.tokens[k].link, 8) << k;
    EXPECT_EQ(c.tokens[4].link, -1);

    // Links survive folding that removes tokens before the group.
    c = Compile("([Title]) <of [Surname]>", StyleGroup::Name);
    ASSERT_EQ(Kinds(c), (std::vector<int>{9, 3, 7, 6, 4, 2}));
    EXPECT_EQ(c.tokens[1].link, 4);
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
    EXPECT_EQ(Compile("[City]", StyleGroup::Name).invalidVariables.size(), 1u);
    EXPECT_EQ(Compile("[Prefix]", StyleGroup::Name).invalidVariables.size(), 1u);

    // Part-type rows add names for dataset 0 and the current one; the current one wins.
    std::vector<PartTypeRow> rows = {{"Vorname", 3, 0, false}, {"Praefix", 2, 0, false},
                                     {"Praefix", 4, 3, false}, {"Other", 7, 5, false},
                                     {"Gone", 1, 0, true},     {"TooFar", 10, 0, false}};
    StyleVariables v = StyleVariables::For(StyleGroup::Name, rows, 3);
    EXPECT_EQ(v.Find("VORNAME"), kNameGiven);
    EXPECT_EQ(v.Find("praefix"), kNamePreSurname);
    EXPECT_EQ(v.Find("Other"), std::nullopt);
    EXPECT_EQ(v.Find("Gone"), std::nullopt);
    EXPECT_EQ(v.Find("TooFar"), std::nullopt);
    EXPECT_EQ(v.Find("Surname"), kNameSurname);
}

TEST(StyleFormatter, BuiltInPlaceStyle) {
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
    EXPECT_EQ(f.FormatPlace(Place({}), 1), "");
    // The temple is not in the built-in template; the short template is empty.
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceTemple, "SLAKE"}}), 1), "");
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceCity, "Dover"}}), 1, StyleTemplate::ShortPlace), "");
}

TEST(StyleFormatter, BuiltInNameStyle) {
    CTMGStyleFormatter f;
    NameParts dr = Name("Dr.", "John", "Smith", "");
    NameParts plain = Name("", "John", "Smith", "");
    EXPECT_EQ(f.FormatName(dr, nullptr, 2), "Dr. John Smith");
    EXPECT_EQ(f.FormatName(plain, nullptr, 2), "John Smith");
    EXPECT_EQ(f.FormatName(Name("", "", "Smith", "Jr."), nullptr, 2), "Smith Jr.");
    EXPECT_EQ(f.FormatName(dr, nullptr, 2, StyleTemplate::SurnameDisplay), "Smith, John (Dr.)");
    EXPECT_EQ(f.FormatName(plain, nullptr, 2, StyleTemplate::SurnameDisplay), "Smith, John");
    EXPECT_EQ(f.FormatName(Name("Dr.", "John", "Smith", "Jr."), nullptr, 2,
                           StyleTemplate::SurnameDisplay),
              "Smith, John (Dr.) Jr.");
    EXPECT_EQ(f.FormatNameSort(Name("Dr.", "John", "Smith", "Jr."), 2), "Smith, John Jr. Dr.");

    // Template commas left dangling by empty parts go; commas inside a part stay.
    EXPECT_EQ(f.FormatName(Name("", "John", "", ""), nullptr, 2, StyleTemplate::SurnameDisplay),
              "John");
    EXPECT_EQ(f.FormatNameSort(Name("", "", "Smith", ""), 2), "Smith");
    EXPECT_EQ(f.FormatNameSort(Name("", "", "Smith, the elder", ""), 2), "Smith, the elder");
    EXPECT_EQ(f.FormatNameSort(Name("", "Ann, Mary", "", ""), 2), "Ann, Mary");
    EXPECT_EQ(f.FormatName(Name("", "", "", ""), nullptr, 2, StyleTemplate::SurnameDisplay), "");

    ExpectError([&] { f.FormatName(plain, nullptr, 1); }, -1,
                "CTMGStyleFormatter.GetFirstTokenForStyle", "Invalid StyleID 1 formatting name");
    ExpectError([&] { f.FormatPlace(Place({}), 99); }, -1,
                "CTMGStyleFormatter.GetFirstTokenForStyle", "Invalid StyleID 99 formatting place");
}

TEST(StyleFormatter, MarkedSurname) {
    FormatSettings settings;
    CTMGName name(settings);
    name.SetPart(kNameTitle, "Dr.");
    name.SetPart(kNameGiven, "John");
    name.SetPart(kNameSurname, "Smith");
    name.SetPart(kNameSortSurname, "Smith");
    name.SetPart(kNameSortGiven, "John");
    NameParts marked = name.MarkedParts();
    CTMGStyleFormatter f;
    std::string leading = "stale";
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::Display, &leading),
              "Dr. John Smith");
    EXPECT_EQ(leading, "Dr. John ");
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::SurnameSort, &leading),
              "Smith, John Dr.");
    EXPECT_EQ(leading, "");
    // Only the display and sort templates report a leading part.
    leading = "stale";
    EXPECT_EQ(f.FormatName(name.Parts(), &marked, 2, StyleTemplate::SurnameDisplay, &leading),
              "Smith, John (Dr.)");
    EXPECT_EQ(leading, "");
    // A "|" that is no mark (no marked copy given) stays in the text.
    NameParts bar = Name("", "A|B", "Lee", "");
    EXPECT_EQ(f.FormatName(bar, nullptr, 2), "A|B Lee");

    // Doubled blanks next to the surname mark are reduced; elsewhere they stay.
    CTMGStyleFormatter custom;
    custom.LoadStyles(Tables({NameStyle(5, "[GivenName]  [Surname]  [Suffix]")}));
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
        Tables({PlaceStyle(7, "[City]<[County]>"), PlaceStyle(8, "[City]< near [County]>"),
                PlaceStyle(9, "<[City] and [County]>/"), PlaceStyle(10, "[Detail] [City],")}));
    auto fmt = [&f](long id, const char *city, const char *county) {
        return f.FormatPlace(Place({{kPlaceCity, city}, {kPlaceCounty, county}}), id);
    };
    EXPECT_EQ(fmt(7, "Dover", "Kent"), "Dover Kent");
    EXPECT_EQ(fmt(7, "Dover", ""), "Dover");
    EXPECT_EQ(fmt(7, "", "Kent"), "Kent");
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
    StyleRow parish = PlaceStyle(10, "<[Parish], ><[City], >");
    parish.styleName = " Parishes ";
    StyleRow other = PlaceStyle(11, "[City]\r\n", 5); // another dataset
    StyleRow deleted = PlaceStyle(12, "[City]");
    deleted.deleted = true;
    StyleRow oddGroup = PlaceStyle(13, "[City]");
    oddGroup.group = "X";
    StyleRow names = NameStyle(20, "[GivenName] [Surname]");
    names.srnameSort = "[SortSurname]\r\n, [SortGiven]";
    StyleTables tables = Tables({parish, other, deleted, oddGroup, names, PlaceStyle(14, "x", 3)});
    tables.shortPlaceTemplate = "<[CITY], ><[Hamlet]>";

    CTMGStyleFormatter f;
    f.LoadStyles(tables);
    EXPECT_EQ(f.LoadMessages(),
              "\"Parish\" is invalid in \"<[Parish], ><[City], >\" for style [10] Parishes (P)\n"
              "\"Hamlet\" is invalid in \"<[CITY], ><[Hamlet]>\" (short place template) for "
              "style [10] Parishes (P)\n"
              "\"Hamlet\" is invalid in \"<[CITY], ><[Hamlet]>\" (short place template) for "
              "style [14] Place 14 (P)\n");
    EXPECT_TRUE(f.HasStyle(10, StyleGroup::Place));
    EXPECT_FALSE(f.HasStyle(11, StyleGroup::Place));
    EXPECT_FALSE(f.HasStyle(12, StyleGroup::Place));
    EXPECT_FALSE(f.HasStyle(13, StyleGroup::Place));
    EXPECT_TRUE(f.HasStyle(14, StyleGroup::Place));
    EXPECT_TRUE(f.HasStyle(20, StyleGroup::Name));
    EXPECT_FALSE(f.HasStyle(20, StyleGroup::Place));
    // The built-in styles are gone once a project's own styles are loaded.
    EXPECT_FALSE(f.HasStyle(1, StyleGroup::Place));
    EXPECT_FALSE(f.HasStyle(2, StyleGroup::Name));

    PlaceParts::Texts dover = Place({{kPlaceCity, "Dover"}, {kPlaceCounty, "Kent"}});
    EXPECT_EQ(f.FormatPlace(dover, 10), "Dover");
    EXPECT_EQ(f.FormatPlace(dover, 10, StyleTemplate::ShortPlace), "Dover");
    EXPECT_EQ(f.FormatNameSort(Name("", "John", "Smith", ""), 20), "Smith, John");
    // A template the style does not have formats as empty text.
    EXPECT_EQ(f.FormatName(Name("", "John", "Smith", ""), nullptr, 20, StyleTemplate::GivenSort),
              "");

    // Older projects keep the built-in styles whatever rows they are given.
    tables.versionMajor = 4;
    f.LoadStyles(tables);
    EXPECT_TRUE(f.HasStyle(1, StyleGroup::Place));
    EXPECT_TRUE(f.HasStyle(2, StyleGroup::Name));
    EXPECT_FALSE(f.HasStyle(10, StyleGroup::Place));
    EXPECT_EQ(f.LoadMessages(), "");
}

TEST(StyleFormatter, CurrentDatasetWins) {
    for (bool currentFirst : {false, true}) {
        StyleRow shared = PlaceStyle(4, "[County]", 0);
        StyleRow own = PlaceStyle(4, "[City]", 3);
        CTMGStyleFormatter f;
        f.LoadStyles(currentFirst ? Tables({own, shared}) : Tables({shared, own}));
        EXPECT_EQ(f.FormatPlace(Place({{kPlaceCity, "Dover"}, {kPlaceCounty, "Kent"}}), 4), "Dover")
            << currentFirst;
    }
}

TEST(StyleFormatter, TokenLimit) {
    // A place style takes its display template, an empty output template and an empty short
    // template: n variables give n + 3 tokens.
    auto styleOf = [](int variables) {
        std::string text;
        for (int i = 0; i < variables; ++i)
            text += "[City]";
        return Tables({PlaceStyle(1, text)});
    };
    CTMGStyleFormatter f;
    f.LoadStyles(styleOf(CTMGStyleFormatter::kMaxTokens - 3));
    EXPECT_EQ(f.Tokens().size(), 4095u);
    EXPECT_EQ(f.FormatPlace(Place({{kPlaceCity, "x"}}), 1).size(), 4092u);
    ExpectError([&] { f.LoadStyles(styleOf(CTMGStyleFormatter::kMaxTokens - 2)); }, -1,
                "Tokens_Add", "Token limit exceeded loading styles");

    // The limit counts tokens before folding: 1024 groups of four tokens fold to 1024.
    std::string groups;
    for (int i = 0; i < 1024; ++i)
        groups += "<[City], >";
    ExpectError([&] { f.LoadStyles(Tables({PlaceStyle(1, groups)})); }, -1, "Tokens_Add",
                "Token limit exceeded loading styles");
    f.Reset();
    EXPECT_TRUE(f.HasStyle(2, StyleGroup::Name));
}
