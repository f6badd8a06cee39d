// Bulk build of a new tag from sorted entries.
#include <algorithm>

#include "db/cdx_tag.h"

namespace hk::db {

using namespace cdx;

void CdxTag::BulkBuild(const NewTag &spec, const LeafNode &entries) {
    const uint16_t kl = info_.keyLength;
    const uint32_t n = entries.count;
    // The root comes first, right after the header, where FoxPro puts it.
    root_ = file_.AllocatePage();
    LeafLayout layout = Layout(std::max(spec.recordCount, entries.MaxRecno()));
    packer_.Prepare(entries, pad_, CompressTrail());
    packer_.FillGreedy(n, layout.entryBytes, ends_);
    uint8_t page[kPageSize];

    if (ends_.size() <= 1) {
        packer_.Write(entries, 0, n, layout, RootLeafAttr(), kNoPage, kNoPage, page);
        file_.WritePage(root_, page);
    } else {
        std::vector<uint32_t> pages(ends_.size());
        for (auto &p : pages)
            p = file_.AllocatePage();
        ChildList pieces;
        uint32_t first = 0;
        for (size_t i = 0; i < ends_.size(); ++i) {
            uint32_t last = ends_[i];
            uint32_t l = i == 0 ? kNoPage : pages[i - 1];
            uint32_t r = i + 1 == pages.size() ? kNoPage : pages[i + 1];
            packer_.Write(entries, first, last, layout, kAttrLeaf, l, r, page);
            file_.WritePage(pages[i], page);
            AddChild(pieces, entries.Key(last - 1), entries.recnos[last - 1], pages[i]);
            first = last;
        }
        GrowRoot(pieces, true);
    }

    keyCount_ = n;
    distinctCount_ = 0;
    for (uint32_t i = 0; i < n; ++i)
        if (i == 0 || std::memcmp(entries.Key(i), entries.Key(i - 1), kl) != 0)
            ++distinctCount_;
    statsDirty_ = false;
    ++modCount_;
}

} // namespace hk::db
