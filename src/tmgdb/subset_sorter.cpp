#include "tmgdb/subset_sorter.h"

#include "support/paths.h"
#include "support/text.h"
#include "xbase/table_error.h"

namespace hk::db {

namespace {

constexpr const char* kClass = "CDBFSubsetSorter";

} // namespace

CDBFSubsetSorter::CDBFSubsetSorter(FileSystem* fs) : fs_(fs), columnNames_(kMaxColumns) {}

CDBFSubsetSorter::~CDBFSubsetSorter() {
    try {
        Close();
    } catch (...) {
    }
}

void CDBFSubsetSorter::SetFolder(std::string_view folder) {
    folder_ = AddTrailingSlash(folder);
}

void CDBFSubsetSorter::SetColumnCount(int count) {
    if (count < 0 || count > kMaxColumns)
        throw Error(-1, ErrorSource(kClass, "SetColumnCount"),
                    "A sorter has 0 to " + std::to_string(kMaxColumns) + " columns, not " +
                        std::to_string(count));
    columnCount_ = count;
}

std::string CDBFSubsetSorter::ColumnName(int n) const {
    if (n >= 1 && n <= kMaxColumns && !columnNames_[n - 1].empty())
        return columnNames_[n - 1];
    return "Col" + std::to_string(n);
}

void CDBFSubsetSorter::SetColumnName(int n, std::string_view name) {
    if (n < 1 || n > kMaxColumns)
        throw Error(-1, ErrorSource(kClass, "SetColumnName"), "No column " + std::to_string(n));
    columnNames_[n - 1] = std::string(name);
}

void CDBFSubsetSorter::CreateTable() {
    Close();
    std::vector<FieldSpec> fields;
    fields.push_back({"Key", 'C', kKeyWidth});
    for (int n = 1; n <= columnCount_; ++n)
        fields.push_back({ColumnName(n), 'C', kColumnWidth});
    CreateOptions options;
    options.memoBlockSize = 36;
    // An existing table of that name is replaced.
    table_ = WithTableContext(kClass, "CreateTable", "creating data table",
                              [&] { return Table::Create(TablePath(), fields, options, {}, fs_); });
    keyField_ = table_->FieldIndex("Key");
    createdTable_ = TablePath();
    createdIndex_ = IndexPath();
}

void CDBFSubsetSorter::CreateIndex() {
    RequireTable("CreateIndex");
    IndexTagSpec tag;
    tag.name = "ByKey";
    tag.keyExpr = "Key";
    WithTableContext(kClass, "CreateIndex", "creating data index",
                     [&] { table_->CreateIndex(IndexPath(), {tag}); });
    indexCreated_ = true;
}

void CDBFSubsetSorter::AddRecord(std::string_view key, const std::vector<std::string>& columns) {
    RequireTable("AddRecord");
    if (static_cast<int>(columns.size()) > columnCount_)
        throw Error(-1, ErrorSource(kClass, "AddRecord"),
                    std::to_string(columns.size()) + " column values for " +
                        std::to_string(columnCount_) + " columns");
    WithTableContext(kClass, "AddRecord", "adding data record", [&] {
        table_->AppendStart();
        table_->AssignString(keyField_, key);
        for (size_t i = 0; i < columns.size(); ++i)
            table_->AssignString(ColumnField(static_cast<int>(i) + 1, "AddRecord"), columns[i]);
        table_->Append();
    });
}

void CDBFSubsetSorter::MoveFirst() {
    RequireTable("MoveFirst");
    table_->SelectTag(table_->FindTag("ByKey"));
    table_->Top();
}

void CDBFSubsetSorter::MoveNext() {
    RequireTable("MoveNext");
    if (!table_->Eof())
        table_->Skip(1);
}

bool CDBFSubsetSorter::Eof() const {
    return !table_ || table_->Eof();
}

std::string CDBFSubsetSorter::Key() const {
    RequireTable("Key");
    return std::string(TrimRight(table_->GetString(keyField_)));
}

std::string CDBFSubsetSorter::Column(int n) const {
    RequireTable("Column");
    return std::string(TrimRight(table_->GetString(ColumnField(n, "Column"))));
}

long CDBFSubsetSorter::RecordCount() const {
    return table_ ? table_->RecCount() : 0;
}

void CDBFSubsetSorter::Close() {
    if (!table_)
        return;
    std::string dbf = createdTable_, cdx = createdIndex_;
    table_.reset();
    FileSystem& fs = fs_ ? *fs_ : FileSystem::Default();
    for (const std::string& path : {dbf, cdx}) {
        try {
            if (fs.Exists(path))
                fs.Remove(path);
        } catch (...) {
        }
    }
    indexCreated_ = false;
}

void CDBFSubsetSorter::RequireTable(const char* proc) const {
    if (!table_)
        throw Error(-1, ErrorSource(kClass, proc), "The data table has not been created");
}

int CDBFSubsetSorter::ColumnField(int n, const char* proc) const {
    if (n < 1 || n > columnCount_)
        throw Error(-1, ErrorSource(kClass, proc), "No column " + std::to_string(n));
    return keyField_ + n;
}

} // namespace hk::db
