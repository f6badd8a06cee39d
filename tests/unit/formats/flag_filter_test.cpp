#include <gtest/gtest.h>

#include "formats/flag_filter.h"
#include "formats/flag_value_dialog_model.h"

using namespace hk;

namespace {

const std::vector<std::string> kFields = {"LIVING", "FLAG1", "FLAG2"};
const std::vector<std::string> kLabels = {"Living", "Proven", "Ancestor"};

std::vector<FlagRow> FlagRows() {
    return {
        {"LIVING", " Living ", "?YN ", 0, false},
        {"flag1", "Old proven", "YN", 2, false}, // another dataset
        {"FLAG1", "Proven", "YN", 1, true},      // deleted
        {"Flag1 ", "Proven", "?YNX", 1, false},
        {"FLAG1", "Later copy", "Q", 0, false},
        {"FLAG2", "Ancestor", "É?", 1, false},
    };
}

// Which of some sample values pass, "-" standing for the empty value.
std::string Passing(const CTMGFlagFilter& f) {
    std::string out;
    for (const char* v : {"", "Y", "N", "?", "y", "Yes", "É", "È", "\xC3"})
        if (f.Passes(v))
            out += std::string(out.empty() ? "" : " ") + (*v ? v : "-");
    return out;
}

} // namespace

TEST(FlagFilter, PassTable) {
    CTMGFlagFilter f;
    EXPECT_FALSE(f.Active());
    EXPECT_EQ(Passing(f), ""); // include mode without values: nothing passes
    f.SetFilter("FLAG1", true, "YN");
    EXPECT_TRUE(f.Active());
    EXPECT_EQ(Passing(f), "Y N Yes"); // the first character decides; case matters
    f.AllowEmptyValue();
    EXPECT_EQ(Passing(f), "- Y N Yes");
    f.SetFilter("FLAG1", false, "N");
    EXPECT_EQ(Passing(f), "- Y ? y Yes É È \xC3");
    // Characters beyond ASCII are told apart, also from a broken one.
    f.SetFilter("FLAG1", true, "yÉ");
    EXPECT_EQ(Passing(f), "y É");
}

TEST(FlagFilter, PassesBoth) {
    CTMGFlagFilter f;
    f.SetFilter("FLAG1", true, "Y");
    EXPECT_FALSE(f.PassesBoth("", ""));
    EXPECT_TRUE(f.PassesBoth("Y", ""));
    EXPECT_TRUE(f.PassesBoth("", "Y"));
    EXPECT_FALSE(f.PassesBoth("Y", "N"));
    // Exclude mode: an empty value alone would pass, but two empty values never do.
    f.SetFilter("FLAG1", false, "N");
    EXPECT_TRUE(f.Passes(""));
    EXPECT_FALSE(f.PassesBoth("", ""));
    EXPECT_TRUE(f.PassesBoth("Y", ""));
    EXPECT_FALSE(f.PassesBoth("", "N"));
}

TEST(FlagFilter, Description) {
    CTMGFlagFilter f;
    EXPECT_EQ(f.Description(kFields, kLabels), "<No Filter>");
    f.SetFilter("living", true, "Y");
    EXPECT_EQ(f.Description(kFields, kLabels), "Living = 'Y'");
    f.SetFilter("LIVING", false, "N?");
    EXPECT_EQ(f.Description(kFields, kLabels), "Living <> ('N' or '?')");
    f.SetFilter("FLAG2", true, "AÉZ");
    EXPECT_EQ(f.Description(kFields, kLabels), "Ancestor = ('A' or 'É' or 'Z')");
    f.SetFilter("FLAG9", true, "Y");
    EXPECT_EQ(f.Description(kFields, kLabels), "<No Filter>");
}

TEST(FlagFilter, FlagTable) {
    std::vector<FlagRow> rows = FlagRows();
    std::optional<FlagDefinition> flag = FindFlag(rows, "flag1", 1);
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->field, "Flag1");
    EXPECT_EQ(flag->label, "Proven");
    EXPECT_EQ(flag->values, "?YNX");
    EXPECT_EQ(FindFlag(rows, "FLAG1", 2)->label, "Old proven");
    EXPECT_EQ(FindFlag(rows, "FLAG1", 3)->label, "Later copy");
    EXPECT_EQ(FindFlag(rows, "LIVING", 1)->values, "?YN");
    EXPECT_FALSE(FindFlag(rows, "FLAG2", 2));

    std::vector<FlagDefinition> flags = ProjectFlags(rows, 1);
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0].label, "Living");
    EXPECT_EQ(flags[1].label, "Proven");
    EXPECT_EQ(ProjectFlags(rows, 2)[1].label, "Old proven");
}

TEST(FlagFilter, DialogModel) {
    std::vector<FlagDefinition> flags = ProjectFlags(FlagRows(), 1);
    FlagValueDialogModel m;
    m.SetFlagFields(flags);
    EXPECT_EQ(m.LabelEntries(),
              (std::vector<std::string>{"<No flag field filter>", "Living", "Proven", "Ancestor"}));
    EXPECT_EQ(m.FlagField(), "");
    EXPECT_FALSE(m.IncludeEnabled() || m.ValuesEnabled());
    EXPECT_TRUE(m.OkEnabled());

    // Choosing a flag enables the controls; OK waits for values that are not blank.
    m.Select(2);
    EXPECT_EQ(m.FlagField(), "Flag1");
    EXPECT_TRUE(m.IncludeEnabled() && m.ValuesEnabled());
    EXPECT_EQ(m.AllowedValues(), "?YNX");
    EXPECT_FALSE(m.OkEnabled());
    m.SetFlagValues("  ");
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_EQ(m.SetFlagValues("yn?é"), "YN?É"); // edits are upper-cased, accents too
    EXPECT_TRUE(m.OkEnabled());

    EXPECT_EQ(m.SetFlagField("flag2"), std::nullopt);
    EXPECT_EQ(m.SelectedIndex(), 3);
    EXPECT_EQ(m.SetFlagField("FLAG7"), "FLAG7 is not a custom flag field in this database.");
    EXPECT_EQ(m.SelectedIndex(), 0);

    // From the main window's filter and back.
    CTMGFlagFilter filter;
    filter.SetFilter("FLAG1", false, "n");
    EXPECT_EQ(m.Start(flags, filter), std::nullopt);
    EXPECT_EQ(m.SelectedIndex(), 2);
    EXPECT_EQ(m.IncludeIndex(), 0);
    EXPECT_EQ(m.FlagValues(), "N");
    m.SetIncludeValues(true);
    m.Ok();
    EXPECT_EQ(m.ReturnCode(), 1);
    m.ApplyTo(filter);
    EXPECT_EQ(filter.FlagField(), "Flag1");
    EXPECT_TRUE(filter.Passes("N"));
    EXPECT_FALSE(filter.Passes("Y"));

    filter.SetFilter("FLAG8", true, "Y");
    EXPECT_EQ(m.Start(flags, filter), "FLAG8 is not a custom flag field in this database.");
    m.ApplyTo(filter);
    EXPECT_FALSE(filter.Active());
}
