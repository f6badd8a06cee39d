// Damaged tables: each copy of a good file, damaged one way, gives a DbError that names the
// fault, for read-only and writable opens alike, and its bytes stay as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "db_test_files.h"
#include "xbase/db_error.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/io/byte_order.h"

using namespace hk::db;
using namespace hk::db::test;

namespace {

struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
    long code;
    const char* message; // a part of the error text
};

} // namespace

TEST(DbfDamage, BadHeadersAreRefusedAndLeftAlone) {
    // calls.dbf: VFP, 6 fields, header 488, record 283, 16 records, then 0x1A.
    const Damage damages[] = {
        {"tiny file", [](auto& b) { b.resize(20); }, kErrData, "shorter than a table header"},
        {"cut inside the header", [](auto& b) { b.resize(300); }, kErrData,
         "shorter than its header"},
        {"cut inside the records", [](auto& b) { b.resize(488 + 5 * 283 + 10); }, kErrData,
         "holds only 5"},
        {"count too large", [](auto& b) { StoreLe32(&b[4], 17); }, kErrData, "counts 17"},
        {"unknown version", [](auto& b) { b[0] = 0x04; }, kErrData, "version byte 0x04"},
        {"header length short of the backlink", [](auto& b) { StoreLe16(&b[8], 456); }, kErrData,
         "too short for 6 fields"},
        {"header length inside the descriptors", [](auto& b) { StoreLe16(&b[8], 32 + 3 * 32); },
         kErrData, "too short for 3 fields"},
        {"record length bigger than the fields", [](auto& b) { StoreLe16(&b[10], 284); }, kErrData,
         "record length 284"},
        {"record length smaller than the fields", [](auto& b) { StoreLe16(&b[10], 200); }, kErrData,
         "lies outside the record"},
        {"field offset past the record", [](auto& b) { StoreLe32(&b[32 + 12], 300); }, kErrData,
         "CALL_ID (offset 300"},
        {"field of length 0", [](auto& b) { b[32 + 32 + 16] = 0; }, kErrData, "length 0"},
        {"unknown field type", [](auto& b) { b[32 + 11] = 'X'; }, kErrData, "unknown type"},
        {"no terminator, backlink read as fields", [](auto& b) { b[224] = 'f'; }, kErrData,
         "field 7"},
        {"no fields", [](auto& b) { b[32] = 0x0D; }, kErrData, "no fields"},
    };
    TempDir dir;
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::string path = CopyFixture(dir, "vfp9-db/calls.dbf");
        CopyFixture(dir, "vfp9-db/calls.FPT");
        std::vector<uint8_t> bytes = ReadBytes(path);
        d.apply(bytes);
        WriteBytes(path, bytes);
        for (bool writable : {false, true}) {
            DbError e = Caught([&] { DbfFile::Open(FileSystem::Default(), path, writable); });
            EXPECT_EQ(e.Number(), d.code);
            EXPECT_NE(std::string(e.what()).find(d.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("calls.dbf"), std::string::npos);
            EXPECT_EQ(ReadBytes(path), bytes);
        }
        // A failed writable open leaves no lock behind.
        std::filesystem::copy_file(FixturePath("vfp9-db/calls.dbf"), path,
                                   std::filesystem::copy_options::overwrite_existing);
        EXPECT_NO_THROW(DbfFile::Open(FileSystem::Default(), path, true));
    }
}

TEST(DbfDamage, MemoFaults) {
    TempDir dir;
    std::string path = CopyFixture(dir, "vfp9-db/calls.dbf");
    std::string memoPath = CopyFixture(dir, "vfp9-db/calls.FPT");
    std::vector<uint8_t> bytes = ReadBytes(path);
    // Record 2's memo pointer past the end of the .fpt.
    StoreLe32(&bytes[488 + 283 + 279], 9999);
    WriteBytes(path, bytes);
    const std::vector<uint8_t> memoBytes = ReadBytes(memoPath);
    {
        auto t = DbfFile::Open(FileSystem::Default(), path, true);
        std::vector<uint8_t> rec(t->RecordLength());
        t->ReadRecord(1, rec.data());
        const FieldInfo& notes = t->Fields()[t->FieldIndex("NOTES")];
        EXPECT_FALSE(t->Memo()->Read(GetMemoBlock(notes, rec.data(), t->Flavor())).empty());
        t->ReadRecord(2, rec.data());
        DbError e = Caught([&] { t->Memo()->Read(GetMemoBlock(notes, rec.data(), t->Flavor())); });
        EXPECT_EQ(e.Number(), kErrMemo);
        EXPECT_NE(std::string(e.what()).find("block 9999"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("calls.FPT"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(ReadBytes(memoPath), memoBytes);

    // A table with memo fields and no memo file.
    std::filesystem::remove(memoPath);
    DbError missing = Caught([&] { DbfFile::Open(FileSystem::Default(), path, false); });
    EXPECT_EQ(missing.Number(), kErrMemo);
    EXPECT_NE(std::string(missing.what()).find("missing"), std::string::npos) << missing.what();
    // The memo file is found whatever the case of its name.
    std::filesystem::copy_file(FixturePath("vfp9-db/calls.FPT"), dir.File("CALLS.fpt"));
    EXPECT_NE(DbfFile::Open(FileSystem::Default(), path, false)->Memo(), nullptr);
}
