// Cursors while the tag changes under them: several cursors, inserts and removes in between,
// every step compared with what a sorted set says comes next.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "unit/xbase/cdx_test_util.h"
#include "xbase/cdx/cdx_cursor.h"

using namespace hk::db;
using namespace hk::db::cdx_test;

namespace {

using Entry = std::pair<std::string, uint32_t>;

// Where a cursor should be: the entry it sits on, or nothing.
struct Expect {
    bool valid = false;
    Entry at;
};

} // namespace

TEST(CdxCursor, FollowsChangesMadeUnderIt) {
    TempDir dir;
    auto cdx = CdxFile::Create(FileSystem::Default(), dir.File("c.cdx"), CdxFlavor::Vfp);
    CdxTag& tag = cdx->AddTag({"K", "k", "", false, false, false, 6, ' ', 0}, {});
    std::set<Entry> model;
    std::mt19937 rng(7);
    auto below = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); };
    auto randomKey = [&] { return PadKey(std::to_string(below(400)), 6); };
    for (int i = 0; i < 3000; ++i) {
        Entry e{randomKey(), 1 + below(5000)};
        if (model.insert(e).second)
            tag.Insert(e.first, e.second);
    }

    std::vector<CdxCursor> cursors(3, CdxCursor(tag));
    std::vector<Expect> expect(3);
    auto check = [&](size_t c, const char* op) {
        SCOPED_TRACE(op);
        ASSERT_EQ(cursors[c].Valid(), expect[c].valid);
        if (expect[c].valid) {
            ASSERT_EQ(cursors[c].Key(), expect[c].at.first);
            ASSERT_EQ(cursors[c].RecNo(), expect[c].at.second);
        }
    };
    auto land = [&](size_t c, std::set<Entry>::iterator it) {
        expect[c].valid = it != model.end();
        if (expect[c].valid)
            expect[c].at = *it;
    };

    for (int step = 0; step < 20000; ++step) {
        size_t c = below(3);
        CdxCursor& cur = cursors[c];
        switch (below(9)) {
        case 0: { // seek somewhere
            Entry target{randomKey(), below(5000)};
            cur.Seek(target.first, target.second);
            land(c, model.lower_bound(target));
            check(c, "seek");
            break;
        }
        case 1:
            cur.First();
            land(c, model.begin());
            check(c, "first");
            break;
        case 2:
        case 3: { // next: the first entry after where the cursor was, even if that one left
            if (!expect[c].valid)
                break;
            cur.Next();
            land(c, model.upper_bound(expect[c].at));
            check(c, "next");
            break;
        }
        case 4:
        case 5: { // prev: the last entry before where the cursor was
            if (!expect[c].valid)
                break;
            cur.Prev();
            auto it = model.lower_bound(expect[c].at);
            if (it == model.begin())
                expect[c].valid = false;
            else
                land(c, std::prev(it));
            check(c, "prev");
            break;
        }
        case 6: { // remove the entry under this cursor (through the tag, not the cursor)
            if (!expect[c].valid || !model.count(expect[c].at))
                break;
            ASSERT_TRUE(tag.Remove(expect[c].at.first, expect[c].at.second));
            model.erase(expect[c].at);
            break;
        }
        default: { // insert or remove elsewhere
            Entry e{randomKey(), 1 + below(5000)};
            if (model.insert(e).second)
                ASSERT_TRUE(tag.Insert(e.first, e.second));
            if (!model.empty() && below(2)) {
                auto it = model.lower_bound({randomKey(), 0});
                if (it != model.end()) {
                    ASSERT_TRUE(tag.Remove(it->first, it->second));
                    model.erase(it);
                }
            }
        }
        }
    }
    std::string fault;
    EXPECT_TRUE(tag.Check(&fault, true)) << fault;
}

TEST(CdxCursor, EmptyTagAndPrefixSeeks) {
    TempDir dir;
    auto cdx = CdxFile::Create(FileSystem::Default(), dir.File("e.cdx"), CdxFlavor::Fox2);
    CdxTag& tag = cdx->AddTag({"NAME", "name", "", false, false, false, 8, ' ', 0}, {});
    CdxCursor c(tag);
    EXPECT_FALSE(c.First());
    EXPECT_FALSE(c.Last());
    EXPECT_FALSE(c.SeekFirst("A"));
    EXPECT_FALSE(c.SeekLast("A"));
    EXPECT_EQ(c.Key(), "");
    EXPECT_EQ(c.RecNo(), 0u);

    for (auto [name, recno] : std::vector<std::pair<const char*, uint32_t>>{
             {"SMITH", 4}, {"SMITH", 2}, {"SMITHERS", 1}, {"SMYTHE", 3}, {"", 5}})
        tag.Insert(PadKey(name, 8), recno);
    // Prefix bounds include every key that starts with the prefix, ties by record number.
    ASSERT_TRUE(c.SeekFirst("SMITH"));
    EXPECT_EQ(c.RecNo(), 2u);
    ASSERT_TRUE(c.SeekLast("SMITH"));
    EXPECT_EQ(c.RecNo(), 1u) << "SMITHERS starts with SMITH";
    ASSERT_TRUE(c.SeekLast("SMITH   "));
    EXPECT_EQ(c.RecNo(), 4u);
    ASSERT_TRUE(c.SeekFirst("SMJ"));
    EXPECT_EQ(c.RecNo(), 3u);
    EXPECT_FALSE(c.SeekFirst("T"));
    ASSERT_TRUE(c.SeekLast("A"));
    EXPECT_EQ(c.RecNo(), 5u) << "the all-blank key sorts first";
    EXPECT_FALSE(c.Prev());
    EXPECT_FALSE(c.Valid());
    // A key longer than the tag's counts by its first KeyLength bytes.
    ASSERT_TRUE(c.Seek("SMITHERSXYZ", 0));
    EXPECT_EQ(c.RecNo(), 1u);
}
