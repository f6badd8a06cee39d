// The scratch-table sorter: records come back in key order with their columns, and its files
// go away with it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/error.h"
#include "support/temp_dir.h"
#include "tmgdb/subset_sorter.h"
#include "unit/xbase/db_test_files.h"

using hk::db::CDBFSubsetSorter;
using hk::db::test::Caught;
using hk::test::TempDir;
namespace fs = std::filesystem;

TEST(CDBFSubsetSorter, WalksInKeyOrderAndDeletesItsFiles) {
    TempDir dir;
    std::string dbf, cdx;
    {
        CDBFSubsetSorter s;
        s.SetFolder(dir.Path().string());
        EXPECT_EQ(s.Folder(), dir.Folder());
        EXPECT_EQ(s.TableName(), "datatable");
        s.SetColumnCount(2);
        s.SetColumnName(2, "RefId");
        EXPECT_EQ(s.ColumnName(1), "Col1");
        EXPECT_EQ(s.ColumnName(2), "RefId");
        dbf = s.TablePath();
        cdx = s.IndexPath();
        EXPECT_EQ(dbf, dir.Folder() + "datatable.dbf");
        dir.Write("datatable.dbf", "an old scratch file"); // replaced
        s.CreateTable();
        s.CreateIndex();
        EXPECT_TRUE(fs::exists(dbf));
        EXPECT_TRUE(fs::exists(cdx));

        s.AddRecord("Smith 1850", {"John", "12"});
        s.AddRecord("Adams 1900", {"Abe"});
        s.AddRecord("Smith 1840", {"Jane", "3"});
        s.AddRecord("Zeta", {"Z", "1"});
        s.AddRecord("\xc3\x85ngstr\xc3\xb6m", {"\xc3\x85sa", "8"}); // sorts after Z in 1252
        s.AddRecord("Adams 1900", {"Second", "2"});
        s.AddRecord(std::string(70, 'k') + "tail", {"long", "4"});
        EXPECT_EQ(s.RecordCount(), 7);

        std::vector<std::string> keys, first, second;
        for (s.MoveFirst(); !s.Eof(); s.MoveNext()) {
            keys.push_back(s.Key());
            first.push_back(s.Column(1));
            second.push_back(s.Column(2));
        }
        EXPECT_EQ(keys, (std::vector<std::string>{"Adams 1900", "Adams 1900", "Smith 1840",
                                                  "Smith 1850", "Zeta", std::string(64, 'k'),
                                                  "\xc3\x85ngstr\xc3\xb6m"}));
        EXPECT_EQ(first, (std::vector<std::string>{"Abe", "Second", "Jane", "John", "Z", "long",
                                                   "\xc3\x85sa"}));
        EXPECT_EQ(second, (std::vector<std::string>{"", "2", "3", "12", "1", "4", "8"}));
        s.MoveNext(); // past the end stays there
        EXPECT_TRUE(s.Eof());
        EXPECT_THROW(s.Column(3), hk::Error);
        EXPECT_THROW(s.AddRecord("x", {"1", "2", "3"}), hk::Error);
    }
    EXPECT_FALSE(fs::exists(dbf));
    EXPECT_FALSE(fs::exists(cdx));

    CDBFSubsetSorter unused;
    EXPECT_EQ(Caught<hk::Error>([&] { unused.AddRecord("k"); }).Source(),
              "[CDBFSubsetSorter.AddRecord]");
    EXPECT_THROW(unused.SetColumnCount(7), hk::Error);
    unused.SetFolder(dir.Folder() + "missing/folder");
    hk::Error e = Caught<hk::Error>([&] { unused.CreateTable(); });
    EXPECT_EQ(e.Source(), "[CDBFSubsetSorter.CreateTable]");
    EXPECT_NE(e.Description().find(" creating data table"), std::string::npos);
}
