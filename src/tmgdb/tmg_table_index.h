#pragma once
// CTMGTableIndex: the program's own index file for one TMG table kind, built in the project
// folder when the table is opened without TMG's index, reopened on later openings of that
// kind, and deleted when the project's tables are all closed. Also which tables get one and
// with which tags, by project version.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/table.h"

namespace hk::db {

class CTMGTableIndex {
public:
    explicit CTMGTableIndex(FileSystem* fs = nullptr) : fs_(fs) {}
    ~CTMGTableIndex() = default;
    CTMGTableIndex(const CTMGTableIndex&) = delete;
    CTMGTableIndex& operator=(const CTMGTableIndex&) = delete;

    // Creates (or overwrites) the index file with the tags on `table`; it stays open there.
    void CreateIndex(const std::string& fileName, Table& table,
                     const std::vector<IndexTagSpec>& tags);
    // Opens the created file on `table` unless it is open already (clones share it).
    void Reopen(Table& table);
    // Another cursor of the same table takes over as the one the index is closed through.
    void Rebind(Table& table);
    void Close();
    // Closes the index and deletes its file; a file that cannot be deleted stays.
    void Discard();

    bool Created() const { return created_; }
    const std::string& FileName() const { return fileName_; }
    IndexSet* IndexHandle() const { return handle_; }
    bool IsOpenOn(const Table& table) const { return handle_ != nullptr && table_ == &table; }

private:
    FileSystem* fs_;
    bool created_ = false;
    std::string fileName_;
    IndexSet* handle_ = nullptr;
    Table* table_ = nullptr; // the cursor the index was opened through
};

// Whether a table kind is opened without its own index and gets a private one: I, L, M, N, R
// and ST from version 5 on; L, N and P before.
bool UsesPrivateIndex(std::string_view suffix, int versionMajor);

struct PrivateIndexLayout {
    std::string fileName; // in the project folder
    std::vector<IndexTagSpec> tags;
};

// The private index of a table kind, or nothing for kinds that have none. The name table's
// style and surname orders are added only when wanted.
std::optional<PrivateIndexLayout> PrivateIndexFor(std::string_view suffix, int versionMajor,
                                                  bool wantNameStyleOrder, bool wantSurnameOrder);

// The table kinds that can have a private index, in a fixed order.
const std::vector<std::string>& PrivateIndexKinds();

// True for the path of a private index file (any kind, any version): scratch files that runs
// make and remove.
bool IsPrivateIndexFile(const std::string& path);

} // namespace hk::db
