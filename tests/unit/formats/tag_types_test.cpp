#include <gtest/gtest.h>

#include "expect_error.h"
#include "formats/tag_types.h"
#include "formats/tmg_sentences.h"

using namespace hk;
using hk::test::ExpectError;

namespace {

TagTypeRow Row(long number, long group, std::string name, std::string sentence = {},
               std::optional<long> dsid = 0) {
    TagTypeRow r;
    r.eTypeNum = number;
    r.admin = group;
    r.eTypeName = std::move(name);
    r.sentence = std::move(sentence);
    r.dsid = dsid;
    return r;
}

// Labels block of a birth tag: a principal, two roles both labelled "Witness" in English,
// a backslashed role and one labelled only in German.
const std::string kBirthSentence = "[LABELS:]\r\n"
                                   "[RL=00001][L=ENGLISH]Principal[L=GERMAN]Hauptper\r\nson\r\n"
                                   "[RL=\\00002][L=ENGLISH]Witness\r\n"
                                   "[RL=00003][L=GERMAN]Zeuge[L=ENGLISH] witness \r\n"
                                   "[RL=00004][L=GERMAN]Pate\r\n"
                                   "[:LABELS]\r\n"
                                   "[L=ENGLISH][R=00001][P] was born";

// The role labels of a tag type in order, joined by "|".
std::string Labels(const CTMGTagTypes& t, long number) {
    std::string out;
    for (int i = 1; i <= t.RoleCount(number); ++i)
        out += (i > 1 ? "|" : "") + t.RoleLabelAt(number, i);
    return out;
}

} // namespace

TEST(TagTypes, LoadsCurrentDataset) {
    TagTypeRow deleted = Row(9, 4, "Gone");
    deleted.deleted = true;
    std::vector<TagTypeRow> rows = {Row(2, 4, "  Birth  ", "  [L=ENGLISH]Born  "),
                                    Row(3, 5, "Death", {}, 3), Row(4, 6, "Marriage", {}, 7),
                                    deleted, Row(1078, 99, "Note", {}, std::nullopt)};
    CTMGTagTypes t;
    t.LoadTags(rows, 3, nullptr, {});
    ASSERT_EQ(t.Count(), 4);
    EXPECT_EQ((std::vector<long>{t.NumberAt(1), t.NumberAt(2), t.NumberAt(3), t.NumberAt(4)}),
              (std::vector<long>{2, 3, 1078, 0}));
    EXPECT_FALSE(t.Has(4) || t.Has(9));
    EXPECT_EQ(t.NameOf(2), "Birth");
    EXPECT_EQ(t.SentenceOf(2), "[L=ENGLISH]Born");
    EXPECT_EQ(t.GroupOf(1078), kGroupOther);
    EXPECT_EQ(t.GroupOf(4), 0);
    EXPECT_EQ(t.FindByName("DEATH"), 3);
    EXPECT_EQ(t.FindByName("Marriage"), 0);

    // Loading again starts over.
    t.LoadTags(std::span(rows).subspan(2, 1), 7, nullptr, {});
    EXPECT_EQ(t.Count(), 2);
    EXPECT_FALSE(t.Has(2));

    EXPECT_EQ(CTMGTagTypes::GroupName(kGroupParent), "Parent");
    EXPECT_EQ(CTMGTagTypes::GroupName(11), "");
    EXPECT_EQ(CTMGTagTypes::SentenceField("004.000.000"), "Sentence");
    EXPECT_EQ(CTMGTagTypes::SentenceField("004.000.001"), "TSentence");
    EXPECT_FALSE(CTMGTagTypes::HasDsidField(4));
    EXPECT_TRUE(CTMGTagTypes::HasDsidField(5));
}

TEST(TagTypes, LanguageNames) {
    TagTypeRow row = Row(2, 4, "Birth");
    row.properties = "a_GERMAN=x\r\nl_ENGLISH=Birth (en)\r\n\nl_german= Geburt \rl_DUTCH=";
    // A missing or empty label keeps the table's name; so does loading without a language.
    const std::pair<const char*, const char*> cases[] = {{"GERMAN", "Geburt"},
                                                         {"english", "Birth (en)"},
                                                         {"FRENCH", "Birth"},
                                                         {"DUTCH", "Birth"},
                                                         {"", "Birth"}};
    CTMGTagTypes t;
    for (auto [language, name] : cases) {
        t.LoadTags(std::span(&row, 1), 0, nullptr, language);
        EXPECT_EQ(t.NameOf(2), name) << language;
    }
}

TEST(TagTypes, Roles) {
    TagTypeRow row = Row(2, 4, "Birth", kBirthSentence);
    CTMGTagTypes t;
    t.LoadTags(std::span(&row, 1), 0, nullptr, "ENGLISH");
    // Labels are unique without regard to case; a role without an English label shows its id.
    EXPECT_EQ(Labels(t, 2), "Principal|Witness|witness#2|00004");
    EXPECT_EQ(t.RoleIDAt(2, 2), "00002");
    EXPECT_TRUE(t.RoleAt(2, 2)->backslashed);
    EXPECT_FALSE(t.RoleAt(2, 1)->backslashed);
    EXPECT_EQ(t.RoleIDAt(2, 5), "");

    EXPECT_EQ(t.RoleName(2, "00003"), "witness#2");
    EXPECT_EQ(t.RoleName(2, "00009"), "");
    EXPECT_EQ(t.RoleName(2, "Witness"), "Witness"); // not numeric: unchanged
    EXPECT_EQ(t.RoleName(7, "00001"), "");
    EXPECT_EQ(t.RoleID(2, "WITNESS#2"), "00003");
    EXPECT_EQ(t.RoleID(2, "principal"), "00001");
    EXPECT_EQ(t.RoleID(2, "Zeuge"), "");
    EXPECT_TRUE(t.HasRoleID(2, "00002"));
    EXPECT_FALSE(t.HasRoleID(2, "\\00002"));
    EXPECT_FALSE(t.HasRoleID(3, "00001"));

    // Another language, with English where it has no label; line breaks inside a label go.
    t.LoadTags(std::span(&row, 1), 0, nullptr, "german");
    EXPECT_EQ(Labels(t, 2), "Hauptperson|Witness|Zeuge|Pate");

    // The roles and the sentences read the same memo without disturbing each other.
    CTMGSentences s;
    s.LoadSentences(t.SentenceOf(2));
    EXPECT_EQ(s.LanguageCount(), 1);
    EXPECT_EQ(s.FindLanguage("ENGLISH")->SentenceOf("00001"), "[P] was born");
}

TEST(TagTypes, RoleNameMapping) {
    TagTypeRow row = Row(2, 4, "Birth", kBirthSentence);
    row.properties = "l_ENGLISH=Born\r";
    NameMapping mapping;
    mapping.Set("RoleNames", "born.principal", "Child");
    mapping.Set("RoleNames", "Principal", "Main");
    mapping.Set("RoleNames", "Witness", "Attendee");
    mapping.Set("Other", "witness#2", "Guest");
    CTMGTagTypes t;
    t.LoadTags(std::span(&row, 1), 0, &mapping, "ENGLISH");
    // The tag's own key wins over the label alone; the tag is known by its language name.
    EXPECT_EQ(Labels(t, 2), "Child|Attendee|witness#2|00004");
    EXPECT_EQ(t.RoleID(2, "attendee"), "00002");
    EXPECT_EQ(t.RoleID(2, "Witness"), "");
}

TEST(TagTypes, LoadErrors) {
    const std::string source = "[CTMGTagTypes.LoadTags]";
    CTMGTagTypes t;
    // The same role twice, and two roles mapped onto one label.
    std::vector<TagTypeRow> rows = {
        Row(5, 4, "Baptism", "[LABELS:][RL=00001][L=ENGLISH]A[RL=00001][L=ENGLISH]B[:LABELS]")};
    ExpectError([&] { t.LoadTags(rows, 1, nullptr, "ENGLISH"); }, kErrDuplicateKey, source,
                "Duplicate key loading role information, tag type=Baptism, language=ENGLISH");
    rows[0].sentence = "[LABELS:][RL=00001][L=ENGLISH]A[RL=00002][L=ENGLISH]B[:LABELS]";
    NameMapping mapping;
    mapping.Set("RoleNames", "B", "a");
    ExpectError([&] { t.LoadTags(rows, 1, &mapping, "english"); }, kErrDuplicateKey, source,
                "Duplicate key loading role information, tag type=Baptism, language=english");

    rows.clear();
    for (long n = 1; n <= CTMGTagTypes::kMaxEntries; ++n)
        rows.push_back(Row(n, 99, "T" + std::to_string(n)));
    rows.push_back(Row(3000, 99, "Deleted"));
    rows.back().deleted = true;
    t.LoadTags(rows, 1, nullptr, {});
    EXPECT_EQ(t.Count(), 2048);
    EXPECT_EQ(t.NameOf(2047), "T2047");
    rows.push_back(Row(3001, 99, "One too many"));
    ExpectError([&] { t.LoadTags(rows, 1, nullptr, {}); }, -1, source, "Too many tag types");
}
