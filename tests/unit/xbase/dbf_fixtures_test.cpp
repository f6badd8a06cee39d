// The real FoxPro / VFP files read exactly: schemas against the summaries that came with
// them, every record and memo readable, and decoded values of each type.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "db_test_files.h"
#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"

using namespace hk::db;
using hk::db::test::FixturePath;

namespace {

struct Summary {
    uint32_t records = 0;
    struct Field {
        std::string name;
        char type;
        int length, decimals;
    };
    std::vector<Field> fields;
};

Summary ParseSummary(const std::string& path) {
    std::ifstream in(path);
    Summary s;
    std::string line;
    bool inFields = false;
    while (std::getline(in, line)) {
        if (line.rfind("Records:", 0) == 0)
            s.records = std::stoul(line.substr(8));
        if (line.rfind("------", 0) == 0) {
            inFields = true;
            continue;
        }
        if (!inFields || hk::Trim(line).empty())
            continue;
        std::istringstream fields(line);
        Summary::Field f;
        std::string type;
        fields >> f.name >> type >> f.length >> f.decimals;
        f.type = type[0];
        s.fields.push_back(f);
    }
    return s;
}

std::unique_ptr<DbfFile> OpenFixture(const std::string& rel) {
    return DbfFile::Open(FileSystem::Default(), FixturePath(rel), false);
}

const FieldInfo& Field(DbfFile& t, const char* name) {
    return t.Fields().at(t.FieldIndex(name));
}

} // namespace

TEST(DbfFixtures, SchemasAndCountsMatchTheirSummaries) {
    int checked = 0;
    for (auto& entry : std::filesystem::directory_iterator(FixturePath(""))) {
        std::string name = entry.path().filename().string();
        auto pos = name.find("_summary.txt");
        if (pos == std::string::npos)
            continue;
        SCOPED_TRACE(name);
        Summary expected = ParseSummary(entry.path().string());
        ASSERT_FALSE(expected.fields.empty());
        auto t = OpenFixture(name.substr(0, pos) + ".dbf");
        EXPECT_EQ(t->RecordCount(), expected.records);
        ASSERT_EQ(t->Fields().size(), expected.fields.size());
        uint32_t offset = 1;
        for (size_t i = 0; i < expected.fields.size(); ++i) {
            const FieldInfo& f = t->Fields()[i];
            EXPECT_EQ(f.name, expected.fields[i].name);
            EXPECT_EQ(f.type, expected.fields[i].type) << f.name;
            EXPECT_EQ(f.length, expected.fields[i].length) << f.name;
            EXPECT_EQ(f.decimals, expected.fields[i].decimals) << f.name;
            EXPECT_EQ(f.offset, offset) << f.name; // back to back, even where dBase stored 0
            offset += f.length;
        }
        EXPECT_EQ(t->RecordLength(), offset);
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

TEST(DbfFixtures, EveryTableOpensAndEveryMemoReads) {
    int tables = 0, memos = 0;
    for (auto& entry : std::filesystem::recursive_directory_iterator(FixturePath(""))) {
        std::string ext = entry.path().extension().string();
        if (!hk::EqualsNoCase(ext, ".dbf") && !hk::EqualsNoCase(ext, ".dbc"))
            continue;
        SCOPED_TRACE(entry.path().string());
        auto t = DbfFile::Open(FileSystem::Default(), entry.path().string(), false);
        ++tables;
        bool hasMemoField = false;
        for (const FieldInfo& f : t->Fields())
            hasMemoField |= f.IsMemo();
        EXPECT_EQ(hasMemoField, t->Memo() != nullptr);
        std::vector<uint8_t> rec(t->RecordLength());
        for (uint32_t r = 1; r <= t->RecordCount(); ++r) {
            t->ReadRecord(r, rec.data());
            EXPECT_TRUE(rec[0] == ' ' || rec[0] == '*') << "record " << r;
            for (const FieldInfo& f : t->Fields()) {
                if (!f.IsMemo())
                    continue;
                uint32_t block = GetMemoBlock(f, rec.data(), t->Flavor());
                if (block == 0)
                    continue;
                EXPECT_NO_THROW(t->Memo()->Read(block)) << f.name << " record " << r;
                ++memos;
            }
        }
    }
    EXPECT_EQ(tables, 11);
    EXPECT_GT(memos, 100);
}

TEST(DbfFixtures, HeaderFacts) {
    auto calls = OpenFixture("vfp9-db/calls.dbf");
    EXPECT_EQ(calls->Flavor(), DbfFlavor::Vfp);
    EXPECT_EQ(OpenFixture("dbase_f5.dbf")->Flavor(), DbfFlavor::Fox2);
    EXPECT_EQ(calls->CodePage(), 0x03);
    EXPECT_TRUE(calls->HasProductionIndexFlag());
    EXPECT_EQ(calls->HeaderLength(), 32u + 6 * 32 + 1 + 263);

    auto rooms = OpenFixture("fox2/rooms.dbf"); // its terminator byte is 0x0A, not 0x0D
    EXPECT_EQ(rooms->Fields().size(), 2u);
    EXPECT_TRUE(rooms->HasProductionIndexFlag());

    auto dbc = OpenFixture("vfp9-db/FOXPRO-DB-TEST.DBC"); // memo in .DCT
    ASSERT_NE(dbc->Memo(), nullptr);
    EXPECT_EQ(std::filesystem::path(dbc->Memo()->Path()).extension(), ".DCT");
    EXPECT_EQ(dbc->TableFlags(), 0x07);

    auto products = OpenFixture("dbase_31.dbf"); // no end-of-file byte
    const FieldInfo& id = Field(*products, "PRODUCTID");
    EXPECT_EQ(id.flags, kFieldAutoInc | kFieldBinary);
    EXPECT_EQ(id.autoIncNext, 78);
    EXPECT_EQ(id.autoIncStep, 1);
    EXPECT_EQ(id.nullBit, -1);
    // Seven nullable fields take bits 0..6 in field order.
    EXPECT_EQ(Field(*products, "SUPPLIERID").nullBit, 0);
    EXPECT_EQ(Field(*products, "QUANTITYPE").nullBit, 2);
    EXPECT_EQ(Field(*products, "REORDERLEV").nullBit, 6);
}

TEST(DbfFixtures, DecodedValuesOfEachType) {
    std::vector<uint8_t> rec;
    auto read = [&](DbfFile& t, uint32_t r) {
        rec.resize(t.RecordLength());
        t.ReadRecord(r, rec.data());
        return rec.data();
    };

    auto gps = OpenFixture("dbase_03.dbf"); // dBase III: offsets computed from lengths
    const uint8_t* r = read(*gps, 1);
    EXPECT_EQ(hk::TrimRight(FieldBytes(Field(*gps, "Type"), r)), "CMP");
    EXPECT_EQ(GetDate(Field(*gps, "Date_Visit"), r), "20050712");
    EXPECT_DOUBLE_EQ(GetNumber(Field(*gps, "Max_PDOP"), r), 5.2);
    EXPECT_DOUBLE_EQ(GetNumber(Field(*gps, "GPS_Height"), r), 1131.323);
    EXPECT_EQ(GetInteger(gps->Fields().back(), r), 401); // the second Point_ID, N(9)

    auto museum = OpenFixture("dbase_30.dbf");
    r = read(*museum, 1);
    EXPECT_EQ(hk::TrimRight(FieldBytes(Field(*museum, "ACCESSNO"), r)), "1999.1");
    EXPECT_EQ(GetDate(Field(*museum, "CATDATE"), r), "19990305");
    EXPECT_EQ(GetDate(Field(*museum, "FLAGDATE"), r), ""); // T, 8 zero bytes
    DateTimeValue updated = GetDateTime(Field(*museum, "UPDATED"), r);
    EXPECT_EQ(updated.julian, JulianFromYmd(2006, 4, 20));
    EXPECT_EQ(updated.millis, (17 * 3600 + 13 * 60 + 4) * 1000 + 999);
    EXPECT_EQ(GetLogicalState(Field(*museum, "WEBINCLUDE"), r), Logical::False);
    EXPECT_EQ(GetNumber(Field(*museum, "ACQVALUE"), r), 0.0); // blank N
    uint32_t descrip = GetMemoBlock(Field(*museum, "DESCRIP"), r, DbfFlavor::Vfp);
    EXPECT_EQ(descrip, 14u);
    std::string text = museum->Memo()->Read(descrip);
    EXPECT_EQ(text.rfind("Earl L. Hilton and Ernestine McMillan Hilton", 0), 0u);
    EXPECT_EQ(text.back(), ' ');

    auto products = OpenFixture("dbase_31.dbf");
    r = read(*products, 2);
    EXPECT_EQ(GetInteger(Field(*products, "UNITSONORD"), r), 40);
    EXPECT_DOUBLE_EQ(GetNumber(Field(*products, "UNITPRICE"), r), 19.0);
    EXPECT_EQ(GetInteger(Field(*products, "UNITPRICE"), r), 19);
    EXPECT_FALSE(IsNull(Field(*products, "SUPPLIERID"), *products->NullFlagsField(), r));

    auto people = OpenFixture("dbase_f5.dbf");
    r = read(*people, 1);
    EXPECT_EQ(GetDate(Field(*people, "DATN"), r), "19510113");
    EXPECT_EQ(GetMemoBlock(Field(*people, "OBSE"), r, DbfFlavor::Fox2), 0u); // 10 blanks
    r = read(*people, 2);
    uint32_t obse = GetMemoBlock(Field(*people, "OBSE"), r, DbfFlavor::Fox2);
    EXPECT_EQ(obse, 8u);
    text = people->Memo()->Read(obse);
    EXPECT_EQ(text.rfind("El meu pare.\r\nGuerra: \r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");

    auto afox = OpenFixture("fox2/afox5.dbf");
    r = read(*afox, 2);
    EXPECT_EQ(afox->Memo()->Read(GetMemoBlock(Field(*afox, "DESC"), r, DbfFlavor::Vfp)),
              "second desc.");
    EXPECT_EQ(GetInteger(Field(*afox, "PRICE"), r), 5);

    auto calls = OpenFixture("vfp9-db/calls.dbf");
    r = read(*calls, 1);
    DateTimeValue when = GetDateTime(Field(*calls, "CALL_DATE"), r);
    EXPECT_EQ(when.julian, JulianFromYmd(1994, 11, 21));
    EXPECT_EQ(when.millis, (13 * 3600 + 35 * 60 + 39) * 1000);
    EXPECT_EQ(calls->Memo()->Read(GetMemoBlock(Field(*calls, "NOTES"), r, DbfFlavor::Vfp)),
              "Nancy told me about their blends. Thinking about it. Should call back later.");
}
