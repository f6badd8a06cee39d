#include <gtest/gtest.h>

#include <set>

#include "run/function_catalog.h"
#include "run/maintenance_function.h"
#include "support/error.h"

using namespace hk;

TEST(FunctionCatalog, OrderIndexesAndTheShowDatabaseSwitch) {
    auto plain = CatalogEntries(false);
    auto full = CatalogEntries(true);
    ASSERT_EQ(full.size(), plain.size() + 1);
    EXPECT_EQ(full.back().key, "showdatabase") << "the last item under Other";
    EXPECT_EQ(full.back().categoryKey, "o");
    for (const auto& e : plain)
        EXPECT_NE(e.key, "showdatabase");

    // Indexes are unique, in range, and every category key exists.
    std::set<int> seen;
    std::set<std::string> categories;
    for (const auto& c : CatalogCategories())
        categories.insert(c.key);
    for (const auto& e : full) {
        EXPECT_TRUE(seen.insert(e.index).second) << e.key;
        EXPECT_LT(e.index, kCatalogSize);
        EXPECT_TRUE(categories.count(e.categoryKey)) << e.key;
    }
    // "... by Tag Type" hangs under the sub-category "Exclude Citations", itself under Citations.
    EXPECT_EQ(FindCatalogEntry("exccitbytype")->categoryKey, "x");
    EXPECT_EQ(CatalogCategories()[8].parentKey, "c");

    EXPECT_EQ(HelpPageFor("set$living"), "setliving.htm");
    EXPECT_TRUE(CommandLineShowsDatabase("--x quillbox"));
    EXPECT_FALSE(CommandLineShowsDatabase("QuillBox"));
}

namespace {
struct Dummy : MaintenanceFunction {
    Dummy(int i, std::string k) : i_(i), k_(std::move(k)) {}
    int Index() const override { return i_; }
    std::string Key() const override { return k_; }
    std::string Caption() const override { return k_; }
    void Run(RunContext&, const ControlStates&) override {}
    int i_;
    std::string k_;
};
} // namespace

TEST(FunctionCatalog, RegistryRefusesDuplicatesAndOutOfRangeIndexes) {
    FunctionRegistry r;
    r.Add(std::make_unique<Dummy>(11, "setliving"));
    EXPECT_THROW(r.Add(std::make_unique<Dummy>(11, "other")), Error);
    EXPECT_THROW(r.Add(std::make_unique<Dummy>(12, "setliving")), Error);
    EXPECT_THROW(r.Add(std::make_unique<Dummy>(50, "big")), Error);
    EXPECT_EQ(r.FindByIndex(11)->Key(), "setliving");
    EXPECT_EQ(r.FindByKey("nope"), nullptr);
}
