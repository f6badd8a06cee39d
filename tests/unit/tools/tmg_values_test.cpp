#include <gtest/gtest.h>

#include "mktmg/tmg_values.h"

using namespace hk::mktmg;

TEST(MktmgValues, DatesAndPackedPartsTakeTmgsForms) {
    EXPECT_EQ(RegularDate({1961, 9, 24}, kBefore), "119610924000000000000");
    EXPECT_EQ(RegularDate({1712, 1, 0, true}), "117120100130000000000"); // Jan 1712/13
    EXPECT_EQ(RegularDate({1942}, kBetween, {1943}), "119420000051943000000");
    EXPECT_EQ(ExactDate(0), std::string(kEmptyDate));
    std::string q = RegularDate({1820, 3, 5}, kExact, {}, true);
    EXPECT_EQ(q.size(), 21u);
    EXPECT_EQ(q.back(), '1');
    std::string ft = RegularDate({1820, 0, 0}, kFromTo, {1825, 6, 1, true});
    EXPECT_EQ(ft, "118200000071825060110");
    EXPECT_EQ(IrregularDate("Easter 1820"), "0Easter 1820");
    EXPECT_EQ(ShortLogDate(2021, 7, 4), "12021070403");
    EXPECT_EQ(PackParts({"Smith", "", "John", ""}), "Smith$!&$!&John$!&$!&");
    EXPECT_EQ(PackParts({}), "");
}
