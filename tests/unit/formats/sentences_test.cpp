#include <gtest/gtest.h>

#include "expect_error.h"
#include "formats/tmg_sentences.h"
#include "support/find_and_replace.h"

using namespace hk;
using hk::test::ExpectError;

namespace {

CTMGSentences Parse(std::string_view memo, std::string_view filter = {}) {
    CTMGSentences s;
    s.LoadSentences(memo, filter);
    return s;
}

constexpr std::string_view kTwoLanguages =
    "[L=ENGLISH][R=00001][C=M][P] was born <[D]> <[L]>[R=00002][W] saw the birth of [P]"
    "[R=00003]"
    "[L=GERMAN][R=00001][P] wurde <[D]> geboren";

} // namespace

TEST(Sentences, ParseAndWriteBack) {
    CTMGSentences s = Parse(kRegExpSelfTestSentence);
    ASSERT_EQ(s.LanguageCount(), 1);
    const CTMGSentenceLanguage& english = s.LanguageAt(0);
    ASSERT_EQ(english.RoleCount(), 2);
    EXPECT_EQ(english.SentenceOf("principal"), "[P] <was|and [PO] were> adopted <[D]><[L]>");
    EXPECT_EQ(english.SentenceOf("Witness"),
              "[W] witnessed the adoption of [P] <and [PO]> <[D]> <[L]>");
    EXPECT_EQ(english.RoleAt(1).Language(), "ENGLISH");
    EXPECT_EQ(s.Definition(), kRegExpSelfTestSentence);

    CTMGSentences two = Parse(kTwoLanguages);
    EXPECT_EQ(two.Definition(), kTwoLanguages);
    EXPECT_EQ(two.FindLanguage("ENGLISH")->Role("00003")->Sentence(), "");

    // The labels block is kept as it was; language sections keep their own lines.
    const std::string withLabels = "[LABELS:]\r\n[RL=00001][L=ENGLISH]Principal\r\n"
                                   "[RL=00002][L=ENGLISH]Witness\r\n[:LABELS]\r\n"
                                   "[L=ENGLISH][R=00001][P] was born\r\n"
                                   "[L=DUTCH][R=00001][P] werd geboren";
    CTMGSentences labelled = Parse(withLabels);
    EXPECT_EQ(labelled.LanguageCount(), 2);
    EXPECT_EQ(labelled.FindLanguage("ENGLISH")->RoleCount(), 1);
    EXPECT_EQ(labelled.Definition(), withLabels);
}

TEST(Sentences, SectionsAndRoles) {
    EXPECT_EQ(Parse("[P] was born").LanguageCount(), 0);
    EXPECT_EQ(Parse("[L=ENGLISH]").LanguageCount(), 0);
    EXPECT_EQ(Parse("[L=ENGLISH]  [L=GERMAN]x").LanguageCount(), 1);
    // Not language headers: an empty name, a name holding "[".
    EXPECT_EQ(Parse("[L=]Born").LanguageCount(), 0);
    CTMGSentences odd = Parse("[L=A[L=FRENCH]Né");
    ASSERT_EQ(odd.LanguageCount(), 1);
    EXPECT_EQ(odd.LanguageAt(0).Name(), "FRENCH");

    // A section without roles is the sentence of the unnamed role.
    CTMGSentences born = Parse("[L=ENGLISH]Born [D]\r\n");
    ASSERT_EQ(born.LanguageAt(0).RoleCount(), 1);
    EXPECT_EQ(born.LanguageAt(0).SentenceOf(""), "Born [D]");
    EXPECT_EQ(born.Definition(), "[L=ENGLISH]Born [D]");

    // Line breaks inside a sentence go; consistency markers, blanks and "$!&" are handled.
    CTMGSentences r = Parse("[L=ENGLISH]ignored[R=00001] [C=M,0,99] [C=F]\r\n He was\r\n born$!&"
                            "[R=00002]$!&x$!&[L=GERMAN][R=00001][C=M]Er");
    const CTMGSentenceLanguage& en = *r.FindLanguage("english");
    EXPECT_EQ(en.Role("00001")->Consistency(), "[C=M,0,99]");
    EXPECT_EQ(en.SentenceOf("00001"), "He was born");
    EXPECT_EQ(en.SentenceOf("00002"), "$!&x");
    EXPECT_EQ(en.SentenceOf("00009"), "");
    // The consistency marker is written for English only.
    EXPECT_EQ(r.FindLanguage("GERMAN")->Role("00001")->Consistency(), "[C=M]");
    EXPECT_EQ(r.Definition(), "[L=ENGLISH][R=00001][C=M,0,99]He was born[R=00002]$!&x\r\n"
                              "[L=GERMAN][R=00001]Er");

    // A role filter keeps the matching roles only, the unnamed role not at all.
    CTMGSentences w = Parse(kRegExpSelfTestSentence, "WITNESS");
    EXPECT_EQ(w.LanguageAt(0).RoleCount(), 1);
    EXPECT_TRUE(w.LanguageAt(0).HasRole("Witness"));
    EXPECT_EQ(Parse("[L=ENGLISH]Born", "00001").LanguageAt(0).RoleCount(), 0);
}

TEST(Sentences, DuplicateKeys) {
    const std::string duplicate =
        "This key is already associated with an element of this collection";
    const std::string language = "[L=ENGLISH]a[L=English]b";
    ExpectError([&] { Parse(language); }, kErrDuplicateKey, "[CTMGSentences.LoadSentences]",
                duplicate + "\n" + language + ", Key=ENGLISH");
    const std::string role = "[L=GERMAN][R=00001]a[R=00001]b";
    ExpectError([&] { Parse(role); }, kErrDuplicateKey, "[CTMGSentences.LoadSentences]",
                duplicate + " Role=00001 Language=GERMAN\n" + role + ", Key=GERMAN");
    ExpectError([] { CTMGSentenceLanguage().LoadLanguage("DUTCH", "[R=x]1[R=X]2"); },
                kErrDuplicateKey, "[CTMGSentenceLanguage.LoadLanguage]",
                duplicate + " Role=X Language=DUTCH");
}

TEST(Sentences, LanguagesFromEnglish) {
    CTMGSentences s = Parse(kTwoLanguages);
    // A missing language starts as a copy of English, in its own language.
    CTMGSentenceLanguage& french = s.Language("FRENCH");
    EXPECT_EQ(french.RoleCount(), 3);
    EXPECT_EQ(french.SentenceOf("00002"), "[W] saw the birth of [P]");
    EXPECT_EQ(french.Role("00001")->Language(), "FRENCH");
    EXPECT_TRUE(s.Definition().ends_with(
        "[L=FRENCH][R=00001][P] was born <[D]> <[L]>[R=00002][W] saw the birth of [P][R=00003]"));

    // An existing language is left alone unless FillFromEnglish is on; then it gains the
    // English roles with a sentence that it lacks, and keeps its own.
    EXPECT_EQ(s.Language("german").RoleCount(), 1);
    s.SetFillFromEnglish(true);
    CTMGSentenceLanguage& german = s.Language("GERMAN");
    EXPECT_EQ(german.RoleCount(), 2);
    EXPECT_EQ(german.SentenceOf("00001"), "[P] wurde <[D]> geboren");
    EXPECT_EQ(german.SentenceOf("00002"), "[W] saw the birth of [P]");
    EXPECT_FALSE(german.HasRole("00003"));

    // Without English, an empty English is added first; the new language copies it.
    CTMGSentences dutchOnly = Parse("[L=DUTCH][R=00001]Geboren");
    EXPECT_EQ(dutchOnly.Language("SPANISH").RoleCount(), 0);
    EXPECT_EQ(dutchOnly.LanguageCount(), 3);
    EXPECT_EQ(dutchOnly.Definition(), "[L=DUTCH][R=00001]Geboren");

    // Sentences by role: keys upper-cased; a missing language is added empty.
    KeyedList<std::string> byRole = s.GetSentencesByRole("english");
    ASSERT_EQ(byRole.Count(), 3);
    ASSERT_NE(byRole.Find("00002"), nullptr);
    EXPECT_EQ(*byRole.Find("00002"), "[W] saw the birth of [P]");
    EXPECT_EQ(s.GetSentencesByRole("ITALIAN").Count(), 0);
    EXPECT_EQ(s.FindLanguage("ITALIAN")->RoleCount(), 0);
}

TEST(Sentences, RebuildingSections) {
    // Copying a language's sentences into a new section, and renaming a section.
    CTMGSentences s = Parse("[L=ENGLISH][R=00001][C=M]He[L=GERMAN][R=00001]Er");
    CTMGSentenceLanguage& dutch = s.AddLanguage("DUTCH");
    const CTMGSentenceLanguage& english = *s.FindLanguage("ENGLISH");
    for (int i = 0; i < english.RoleCount(); ++i)
        EXPECT_TRUE(dutch.AddRole(english.RoleAt(i)));
    EXPECT_FALSE(dutch.AddRole(english.RoleAt(0)));
    EXPECT_EQ(s.Definition(), "[L=ENGLISH][R=00001][C=M]He[L=GERMAN][R=00001]Er"
                              "[L=DUTCH][R=00001]He");
    EXPECT_FALSE(s.RenameLanguage("GERMAN", "dutch"));
    EXPECT_FALSE(s.RenameLanguage("FRISIAN", "FRENCH"));
    EXPECT_TRUE(s.RenameLanguage("german", "FRENCH"));
    EXPECT_EQ(s.Definition(), "[L=ENGLISH][R=00001][C=M]He[L=FRENCH][R=00001]Er"
                              "[L=DUTCH][R=00001]He");
    EXPECT_EQ(Parse(s.Definition()).Definition(), s.Definition());
}
