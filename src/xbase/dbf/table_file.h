#pragma once
// What the cursors of one table share: the table and memo files and every open index, with
// each tag's compiled key and FOR expressions. All writes pass through here, so every open
// index stays consistent with the data.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "xbase/cdx/cdx_cursor.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/record_view.h"
#include "xbase/expression.h"
#include "xbase/table.h"

namespace hk::db {

struct TagState {
    IndexSet* owner = nullptr;
    CdxTag* tag = nullptr;
    std::unique_ptr<Expression> key;
    std::unique_ptr<Expression> forExpr;
    KeyKind kind = KeyKind::Char;
    uint16_t keyLength = 0;
    std::string unusable;         // why its key cannot be computed; empty when it can
    std::string unknownForm;      // set when key length and expression fit no known key form
    std::vector<bool> fieldDeps;  // fields the key or FOR expression reads
    bool dependsOnRecord = false; // DELETED() or RECNO() (delete and recall change it)
    bool spotChecked = false;     // passed the spot check since the index was opened
    Tag handle{this};
};

class IndexSet {
public:
    CdxFile& Cdx() { return *cdx_; }
    bool Production() const { return production_; }
    bool Selectable() const { return selectable_; }
    std::vector<std::unique_ptr<TagState>>& Tags() { return tags_; }

private:
    friend class TableFile;
    std::unique_ptr<CdxFile> cdx_;
    bool production_ = false;
    bool selectable_ = true;
    std::vector<std::unique_ptr<TagState>> tags_;
};

class TableFile {
public:
    // `own` is the counting file system the table's own files (data, memo, production index)
    // were opened through; `fs` (which it wraps) serves further indexes and temporary files.
    // Indexes opened later draw on `pool` (each its own when null).
    TableFile(std::unique_ptr<CountingFileSystem> own, std::unique_ptr<DbfFile> dbf, FileSystem& fs,
              std::shared_ptr<PagePool> pool = nullptr);
    ~TableFile();

    DbfFile& Dbf() { return *dbf_; }
    FileSystem& Fs() { return fs_; }
    FileSystem& OwnFs() { return *own_; }
    const std::shared_ptr<PagePool>& Pool() const { return pool_; }
    uint64_t BytesWritten() const { return own_->BytesWritten(); }

    // Log Only: Update and Append check as usual, then write nothing; each dropped write is
    // counted, and appends number the records they would have made.
    void SetLogOnly(bool on) {
        logOnly_ = on;
        phantomAppends_ = 0;
    }
    bool LogOnly() const { return logOnly_; }
    void CountDropped() { ++droppedWrites_; }
    uint64_t DroppedWrites() const { return droppedWrites_; }
    std::vector<std::unique_ptr<IndexSet>>& Indexes() { return indexes_; }

    IndexSet* AttachIndex(std::unique_ptr<CdxFile> cdx, bool production, bool selectable);
    void DetachIndex(IndexSet* index);
    // Makes an attached index the production index: first in the list, flagged in the header.
    void MakeProduction(IndexSet* index);
    // A production index that exists on disk but was not opened: writes are refused.
    void SetMissingIndex(std::string why) { missingIndex_ = std::move(why); }

    // Computes a tag's key for a record; false when the FOR expression leaves it out.
    bool ComputeKey(TagState& tag, const uint8_t* record, uint32_t recno,
                    const std::map<int, std::string>* memos, std::string& key);

    // Rewrites record `recno` from `before` to `after` (memos: texts to write for fields),
    // keeping every index consistent. Checks that every affected tag can be maintained
    // before writing anything. False when Log Only dropped it.
    bool Update(uint32_t recno, const uint8_t* before, std::vector<uint8_t>& after,
                const std::map<int, std::string>& memos);
    // Appends a record (memos written first) and indexes it; returns its number.
    uint32_t Append(std::vector<uint8_t>& record, const std::map<int, std::string>& memos);

    // Builds a new tag over every record and adds it to an index of this table.
    void AddTag(IndexSet& set, const IndexTagSpec& tagDef);

    // The first fault CheckFiles finds in the tags.
    bool Check(std::string* fault);
    // Reads the data once: the header's record count against the file's size, every memo
    // pointer (when `memos`), and every tag of every open index against the data, each tag's
    // first fault reported in the order of the tags.
    void CheckFiles(bool memos, const std::function<void(const TableFault&)>& report,
                    const std::function<void(uint32_t, const uint8_t*)>& eachRecord = {});
    // A sample of records and entries of one tag against each other (seeks, no walk): empty
    // when they agree, else the fault in words. SpotCheckOnce throws it (kErrIndex), once per
    // tag while its index stays open. With SetSpotCheck on, a tag is checked when selected,
    // and every tag of the table before its first write.
    std::string SpotCheck(TagState& tag);
    void SpotCheckOnce(TagState& tag);
    void SetSpotCheck(bool on) {
        spotCheck_ = on;
        writeChecked_ = false;
    }
    bool SpotCheckOn() const { return spotCheck_; }
    void Flush();
    // Flush, then the table's own files (data, memo, production index) forced to the disk.
    void Sync();

    // Bounds the page cache of every file of the table, indexes attached later included.
    void SetCacheLimit(size_t bytes);
    // The memory a tag build works in; see Table::SetIndexBuildMemory.
    void SetIndexBuildMemory(size_t bytes) { buildMemory_ = bytes; }

private:
    void CompileTag(TagState& state);
    void RequireWritable();
    void CheckMaintainable(TagState& tag);
    void SpotCheckBeforeWrite();
    std::vector<TagState*> AffectedTags(const uint8_t* before, const uint8_t* after,
                                        const std::map<int, std::string>& memos);
    void CheckCandidate(TagState& tag, const std::string& key);
    void InsertKey(TagState& tag, const std::string& key, uint32_t recno);
    void WriteMemos(std::vector<uint8_t>& record, const std::map<int, std::string>& memos);

    std::unique_ptr<CountingFileSystem> own_; // first: outlives every file opened through it
    std::unique_ptr<DbfFile> dbf_;
    FileSystem& fs_;
    std::shared_ptr<PagePool> pool_;
    bool logOnly_ = false;
    bool spotCheck_ = false;
    bool writeChecked_ = false; // every tag passed since the switch went on
    uint32_t phantomAppends_ = 0;
    uint64_t droppedWrites_ = 0;
    std::vector<std::unique_ptr<IndexSet>> indexes_;
    RecordView keyView_;
    std::string missingIndex_;
    std::vector<std::pair<bool, std::string>> appendKeys_;
    size_t cacheLimit_ = 0; // 0: each file keeps its default
    size_t buildMemory_ = 32u << 20;
};

} // namespace hk::db
