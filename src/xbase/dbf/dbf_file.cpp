#include "xbase/dbf/dbf_file.h"

#include <ctime>
#include <filesystem>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"
#include "xbase/io/byte_order.h"

namespace hk::db {

namespace {

constexpr uint32_t kDbfPageSize = 8192;
constexpr uint32_t kBacklinkSize = 263;
constexpr uint64_t kMaxTableSize = 0x7FFFFFFF; // FoxPro's 2 GiB limit
constexpr std::string_view kKnownTypes = "CNFLDTIBYMGPWVQ0";

std::string Hex(unsigned v) {
    static const char* kDigits = "0123456789ABCDEF";
    return std::string("0x") + kDigits[(v >> 4) & 15] + kDigits[v & 15];
}

bool IsDbaseMemoVersion(uint8_t v) {
    return v == 0x83 || v == 0x8B;
}

} // namespace

std::string DbfFile::MemoPathFor(FileSystem& fs, const std::string& path, bool* exists) {
    std::string ext = std::filesystem::path(path).extension().string();
    return SiblingPath(fs, path, EqualsNoCase(ext, ".dbc") ? ".dct" : ".fpt", exists);
}

void DbfFile::SetCacheLimit(size_t bytes) {
    file_->SetMaxCachedBytes(bytes);
    if (memo_)
        memo_->SetCacheLimit(bytes);
}

std::unique_ptr<DbfFile> DbfFile::Open(FileSystem& fs, const std::string& path, bool writable,
                                       std::shared_ptr<PagePool> pool) {
    auto file = std::make_unique<PagedFile>(
        fs.Open(path, writable ? OpenMode::ReadWrite : OpenMode::ReadOnly, writable), kDbfPageSize,
        writable, pool);
    std::unique_ptr<DbfFile> dbf(new DbfFile(std::move(file)));
    dbf->ReadHeader();
    if (writable && IsDbaseMemoVersion(dbf->version_))
        throw DbError(kErrReadOnly, path, "dBase tables with .dbt memos can only be read");
    dbf->OpenMemo(fs, writable, std::move(pool));
    return dbf;
}

void DbfFile::ReadHeader() {
    const std::string& path = Path();
    auto fault = [&](const std::string& what) { return DbError(kErrData, path, what); };
    uint64_t size = file_->Size();
    uint8_t h[32];
    if (size < sizeof h || file_->Read(0, h, sizeof h) != sizeof h)
        throw fault("the file is shorter than a table header (" + std::to_string(size) + " bytes)");
    version_ = h[0];
    switch (version_) {
    case 0x03:
    case 0xF5:
    case 0x83:
    case 0x8B:
        flavor_ = DbfFlavor::Fox2;
        break;
    case 0x30:
    case 0x31:
    case 0x32:
        flavor_ = DbfFlavor::Vfp;
        break;
    default:
        throw fault("unknown version byte " + Hex(version_));
    }
    recordCount_ = LoadLe32(h + 4);
    headerLength_ = LoadLe16(h + 8);
    recordLength_ = LoadLe16(h + 10);
    tableFlags_ = h[28];
    codePage_ = h[29];
    if (headerLength_ < 32 + 32 + 1)
        throw fault("header length " + std::to_string(headerLength_) +
                    " leaves no room for a field");
    if (size < headerLength_)
        throw fault("the file (" + std::to_string(size) + " bytes) is shorter than its header (" +
                    std::to_string(headerLength_) + " bytes)");
    if (recordLength_ < 2)
        throw fault("record length " + std::to_string(recordLength_) + " is too small");

    std::vector<uint8_t> hdr(headerLength_);
    file_->Read(0, hdr.data(), hdr.size());
    // Descriptors run to the 0x0D terminator; the header length bounds them (one FoxPro 2.x
    // sample has a damaged terminator right where the header length says the header ends).
    uint32_t pos = 32;
    fields_.clear();
    for (; pos + 32 <= headerLength_ && hdr[pos] != 0x0D; pos += 32) {
        const uint8_t* d = hdr.data() + pos;
        FieldInfo f;
        size_t nameLen = 0;
        while (nameLen < 11 && d[nameLen] != 0)
            ++nameLen;
        f.name.assign(reinterpret_cast<const char*>(d), nameLen);
        f.type = static_cast<char>(d[11]);
        f.offset = LoadLe32(d + 12);
        f.length = d[16];
        f.decimals = d[17];
        f.flags = flavor_ == DbfFlavor::Vfp ? d[18] : 0;
        if (flavor_ == DbfFlavor::Vfp && (f.flags & kFieldAutoInc)) {
            f.autoIncNext = static_cast<int32_t>(LoadLe32(d + 19));
            f.autoIncStep = d[23];
        }
        std::string label = "field " + std::to_string(fields_.size() + 1);
        if (f.name.empty() || static_cast<unsigned char>(f.name[0]) <= ' ')
            throw fault(label + " has no name");
        label += " (" + f.name + ")";
        if (kKnownTypes.find(f.type) == std::string_view::npos || f.type == 0)
            throw fault(label + " has an unknown type " + Hex(static_cast<uint8_t>(f.type)));
        if (f.length == 0)
            throw fault(label + " has length 0");
        fields_.push_back(std::move(f));
    }
    if (fields_.empty())
        throw fault("the table has no fields");
    uint32_t needed = pos + 1 + (flavor_ == DbfFlavor::Vfp ? kBacklinkSize : 0);
    if (headerLength_ < needed)
        throw fault("header length " + std::to_string(headerLength_) + " is too short for " +
                    std::to_string(fields_.size()) + " fields (" + std::to_string(needed) +
                    " bytes)");

    // dBase III writers leave the displacements zero: then the lengths place the fields.
    bool storedOffsets = false;
    for (const FieldInfo& f : fields_)
        storedOffsets |= f.offset != 0;
    uint32_t sum = 1;
    for (FieldInfo& f : fields_) {
        if (!storedOffsets)
            f.offset = sum;
        sum += f.length;
        if (f.offset < 1 || uint64_t(f.offset) + f.length > recordLength_)
            throw fault("field " + f.name + " (offset " + std::to_string(f.offset) + ", length " +
                        std::to_string(f.length) + ") lies outside the record of " +
                        std::to_string(recordLength_) + " bytes");
    }
    if (sum != recordLength_)
        throw fault("record length " + std::to_string(recordLength_) +
                    " does not match the fields (" + std::to_string(sum) + " bytes)");

    // NULL bits in field order; a V/Q field's length bit comes before its null bit.
    nullFlagsIndex_ = -1;
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].type == '0' && EqualsNoCase(fields_[i].name, "_NullFlags"))
            nullFlagsIndex_ = static_cast<int>(i);
    if (nullFlagsIndex_ >= 0) {
        int bit = 0;
        for (FieldInfo& f : fields_) {
            if (f.type == '0')
                continue;
            if (f.type == 'V' || f.type == 'Q')
                f.varLengthBit = bit++;
            if (f.flags & kFieldNullable)
                f.nullBit = bit++;
        }
    }

    uint64_t fits = (size - headerLength_) / recordLength_;
    if (recordCount_ > fits)
        throw fault("the header counts " + std::to_string(recordCount_) +
                    " records but the file holds only " + std::to_string(fits));
}

void DbfFile::OpenMemo(FileSystem& fs, bool writable, std::shared_ptr<PagePool> pool) {
    bool hasMemo = false;
    for (const FieldInfo& f : fields_)
        hasMemo |= f.IsMemo();
    if (!hasMemo || IsDbaseMemoVersion(version_))
        return;
    bool exists = false;
    std::string memoPath = MemoPathFor(fs, Path(), &exists);
    if (!exists)
        throw DbError(kErrMemo, memoPath, "the memo file of " + Path() + " is missing");
    memo_ = MemoFile::Open(fs, memoPath, writable, std::move(pool));
}

DbfFile::~DbfFile() {
    try {
        Flush();
    } catch (...) {
    }
}

uint64_t DbfFile::FileSize() const {
    return file_->Size();
}

int DbfFile::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (EqualsNoCase(fields_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

void DbfFile::CheckRecno(uint32_t recno) const {
    if (recno < 1 || recno > recordCount_)
        throw DbError(kErrParam, Path(),
                      "record " + std::to_string(recno) + " out of range (1.." +
                          std::to_string(recordCount_) + ")");
}

void DbfFile::CheckWritable() const {
    if (!Writable())
        throw DbError(kErrReadOnly, Path(), "the table is open read-only");
}

void DbfFile::ReadRecord(uint32_t recno, uint8_t* buf) {
    CheckRecno(recno);
    file_->Read(RecordOffset(recno), buf, recordLength_);
}

void DbfFile::WriteRecord(uint32_t recno, const uint8_t* buf) {
    CheckWritable();
    CheckRecno(recno);
    file_->Write(RecordOffset(recno), buf, recordLength_);
    changed_ = true;
}

uint32_t DbfFile::AppendRecord(const uint8_t* buf) {
    CheckWritable();
    uint64_t off = headerLength_ + uint64_t(recordCount_) * recordLength_;
    if (off + recordLength_ + 1 > kMaxTableSize)
        throw DbError(kErrWrite, Path(), "the table would grow past 2 GiB");
    file_->Write(off, buf, recordLength_);
    const uint8_t eof = 0x1A;
    file_->Write(off + recordLength_, &eof, 1);
    ++recordCount_;
    changed_ = appended_ = true;
    return recordCount_;
}

void DbfFile::BlankRecord(uint8_t* buf) const {
    buf[0] = ' ';
    for (const FieldInfo& f : fields_)
        PutBlank(f, buf, flavor_);
}

void DbfFile::SetProductionIndexFlag(bool on) {
    CheckWritable();
    uint8_t flags = on ? (tableFlags_ | kTableFlagCdx) : (tableFlags_ & ~kTableFlagCdx);
    if (flags == tableFlags_)
        return;
    tableFlags_ = flags;
    file_->Write(28, &tableFlags_, 1);
    changed_ = true;
}

int32_t DbfFile::NextAutoIncrement(int index) {
    CheckWritable();
    if (index < 0 || index >= static_cast<int>(fields_.size()) ||
        !(fields_[index].flags & kFieldAutoInc))
        throw DbError(kErrParam, Path(), "not an autoincrement field");
    FieldInfo& f = fields_[index];
    int32_t value = f.autoIncNext;
    f.autoIncNext = static_cast<int32_t>(static_cast<uint32_t>(value) + f.autoIncStep);
    uint8_t next[4];
    StoreLe32(next, static_cast<uint32_t>(f.autoIncNext));
    file_->Write(32 + 32 * uint64_t(index) + 19, next, 4);
    changed_ = true;
    return value;
}

void DbfFile::SetUpdateDate(int year, int month, int day) {
    if (!JulianFromYmd(year, month, day))
        throw DbError(kErrParam, Path(), "not a valid update date");
    dateYear_ = year;
    dateMonth_ = month;
    dateDay_ = day;
}

void DbfFile::Sync() {
    if (!Writable())
        return;
    Flush();
    if (memo_)
        memo_->Sync();
    file_->Sync();
}

void DbfFile::Flush() {
    if (!Writable())
        return;
    // Memo data reaches the disk before the records that point at it.
    if (memo_)
        memo_->Flush();
    if (changed_) {
        int y = dateYear_, m = dateMonth_, d = dateDay_;
        if (y == 0) {
            std::time_t now = std::time(nullptr);
            std::tm tm{};
            localtime_r(&now, &tm);
            y = tm.tm_year + 1900;
            m = tm.tm_mon + 1;
            d = tm.tm_mday;
        }
        uint8_t h[7] = {static_cast<uint8_t>(y % 100), static_cast<uint8_t>(m),
                        static_cast<uint8_t>(d)};
        StoreLe32(h + 3, recordCount_);
        file_->Write(1, h, sizeof h);
        changed_ = false;
    }
    if (appended_) {
        // Writers end the file right after the end-of-file byte.
        uint64_t end = headerLength_ + uint64_t(recordCount_) * recordLength_ + 1;
        if (file_->Size() > end)
            file_->Truncate(end);
        appended_ = false;
    }
    file_->Flush();
}

} // namespace hk::db
