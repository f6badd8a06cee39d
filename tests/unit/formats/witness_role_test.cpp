#include <gtest/gtest.h>

#include "formats/witness_role.h"

using namespace hk;

namespace {

RoleMap ShiftMap() {
    RoleMap map;
    map.Add("00003", "00004");
    map.Add("00004", "00005");
    return map;
}

WitnessRow Witness(long person, std::string role, std::string sentence = {}, long event = 7,
                   long dsid = 1) {
    WitnessRow r;
    r.ePer = person;
    r.gNum = event;
    r.dsid = dsid;
    r.role = std::move(role);
    r.wSentence = std::move(sentence);
    return r;
}

} // namespace

TEST(WitnessRole, RemapsReferencesOnce) {
    RoleMap map = ShiftMap();
    EXPECT_EQ(map.RemapReferences("[R:00003] with [R:00004]"), "[R:00004] with [R:00005]");
    // At most one character between "R" and ":"; the id must be whole.
    EXPECT_EQ(map.RemapReferences("[RW:00003] [RXY:00003] [R:000031] [R:00003 ] [r:00003]"),
              "[RW:00004] [RXY:00003] [R:000031] [R:00003 ] [r:00003]");
    EXPECT_EQ(map.RemapReferences("[L=ENGLISH][P] and [RP:00004]<, [R:00003]>"),
              "[L=ENGLISH][P] and [RP:00005]<, [R:00004]>");
    EXPECT_EQ(RoleMap().RemapReferences("[R:00003]"), "[R:00003]");

    // A swap works too, and a later entry for the same old id is ignored.
    RoleMap swap;
    swap.Add("00003", "00004");
    swap.Add("00004", "00003");
    swap.Add(" 00003 ", "00009");
    EXPECT_EQ(swap.Count(), 2);
    EXPECT_EQ(swap.RemapReferences("[R:00004][R:00003]"), "[R:00003][R:00004]");
    ASSERT_NE(swap.NewIdFor("00003  "), nullptr);
    EXPECT_EQ(*swap.NewIdFor("00003  "), "00004");
    EXPECT_EQ(swap.NewIdFor("00005"), nullptr);
}

TEST(WitnessRole, RemapsRolesOfOneEvent) {
    std::vector<WitnessRow> rows = {
        Witness(1, "00001"),                      // principal, unchanged
        Witness(2, "00003"),                      // principal with a mapped role
        Witness(3, "00003", "[W] saw [R:00004]"), // mapped witness
        Witness(4, "00009"),                      // unmapped witness
        Witness(5, "00002   "),                   // already the witness role (padded field)
        Witness(6, "00007", {}, 8),               // another event
        Witness(7, "00007", {}, 7, 2),            // another dataset
        Witness(8, "00001"),                      // a witness holding the principal role
    };
    rows[3].witMemo = "memo [R:00003]";
    rows.push_back(Witness(9, "00003"));
    rows.back().deleted = true;

    CWitnessRole remapper;
    std::vector<WitnessChange> changes = remapper.RemapRoles(rows, 7, 1, ShiftMap(), 1, 2);
    std::vector<std::string> roles;
    for (const WitnessRow& r : rows)
        roles.push_back(r.role);
    EXPECT_EQ(roles, (std::vector<std::string>{"00001", "00004", "00004", "00002", "00002   ",
                                               "00007", "00007", "00002", "00003"}));
    EXPECT_EQ(rows[2].wSentence, "[W] saw [R:00005]");
    EXPECT_EQ(rows[3].witMemo, "memo [R:00004]");
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[0].row, 1u);
    EXPECT_TRUE(changes[0].role);
    EXPECT_FALSE(changes[0].wSentence);
    EXPECT_EQ(changes[1].row, 2u);
    EXPECT_TRUE(changes[1].role && changes[1].wSentence && !changes[1].witMemo);
    EXPECT_EQ(changes[2].row, 3u);
    EXPECT_TRUE(changes[2].role && changes[2].witMemo);
    EXPECT_EQ(changes[3].row, 7u);

    // Before version 10 the default roles are named, not numbered.
    std::vector<WitnessRow> old = {Witness(1, "Witness"), Witness(3, "Principal")};
    CWitnessRole oldRemapper(RoleIds::ForVersion(9));
    EXPECT_EQ(oldRemapper.RemapRoles(old, 7, 1, RoleMap(), 1, 0).size(), 2u);
    EXPECT_EQ(old[0].role, "Principal");
    EXPECT_EQ(old[1].role, "Witness");
}
