#include <gtest/gtest.h>

#include "formats/excluded_text.h"
#include "formats/soundex.h"
#include "formats/tmg_name.h"

using namespace hk;

TEST(ExcludedText, Modes) {
    struct Case {
        const char* text;
        const char* modes[5];
    };
    const Case cases[] = {
        {"--private", {"", "", "private", "--private", "--private"}},
        {"-x", {"", "x", "x", "-x", "-x"}},
        {"-", {"", "", "", "-", "-"}},
        {"---x", {"", "", "-x", "---x", "---x"}},
        {"a{b}c{d}", {"ac", "ac", "ac", "abcd", "a{b}c{d}"}},
        {"{old}-x", {"", "x", "x", "old-x", "{old}-x"}},
        {"a{b", {"a{b", "a{b", "a{b", "ab", "a{b"}},
        {"a}b{c}", {"a}b", "a}b", "a}b", "abc", "a}b{c}"}},
        {"a{{b}c}", {"ac}", "ac}", "ac}", "abc", "a{{b}c}"}},
    };
    for (const Case& c : cases)
        for (int mode = 0; mode < 5; ++mode)
            EXPECT_EQ(CleanExcludedText(c.text, mode), c.modes[mode]) << c.text << " " << mode;
    EXPECT_EQ(CleanExcludedText("{x}", 9), "{x}");
    EXPECT_EQ(CleanExcludedAlternatives("a||-b", 0), "a||");
    EXPECT_EQ(CleanExcludedAlternatives("-a||-b", 0), "");
    EXPECT_EQ(CleanExcludedAlternatives("{x}||y||-z", 1), "||y||z");
    EXPECT_EQ(CleanExcludedAlternatives("", 0), "");
}

TEST(ExcludedText, StripHidden) {
    EXPECT_EQ(StripHiddenText("John {Jack} Smith"), "John  Smith");
    EXPECT_EQ(StripHiddenText(" {a} x {b} y"), "y"); // first "{" to last "}"
    EXPECT_EQ(StripHiddenText("Anne [HID:]secret[:HID] Lee"), "Anne  Lee");
    EXPECT_EQ(StripHiddenText("[HID:]a[:HID]x[HID:]b[:HID]"), "x");
    EXPECT_EQ(StripHiddenText("[:ITAL:]Smith[:ITAL] [BOLD:]x[:BOLD] [a b]"), "Smith x [a b]");
    // An unclosed hidden block leaves its text; the lone marker reads as a code.
    EXPECT_EQ(StripHiddenText("[HID:]open"), "open");
}

TEST(NameParts, ModelAndKeys) {
    NameParts p;
    EXPECT_EQ(NameParts::PartCount(), 9);
    EXPECT_EQ(NameParts::PartName(kNamePreSurname), "PreSurname");
    EXPECT_EQ(NameParts::PartName(kNameSortGiven), "SortGiven");
    EXPECT_EQ(NameParts::PartName(9), "");
    const char* values[] = {"Dr.", "", "John", "van", "Smith", "Jr.", "", "Smith", "John"};
    for (int i = 0; i < 9; ++i)
        p.SetPartValue(i, values[i]);
    p.SetPrimaryGiven("Johnny");
    p.SetPrimarySurname("Smyth");
    p.SetPartValue(10, "ignored");
    EXPECT_EQ(p.PartValue(kNamePrimaryGiven), "Johnny");
    EXPECT_EQ(p.PartValue(kNamePrimarySurname), "Smyth");
    EXPECT_EQ(p.PartValue(11), "");
    EXPECT_EQ(p.PartsKey(), "Dr.,,John,van,Smith,Jr.,,Smith,John");
    EXPECT_EQ(p.PackedParts(), "Dr.$!&$!&John$!&van$!&Smith$!&Jr.$!&$!&Smith$!&John$!&");
    EXPECT_EQ(p.FullSurname(), "van Smith");
    NameParts q;
    q.CopyNameParts(p);
    EXPECT_EQ(q.PartsKey(), p.PartsKey());
    EXPECT_EQ(q.PrimaryGiven(), ""); // only the nine parts are copied
}

TEST(NameParts, LoadingOlderAndNewerProjects) {
    FormatSettings settings;
    settings.SetUnknownNamePlaceholder("(?)");
    settings.SetExclusionMode(1);
    NameParts p;
    p.DecodePackedName("Smith$!&Dr.$!&John {Jack}$!&--Sr.", settings);
    EXPECT_EQ(p.PartValue(kNameSurname), "Smith");
    EXPECT_EQ(p.PartValue(kNameTitle), "Dr.");
    EXPECT_EQ(p.PartValue(kNameGiven), "John ");
    EXPECT_EQ(p.PartValue(kNameSuffix), "");
    EXPECT_EQ(p.PartValue(kNameSortSurname), "Smith");
    EXPECT_EQ(p.PartValue(kNameSortGiven), "John ");
    p.DecodePackedName("$!&$!&Mary", settings);
    EXPECT_EQ(p.PartValue(kNameSurname), "(?)");
    EXPECT_EQ(p.PartValue(kNameSortSurname), "(?)");
    EXPECT_EQ(p.PartValue(kNameTitle), "");
    EXPECT_EQ(p.PartValue(kNameGiven), "Mary");

    p.StartPartRows(settings);
    EXPECT_EQ(p.PartsKey(), ",,(?),,(?),,,(?),(?)");
    p.SetPartFromRow(5, "Jones", settings);
    p.SetPartFromRow(1, "-Rev.", settings);
    p.SetPartFromRow(10, "nothing", settings);
    p.SetPartFromRow(0, "nothing", settings);
    EXPECT_EQ(p.PartsKey(), "Rev.,,(?),,Jones,,,(?),(?)");
}

TEST(TMGName, PlaceholderAndDisplay) {
    FormatSettings settings;
    EXPECT_EQ(settings.UnknownNamePlaceholder(), "");
    CTMGName name(settings);
    EXPECT_EQ(settings.UnknownNamePlaceholder(), "(?)");
    name.SetPackedValue("Dr.$!&$!&John$!&$!&Smith$!&Jr.");
    EXPECT_EQ(name.DisplaySurnameFirst(), "Smith, (Dr.) John, Jr.");
    EXPECT_EQ(name.DisplayGivenFirst(), "Dr. John |Smith| Jr.");
    EXPECT_EQ(CTMGName::RemoveSurnameMarks(name.DisplayGivenFirst()), "Dr. John Smith Jr.");
    EXPECT_EQ(name.MarkedParts().PartValue(kNameSurname), "|Smith|");
    name.SetPart(kNameTitle, "");
    name.SetPart(kNameSuffix, "");
    name.SetPart(kNameGiven, "");
    EXPECT_EQ(name.DisplaySurnameFirst(), "Smith, (?)");
    name.SetPart(kNamePreSurname, "van");
    EXPECT_EQ(name.DisplayGivenFirst(), "(?) |van Smith|");

    // A function that blanks the placeholder keeps it blank while it creates names.
    settings.SetUnknownNamePlaceholder("");
    CTMGName other(settings);
    EXPECT_EQ(settings.UnknownNamePlaceholder(), "");
    other.SetPart(kNameGiven, "Ann");
    EXPECT_EQ(other.DisplaySurnameFirst(), ", Ann");

    // Excluded text is cleaned in the display, not in the parts.
    settings.SetExclusionMode(0);
    other.SetPart(kNameSurname, "{Lee}");
    other.SetPart(kNameSuffix, "-III");
    EXPECT_EQ(other.DisplaySurnameFirst(), ", Ann");
    EXPECT_EQ(other.Part(kNameSurname), "{Lee}");
}

TEST(TMGName, PackedValueAndHiddenText) {
    FormatSettings settings;
    CTMGName name(settings);
    name.SetPackedValue("a$!&b$!&c$!&d$!&e$!&f$!&g$!&h$!&i$!&j$!&k");
    EXPECT_EQ(name.PackedValue(), "a$!&b$!&c$!&d$!&e$!&f$!&g$!&h$!&i$!&");
    name.SetPackedValue("x$!&y");
    EXPECT_EQ(name.Part(2), ""); // parts the shorter value lacks are cleared
    EXPECT_EQ(name.PackedValue(), "x$!&y$!&$!&$!&$!&$!&$!&$!&$!&");
    name.SetStripHidden(true);
    name.SetPart(kNameGiven, " John {Jack} [HID:]x[:HID]");
    EXPECT_EQ(name.Part(kNameGiven), "John");
}

TEST(TMGName, NamesOfAPerson) {
    CTMGNames names;
    NameEntry primary;
    primary.parts.SetPartValue(kNameSurname, "Smith");
    primary.parts.SetPartValue(kNamePreSurname, "de la");
    primary.styleId = 7;
    names.Add(primary);
    NameEntry married;
    married.parts.SetPartValue(kNameSurname, "Jones");
    names.Add(married);
    EXPECT_EQ(names.Count(), 2);
    EXPECT_EQ(names.FullSurname(0), "de la Smith");
    EXPECT_EQ(names.FullSurname(1), "Jones");
    EXPECT_EQ(names.PartValue(1, kNameSurname), "Jones");
    EXPECT_EQ(names.Entry(0).styleId, 7);
    EXPECT_EQ(names.FullSurname(2), "");
    EXPECT_EQ(names.Entry(-1).styleId, 0);
}

TEST(Soundex, Codes) {
    EXPECT_EQ(CSoundex::SoundCode("Ashcraft"), "A226"); // H separates the two 2s
    EXPECT_EQ(CSoundex::SoundCode("Tymczak"), "T522");
    EXPECT_EQ(CSoundex::SoundCode(""), "0000");
    EXPECT_EQ(CSoundex::SoundCode("   "), "0000");
    EXPECT_EQ(CSoundex::SoundCode("  smith "), "S530");
    EXPECT_EQ(CSoundex::SoundCode("Lee"), "L000");
    EXPECT_EQ(CSoundex::SoundCode("Pfister"), "P236");
    EXPECT_EQ(CSoundex::SoundCode("O'Brien"), "O165");
    EXPECT_EQ(CSoundex::SoundCode("Smith-Jones"), "S532"); // the dash is skipped
    // A blank separates equal digits and does not end the code.
    EXPECT_EQ(CSoundex::SoundCode("Van Dyke"), "V532");
    EXPECT_EQ(CSoundex::SoundCode("Tess Sam"), "T225");
    EXPECT_EQ(CSoundex::FirstWordSoundCode("Van Dyke"), "V500");
    EXPECT_EQ(CSoundex::FirstWordSoundCode("Ashcraft Smith"), "A226");
    // The first character is kept whole, even when it is not ASCII.
    EXPECT_EQ(CSoundex::SoundCode("\xC3\xB1"
                                  "u\xC3\xB1"
                                  "ez"),
              "\xC3\x91"
              "200");
}
