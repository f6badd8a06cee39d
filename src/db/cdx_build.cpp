// Bulk build of a new tag from a stream of sorted entries. Leaves are filled left to right
// and written as they fill; only one chunk of entries and the keys of the level above are
// held in memory, so a tag of any size builds in bounded memory.
#include <algorithm>
#include <cstring>

#include "db/cdx_file.h"
#include "db/cdx_tag.h"

namespace hk::db {

using namespace cdx;

namespace {

constexpr uint32_t kChunkEntries = 16384;

void PutLE32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

void CdxTag::BulkBuild(const NewTag &tagDef, KeySource &source) {
    const uint16_t kl = info_.keyLength;
    // The root comes first, right after the header, where FoxPro puts it.
    root_ = file_.AllocatePage();
    const LeafLayout layout = Layout(std::max<uint32_t>(tagDef.recordCount, 1));

    LeafNode chunk;
    chunk.keyLength = kl;
    chunk.keys.reserve(size_t(kChunkEntries) * kl);
    chunk.recnos.reserve(kChunkEntries);

    ChildList pieces;
    uint8_t page[kPageSize];
    uint8_t pending[kPageSize];
    uint32_t pendingAt = kNoPage; // the last leaf, written once its right neighbour is known
    uint32_t leaves = 0;
    uint32_t keys = 0, distinct = 0;
    std::string lastKey;
    KeyEntry e;
    bool more = true;

    auto emit = [&](uint32_t first, uint32_t last) {
        uint32_t at = file_.AllocatePage();
        if (pendingAt != kNoPage) {
            PutLE32(pending + 8, at); // right sibling
            file_.WritePage(pendingAt, pending);
        }
        packer_.Write(chunk, first, last, layout, kAttrLeaf, pendingAt, kNoPage, pending);
        AddChild(pieces, chunk.Key(last - 1), chunk.recnos[last - 1], at);
        pendingAt = at;
        ++leaves;
    };

    while (more) {
        while (chunk.count < kChunkEntries && (more = source.Next(e))) {
            chunk.keys.insert(chunk.keys.end(), e.key.begin(), e.key.end());
            chunk.recnos.push_back(e.recno);
            ++chunk.count;
            ++keys;
            if (keys == 1 || e.key != lastKey) {
                ++distinct;
                lastKey = e.key;
            }
        }
        packer_.Prepare(chunk, pad_, CompressTrail());
        packer_.FillGreedy(chunk.count, layout.entryBytes, ends_);
        if (!more && leaves == 0 && ends_.size() <= 1) {
            // Everything fits one page: the root is a leaf.
            packer_.Write(chunk, 0, chunk.count, layout, RootLeafAttr(), kNoPage, kNoPage, page);
            file_.WritePage(root_, page);
            break;
        }
        // Write every full leaf; the last slice waits for more entries unless the stream ended.
        size_t emitCount = more ? ends_.size() - 1 : ends_.size();
        uint32_t first = 0;
        for (size_t i = 0; i < emitCount; ++i) {
            emit(first, ends_[i]);
            first = ends_[i];
        }
        // Carry the rest to the front of the next chunk.
        uint32_t rest = chunk.count - first;
        std::memmove(chunk.keys.data(), chunk.keys.data() + size_t(first) * kl, size_t(rest) * kl);
        std::memmove(chunk.recnos.data(), chunk.recnos.data() + first, rest * sizeof(uint32_t));
        chunk.keys.resize(size_t(rest) * kl);
        chunk.recnos.resize(rest);
        chunk.count = rest;
    }
    if (pendingAt != kNoPage) {
        file_.WritePage(pendingAt, pending);
        GrowRoot(pieces, true);
    }

    keyCount_ = keys;
    distinctCount_ = distinct;
    statsDirty_ = false;
    ++modCount_;
}

} // namespace hk::db
