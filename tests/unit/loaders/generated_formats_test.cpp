// The tag types, styles and flags of projects written by mktmg, in the current and the old
// layout, load through the project object with the counts and names the generator wrote.
#include <gtest/gtest.h>

#include "formats/style_formatter.h"
#include "formats/tag_types.h"
#include "loaders/format_tables.h"
#include "mktmg/generator.h"
#include "mktmg/reference_data.h"
#include "support/temp_dir.h"
#include "tmgdb/ctmgdb.h"

using namespace hk;

namespace {

void CheckProject(TmgLayout layout) {
    test::TempDir dir;
    mktmg::GeneratorOptions o;
    o.pjcPath = (dir.Path() / "Gen__.pjc").string();
    o.people = 300;
    o.layout = layout;
    mktmg::GeneratorResult result = mktmg::GenerateProject(o);

    db::CTMGDB db;
    db.SetReadOnly(true);
    db.OpenProject(o.pjcPath);
    db.SetDSID(result.datasets.front().dsid);

    // Tag types: every live one of dataset 0 or the current dataset, each with its group.
    std::vector<mktmg::TagTypeRec> written = mktmg::DefaultTagTypes(layout, result.datasets);
    CTMGTagTypes tagTypes;
    LoadTagTypes(db, tagTypes);
    int expected = 0;
    for (const auto& t : written) {
        bool visible =
            !t.deleted && (t.dsid == 0 || t.dsid == db.DSID() || layout == TmgLayout::Old);
        if (!visible)
            continue;
        ++expected;
        ASSERT_TRUE(tagTypes.Has(t.number)) << t.name;
        EXPECT_EQ(tagTypes.NameOf(t.number), t.name);
        EXPECT_EQ(tagTypes.GroupOf(t.number), t.group) << t.name;
    }
    EXPECT_EQ(tagTypes.Count() - 1, expected);
    EXPECT_EQ(tagTypes.NameOf(mktmg::kTagBirth), "Birth");

    // Styles: the standard name and place styles are there in both layouts.
    CTMGStyleFormatter formatter;
    LoadStyles(db, formatter);
    EXPECT_TRUE(formatter.HasStyle(layout == TmgLayout::Old ? 1 : mktmg::kStylePlaceStandard,
                                   StyleGroup::Place));

    // Flags: every custom flag of the generator, with its label and values.
    if (layout == TmgLayout::Current) {
        auto rows = ReadFlagRows(db);
        size_t n = mktmg::CustomFlags().size();
        for (size_t i = 0; i < n; ++i) {
            // The last custom flag belongs to the second dataset only.
            long dsid = i + 1 == n ? result.datasets[1].dsid : db.DSID();
            auto flag = FindFlag(rows, "FLAG" + std::to_string(i + 1), dsid);
            ASSERT_TRUE(flag.has_value()) << i;
            EXPECT_EQ(flag->label, mktmg::CustomFlags()[i].label);
        }
        EXPECT_FALSE(FindFlag(rows, "FLAG" + std::to_string(n), db.DSID()).has_value());
    }
    db.CloseProject();
}

} // namespace

TEST(GeneratedFormats, CurrentLayoutLoadsItsTagTypesStylesAndFlags) {
    CheckProject(TmgLayout::Current);
}

TEST(GeneratedFormats, OldLayoutLoadsItsTagTypesAndStyles) {
    CheckProject(TmgLayout::Old);
}
