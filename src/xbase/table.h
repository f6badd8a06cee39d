#pragma once
// A cursor over one open table: navigation in record or tag order, seeks, field reads and
// writes, appends, delete and recall. Every open index of the table is kept consistent with
// each write. Clones are further cursors over the same open files.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/db_error.h"
#include "xbase/expression.h"
#include "xbase/field.h"
#include "xbase/file.h"
#include "xbase/index_types.h"
#include "xbase/memory_budget.h"

namespace hk::db {

class TableFile;
struct TagState;
class IndexSet;
class CdxCursor;
class DbfFile;
class RecordView;

// Results of moves and seeks: 0 when positioned on a wanted record, anything else stops loops.
enum Position : int {
    kPosOk = 0,
    kPosAfter = 2, // seek: no match; positioned on the next key
    kPosEof = 3,
    kPosBof = 4,
};

struct OpenOptions {
    bool writable = true;
    // Open the production index (the .cdx of the table's name) for ordering and seeks. When
    // off, a writable table still keeps that index up to date, so the project stays intact.
    bool productionIndex = true;
    FileSystem* fs = nullptr; // the default file system when null
    // The open project's budget that every file of the table (and its later indexes) caches
    // in; when null each file keeps a cache of its own.
    MemoryBudget* budget = nullptr;
};

struct IndexTagSpec {
    std::string name;
    std::string keyExpr;
    std::string forExpr;
    bool descending = false;
    bool unique = false;
};

// A fault found by reading a table's files whole: where it is (the record, 0 for the table as
// a whole; the memo field or the tag) and what is wrong, in words.
struct TableFault {
    enum class Kind { Header, Memo, Tag };
    Kind kind = Kind::Header;
    uint32_t recno = 0;
    std::string where;
    std::string what;
};

// A tag of one of the table's open indexes, as a handle for SelectTag.
class Tag {
public:
    const std::string& Name() const;
    const TagInfo& Info() const;
    // Empty when the key can be computed; otherwise why not (e.g. a function we do not know).
    const std::string& Unusable() const;
    KeyKind Kind() const;
    bool DateKeys() const; // numeric keys that hold Julian day numbers
    // Every entry in ascending stored order (descending tags are walked the other way).
    std::vector<KeyEntry> Entries() const;
    // The open index the tag belongs to.
    const IndexSet* Index() const;

    explicit Tag(TagState* s) : state_(s) {} // made by the table's index state only

private:
    friend class Table;
    TagState* state_;
};

class Table {
public:
    static std::unique_ptr<Table> Open(const std::string& path, const OpenOptions& options = {});
    // Creates a table (and its production index when tags are given) and opens it writable.
    static std::unique_ptr<Table> Create(const std::string& path,
                                         const std::vector<FieldSpec>& fields,
                                         const CreateOptions& options = {},
                                         const std::vector<IndexTagSpec>& productionTags = {},
                                         FileSystem* fs = nullptr, MemoryBudget* budget = nullptr);
    ~Table();

    // Another cursor over the same open files.
    std::unique_ptr<Table> Clone();

    const std::string& Path() const;
    const std::string& Alias() const { return alias_; }
    void SetAlias(std::string alias) { alias_ = std::move(alias); }
    bool Writable() const;
    const DbfFile& Dbf() const;

    // Schema
    int FieldCount() const;
    const FieldInfo& FieldAt(int i) const;
    int FieldIndex(std::string_view name) const; // case-blind, -1 when missing

    // Position
    uint32_t RecNo() const { return recno_; }
    uint32_t RecCount() const;
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool Deleted() const;

    int Top();
    int Bottom();
    int Skip(long n = 1);
    int Go(uint32_t recno); // record number order position; kPosEof when out of range

    // Index orders. A null tag selects record order. A tag whose keys are in a form the
    // engine does not know is refused (kErrIndex) rather than read wrongly.
    Tag* FindTag(std::string_view name) const;
    std::vector<Tag*> Tags() const; // every selectable tag, production index first
    void SelectTag(Tag* tag);
    // Before a run trusts its seeks: a sample of records and tag entries must agree (keys
    // found where the records are, entries carrying their records' keys), or kErrIndex is
    // thrown naming the table, the tag and the record. Checked once per tag while its index is
    // open. With the switch on (shared by every cursor of the table), SelectTag checks a tag
    // the first time it is selected, and the first write checks every tag it would maintain.
    void SpotCheck(Tag* tag);
    void SetSpotCheckOnSelect(bool on);
    Tag* SelectedTag() const { return selected_; }

    // Seeks in the selected tag. A text key shorter than a character tag's key finds the
    // first key that begins with it; on numeric and date tags the text is read as a number
    // (dates as YYYYMMDD).
    int Seek(std::string_view key);
    int SeekDouble(double key);
    // Next record with the same key as the current one, or a fresh seek when it differs.
    int SeekNext(std::string_view key);
    int SeekNextDouble(double key);

    // Reads of the current record (a blank record when positioned at the end).
    std::string GetString(int field) const; // UTF-8; character fields at full padded width
    std::string GetTrimmed(int field) const;
    long GetLong(int field) const;
    double GetDouble(int field) const;
    bool GetBool(int field) const;
    std::string GetMemo(int field) const;  // UTF-8
    std::string_view Raw(int field) const; // bytes as stored in the record
    bool IsNull(int field) const;
    const RecordSource& Current() const;

    // Writes to the current record (or to the record being appended). Existing records are
    // written at once, with every index updated; a change that would need a key we cannot
    // compute is refused before anything is written.
    void AssignString(int field, std::string_view utf8);
    void AssignLong(int field, long value);
    void AssignDouble(int field, double value);
    void AssignBool(int field, bool value);
    void AssignDate(int field, std::string_view yyyymmdd);
    void AssignMemo(int field, std::string_view utf8);

    void Delete();
    void Recall();

    // Appending: AppendStart, Blank (AppendStart already blanks), assignments, Append.
    void AppendStart();
    void Blank();
    uint32_t Append();
    bool Appending() const { return appending_ || shadowAppending_; }

    // Log Only, shared by every cursor of the table's files: each write call above (and
    // CreateProductionIndex) is checked as in a real run, then changes neither the files nor
    // this cursor's record, and is counted. Append returns the number the record would have
    // had and leaves the cursor where it was. Further (private) indexes still work.
    void SetLogOnly(bool on);
    bool LogOnly() const;
    uint64_t DroppedWrites() const;
    // Bytes written to the table's own files (data, memo, production index) since it opened.
    uint64_t BytesWritten() const;
    bool SharesFilesWith(const Table& other) const { return file_ == other.file_; }

    void Flush();
    // Flush, then what the table's own files got since the last sync forced to the disk (the
    // end of a run; a failing disk is reported here).
    void Sync();
    // Bounds the memory each of the table's files keeps cached (bulk writers of many tables),
    // indexes created or opened later included; the files leave any shared budget for a
    // cache of their own of that size.
    void SetCacheLimit(size_t bytes);
    // Bounds the memory a tag build works in (default 32 MB). Keys beyond it are sorted in runs
    // spilled beside the index and merged; the entries of the level above the leaves get a
    // 64th of it and spill beyond that.
    void SetIndexBuildMemory(size_t bytes);
    // The last-update date the header gets when the table changed (default today).
    void SetUpdateDate(int year, int month, int day);

    // Builds the production index (the .cdx of the table's name) over the data, e.g. after a
    // bulk load, and marks the table as having it.
    void CreateProductionIndex(const std::vector<IndexTagSpec>& tags);

    // Further index files (private indexes). The returned pointer stays valid until closed.
    IndexSet* OpenIndex(const std::string& path);
    IndexSet* CreateIndex(const std::string& path, const std::vector<IndexTagSpec>& tags);
    void CloseIndex(IndexSet* index);

    // Every tag of every open index against the data: false and the first fault when they differ.
    bool CheckIndexes(std::string* fault);
    // Reads the table's files once and reports each fault: the header's record count against
    // the file's size, every memo pointer of every record, and every tag of every open index
    // against the data (the first fault of each tag, as CheckIndexes words it). `eachRecord`,
    // when given, sees every record's bytes (FieldAt gives the layout) during that one read.
    void
    CheckFiles(const std::function<void(const TableFault&)>& report,
               const std::function<void(uint32_t recno, const uint8_t* record)>& eachRecord = {});

private:
    explicit Table(std::shared_ptr<TableFile> file);
    void LoadRecord(uint32_t recno);
    void SetEof();
    int PositionFromCursor(bool valid);
    int SeekKey(const std::string& key);
    int SeekNextKey(const std::string& key);
    bool Descending() const;
    bool StepCursor(bool forward);
    std::string KeyFromText(std::string_view text) const;
    std::string KeyFromDouble(double value) const;
    template <typename Fn> void Modify(Fn&& apply);
    std::string MemoText(int field) const;
    void AddProductionIndex(const std::vector<IndexTagSpec>& tags);

    std::shared_ptr<TableFile> file_;
    std::string alias_;
    std::vector<uint8_t> record_;
    std::map<int, std::string> pendingMemos_; // memos assigned while appending (1252 bytes)
    // The record a Log Only append builds instead of the current one.
    std::vector<uint8_t> shadow_;
    std::map<int, std::string> shadowMemos_;
    bool shadowAppending_ = false;
    std::unique_ptr<RecordView> view_;
    uint32_t recno_ = 0;
    bool eof_ = true;
    bool bof_ = false;
    bool appending_ = false;
    bool synced_ = false; // the cursor sits on the current record
    Tag* selected_ = nullptr;
    std::unique_ptr<CdxCursor> cursor_;
};

} // namespace hk::db
