// A table whose index another xBase engine wrote (Integer-field tags with 8-byte numeric
// keys): read, sought and maintained in the form each tag has; a key form nobody writes is
// refused before the first write.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "cdx_test_util.h"
#include "xbase/table.h"

using namespace hk::db;
namespace fs = std::filesystem;

namespace {

const char* const kTags[] = {"PER_NO", "BYFATHER", "BYBORN", "BYNAME", "BYWEIGHT"};

std::string ForeignPath(const std::string& name) {
    return std::string(HK_FIXTURES_DIR) + "/foreign/" + name;
}

std::string CopyPeople(const hk::test::TempDir& dir) {
    for (const char* ext : {".dbf", ".fpt", ".cdx"})
        fs::copy_file(ForeignPath(std::string("people") + ext),
                      dir.File(std::string("people") + ext));
    for (const char* ext : {".dbf", ".fpt", ".cdx"})
        fs::permissions(dir.File(std::string("people") + ext), fs::perms::owner_write,
                        fs::perm_options::add);
    return dir.File("people.dbf");
}

// The record order the writing engine walks the tag in.
std::vector<uint32_t> WriterOrder(const std::string& tag) {
    std::ifstream in(ForeignPath("people_order_" + tag + ".txt"));
    std::vector<uint32_t> out;
    for (uint32_t r; in >> r;)
        out.push_back(r);
    return out;
}

// Our walk of a tag: descending tags are stored ascending and walked backwards.
std::vector<uint32_t> OurOrder(Tag& tag) {
    std::vector<uint32_t> out;
    for (const KeyEntry& e : tag.Entries())
        out.push_back(e.recno);
    if (tag.Info().descending)
        std::reverse(out.begin(), out.end());
    return out;
}

std::vector<uint32_t> Without(std::vector<uint32_t> order, const std::set<uint32_t>& drop) {
    std::erase_if(order, [&](uint32_t r) { return drop.count(r) > 0; });
    return order;
}

TEST(ForeignKeys, EveryTagWalksAndSeeksAsItsWriterDoes) {
    auto t = Table::Open(ForeignPath("people.dbf"), {.writable = false});
    for (const char* name : kTags) {
        Tag* tag = t->FindTag(name);
        ASSERT_NE(tag, nullptr) << name;
        EXPECT_TRUE(tag->Unusable().empty()) << name << ": " << tag->Unusable();
        EXPECT_EQ(OurOrder(*tag), WriterOrder(name)) << name;
    }
    // Our keys for every record equal the writer's, byte for byte.
    std::string fault;
    EXPECT_TRUE(t->CheckIndexes(&fault)) << fault;

    t->SelectTag(t->FindTag("PER_NO"));
    ASSERT_EQ(t->SeekDouble(5), kPosOk);
    EXPECT_EQ(t->RecNo(), 5u);
    EXPECT_NE(t->SeekDouble(13), kPosOk) << "deleted, outside the FOR condition";
    EXPECT_EQ(t->Seek("200"), kPosOk);
    EXPECT_EQ(t->RecNo(), 200u);
    t->SelectTag(t->FindTag("BYFATHER"));
    ASSERT_EQ(t->SeekDouble(3), kPosOk);
    EXPECT_EQ(t->RecNo(), 11u);
    ASSERT_EQ(t->SeekDouble(0), kPosOk);
    EXPECT_EQ(t->RecNo(), 1u);
    EXPECT_EQ(t->SeekNextDouble(0), kPosOk);
    EXPECT_EQ(t->RecNo(), 2u);
}

TEST(ForeignKeys, AppendsKeyChangesDeletesAndRecallsKeepEveryTag) {
    hk::test::TempDir dir;
    std::string path = CopyPeople(dir);
    std::set<uint32_t> touched{13, 20, 30, 40};
    {
        auto t = Table::Open(path);
        int perNo = t->FieldIndex("PER_NO"), father = t->FieldIndex("FATHER");
        int surname = t->FieldIndex("SURNAME"), weight = t->FieldIndex("WEIGHT");
        for (int i = 0; i < 30; ++i) {
            t->AppendStart();
            t->AssignLong(perNo, 1000 - i);
            t->AssignLong(father, i % 4);
            t->AssignString(surname, i % 2 ? "Zeta" : "Abel");
            t->AssignDouble(weight, -i * 1.5);
            t->Append();
        }
        t->Go(20);
        t->AssignLong(father, 3);
        t->Go(30);
        t->AssignLong(perNo, -7);
        t->Go(40);
        t->Delete();
        t->Go(13);
        t->Recall();

        t->Flush();
        std::string fault;
        ASSERT_TRUE(t->CheckIndexes(&fault)) << fault;
        t->SelectTag(t->FindTag("BYFATHER"));
        ASSERT_EQ(t->SeekDouble(3), kPosOk);
        EXPECT_EQ(t->RecNo(), 11u);
        t->SelectTag(t->FindTag("PER_NO"));
        ASSERT_EQ(t->SeekDouble(-7), kPosOk);
        EXPECT_EQ(t->RecNo(), 30u);
        EXPECT_EQ(t->SeekDouble(13), kPosOk) << "recalled";
        EXPECT_NE(t->SeekDouble(40), kPosOk) << "deleted";
        ASSERT_EQ(t->SeekDouble(1000), kPosOk);
        EXPECT_EQ(t->RecNo(), 201u);

        for (uint32_t r = 201; r <= 230; ++r)
            touched.insert(r);
        for (const char* name : kTags) {
            Tag* tag = t->FindTag(name);
            EXPECT_EQ(Without(OurOrder(*tag), touched), Without(WriterOrder(name), touched))
                << name;
            cdx_test::ExpectDumpMatches(dir.File("people.cdx"), name, tag->Entries(),
                                        tag->Kind() != KeyKind::Char);
        }
    }
    // Reopened, the keys written are read back in the same form.
    auto again = Table::Open(path, {.writable = false});
    std::string fault;
    EXPECT_TRUE(again->CheckIndexes(&fault)) << fault;
}

// Overwrites `from` (found once in the file) with `to` of the same size.
void Patch(const std::string& file, const std::string& from, const std::string& to) {
    ASSERT_EQ(from.size(), to.size());
    std::string bytes = hk::test::ReadBytes(file);
    size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    ASSERT_EQ(bytes.find(from, at + 1), std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    hk::test::WriteBytes(file, bytes);
}

const char* const kExts[] = {".dbf", ".fpt", ".cdx"};

std::vector<std::string> Files(const hk::test::TempDir& dir) {
    std::vector<std::string> out;
    for (const char* ext : kExts)
        out.push_back(hk::test::ReadBytes(dir.File(std::string("people") + ext)));
    return out;
}

void ExpectNamed(const DbError& e, const std::string& cdx, const std::string& tag,
                 const std::string& expr, int length) {
    EXPECT_EQ(e.Number(), kErrIndex) << e.Description();
    for (const std::string& part :
         {cdx, "tag " + tag, "\"" + expr + "\"", std::to_string(length) + " bytes"})
        EXPECT_NE(e.Description().find(part), std::string::npos)
            << e.Description() << " lacks " << part;
}

// The BYNAME tag (30-byte character keys) given an expression of another kind or width in its
// header: the tree still reads, the tag is refused when first used, and every write that would
// touch it is refused; nothing changes on disk.
TEST(ForeignKeys, UnknownKeyFormsAreRefusedBeforeAnyWrite) {
    const std::string byName = "UPPER( SURNAME ) + STR( PER_NO, 10 )";
    struct Case {
        std::string expr;  // as long as byName, blanks after
        std::string field; // a field it reads
    };
    const Case cases[] = {
        {"UPPER( SURNAME )", "SURNAME"}, // character, 20 wide
        {"WEIGHT", "WEIGHT"},            // numeric
        {"LIVING = 'Y'", "LIVING"},      // logical
    };
    for (const Case& c : cases) {
        hk::test::TempDir dir;
        std::string path = CopyPeople(dir), cdx = dir.File("people.cdx");
        std::string expr = c.expr + std::string(byName.size() - c.expr.size(), ' ');
        Patch(cdx, byName, expr);
        std::vector<std::string> before = Files(dir);
        {
            auto t = Table::Open(path);
            Tag* tag = t->FindTag("BYNAME");
            ASSERT_NE(tag, nullptr);
            ExpectNamed(test::Caught([&] { t->SelectTag(tag); }), cdx, "BYNAME", expr, 30);
            std::string fault;
            EXPECT_FALSE(t->CheckIndexes(&fault));
            EXPECT_NE(fault.find("tag BYNAME"), std::string::npos) << fault;
            int f = t->FieldIndex(c.field);
            t->Go(20);
            ExpectNamed(test::Caught([&] {
                            if (c.field == "SURNAME")
                                t->AssignString(f, "Zed");
                            else if (c.field == "LIVING")
                                t->AssignString(f, "N");
                            else
                                t->AssignDouble(f, 77);
                        }),
                        cdx, "BYNAME", expr, 30);
            ExpectNamed(test::Caught([&] {
                            t->AppendStart();
                            t->Append();
                        }),
                        cdx, "BYNAME", expr, 30);
            // The other tags stay readable.
            t->SelectTag(t->FindTag("PER_NO"));
            EXPECT_EQ(t->SeekDouble(5), kPosOk);
        }
        EXPECT_TRUE(Files(dir) == before) << c.expr << ": a refused write changed the files";
    }
    // A numeric key of 5 bytes in the header: the tree no longer parses, and the open is
    // refused, saying what the header claims.
    hk::test::TempDir dir;
    std::string path = CopyPeople(dir), cdx = dir.File("people.cdx");
    std::string bytes = hk::test::ReadBytes(cdx);
    size_t pool = bytes.find(std::string("PER_NO\0.NOT. DELETED()", 22));
    ASSERT_NE(pool, std::string::npos);
    bytes[pool - 512 + 12] = 5; // the key length, 512 bytes before the expression pool
    hk::test::WriteBytes(cdx, bytes);
    std::vector<std::string> before = Files(dir);
    ExpectNamed(test::Caught([&] { Table::Open(path); }), cdx, "PER_NO", "PER_NO", 5);
    EXPECT_TRUE(Files(dir) == before) << "a refused open changed the files";
}

// Data changed behind the index's back: the check names the tag, the position as the tag is
// walked, the key found, the key the record gives and the record.
TEST(ForeignKeys, CheckSaysWhichEntryDisagreesWithItsRecord) {
    struct Case {
        uint32_t recno;
        size_t offset; // in the record: 0 the deletion flag, 5 FATHER (LE int32)
        std::string bytes;
        std::string fault;
    };
    const Case cases[] = {
        {11, 5, std::string("\x04\0\0\0", 4),
         "tag BYFATHER, position 11: key 3 found for record 11, but the record gives key 4"},
        {6, 0, "*",
         "tag PER_NO, position 6: key 6 found for record 6, but the record is outside the "
         "tag's FOR condition and has no key"},
        {13, 0, " ", "tag PER_NO, position 13: record 13 (key 13) is missing from the tag"},
    };
    for (const Case& c : cases) {
        hk::test::TempDir dir;
        std::string path = CopyPeople(dir);
        std::string bytes = hk::test::ReadBytes(path);
        size_t header = cdx::Get16(cdx_test::At(bytes, 8)),
               length = cdx::Get16(cdx_test::At(bytes, 10));
        bytes.replace(header + (c.recno - 1) * length + c.offset, c.bytes.size(), c.bytes);
        hk::test::WriteBytes(path, bytes);
        auto t = Table::Open(path, {.writable = false});
        std::string fault;
        EXPECT_FALSE(t->CheckIndexes(&fault));
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(ForeignKeys, KeyFormFollowsExpressionAndKeyLength) {
    EXPECT_EQ(KeyFormOf(KeyKind::Int4, 4, 4, true), KeyKind::Int4);
    EXPECT_EQ(KeyFormOf(KeyKind::Int4, 4, 8, true), KeyKind::Double);
    EXPECT_EQ(KeyFormOf(KeyKind::Double, 8, 8, true), KeyKind::Double);
    EXPECT_EQ(KeyFormOf(KeyKind::Currency, 8, 8, true), KeyKind::Currency);
    EXPECT_EQ(KeyFormOf(KeyKind::Logical, 1, 1, true), KeyKind::Logical);
    // Character keys: as long as the expression or shorter (sized on the first record), twice
    // as long under a non-machine collation; any length when only a memo bounds it.
    EXPECT_EQ(KeyFormOf(KeyKind::Char, 30, 30, true), KeyKind::Char);
    EXPECT_EQ(KeyFormOf(KeyKind::Char, 30, 12, true), KeyKind::Char);
    EXPECT_EQ(KeyFormOf(KeyKind::Char, 30, 60, false), KeyKind::Char);
    EXPECT_EQ(KeyFormOf(KeyKind::Char, 0, 200, true), KeyKind::Char);
    for (auto [kind, length] : {std::pair{KeyKind::Int4, 5},
                                {KeyKind::Int4, 2},
                                {KeyKind::Double, 4},
                                {KeyKind::Currency, 4},
                                {KeyKind::Logical, 2},
                                {KeyKind::Char, 31}})
        EXPECT_EQ(KeyFormOf(kind, kind == KeyKind::Char ? 30 : 8, length, true), std::nullopt)
            << static_cast<int>(kind) << " " << length;
}

} // namespace
