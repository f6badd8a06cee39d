#pragma once
// A DBF table file (FoxPro 2.x or Visual FoxPro) at the level of records: header and field
// layout, 1-based record reads and writes through a page cache, appends, and the memo file
// that goes with it. Values inside a record are read and written with field_codec.h.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf/memo_file.h"
#include "xbase/field.h"
#include "xbase/file.h"
#include "xbase/io/paged_file.h"

namespace hk::db {

class DbfFile {
public:
    static constexpr uint8_t kTableFlagCdx = 0x01, kTableFlagMemo = 0x02, kTableFlagDbc = 0x04;

    // Reads and checks the header; damaged files raise DbError kErrData naming the fault and
    // are never written. A writable open takes the exclusive lock (kErrFileInUse when another
    // writer has it). The memo file (.fpt, .dct for a .dbc) is opened when there are memo
    // fields; a missing one is kErrMemo. Both files draw on `pool` (each its own when null).
    static std::unique_ptr<DbfFile> Open(FileSystem& fs, const std::string& path, bool writable,
                                         std::shared_ptr<PagePool> pool = nullptr);
    // Creates an empty table (and its memo file when it has memo fields), open for writing.
    // Invalid specs raise DbError before anything is written.
    static std::unique_ptr<DbfFile> Create(FileSystem& fs, const std::string& path,
                                           const std::vector<FieldSpec>& fields,
                                           const CreateOptions& options = {},
                                           std::shared_ptr<PagePool> pool = nullptr);
    // The memo file that goes with a table: .fpt, or .dct for a database container (.dbc).
    static std::string MemoPathFor(FileSystem& fs, const std::string& tablePath,
                                   bool* exists = nullptr);
    ~DbfFile(); // flushes; errors here are swallowed (call Flush to see them)

    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    const std::string& Path() const { return file_->Path(); }
    DbfFlavor Flavor() const { return flavor_; }
    uint8_t VersionByte() const { return version_; }
    uint8_t CodePage() const { return codePage_; }
    uint8_t TableFlags() const { return tableFlags_; }
    uint32_t RecordCount() const { return recordCount_; }
    uint32_t HeaderLength() const { return headerLength_; }
    uint32_t RecordLength() const { return recordLength_; }
    // The data file's size in bytes.
    uint64_t FileSize() const;
    // Every field in header order, the hidden _NullFlags included (IsSystem()).
    const std::vector<FieldInfo>& Fields() const { return fields_; }
    // Case-insensitive; -1 when there is no such field.
    int FieldIndex(std::string_view name) const;
    // The _NullFlags field, or null when the table has none.
    const FieldInfo* NullFlagsField() const {
        return nullFlagsIndex_ < 0 ? nullptr : &fields_[nullFlagsIndex_];
    }
    MemoFile* Memo() { return memo_.get(); }
    bool Writable() const { return file_->Writable(); }

    bool HasProductionIndexFlag() const { return (tableFlags_ & kTableFlagCdx) != 0; }
    void SetProductionIndexFlag(bool on);

    // Copies record `recno` (1-based) into buf (RecordLength() bytes). Out of range: kErrParam.
    void ReadRecord(uint32_t recno, uint8_t* buf);
    void WriteRecord(uint32_t recno, const uint8_t* buf);
    // Writes buf as a new last record, followed by the end-of-file byte; returns its number.
    uint32_t AppendRecord(const uint8_t* buf);
    // A new record as FoxPro's APPEND BLANK leaves it: not deleted, blank values (see
    // PutBlank), and no field NULL: without a default value VFP stores the blank value.
    void BlankRecord(uint8_t* buf) const;

    // The last-update date written to the header when the table was changed (default today).
    void SetUpdateDate(int year, int month, int day);
    // Memo file first, then header (count, date, flags) and the table's pages.
    void Flush();
    // Flush, then the memo file and the table forced to the disk.
    void Sync();
    // Bounds the memory the table and its memo file keep cached.
    void SetCacheLimit(size_t bytes);

    // VFP autoincrement: the value for a new record of field `index`; advances the counter
    // kept in the field descriptor (written at Flush).
    int32_t NextAutoIncrement(int index);

private:
    DbfFile(std::unique_ptr<PagedFile> file) : file_(std::move(file)) {}
    void ReadHeader();
    void OpenMemo(FileSystem& fs, bool writable, std::shared_ptr<PagePool> pool);
    uint64_t RecordOffset(uint32_t recno) const {
        return headerLength_ + uint64_t(recno - 1) * recordLength_;
    }
    void CheckRecno(uint32_t recno) const;
    void CheckWritable() const;

    std::unique_ptr<PagedFile> file_;
    std::unique_ptr<MemoFile> memo_;
    std::vector<FieldInfo> fields_;
    DbfFlavor flavor_ = DbfFlavor::Vfp;
    uint8_t version_ = 0;
    uint8_t codePage_ = 0;
    uint8_t tableFlags_ = 0;
    uint32_t recordCount_ = 0;
    uint32_t headerLength_ = 0;
    uint32_t recordLength_ = 0;
    int nullFlagsIndex_ = -1;
    bool changed_ = false;  // header count/date must be rewritten at Flush
    bool appended_ = false; // the file must end right after the end-of-file byte
    int dateYear_ = 0, dateMonth_ = 0, dateDay_ = 0; // 0: today
};

} // namespace hk::db
