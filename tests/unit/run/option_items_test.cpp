// The items of list and combo options: leading entries, then what the project offers, in the
// order and with the data the functions rely on.
#include <gtest/gtest.h>

#include "run/option_items.h"

using namespace hk;

namespace {

ProjectLists SampleLists() {
    ProjectLists l;
    l.tagTypes = {{2, "Birth", 4}, {4, "marriage", 6},   {3, "Death", 5}, {37, "Name-Var", 1},
                  {90, "", 99},    {36, "Name-Marr", 1}, {5, "Burial", 9}};
    l.styles = {
        {2, "Standard", 'N'}, {1, "Standard", 'P'}, {3, "Title Last", 'N'}, {6, "Short", 'P'}};
    l.flags = {{"FLAG1", "Print", "NY"}, {"FLAG2", "Group", "?123"}};
    l.languages = {"ENGLISH", "GERMAN"};
    return l;
}

std::vector<std::string> Texts(const std::vector<ListItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.text);
    return out;
}

} // namespace

TEST(OptionItems, LeadingEntriesThenProjectItemsInNameOrderWithTheirData) {
    ProjectLists lists = SampleLists();

    OptionDecl tags;
    tags.kind = OptionKind::ComboBox;
    tags.source = ListSource::TagTypes;
    tags.items = {"<Choose Tag>"};
    auto items = OptionItems(tags, &lists);
    // Name order without regard to case; unnamed tag types are not offered.
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"<Choose Tag>", "Birth", "Burial", "Death",
                                                      "marriage", "Name-Marr", "Name-Var"}));
    EXPECT_EQ(items[0].data, 0);
    EXPECT_EQ(items[4].data, 4); // "marriage" is tag type 4
    EXPECT_EQ(items[6].data, 37);

    tags.tagGroup = 1; // name tags only
    tags.items = {"<Choose 'from' Name Tag>"};
    EXPECT_EQ(Texts(OptionItems(tags, &lists)),
              (std::vector<std::string>{"<Choose 'from' Name Tag>", "Name-Marr", "Name-Var"}));

    OptionDecl styles;
    styles.source = ListSource::Styles;
    styles.styleGroup = 'P';
    items = OptionItems(styles, &lists);
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"Short", "Standard"}));
    EXPECT_EQ(items[1].data, 1); // the place style "Standard", not the name style 2

    OptionDecl flags;
    flags.source = ListSource::Flags;
    flags.items = {"<Choose a flag field>"};
    items = OptionItems(flags, &lists);
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"<Choose a flag field>", "Print", "Group"}));
    EXPECT_EQ(items[2].data, 2);

    OptionDecl languages;
    languages.source = ListSource::Languages;
    languages.items = {"<Choose a language>", "<All Languages>"};
    EXPECT_EQ(
        Texts(OptionItems(languages, &lists)),
        (std::vector<std::string>{"<Choose a language>", "<All Languages>", "ENGLISH", "GERMAN"}));
}

TEST(OptionItems, WithoutAProjectOnlyTheDeclaredEntries) {
    OptionDecl tags;
    tags.source = ListSource::TagTypes;
    tags.items = {"<All event types>"};
    EXPECT_EQ(Texts(OptionItems(tags, nullptr)), std::vector<std::string>{"<All event types>"});
    EXPECT_TRUE(FilledFromProject(tags));

    OptionDecl fixed;
    fixed.source = ListSource::Fixed;
    fixed.items = {"XML", "HTML"};
    ProjectLists lists = SampleLists();
    EXPECT_EQ(Texts(OptionItems(fixed, &lists)), (std::vector<std::string>{"XML", "HTML"}));
    EXPECT_FALSE(FilledFromProject(fixed));

    auto items = OptionItems(fixed, nullptr);
    EXPECT_EQ(FindItem(items, "html"), 1);
    EXPECT_EQ(FindItem(items, "PDF"), -1);
}
