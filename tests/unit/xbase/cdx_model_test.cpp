// Randomised maintenance against a model: inserts and removes on tags of several key types,
// compared after every batch with a std::set, walked both ways, sought, reopened from disk,
// and finally read by index_dump.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <set>

#include "unit/xbase/cdx_test_util.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/db_error.h"

using namespace hk::db;
using namespace hk::db::cdx_test;

namespace {

using Model = std::set<std::pair<std::string, uint32_t>>;

struct TagModel {
    NewTag tagDef;
    bool num = false;
    Model live;
    std::vector<std::string> used; // keys seen, to repeat them
};

class KeyMaker {
public:
    explicit KeyMaker(uint32_t seed) : rng_(seed) {}
    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }

    std::string Make(TagModel& t) {
        const uint16_t kl = t.tagDef.keyLength;
        std::string key;
        if (!t.used.empty() && Below(4) == 0)
            return t.used[Below(t.used.size())];
        if (kl == 4) {
            key = EncodeIntKey(static_cast<int32_t>(Below(2000)) - 1000);
        } else if (t.num) {
            double v = Below(3) == 0 ? double(Below(100))
                                     : (double(Below(200000)) - 100000.0) / double(1 + Below(977));
            key = EncodeDoubleKey(Below(50) == 0 ? -0.0 : v);
        } else {
            switch (Below(6)) {
            case 0:
                key = "";
                break; // all blank
            case 1:
                key = std::string(kl - 1 - Below(kl / 2), 'A') + char('A' + Below(3));
                break;
            default: {
                static const char* stems[] = {"SMITH", "SMYTHE", "JONES", "Bay ", " None", "ZZ"};
                key = stems[Below(6)];
                size_t extra = Below(kl);
                for (size_t i = 0; i < extra; ++i)
                    key += "AB C\xE9z"[Below(6)];
            }
            }
            key = PadKey(key, kl);
        }
        t.used.push_back(key);
        return key;
    }

    // Record numbers spread so the leaf record fields must grow past 8, 16 and 24 bits.
    uint32_t Recno(size_t step) {
        switch (Below(8)) {
        case 0:
            return 1 + Below(250);
        case 1:
            return 1u + Below(0x7FFFFFFF);
        default:
            return 1 + Below(static_cast<uint32_t>(60 + step * 40));
        }
    }

private:
    std::mt19937 rng_;
};

std::vector<KeyEntry> AsEntries(const Model& m) {
    std::vector<KeyEntry> out;
    for (auto& [k, r] : m)
        out.push_back({k, r});
    return out;
}

void ExpectTagMatches(CdxTag& tag, const Model& model, const std::string& when) {
    SCOPED_TRACE(tag.Info().name + " " + when);
    std::string fault;
    ASSERT_TRUE(tag.Check(&fault, true)) << fault;
    std::vector<KeyEntry> expected = AsEntries(model);
    ASSERT_EQ(tag.Entries(), expected);
    EXPECT_EQ(tag.KeyCount(), model.size());
    std::set<std::string> distinct;
    for (auto& e : model)
        distinct.insert(e.first);
    EXPECT_EQ(tag.DistinctCount(), distinct.size());
    CdxCursor c(tag);
    std::vector<KeyEntry> back;
    for (bool ok = c.Last(); ok; ok = c.Prev())
        back.push_back({std::string(c.Key()), c.RecNo()});
    ASSERT_EQ(back, std::vector<KeyEntry>(expected.rbegin(), expected.rend()));
}

// Seeks compared with the same question asked of the model.
void ExpectSeeksMatch(CdxTag& tag, const Model& model, KeyMaker& rng, TagModel& t) {
    CdxCursor c(tag);
    for (int i = 0; i < 40; ++i) {
        std::string key = rng.Make(t);
        t.used.pop_back();
        size_t plen = 1 + rng.Below(tag.KeyLength());
        std::string prefix = key.substr(0, plen);
        auto first = std::find_if(model.begin(), model.end(),
                                  [&](auto& e) { return e.first.substr(0, plen) >= prefix; });
        ASSERT_EQ(c.SeekFirst(prefix), first != model.end());
        if (first != model.end()) {
            EXPECT_EQ(c.Key(), first->first);
            EXPECT_EQ(c.RecNo(), first->second);
        }
        auto last = std::find_if(model.rbegin(), model.rend(),
                                 [&](auto& e) { return e.first.substr(0, plen) <= prefix; });
        ASSERT_EQ(c.SeekLast(prefix), last != model.rend());
        if (last != model.rend()) {
            EXPECT_EQ(c.Key(), last->first);
            EXPECT_EQ(c.RecNo(), last->second);
        }
        uint32_t recno = rng.Recno(100);
        auto lb = model.lower_bound({key, recno});
        ASSERT_EQ(c.Seek(key, recno), lb != model.end());
        if (lb != model.end())
            EXPECT_EQ(c.RecNo(), lb->second);
    }
}

std::vector<TagModel> MakeTags() {
    std::vector<TagModel> tags(5);
    tags[0].tagDef = {"NAME", "UPPER(surname)", "", false, false, false, 12, ' ', 0};
    tags[1].tagDef = {"LONGKEY", "notes", "", true, false, false, 100, ' ', 0};
    tags[2].tagDef = {"AMOUNT", "amount", "", false, false, false, 8, 0, 0};
    tags[2].num = true;
    tags[3].tagDef = {"ID", "id", "", false, false, false, 4, 0, 0};
    tags[3].num = true;
    tags[4].tagDef = {"LIVING", "surname", ".NOT.DELETED()", false, false, false, 10, ' ', 0};
    return tags;
}

void RunModel(CdxFlavor flavor, uint32_t seed) {
    TempDir dir;
    const std::string path = dir.File("model.cdx");
    KeyMaker rng(seed);
    std::vector<TagModel> tags = MakeTags();
    auto cdx = CdxFile::Create(FileSystem::Default(), path, flavor);
    // Half the tags start from a bulk build, half empty.
    for (size_t t = 0; t < tags.size(); ++t) {
        if (t % 2 == 0) {
            for (int i = 0; i < 300; ++i)
                tags[t].live.insert({rng.Make(tags[t]), rng.Recno(i)});
        }
        cdx->AddTag(tags[t].tagDef, AsEntries(tags[t].live));
    }

    const int batches = 12;
    for (int batch = 0; batch < batches; ++batch) {
        for (size_t t = 0; t < tags.size(); ++t) {
            TagModel& m = tags[t];
            CdxTag& tag = *cdx->FindTag(m.tagDef.name);
            // Grow in the first batches, then shrink, so pages both split and empty out.
            int inserts = batch < batches * 2 / 3 ? 300 : 60;
            int removes = batch < batches * 2 / 3 ? 120 : 400;
            for (int i = 0; i < inserts; ++i) {
                std::string key = rng.Make(m);
                uint32_t recno = rng.Recno(batch * 300 + i);
                bool fresh = m.live.insert({key, recno}).second;
                if (fresh)
                    ASSERT_TRUE(tag.Insert(key, recno));
                else
                    EXPECT_THROW(tag.Insert(key, recno), DbError);
            }
            for (int i = 0; i < removes && !m.live.empty(); ++i) {
                auto it = m.live.begin();
                std::advance(it, rng.Below(m.live.size()));
                ASSERT_TRUE(tag.Remove(it->first, it->second));
                ASSERT_FALSE(tag.Remove(it->first, it->second));
                m.live.erase(it);
            }
            ExpectTagMatches(tag, m.live, "batch " + std::to_string(batch));
            ExpectSeeksMatch(tag, m.live, rng, m);
        }
    }
    // Empty one tag completely and fill it again: the root turns back into a leaf.
    {
        TagModel& m = tags[1];
        CdxTag& tag = *cdx->FindTag(m.tagDef.name);
        for (auto& [k, r] : m.live)
            ASSERT_TRUE(tag.Remove(k, r));
        m.live.clear();
        ExpectTagMatches(tag, m.live, "emptied");
        for (int i = 0; i < 50; ++i) {
            std::string key = rng.Make(m);
            uint32_t recno = rng.Recno(i);
            if (m.live.insert({key, recno}).second)
                tag.Insert(key, recno);
        }
        ExpectTagMatches(tag, m.live, "refilled");
    }
    cdx->Flush();
    std::string fault;
    EXPECT_TRUE(cdx->Check(&fault)) << fault;
    cdx.reset();

    // From disk again: same entries, and the flavor is recognised on its own.
    cdx = CdxFile::Open(FileSystem::Default(), path, false, flavor);
    for (TagModel& m : tags) {
        CdxTag& tag = *cdx->FindTag(m.tagDef.name);
        tag.SetPadByte(m.tagDef.padByte);
        EXPECT_EQ(tag.Info().keyExpr, m.tagDef.keyExpr);
        EXPECT_EQ(tag.Info().forExpr, m.tagDef.forExpr);
        EXPECT_EQ(tag.Info().descending, m.tagDef.descending);
        ExpectTagMatches(tag, m.live, "reopened");
        ExpectDumpMatches(path, m.tagDef.name, AsEntries(m.live), m.num);
    }
}

} // namespace

TEST(CdxModel, VfpRandomInsertRemoveMatchesModel) {
    RunModel(CdxFlavor::Vfp, 11);
}

TEST(CdxModel, Fox2RandomInsertRemoveMatchesModel) {
    RunModel(CdxFlavor::Fox2, 29);
}
