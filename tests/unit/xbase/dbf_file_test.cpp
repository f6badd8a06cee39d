// Creating tables of both flavors byte by byte, record round trips, appends, the header
// count and date, and the writer lock.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "db_test_files.h"
#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"
#include "xbase/io/byte_order.h"

using namespace hk::db;
using namespace hk::db::test;

namespace {

const std::vector<FieldSpec> kVfpFields = {{"name", 'C', 20},
                                           {"Amount", 'N', 10, 2},
                                           {"ratio", 'F', 8, 3},
                                           {"alive", 'L'},
                                           {"born", 'D'},
                                           {"notes", 'M'},
                                           {"id", 'I'},
                                           {"weight", 'B', 0, 2},
                                           {"price", 'Y'},
                                           {"stamp", 'T'},
                                           {"maybe", 'C', 5, 0, true},
                                           {"count", 'I', 0, 0, true}};

const FieldInfo& F(DbfFile& t, const char* name) {
    return t.Fields()[t.FieldIndex(name)];
}

} // namespace

TEST(DbfCreate, VfpLayoutIsWhatVfpWrites) {
    TempDir dir;
    std::string path = dir.File("people.dbf");
    CreateOptions options;
    options.productionIndex = true;
    auto t = DbfFile::Create(FileSystem::Default(), path, kVfpFields, options);
    t->SetUpdateDate(2026, 3, 4);
    t.reset();

    std::vector<uint8_t> b = ReadBytes(path);
    const uint32_t n = 13; // twelve fields and _NullFlags
    const uint32_t hl = 32 + 32 * n + 1 + 263;
    const uint32_t rl = 1 + 20 + 10 + 8 + 1 + 8 + 4 + 4 + 8 + 8 + 8 + 5 + 4 + 1;
    ASSERT_EQ(b.size(), hl + 1);
    EXPECT_EQ(b[0], 0x30);
    EXPECT_EQ(b[1], 26);
    EXPECT_EQ(b[2], 3);
    EXPECT_EQ(b[3], 4);
    EXPECT_EQ(LoadLe32(&b[4]), 0u);
    EXPECT_EQ(LoadLe16(&b[8]), hl);
    EXPECT_EQ(LoadLe16(&b[10]), rl);
    EXPECT_EQ(b[28], 0x03); // structural index + memo
    EXPECT_EQ(b[29], 0x03);
    struct Desc {
        const char* name;
        char type;
        int length, decimals, flags;
    };
    const Desc want[n] = {
        {"NAME", 'C', 20, 0, 0},      {"AMOUNT", 'N', 10, 2, 0}, {"RATIO", 'F', 8, 3, 0},
        {"ALIVE", 'L', 1, 0, 0},      {"BORN", 'D', 8, 0, 0},    {"NOTES", 'M', 4, 0, 0},
        {"ID", 'I', 4, 0, 4},         {"WEIGHT", 'B', 8, 2, 0},  {"PRICE", 'Y', 8, 4, 4},
        {"STAMP", 'T', 8, 0, 4},      {"MAYBE", 'C', 5, 0, 2},   {"COUNT", 'I', 4, 0, 6},
        {"_NullFlags", '0', 1, 0, 5},
    };
    uint32_t offset = 1;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* d = &b[32 + 32 * i];
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(d)), want[i].name);
        for (size_t k = std::strlen(want[i].name); k < 11; ++k)
            EXPECT_EQ(d[k], 0);
        EXPECT_EQ(d[11], want[i].type);
        EXPECT_EQ(LoadLe32(d + 12), offset);
        EXPECT_EQ(d[16], want[i].length);
        EXPECT_EQ(d[17], want[i].decimals);
        EXPECT_EQ(d[18], want[i].flags);
        for (int k = 19; k < 32; ++k)
            EXPECT_EQ(d[k], 0);
        offset += want[i].length;
    }
    EXPECT_EQ(b[32 + 32 * n], 0x0D);
    for (uint32_t i = 32 + 32 * n + 1; i < hl; ++i)
        ASSERT_EQ(b[i], 0) << "backlink " << i;
    EXPECT_EQ(b[hl], 0x1A);

    std::vector<uint8_t> memo = ReadBytes(dir.File("people.fpt"));
    ASSERT_EQ(memo.size(), 512u);
    EXPECT_EQ(LoadBe32(&memo[0]), 8u);
    EXPECT_EQ(LoadBe16(&memo[6]), 64u);

    auto again = DbfFile::Open(FileSystem::Default(), path, false);
    EXPECT_EQ(F(*again, "maybe").nullBit, 0);
    EXPECT_EQ(F(*again, "count").nullBit, 1);
    EXPECT_EQ(F(*again, "id").nullBit, -1);
}

TEST(DbfCreate, FoxPro2Layout) {
    TempDir dir;
    CreateOptions fox2;
    fox2.flavor = DbfFlavor::Fox2;
    fox2.codePage = 0x01;
    auto memoTable = DbfFile::Create(FileSystem::Default(), dir.File("m.DBF"),
                                     {{"id", 'N', 10}, {"text", 'M'}}, fox2);
    EXPECT_EQ(memoTable->VersionByte(), 0xF5);
    EXPECT_EQ(F(*memoTable, "text").length, 10);
    EXPECT_EQ(memoTable->HeaderLength(), 32u + 64 + 1);
    EXPECT_EQ(memoTable->RecordLength(), 21u);
    EXPECT_TRUE(std::filesystem::exists(dir.File("m.FPT"))); // the table's extension case
    memoTable.reset();
    std::vector<uint8_t> b = ReadBytes(dir.File("m.DBF"));
    EXPECT_EQ(b[28], 0x00); // FoxPro 2.x has no memo flag
    EXPECT_EQ(b[29], 0x01);
    EXPECT_EQ(b[32 + 18], 0); // no VFP field flags
    EXPECT_EQ(b[96], 0x0D);
    EXPECT_EQ(b[97], 0x1A);

    auto plain = DbfFile::Create(FileSystem::Default(), dir.File("p.dbf"), {{"flag", 'L'}}, fox2);
    EXPECT_EQ(plain->VersionByte(), 0x03);
    EXPECT_EQ(plain->Memo(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.File("p.fpt")));
}

TEST(DbfCreate, InvalidDefinitionsWriteNothing) {
    TempDir dir;
    CreateOptions fox2, noBlocks;
    fox2.flavor = DbfFlavor::Fox2;
    noBlocks.memoBlockSize = 0;
    auto many = [](size_t n, int width, bool firstNullable = false) {
        std::vector<FieldSpec> v(n, FieldSpec{"", 'C', width});
        for (size_t i = 0; i < n; ++i)
            v[i].name = "F" + std::to_string(i);
        v[0].nullable = firstNullable;
        return v;
    };
    const std::tuple<std::vector<FieldSpec>, CreateOptions, long> cases[] = {
        {{}, {}, kErrParam},
        {{{"elevenchars", 'C', 1}}, {}, kErrFieldName},
        {{{"1st", 'C', 1}}, {}, kErrFieldName},
        {{{"a-b", 'C', 1}}, {}, kErrFieldName},
        {{{"_nullflags", 'C', 1}}, {}, kErrFieldName},
        {{{"a", 'C', 1}, {"A", 'N', 3}}, {}, kErrFieldName},
        {{{"a", 'X', 1}}, {}, kErrFieldType},
        {{{"a", 'I'}}, fox2, kErrFieldType},
        {{{"a", 'C', 0}}, {}, kErrParam},
        {{{"a", 'C', 255}}, {}, kErrParam},
        {{{"a", 'N', 21}}, {}, kErrParam},
        {{{"a", 'N', 5, 4}}, {}, kErrParam},
        {{{"a", 'D', 10}}, {}, kErrParam},
        {{{"a", 'C', 5, 0, true}}, fox2, kErrParam},
        {{{"m", 'M'}}, noBlocks, kErrParam},
        {many(256, 1), {}, kErrParam},
        {many(255, 1, true), {}, kErrParam}, // _NullFlags would be field 256
    };
    int i = 0;
    for (const auto& [fields, options, code] : cases) {
        std::string path = dir.File("t" + std::to_string(++i) + ".dbf");
        EXPECT_EQ(ErrorOf([&] { DbfFile::Create(FileSystem::Default(), path, fields, options); }),
                  code)
            << "case " << i;
        EXPECT_FALSE(std::filesystem::exists(path)) << "case " << i;
    }
    // The widest legal record still fits.
    auto widest = DbfFile::Create(FileSystem::Default(), dir.File("w.dbf"), many(255, 254));
    EXPECT_EQ(widest->RecordLength(), 1u + 255 * 254);
}

TEST(DbfFile, RecordsRoundTripInBothFlavors) {
    for (DbfFlavor flavor : {DbfFlavor::Vfp, DbfFlavor::Fox2}) {
        SCOPED_TRACE(flavor == DbfFlavor::Vfp ? "vfp" : "fox2");
        TempDir dir;
        std::string path = dir.File("t.dbf");
        CreateOptions options;
        options.flavor = flavor;
        std::vector<FieldSpec> fields = {{"name", 'C', 12},
                                         {"amount", 'N', 9, 2},
                                         {"alive", 'L'},
                                         {"born", 'D'},
                                         {"notes", 'M'}};
        if (flavor == DbfFlavor::Vfp) {
            fields.push_back({"id", 'I'});
            fields.push_back({"stamp", 'T'});
            fields.push_back({"opt", 'N', 4, 0, true});
        }
        {
            auto t = DbfFile::Create(FileSystem::Default(), path, fields, options);
            t->SetUpdateDate(1999, 12, 31);
            std::vector<uint8_t> rec(t->RecordLength());
            for (int i = 1; i <= 300; ++i) { // several table pages
                t->BlankRecord(rec.data());
                PutChar(F(*t, "name"), rec.data(), "Name\xE9 " + std::to_string(i));
                PutNumber(F(*t, "amount"), rec.data(), i * 1.25 - 100);
                PutLogical(F(*t, "alive"), rec.data(), i % 2 == 0);
                PutDate(F(*t, "born"), rec.data(), DateFromJulian(2451545 + i));
                std::string note = i % 3 ? std::string(i, 'a' + i % 26) : std::string();
                PutMemoBlock(F(*t, "notes"), rec.data(), flavor, t->Memo()->Write(0, note));
                if (flavor == DbfFlavor::Vfp) {
                    PutInteger(F(*t, "id"), rec.data(), -i);
                    PutDateTime(F(*t, "stamp"), rec.data(), {2451545 + i, i * 1000});
                    SetNull(F(*t, "opt"), *t->NullFlagsField(), rec.data(), i % 5 == 0);
                }
                EXPECT_EQ(t->AppendRecord(rec.data()), static_cast<uint32_t>(i));
            }
            // Rewrite record 7: deleted, new name.
            t->ReadRecord(7, rec.data());
            rec[0] = '*';
            PutChar(F(*t, "name"), rec.data(), "seven");
            t->WriteRecord(7, rec.data());
        }
        std::vector<uint8_t> bytes = ReadBytes(path);
        auto t = DbfFile::Open(FileSystem::Default(), path, false);
        ASSERT_EQ(t->RecordCount(), 300u);
        EXPECT_EQ(bytes.size(), t->HeaderLength() + 300u * t->RecordLength() + 1);
        EXPECT_EQ(bytes.back(), 0x1A);
        EXPECT_EQ(bytes[1], 99);
        EXPECT_EQ(bytes[2], 12);
        EXPECT_EQ(bytes[3], 31);
        EXPECT_EQ(LoadLe32(&bytes[4]), 300u);
        std::vector<uint8_t> rec(t->RecordLength());
        for (uint32_t i = 1; i <= 300; ++i) {
            t->ReadRecord(i, rec.data());
            SCOPED_TRACE(i);
            EXPECT_EQ(rec[0], i == 7 ? '*' : ' ');
            EXPECT_EQ(std::string(hk::TrimRight(FieldBytes(F(*t, "name"), rec.data()))),
                      i == 7 ? "seven" : "Name\xE9 " + std::to_string(i));
            EXPECT_DOUBLE_EQ(GetNumber(F(*t, "amount"), rec.data()), i * 1.25 - 100);
            EXPECT_EQ(GetLogical(F(*t, "alive"), rec.data()), i % 2 == 0);
            EXPECT_EQ(GetJulian(F(*t, "born"), rec.data()), static_cast<int32_t>(2451545 + i));
            uint32_t block = GetMemoBlock(F(*t, "notes"), rec.data(), flavor);
            EXPECT_EQ(t->Memo()->Read(block), i % 3 ? std::string(i, 'a' + i % 26) : "");
            EXPECT_EQ(block == 0, i % 3 == 0);
            if (flavor == DbfFlavor::Vfp) {
                EXPECT_EQ(GetInteger(F(*t, "id"), rec.data()), -static_cast<int64_t>(i));
                EXPECT_EQ(GetDateTime(F(*t, "stamp"), rec.data()),
                          (DateTimeValue{static_cast<int32_t>(2451545 + i),
                                         static_cast<int32_t>(i * 1000)}));
                EXPECT_EQ(IsNull(F(*t, "opt"), *t->NullFlagsField(), rec.data()), i % 5 == 0);
            }
        }
        EXPECT_EQ(ErrorOf([&] { t->ReadRecord(0, rec.data()); }), kErrParam);
        EXPECT_EQ(ErrorOf([&] { t->ReadRecord(301, rec.data()); }), kErrParam);
        EXPECT_EQ(ErrorOf([&] { t->WriteRecord(1, rec.data()); }), kErrReadOnly);
        EXPECT_EQ(ErrorOf([&] { t->AppendRecord(rec.data()); }), kErrReadOnly);
    }
}

TEST(DbfFile, HeaderDateOnlyWhenChangedAndEofHandling) {
    TempDir dir;
    // Opening for writing and reading everything changes no byte.
    std::string calls = CopyFixture(dir, "vfp9-db/calls.dbf");
    CopyFixture(dir, "vfp9-db/calls.FPT");
    const std::vector<uint8_t> original = ReadBytes(calls);
    {
        auto t = DbfFile::Open(FileSystem::Default(), calls, true);
        std::vector<uint8_t> rec(t->RecordLength());
        for (uint32_t r = 1; r <= t->RecordCount(); ++r)
            t->ReadRecord(r, rec.data());
        t->Flush();
    }
    EXPECT_EQ(ReadBytes(calls), original);
    // Writing a record back unchanged still counts as a change: the date moves.
    {
        auto t = DbfFile::Open(FileSystem::Default(), calls, true);
        t->SetUpdateDate(2031, 7, 9);
        std::vector<uint8_t> rec(t->RecordLength());
        t->ReadRecord(3, rec.data());
        t->WriteRecord(3, rec.data());
    }
    std::vector<uint8_t> after = ReadBytes(calls);
    EXPECT_EQ(after[1], 31);
    EXPECT_EQ(after[2], 7);
    EXPECT_EQ(after[3], 9);
    after[1] = original[1], after[2] = original[2], after[3] = original[3];
    EXPECT_EQ(after, original);

    // A VFP table without the end-of-file byte gets one after an append.
    std::string products = CopyFixture(dir, "dbase_31.dbf");
    const std::vector<uint8_t> before = ReadBytes(products);
    {
        auto t = DbfFile::Open(FileSystem::Default(), products, true);
        std::vector<uint8_t> rec(t->RecordLength());
        t->BlankRecord(rec.data());
        int id = t->FieldIndex("productid");
        EXPECT_EQ(t->NextAutoIncrement(id), 78);
        EXPECT_EQ(t->NextAutoIncrement(id), 79);
        PutInteger(t->Fields()[id], rec.data(), 78);
        EXPECT_EQ(t->AppendRecord(rec.data()), 78u);
    }
    std::vector<uint8_t> grown = ReadBytes(products);
    ASSERT_EQ(grown.size(), before.size() + 95 + 1);
    EXPECT_EQ(grown.back(), 0x1A);
    EXPECT_EQ(LoadLe32(&grown[4]), 78u);
    EXPECT_EQ(LoadLe32(&grown[32 + 19]), 80u); // next autoincrement value in the descriptor
    EXPECT_TRUE(std::equal(before.begin() + 648, before.end(), grown.begin() + 648));

    // Bytes after the end-of-file byte (a stray line feed in this file, and more junk added
    // here) are cut on append.
    std::string rooms = CopyFixture(dir, "fox2/rooms.dbf");
    std::vector<uint8_t> junk = ReadBytes(rooms);
    junk.resize(junk.size() + 60, 'j');
    WriteBytes(rooms, junk);
    {
        auto t = DbfFile::Open(FileSystem::Default(), rooms, true);
        std::vector<uint8_t> rec(t->RecordLength());
        t->BlankRecord(rec.data());
        t->AppendRecord(rec.data());
        EXPECT_EQ(t->RecordCount(), 43u);
    }
    std::vector<uint8_t> roomBytes = ReadBytes(rooms);
    EXPECT_EQ(roomBytes.size(), 97u + 43 * 21 + 1);
    EXPECT_EQ(roomBytes.back(), 0x1A);
}

TEST(DbfFile, WritersLockReadersDoNotAndIndexFlag) {
    TempDir dir;
    std::string path = CopyFixture(dir, "vfp9-db/contacts.dbf");
    CopyFixture(dir, "vfp9-db/contacts.FPT");
    {
        auto reader = DbfFile::Open(FileSystem::Default(), path, false);
        auto writer = DbfFile::Open(FileSystem::Default(), path, true);
        EXPECT_TRUE(writer->Writable());
        EXPECT_EQ(ErrorOf([&] { DbfFile::Open(FileSystem::Default(), path, true); }),
                  kErrFileInUse);
        auto reader2 = DbfFile::Open(FileSystem::Default(), path, false);
        EXPECT_EQ(reader2->RecordCount(), 5u);
    }
    // Closed writers release the lock; a created table is locked like an opened one.
    EXPECT_NO_THROW(DbfFile::Open(FileSystem::Default(), path, true));
    auto created = DbfFile::Create(FileSystem::Default(), dir.File("new.dbf"), {{"a", 'C', 1}});
    EXPECT_EQ(ErrorOf([&] { DbfFile::Open(FileSystem::Default(), dir.File("new.dbf"), true); }),
              kErrFileInUse);
    created.reset();
    EXPECT_NO_THROW(DbfFile::Open(FileSystem::Default(), dir.File("new.dbf"), true));

    // The structural-index flag is a header bit the table can switch.
    {
        auto writer = DbfFile::Open(FileSystem::Default(), path, true);
        EXPECT_TRUE(writer->HasProductionIndexFlag());
        writer->SetProductionIndexFlag(false);
    }
    EXPECT_EQ(ReadBytes(path)[28], 0x02);
    auto reader = DbfFile::Open(FileSystem::Default(), path, false);
    EXPECT_FALSE(reader->HasProductionIndexFlag());
    EXPECT_EQ(ErrorOf([&] { reader->SetProductionIndexFlag(true); }), kErrReadOnly);
}

TEST(DbfFile, EveryFixtureTakesAnAppendWithAMemo) {
    // Includes a memo file whose last block is short (dbase_f5.fpt) and one found as .DCT.
    for (const char* name :
         {"dbase_03.dbf", "dbase_30.dbf", "dbase_31.dbf", "dbase_f5.dbf", "fox2/afox5.dbf",
          "fox2/rooms.dbf", "vfp9-db/calls.dbf", "vfp9-db/FOXPRO-DB-TEST.DBC"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        std::string path = CopyFixture(dir, name);
        bool hasMemo = false;
        std::string memoPath =
            DbfFile::MemoPathFor(FileSystem::Default(), FixturePath(name), &hasMemo);
        if (hasMemo)
            CopyFixture(dir, std::filesystem::relative(memoPath, FixturePath("")));
        uint32_t count, block = 0;
        int memoField = -1;
        {
            auto t = DbfFile::Open(FileSystem::Default(), path, true);
            count = t->RecordCount();
            std::vector<uint8_t> rec(t->RecordLength());
            t->BlankRecord(rec.data());
            for (size_t i = 0; i < t->Fields().size() && memoField < 0; ++i)
                if (t->Fields()[i].IsMemo())
                    memoField = static_cast<int>(i);
            if (memoField >= 0) {
                block = t->Memo()->Write(0, "appended memo");
                EXPECT_EQ(block, t->Memo()->NextFreeBlock() - 1);
                PutMemoBlock(t->Fields()[memoField], rec.data(), t->Flavor(), block);
            }
            EXPECT_EQ(t->AppendRecord(rec.data()), count + 1);
        }
        auto t = DbfFile::Open(FileSystem::Default(), path, false);
        ASSERT_EQ(t->RecordCount(), count + 1);
        std::vector<uint8_t> rec(t->RecordLength());
        t->ReadRecord(count + 1, rec.data());
        if (memoField >= 0) {
            EXPECT_EQ(GetMemoBlock(t->Fields()[memoField], rec.data(), t->Flavor()), block);
            EXPECT_EQ(t->Memo()->Read(block), "appended memo");
        }
        EXPECT_EQ(ReadBytes(path).back(), 0x1A);
    }
}
