#pragma once
// CDBFSubsetSorter: a scratch table for walking a computed subset of records in the order of a
// key: a 64-character "Key" column, up to six further text columns, an index on the key. The
// caller fills it, walks it in key order, and its files are deleted when it ends.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/table.h"

namespace hk::db {

class CDBFSubsetSorter {
public:
    static constexpr int kKeyWidth = 64;
    static constexpr int kMaxColumns = 6;
    static constexpr int kColumnWidth = 254;

    explicit CDBFSubsetSorter(FileSystem* fs = nullptr);
    ~CDBFSubsetSorter();
    CDBFSubsetSorter(const CDBFSubsetSorter&) = delete;
    CDBFSubsetSorter& operator=(const CDBFSubsetSorter&) = delete;

    // Where the table and index files go (a folder path; "/" is added when missing).
    const std::string& Folder() const { return folder_; }
    void SetFolder(std::string_view folder);
    const std::string& TableName() const { return tableName_; } // "datatable" by default
    void SetTableName(std::string_view name) { tableName_ = std::string(name); }
    // Columns 1 to ColumnCount() follow the key; set before CreateTable.
    int ColumnCount() const { return columnCount_; }
    void SetColumnCount(int count);
    std::string ColumnName(int n) const; // "Col" & n unless named
    void SetColumnName(int n, std::string_view name);

    std::string TablePath() const { return folder_ + tableName_ + ".dbf"; }
    std::string IndexPath() const { return folder_ + tableName_ + ".cdx"; }

    // Creates (or replaces) the table, then its index with the tag "ByKey" on the key.
    void CreateTable();
    void CreateIndex();
    // Appends a record; missing columns stay blank, longer texts are cut to the column width.
    void AddRecord(std::string_view key, const std::vector<std::string>& columns = {});

    // Walks the records in key order.
    void MoveFirst();
    void MoveNext();
    bool Eof() const;                // past the last record
    std::string Key() const;         // without trailing blanks
    std::string Column(int n) const; // without trailing blanks
    long RecordCount() const;

    // Closes the table and deletes its files (also done when the object ends).
    void Close();

private:
    void RequireTable(const char* proc) const;
    int ColumnField(int n, const char* proc) const;

    FileSystem* fs_;
    std::string folder_;
    std::string tableName_ = "datatable";
    int columnCount_ = 0;
    std::vector<std::string> columnNames_;
    std::unique_ptr<Table> table_;
    bool indexCreated_ = false;
    std::string createdTable_, createdIndex_; // the files to delete
    int keyField_ = -1;
};

} // namespace hk::db
