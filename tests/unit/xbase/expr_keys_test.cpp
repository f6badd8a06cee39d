// Key kinds, lengths and key text of the tag expressions our projects carry and of the private
// indexes the program builds.
#include <gtest/gtest.h>

#include <map>

#include "expr_fakes.h"
#include "xbase/expression.h"

using namespace hk::db;
using hk::db::testing::FakeResolver;
using hk::db::testing::FakeTable;

namespace {

struct FieldSpec {
    const char* name;
    char type;
    int length;
};

// One table per TMG suffix, with the fields its keys read (widths from TMG's layouts).
const std::vector<std::pair<std::string, std::vector<FieldSpec>>> kTables = {
    {"$", {{"PER_NO", 'I', 4}, {"REF_ID", 'I', 4}, {"FATHER", 'I', 4}, {"PBIRTH", 'C', 30}}},
    {"A", {{"RULESET", 'N', 1}, {"SOURTYPE", 'I', 4}}},
    {"C", {{"FLAGFIELD", 'C', 10}}},
    {"NPT", {{"SHORTVALUE", 'C', 20}, {"DSID", 'I', 4}}},
    {"T", {{"ETYPENUM", 'I', 4}, {"ETYPENAME", 'C', 20}, {"ADMIN", 'N', 2}}},
    {"I", {{"RLTYPE", 'C', 1}, {"RLNUM", 'I', 4}, {"XNAME", 'C', 30}}},
    {"M", {{"MAJNUM", 'I', 4}, {"ABBREV", 'C', 50}, {"TITLE", 'M', 4}}},
    {"N", {{"NPER", 'I', 4}, {"SRNAMESORT", 'C', 70}, {"STYLEID", 'I', 4}}},
    {"N36", {{"NAME", 'M', 10}, {"RECNO", 'N', 10}}}, // names before version 5
};

struct KeyCase {
    const char* table;
    const char* expression;
    KeyKind kind;
    int length;
};

const KeyCase kKeys[] = {
    {"$", "PER_NO", KeyKind::Int4, 4},
    {"$", "FATHER", KeyKind::Int4, 4},
    {"$", "PBIRTH", KeyKind::Char, 30},
    {"A", "STR(RULESET,1)+STR(SOURTYPE,10)", KeyKind::Char, 11},
    {"C", "UPPER(FLAGFIELD)", KeyKind::Char, 10},
    {"NPT", "UPPER(SHORTVALUE)+STR(DSID,10)", KeyKind::Char, 30},
    {"T", "ETYPENUM", KeyKind::Int4, 4},
    {"T", "UPPER(ETYPENAME)", KeyKind::Char, 20},
    {"T", "ADMIN", KeyKind::Double, 8},
    {"I", "RLTYPE+STR(RLNUM)", KeyKind::Char, 11},
    {"I", "XNAME", KeyKind::Char, 30},
    {"M", "MajNum", KeyKind::Int4, 4},
    {"M", "UPPER(ABBREV)", KeyKind::Char, 50},
    {"M", "PADR(UPPER(TITLE),40)", KeyKind::Char, 40},
    {"N", "UPPER(SRNAMESORT)", KeyKind::Char, 70},
    {"N", "STYLEID", KeyKind::Int4, 4},
    {"N", "0", KeyKind::Double, 8}, // the style order of projects before version 5
    {"N36", "LEFT(NAME,70)", KeyKind::Char, 70},
    {"N36", "RECNO", KeyKind::Double, 8},
};

class TmgKeys : public ::testing::Test {
protected:
    TmgKeys() {
        for (const auto& [suffix, fields] : kTables) {
            FakeResolver& r = resolvers_[suffix];
            FakeTable& t = r.AddTable(suffix);
            for (const auto& f : fields)
                t.Add(f.name, f.type, f.length);
            tables_[suffix] = &t;
        }
    }
    FakeTable& Table(const std::string& suffix) { return *tables_.at(suffix); }
    std::string Key(const std::string& suffix, std::string_view expression) {
        auto e = Expression::Compile(expression, resolvers_[suffix]);
        ExprValue v;
        e->Evaluate(v);
        EXPECT_EQ(v.type, ExprType::Char);
        return v.str;
    }
    std::map<std::string, FakeResolver> resolvers_;
    std::map<std::string, FakeTable*> tables_;
};

TEST_F(TmgKeys, KindsAndLengths) {
    for (const auto& k : kKeys) {
        SCOPED_TRACE(std::string(k.table) + ": " + k.expression);
        auto e = Expression::Compile(k.expression, resolvers_[k.table]);
        EXPECT_EQ(e->KeyKindForIndex(), k.kind);
        EXPECT_EQ(e->Length(), k.length);
    }
}

TEST_F(TmgKeys, KeyTextMatchesTheDeclaredLength) {
    Table("A").Set("RULESET", 1);
    Table("A").Set("SOURTYPE", 37);
    EXPECT_EQ(Key("A", "STR(RULESET,1)+STR(SOURTYPE,10)"), "1        37");

    Table("NPT").Set("SHORTVALUE", "Given");
    Table("NPT").Set("DSID", 1);
    EXPECT_EQ(Key("NPT", "UPPER(SHORTVALUE)+STR(DSID,10)"),
              "GIVEN" + std::string(15, ' ') + std::string(9, ' ') + "1");

    Table("I").Set("RLTYPE", "P");
    Table("I").Set("RLNUM", 42);
    EXPECT_EQ(Key("I", "RLTYPE+STR(RLNUM)"), "P        42");

    // A memo title longer than the key is cut; a shorter one is padded.
    Table("M").Set("TITLE", "The parish register of St. Mary, Anytown, 1750-1812");
    EXPECT_EQ(Key("M", "PADR(UPPER(TITLE),40)"), "THE PARISH REGISTER OF ST. MARY, ANYTOWN");
    Table("M").Set("TITLE", "Census");
    EXPECT_EQ(Key("M", "PADR(UPPER(TITLE),40)"), "CENSUS" + std::string(34, ' '));

    Table("N36").Set("NAME", "Smith$!&$!&John$!&");
    EXPECT_EQ(Key("N36", "LEFT(NAME,70)"), "Smith$!&$!&John$!&"); // shorter: padded by the index

    Table("N").Set("SRNAMESORT", "d'Arcy, \xC9mile");
    EXPECT_EQ(Key("N", "UPPER(SRNAMESORT)"), "D'ARCY, \xC9MILE" + std::string(57, ' '));
}

} // namespace
