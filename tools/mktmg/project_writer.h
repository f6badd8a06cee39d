#pragma once
// Writes the files of one TMG project through the table engine: every table of a layout,
// created empty and filled record by record, then given its production index in one sorted
// build per table, and the project's configuration files. Output is byte-identical for the
// same input: headers carry a fixed date and nothing reads the clock.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tmgdb/tmg_schema.h"
#include "xbase/table.h"

namespace hk::mktmg {

// Live records of a table per dataset (0 for tables without a DSID field) and deleted ones.
struct TableCounts {
    std::map<int, uint64_t> live;
    uint64_t deleted = 0;
};
using ProjectCounts = std::map<std::string, TableCounts>; // by table suffix

// The date in every table header and in the configuration files.
struct FixedDate {
    int year = 2024, month = 3, day = 1;
};

// Appends records to one table. Field numbers come from Field(); a negative number (a field
// the layout lacks) is ignored by every setter, so one record description serves both layouts.
class TableSink {
public:
    TableSink(std::string path, TmgTableLayout layout, const db::CreateOptions& options);
    ~TableSink();

    const TmgTableLayout& Layout() const { return layout_; }
    const std::string& Path() const { return path_; }
    int Field(std::string_view name) const { return layout_.FieldIndex(name); }

    // Starts a record of a dataset; the DSID field, when the table has one, is set to it.
    void Begin(int dsid);
    void Int(int field, long value);
    void Number(int field, double value);
    void Text(int field, std::string_view utf8);
    void Char(int field, char c);
    void Memo(int field, std::string_view utf8); // empty text leaves the memo empty
    void Bool(int field, bool value);
    void Date(int field, std::string_view yyyymmdd);
    // Writes the record; returns its record number.
    uint32_t End(bool deleted = false);

    const TableCounts& Counts() const { return counts_; }
    // Closes the table file; no more records after this.
    void Close();

private:
    std::string path_;
    TmgTableLayout layout_;
    std::unique_ptr<db::Table> table_;
    int dsidField_ = -1;
    int dsid_ = 0;
    TableCounts counts_;
};

class ProjectWriter {
public:
    // `pjcPath` names the project file NAME__.pjc; its folder is created when missing and the
    // files this project would write are removed first. `personFlags` custom flag fields are
    // added to the person table.
    ProjectWriter(const std::string& pjcPath, TmgLayout layout, int personFlags,
                  FixedDate date = {});
    ~ProjectWriter();

    TmgLayout Layout() const { return layout_; }
    const std::string& Folder() const { return folder_; }
    const std::string& Prefix() const { return prefix_; } // "NAME_"
    const std::string& PjcPath() const { return pjcPath_; }
    const FixedDate& Date() const { return date_; }
    int PersonFlags() const { return personFlags_; }

    // The sink of a table suffix; null when the layout has no such table.
    TableSink* Sink(std::string_view suffix);

    // Writes a text file of the project (Windows-1252, lines ended by CR LF) named by the
    // prefix and `suffixAndExtension` ("_.pjc" gives NAME__.pjc).
    void WriteProjectFile(std::string_view suffixAndExtension, std::string_view utf8Text);
    // Writes a binary file of the project, as is.
    void WriteRawFile(std::string_view suffixAndExtension, std::string_view bytes);

    // Closes every table, builds each production index and stamps the table headers.
    void Finish();

    ProjectCounts Counts() const;
    // Every file written, relative to the folder, in name order.
    std::vector<std::string> Files() const;

private:
    void BuildIndex(const TableSink& sink);

    TmgLayout layout_;
    int personFlags_;
    FixedDate date_;
    std::string pjcPath_, folder_, prefix_;
    std::vector<std::unique_ptr<TableSink>> sinks_;
    std::vector<std::string> extraFiles_;
    bool finished_ = false;
};

// The folder (with a trailing separator) and prefix ("NAME_") of a project file path.
// Throws hk::Error when the name does not end in "__.pjc".
void SplitProjectPath(const std::string& pjcPath, std::string& folder, std::string& prefix);

} // namespace hk::mktmg
