// Structural checks of a tag's tree: of each node when first read, of the layout before the
// first change, and of everything on demand.
#include <cstdio>

#include "xbase/cdx/cdx_tag.h"
#include "xbase/db_error.h"

namespace hk::db {

using namespace cdx;

namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

// The key order seen so far on one level of the tree.
struct LevelOrder {
    std::vector<uint8_t> key;
    uint32_t recno = 0;
    bool any = false;
};

} // namespace

void CdxTag::VerifyNode(uint32_t offset, const uint8_t* page, const LeafNode* leaf) const {
    for (uint32_t link : {Get32(page + 4), Get32(page + 8)})
        if (link != kNoPage && (!file_.ValidPage(link) || link == offset))
            Fail(offset, "sibling link " + Hex(link) + " is outside the file, misaligned or loops");
    const uint16_t kl = info_.keyLength;
    if (leaf) {
        for (uint32_t j = 0; j < leaf->count; ++j) {
            if (leaf->recnos[j] == 0)
                Fail(offset, "record number 0");
            if (j > 0 && CompareEntry(leaf->Key(j - 1), leaf->recnos[j - 1], leaf->Key(j),
                                      leaf->recnos[j], kl) >= 0)
                Fail(offset, "keys out of order at entry " + std::to_string(j));
        }
        return;
    }
    const uint32_t n = InteriorCount(offset, page);
    const uint32_t es = InteriorEntrySize(kl);
    const uint8_t* e = page + kNodeHeaderSize;
    for (uint32_t j = 0; j < n; ++j, e += es) {
        const uint32_t child = GetBE32(e + kl + 4);
        if (!file_.ValidPage(child))
            Fail(offset, "pointer " + Hex(child) + " is outside the file or misaligned");
        if (child == offset)
            Fail(offset, "a child pointer loops to its own page");
        if (j > 0 && CompareEntry(e - es, GetBE32(e - es + kl), e, GetBE32(e + kl), kl) >= 0)
            Fail(offset, "interior keys out of order at entry " + std::to_string(j));
    }
}

void CdxTag::CheckPlace(uint32_t offset, const uint8_t* page, const LeafNode* leaf,
                        const uint8_t* parent, uint32_t index) {
    const uint16_t attr = Get16(page);
    const uint32_t left = Get32(page + 4), right = Get32(page + 8);
    if (!parent) {
        if (!(attr & kAttrRoot))
            Fail(offset, "root node lacks the root attribute");
        if (left != kNoPage || right != kNoPage)
            Fail(offset, "root node has sibling links");
        return;
    }
    if (attr & kAttrRoot)
        Fail(offset, "node below the root is marked root");
    const uint16_t kl = info_.keyLength;
    const uint32_t es = InteriorEntrySize(kl);
    const uint32_t n = Get16(parent + 2);
    const uint8_t* hi = parent + kNodeHeaderSize + index * es;
    auto childAt = [&](uint32_t i) { return GetBE32(parent + kNodeHeaderSize + i * es + kl + 4); };
    // Links inside one parent are known; at its edges only when the parent has no neighbour.
    const uint32_t expectLeft = index > 0                      ? childAt(index - 1)
                                : Get32(parent + 4) == kNoPage ? kNoPage
                                                               : left;
    const uint32_t expectRight = index + 1 < n                  ? childAt(index + 1)
                                 : Get32(parent + 8) == kNoPage ? kNoPage
                                                                : right;
    if (left != expectLeft)
        Fail(offset, "left sibling link is " + Hex(left) + ", expected " + Hex(expectLeft));
    if (right != expectRight)
        Fail(offset, "right sibling link is " + Hex(right) + ", expected " + Hex(expectRight));

    const uint8_t *first, *last;
    uint32_t firstRec, lastRec;
    if (leaf) {
        if (leaf->count == 0)
            return;
        first = leaf->Key(0);
        firstRec = leaf->recnos[0];
        last = leaf->Key(leaf->count - 1);
        lastRec = leaf->recnos[leaf->count - 1];
    } else {
        const uint8_t* e = page + kNodeHeaderSize;
        first = e;
        firstRec = GetBE32(e + kl);
        last = e + (Get16(page + 2) - 1) * es;
        lastRec = GetBE32(last + kl);
    }
    if (CompareEntry(last, lastRec, hi, GetBE32(hi + kl), kl) > 0)
        Fail(offset, "last key is above the parent key for this page");
    if (index > 0 && CompareEntry(first, firstRec, hi - es, GetBE32(hi - es + kl), kl) <= 0)
        Fail(offset, "first key is not above the parent key of the page before");
}

void CdxTag::CheckNeighbours(const LeafNode& leaf) {
    uint8_t page[kPageSize];
    for (uint32_t link : {leaf.left, leaf.right})
        if (link != kNoPage && !file_.NodeMarked(link, CdxFile::kNodeChecked))
            ReadNode(link, page, leaf.offset);
}

void CdxTag::CheckTree(bool exact, std::vector<uint8_t>* owners, bool leaves) {
    const uint16_t kl = info_.keyLength;
    const uint32_t es = InteriorEntrySize(kl);
    uint8_t page[kPageSize];
    // Nodes of the current level in key order, with the parent entry above each.
    std::vector<uint32_t> nodes{root_}, nextNodes;
    std::vector<uint32_t> holders{headerOffset_}, nextHolders; // page holding each pointer
    std::vector<uint8_t> bounds, nextBounds; // key + BE recno per node (none for the root)
    uint32_t keys = 0, distinct = 0;
    LevelOrder order;
    order.key.resize(kl);

    orderFault_ = false;
    auto orderFail = [&](uint32_t off, const std::string& what) {
        orderFault_ = true;
        Fail(off, what);
    };
    // Checks one node's first and last entries against the parent entries around it.
    auto checkBounds = [&](size_t i, uint32_t off, const uint8_t* firstKey, uint32_t firstRec,
                           const uint8_t* lastKey, uint32_t lastRec) {
        if (bounds.empty())
            return;
        const uint8_t* hi = bounds.data() + i * (kl + 4);
        int c = CompareEntry(lastKey, lastRec, hi, GetBE32(hi + kl), kl);
        if (c > 0)
            orderFail(off, "last key is above the parent key for this page");
        if (exact && c != 0)
            Fail(off, "parent key does not equal the last key of this page");
        if (i > 0) {
            const uint8_t* lo = hi - (kl + 4);
            if (CompareEntry(firstKey, firstRec, lo, GetBE32(lo + kl), kl) <= 0)
                orderFail(off, "first key is not above the parent key of the page before");
        }
    };
    auto follow = [&](const uint8_t* key, uint32_t recno) {
        if (order.any && CompareEntry(key, recno, order.key.data(), order.recno, kl) <= 0)
            return false;
        std::memcpy(order.key.data(), key, kl);
        order.recno = recno;
        order.any = true;
        return true;
    };

    for (int depth = 0;; ++depth) {
        if (depth > 32)
            Fail(nodes.front(), "tree deeper than 32 levels");
        bool leafLevel = false;
        uint32_t prev = kNoPage;
        nextNodes.clear();
        nextHolders.clear();
        nextBounds.clear();
        order.any = false;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const uint32_t off = nodes[i];
            if (!file_.ValidPage(off))
                Fail(holders[i], "pointer " + Hex(off) + " is outside the file or misaligned");
            if (owners) {
                uint8_t& owner = (*owners)[off / kPageSize];
                if (owner)
                    Fail(off, "page is used twice (or a child pointer loops)");
                owner = 1;
            }
            bool isLeaf = false;
            if (!leaves) { // a leaf's header only; its entries are checked when it is read
                file_.pages_->Read(off, page, kNodeHeaderSize);
                isLeaf = Get16(page) & kAttrLeaf;
                if (Get16(page) & ~7u)
                    Fail(off, "impossible node attributes " + Hex(Get16(page)));
            }
            if (leaves || !isLeaf)
                ReadNode(off, page, off, &leaf_);
            const uint16_t attr = Get16(page);
            isLeaf = attr & kAttrLeaf;
            if (i == 0)
                leafLevel = isLeaf;
            else if (isLeaf != leafLevel)
                Fail(off, "leaves and interior nodes on one level: the tree is not balanced");
            if (depth == 0 && !(attr & kAttrRoot))
                Fail(off, "root node lacks the root attribute");
            if (depth > 0 && (attr & kAttrRoot))
                Fail(off, "node below the root is marked root");
            const uint32_t left = Get32(page + 4), right = Get32(page + 8);
            if (left != prev)
                Fail(off, "left sibling link is " + Hex(left) + ", expected " + Hex(prev));
            const uint32_t expectRight = i + 1 < nodes.size() ? nodes[i + 1] : kNoPage;
            if (right != expectRight)
                Fail(off, "right sibling link is " + Hex(right) + ", expected " + Hex(expectRight));
            prev = off;

            if (isLeaf) {
                if (!leaves)
                    continue;
                if (leaf_.count == 0) {
                    if (depth > 0 && exact)
                        Fail(off, "empty leaf below the root");
                    continue;
                }
                for (uint32_t j = 0; j < leaf_.count; ++j) {
                    if (leaf_.recnos[j] == 0)
                        Fail(off, "record number 0");
                    bool same = order.any && std::memcmp(order.key.data(), leaf_.Key(j), kl) == 0;
                    if (!follow(leaf_.Key(j), leaf_.recnos[j]))
                        orderFail(off, "keys out of order at entry " + std::to_string(j));
                    if (!same)
                        ++distinct;
                }
                keys += leaf_.count;
                checkBounds(i, off, leaf_.Key(0), leaf_.recnos[0], leaf_.Key(leaf_.count - 1),
                            leaf_.recnos[leaf_.count - 1]);
            } else {
                const uint32_t n = InteriorCount(off, page);
                const uint8_t* e = page + kNodeHeaderSize;
                for (uint32_t j = 0; j < n; ++j, e += es) {
                    if (!follow(e, GetBE32(e + kl)))
                        orderFail(off, "interior keys out of order at entry " + std::to_string(j));
                    nextNodes.push_back(GetBE32(e + kl + 4));
                    nextHolders.push_back(off);
                    nextBounds.insert(nextBounds.end(), e, e + kl + 4);
                }
                const uint8_t* last = page + kNodeHeaderSize + (n - 1) * es;
                checkBounds(i, off, page + kNodeHeaderSize, GetBE32(page + kNodeHeaderSize + kl),
                            last, GetBE32(last + kl));
            }
        }
        if (leafLevel)
            break;
        nodes.swap(nextNodes);
        holders.swap(nextHolders);
        bounds.swap(nextBounds);
    }
    ++modCount_; // leaf_ was used as scratch
    if (!leaves)
        return;
    keyCount_ = keys;
    distinctCount_ = distinct;
    counted_ = true;
}

uint8_t CdxTag::GuessPad() {
    if (!MachineCollation())
        return 0;
    // Writers drop trailing pad bytes, so the last stored byte of a key with a trailing count
    // is never the pad byte; binary keys (numbers, dates) also store bytes below a blank.
    // Leaves are not checked yet: their key order depends on the answer.
    // Both edge leaves: one end of a tag often holds only empty keys, which tell nothing.
    uint8_t page[kPageSize];
    const uint32_t kl = info_.keyLength;
    int blank = 0, zero = 0;
    for (bool last : {false, true}) {
        guessing_ = true;
        try {
            DescendEdge(last, leaf_);
            ReadNode(leaf_.offset, page, leaf_.offset);
        } catch (...) {
            guessing_ = false;
            throw;
        }
        guessing_ = false;
        const LeafLayout& l = leaf_.layout;
        uint32_t textStart = kPageSize;
        for (uint32_t i = 0; i < leaf_.count; ++i) {
            uint64_t v = 0;
            std::memcpy(&v, page + kLeafHeaderSize + i * l.entryBytes, l.entryBytes);
            uint32_t dup = static_cast<uint32_t>(v >> l.recBits) & ((1u << l.dupBits) - 1);
            uint32_t trail =
                static_cast<uint32_t>(v >> (l.recBits + l.dupBits)) & ((1u << l.trailBits) - 1);
            uint32_t stored = kl - dup - trail;
            textStart -= stored;
            for (uint32_t b = 0; b < stored; ++b)
                if (page[textStart + b] < 0x20)
                    ++zero;
            if (trail > 0 && stored > 0) {
                uint8_t lastByte = page[textStart + stored - 1];
                if (lastByte == ' ')
                    ++zero;
                if (lastByte == 0)
                    ++blank;
            }
        }
    }
    padGuessed_ = true;
    return zero > blank ? 0 : ' ';
}

void CdxTag::CheckWhole(std::vector<uint8_t>& owners) {
    const std::vector<uint8_t> before = owners;
    try {
        CheckTree(false, &owners);
    } catch (const DbError&) {
        // A guessed pad byte may be the wrong one: keys then seem out of order.
        if (!orderFault_ || !padGuessed_ || !MachineCollation())
            throw;
        const uint8_t guess = pad_;
        owners = before;
        SetPadByte(guess == ' ' ? 0 : ' ');
        try {
            CheckTree(false, &owners);
        } catch (const DbError&) {
            SetPadByte(guess);
            padGuessed_ = true;
            owners = before;
            CheckTree(false, &owners); // report the fault found with the first guess
        }
    }
    checkedAt_ = modCount_;
}

void CdxTag::Count() {
    if (counted_)
        return;
    CheckTree(false, nullptr);
    checkedAt_ = modCount_;
}

bool CdxTag::Check(std::string* fault, bool exact) {
    if (!exact && checkedAt_ == modCount_)
        return true;
    try {
        CheckTree(exact, nullptr);
        checkedAt_ = modCount_;
        return true;
    } catch (const DbError& e) {
        if (fault)
            *fault = e.what();
        return false;
    }
}

} // namespace hk::db
