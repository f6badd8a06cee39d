#include "xbase/cdx/cdx_tag.h"

#include <algorithm>
#include <cstdio>

#include "xbase/cdx/cdx_cursor.h"
#include "xbase/db_error.h"

namespace hk::db {

using namespace cdx;

namespace {

constexpr int kMaxDepth = 32;

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

std::string PoolString(const uint8_t* pool, uint32_t offset, uint32_t length) {
    // length counts the terminating NUL; stop early at a NUL inside it.
    const char* s = reinterpret_cast<const char*>(pool + offset);
    size_t n = length > 0 ? length - 1 : 0;
    size_t end = 0;
    while (end < n && s[end] != '\0')
        ++end;
    return std::string(s, end);
}

} // namespace

CdxTag::CdxTag(CdxFile& file, uint32_t headerOffset, bool directory)
    : file_(file), headerOffset_(headerOffset), directory_(directory) {
    leaf_.keepDetail = true;
}

void CdxTag::Fail(uint32_t page, const std::string& what) const {
    std::string who = directory_ ? "tag directory" : "tag " + info_.name;
    // A tree that does not parse may be keys of another length or form: say what the header
    // claims.
    if (!directory_ && !info_.keyExpr.empty())
        who += " (key \"" + info_.keyExpr + "\", " + std::to_string(info_.keyLength) + " bytes)";
    file_.Fail(who + ", page " + Hex(page) + ": " + what);
}

void CdxTag::LoadHeader(const uint8_t* h) {
    root_ = Get32(h);
    info_.keyLength = Get16(h + 12);
    uint8_t options = h[14];
    if (h[15] != 1)
        Fail(headerOffset_, "tag header signature is not 1");
    if (info_.keyLength == 0 || info_.keyLength > kMaxKeyLength)
        Fail(headerOffset_, "key length " + std::to_string(info_.keyLength) + " is outside 1..240");
    if (directory_ && info_.keyLength != 10)
        Fail(headerOffset_, "directory key length is not 10");
    keyCount_ = Get32(h + 16);
    distinctCount_ = Get32(h + 20);

    std::string coll = PoolString(h + 494, 0, 9);
    info_.collation = coll == "MACHINE" ? "" : coll;
    info_.descending = Get16(h + 502) != 0;
    uint32_t forOff = Get16(h + 504), forLen = Get16(h + 506);
    uint32_t keyOff = Get16(h + 508), keyLen = Get16(h + 510);
    if (keyLen == 0 || keyOff + keyLen > kPageSize)
        Fail(headerOffset_, "key expression length does not fit the expression pool");
    if (forLen == 0 || forOff + forLen > kPageSize)
        Fail(headerOffset_, "FOR expression length does not fit the expression pool");
    const uint8_t* pool = h + kPageSize;
    info_.keyExpr = PoolString(pool, keyOff, keyLen);
    info_.forExpr = PoolString(pool, forOff, forLen);
    if (!directory_ && info_.keyExpr.empty())
        Fail(headerOffset_, "tag has no key expression");
    info_.unique = (options & 0x01) != 0;
    info_.candidate = (options & 0x04) != 0;
    hasFor_ = !info_.forExpr.empty();
    pad_ = MachineCollation() ? ' ' : 0;
    if (!file_.ValidPage(root_) || root_ == headerOffset_ || root_ == headerOffset_ + kPageSize)
        Fail(headerOffset_,
             "root pointer " + Hex(root_) + " is outside the file, misaligned or inside a header");
}

void CdxTag::WriteNewHeader(uint8_t* h, const NewTag& tagDef, uint32_t root, bool directory) {
    std::memset(h, 0, 2 * kPageSize);
    Put32(h, root);
    Put16(h + 12, tagDef.keyLength);
    uint8_t options = 0x60;
    if (tagDef.unique)
        options |= 0x01;
    if (tagDef.candidate)
        options |= 0x04;
    if (!tagDef.forExpr.empty())
        options |= 0x08;
    if (directory)
        options |= 0x80;
    h[14] = options;
    h[15] = 1;
    Put16(h + 502, tagDef.descending ? 1 : 0);
    uint16_t keyLen = static_cast<uint16_t>(tagDef.keyExpr.size() + 1);
    uint16_t forLen = static_cast<uint16_t>(tagDef.forExpr.size() + 1);
    Put16(h + 504, keyLen);
    Put16(h + 506, forLen);
    Put16(h + 508, 0);
    Put16(h + 510, keyLen);
    std::memcpy(h + kPageSize, tagDef.keyExpr.data(), tagDef.keyExpr.size());
    std::memcpy(h + kPageSize + keyLen, tagDef.forExpr.data(), tagDef.forExpr.size());
}

void CdxTag::WriteStats() {
    if (!statsDirty_)
        return;
    statsDirty_ = false;
    // Only VFP keeps key statistics in the header; FoxPro 2.x leaves those bytes alone.
    if (directory_ || file_.Flavor() != CdxFlavor::Vfp)
        return;
    uint8_t page[kPageSize];
    file_.pages_->Read(headerOffset_, page, kPageSize);
    Put32(page + 16, keyCount_);
    Put32(page + 20, distinctCount_);
    file_.WritePage(headerOffset_, page);
}

void CdxTag::SetPadByte(uint8_t pad) {
    padGuessed_ = false;
    if (pad == pad_)
        return;
    pad_ = pad;
    ++modCount_;
    counted_ = false;
    // Key order in leaves depends on the pad byte: nodes checked with the other one are
    // checked again.
    file_.ForgetNodeMarks();
}

// ---------------------------------------------------------------------------------------
// Reading

void CdxTag::ReadNode(uint32_t offset, uint8_t* page, uint32_t from, LeafNode* leaf) {
    file_.ReadPage(offset, page, *this, from);
    uint16_t attr = Get16(page);
    if (attr & ~7u)
        Fail(offset, "impossible node attributes " + Hex(attr));
    const bool isLeaf = attr & kAttrLeaf;
    if (isLeaf && leaf)
        DecodeLeafPage(offset, page, *leaf);
    if (guessing_ || file_.NodeMarked(offset, CdxFile::kNodeChecked))
        return;
    if (isLeaf && !leaf) {
        DecodeLeafPage(offset, page, check_);
        leaf = &check_;
    }
    VerifyNode(offset, page, isLeaf ? leaf : nullptr);
    file_.MarkNode(offset, CdxFile::kNodeChecked);
}

uint32_t CdxTag::InteriorCount(uint32_t offset, const uint8_t* page) const {
    uint32_t n = Get16(page + 2);
    uint32_t cap = InteriorCapacity(info_.keyLength);
    if (n == 0 || n > cap)
        Fail(offset, "interior node holds " + std::to_string(n) + " keys (possible: 1.." +
                         std::to_string(cap) + ")");
    return n;
}

void CdxTag::DecodeLeafPage(uint32_t offset, const uint8_t* page, LeafNode& leaf) const {
    if (const char* fault = DecodeLeaf(page, info_.keyLength, pad_, leaf))
        Fail(offset, fault);
    leaf.offset = offset;
}

void CdxTag::ReadLeaf(uint32_t offset, LeafNode& leaf, uint32_t from) {
    uint8_t page[kPageSize];
    ReadNode(offset, page, from, &leaf);
    if (!(Get16(page) & kAttrLeaf))
        Fail(offset, "expected a leaf node");
}

void CdxTag::DescendTo(const uint8_t* key, uint32_t recno, bool last, std::vector<PathStep>* path,
                       LeafNode& leaf) {
    uint8_t buffers[2][kPageSize];
    uint8_t* page = buffers[0];
    uint8_t* parent = nullptr; // the page above, for the first check of a node's place
    uint32_t idx = 0;
    uint32_t off = root_, from = headerOffset_;
    if (path)
        path->clear();
    const uint16_t kl = info_.keyLength;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth)
            Fail(off, "tree deeper than 32 levels: a child pointer loops");
        ReadNode(off, page, from, &leaf);
        const bool isLeaf = Get16(page) & kAttrLeaf;
        if (!guessing_ && !file_.NodeMarked(off, CdxFile::kNodePlaced)) {
            CheckPlace(off, page, isLeaf ? &leaf : nullptr, parent, idx);
            file_.MarkNode(off, CdxFile::kNodePlaced);
        }
        from = off;
        if (isLeaf)
            return;
        uint32_t n = InteriorCount(off, page);

        if (key) {
            idx = InteriorLowerBound(page, kl, n, key, recno);
            if (idx == n)
                idx = n - 1; // past the last key: the append position
        } else {
            idx = last ? n - 1 : 0;
        }
        if (path)
            path->push_back({off, idx});
        off = GetBE32(page + kNodeHeaderSize + idx * InteriorEntrySize(kl) + kl + 4);
        parent = page;
        page = page == buffers[0] ? buffers[1] : buffers[0];
    }
}

bool CdxTag::StepLeaf(bool forward, LeafNode& leaf) {
    uint8_t page[kPageSize];
    uint8_t boundary[kMaxKeyLength];
    uint32_t boundaryRecno = 0;
    bool haveBoundary = leaf.count > 0;
    if (haveBoundary) {
        uint32_t i = forward ? leaf.count - 1 : 0;
        std::memcpy(boundary, leaf.Key(i), info_.keyLength);
        boundaryRecno = leaf.recnos[i];
    }
    uint64_t guard = file_.pages_->Size() / kPageSize;
    for (;;) {
        uint32_t next = forward ? leaf.right : leaf.left;
        if (next == kNoPage)
            return false;
        uint32_t from = leaf.offset;
        ReadNode(next, page, from, &leaf);
        if (!(Get16(page) & kAttrLeaf))
            Fail(next, "sibling of a leaf is not a leaf");
        if ((forward ? leaf.left : leaf.right) != from)
            Fail(next, std::string(forward ? "left" : "right") + " sibling link is not " +
                           Hex(from) + ", the page that links here");
        if (leaf.count > 0) {
            if (haveBoundary) {
                uint32_t i = forward ? 0 : leaf.count - 1;
                int c = CompareEntry(leaf.Key(i), leaf.recnos[i], boundary, boundaryRecno,
                                     info_.keyLength);
                if (forward ? c <= 0 : c >= 0)
                    Fail(next, "keys out of order across sibling pages (a sibling link loops)");
            }
            return true;
        }
        if (guard-- == 0)
            Fail(next, "sibling links loop through empty pages");
    }
}

bool CdxTag::NeighbourHasKey(const LeafNode& leaf, int before, uint32_t after, const uint8_t* key) {
    const uint16_t kl = info_.keyLength;
    if (before >= 0) {
        if (std::memcmp(leaf.Key(before), key, kl) == 0)
            return true;
    } else if (leaf.left != kNoPage) {
        ReadLeaf(leaf.left, sibling_, leaf.offset);
        if (sibling_.count && std::memcmp(sibling_.Key(sibling_.count - 1), key, kl) == 0)
            return true;
    }
    if (after < leaf.count)
        return std::memcmp(leaf.Key(after), key, kl) == 0;
    if (leaf.right != kNoPage) {
        ReadLeaf(leaf.right, sibling_, leaf.offset);
        return sibling_.count && std::memcmp(sibling_.Key(0), key, kl) == 0;
    }
    return false;
}

std::vector<KeyEntry> CdxTag::Entries() {
    std::vector<KeyEntry> out;
    if (counted_)
        out.reserve(keyCount_);
    CdxCursor c(*this);
    for (bool ok = c.First(); ok; ok = c.Next())
        out.push_back({std::string(c.Key()), c.RecNo()});
    return out;
}

// ---------------------------------------------------------------------------------------
// Writing

LeafLayout CdxTag::Layout(uint32_t maxRecno) const {
    return LayoutFor(info_.keyLength, maxRecno, file_.Flavor() == CdxFlavor::Fox2 ? 12 : 0);
}

uint16_t CdxTag::RootLeafAttr() const {
    bool vfpMark = !directory_ && file_.Flavor() == CdxFlavor::Vfp;
    return kAttrRoot | kAttrLeaf | (vfpMark ? kAttrVfpRootLeaf : 0);
}

bool CdxTag::CompressTrail() const {
    // FoxPro 2.x stores the blanks of character keys in full in tags with a FOR clause.
    return !(file_.Flavor() == CdxFlavor::Fox2 && hasFor_ && pad_ == ' ');
}

void CdxTag::CheckWritable(std::string_view key, uint32_t recno) const {
    std::string who = directory_ ? "the tag directory" : "tag " + info_.name;
    if (!file_.Writable())
        throw DbError(kErrReadOnly, file_.Path(), who + ": the index is open read-only");
    if (!MachineCollation())
        throw DbError(kErrIndex, file_.Path(),
                      who + " uses collation " + info_.collation +
                          "; only MACHINE tags can be changed");
    if (key.size() != info_.keyLength)
        throw DbError(kErrParam, file_.Path(),
                      who + ": key of " + std::to_string(key.size()) +
                          " bytes, the tag's keys are " + std::to_string(info_.keyLength));
    if (recno == 0)
        throw DbError(kErrParam, file_.Path(), who + ": record number 0");
}

void CdxTag::AddChild(ChildList& list, const uint8_t* key, uint32_t recno, uint32_t child) const {
    const uint16_t kl = info_.keyLength;
    size_t at = list.raw.size();
    list.raw.resize(at + InteriorEntrySize(kl));
    std::memcpy(list.raw.data() + at, key, kl);
    PutBE32(list.raw.data() + at + kl, recno);
    PutBE32(list.raw.data() + at + kl + 4, child);
    ++list.count;
}

bool CdxTag::Insert(std::string_view keyText, uint32_t recno) {
    CheckWritable(keyText, recno);
    file_.CheckBeforeWrite();
    const auto* key = reinterpret_cast<const uint8_t*>(keyText.data());
    Descend(key, recno, &path_, leaf_);
    CheckNeighbours(leaf_);
    uint32_t pos = leaf_.LowerBound(key, recno);
    if (pos < leaf_.count && leaf_.recnos[pos] == recno &&
        std::memcmp(leaf_.Key(pos), key, info_.keyLength) == 0)
        throw DbError(kErrIndex, file_.Path(),
                      "tag " + info_.name + " already holds record " + std::to_string(recno) +
                          " under this key");
    bool keyPresent = NeighbourHasKey(leaf_, int(pos) - 1, pos, key);
    if (keyPresent && info_.candidate)
        throw DbError(kErrUnique, file_.Path(),
                      "tag " + info_.name + ": the key is already in this candidate tag");
    if (keyPresent && info_.unique)
        return false;

    if (!InsertInPlace(leaf_, pos, key, recno)) {
        leaf_.InsertAt(pos, key, recno);
        if (!leaf_.layout.Holds(recno))
            leaf_.layout = Layout(leaf_.MaxRecno());
        StoreLeaf(leaf_, pos == leaf_.count - 1, pos);
    }
    ++keyCount_;
    if (!keyPresent)
        ++distinctCount_;
    statsDirty_ = true;
    ++modCount_;
    file_.NoteChange();
    return true;
}

bool CdxTag::Remove(std::string_view keyText, uint32_t recno) {
    CheckWritable(keyText, recno);
    file_.CheckBeforeWrite();
    const auto* key = reinterpret_cast<const uint8_t*>(keyText.data());
    Descend(key, recno, &path_, leaf_);
    CheckNeighbours(leaf_);
    uint32_t pos = leaf_.LowerBound(key, recno);
    if (pos >= leaf_.count || leaf_.recnos[pos] != recno ||
        std::memcmp(leaf_.Key(pos), key, info_.keyLength) != 0)
        return false;
    bool lastChanged = pos == leaf_.count - 1;
    bool keyPresent = NeighbourHasKey(leaf_, int(pos) - 1, pos + 1, key);
    if (!RemoveInPlace(leaf_, pos)) {
        leaf_.EraseAt(pos);
        if (!MergeLeaf(leaf_))
            StoreLeaf(leaf_, lastChanged, kNoPage);
    }
    if (keyCount_)
        --keyCount_;
    if (!keyPresent && distinctCount_)
        --distinctCount_;
    statsDirty_ = true;
    ++modCount_;
    file_.NoteChange();
    return true;
}

// The common insert: the entry fits the page as it is. Only the new entry, its successor's
// shared-prefix count and the text after them change; everything else is moved, not rebuilt.
bool CdxTag::InsertInPlace(LeafNode& leaf, uint32_t pos, const uint8_t* key, uint32_t recno) {
    const uint32_t kl = info_.keyLength, n = leaf.count, eb = leaf.layout.entryBytes;
    if (!leaf.keepDetail || !leaf.layout.Holds(recno) || n >= 0xFFFF)
        return false;
    const uint32_t t = CompressTrail() ? TrailOf(key, kl, pad_) : 0;
    const uint32_t d = pos > 0 ? SharedPrefix(leaf.Key(pos - 1), key,
                                              kl - std::max<uint32_t>(t, leaf.trails[pos - 1]))
                               : 0;
    const uint32_t s = kl - d - t;
    int delta = int(s); // growth of the key text
    uint32_t dNext = 0, sNext = 0;
    if (pos < n) {
        const uint32_t tn = leaf.trails[pos];
        dNext = SharedPrefix(key, leaf.Key(pos), kl - std::max(tn, t));
        sNext = kl - dNext - tn;
        delta += int(sNext) - int(kl - leaf.dups[pos] - tn);
    }
    if (int(leaf.freeSpace) < int(eb) + delta)
        return false;

    uint8_t* page = leaf.page;
    const uint32_t top = pos > 0 ? leaf.textAt[pos - 1] : kPageSize;
    const uint32_t textStart = n > 0 ? leaf.textAt[n - 1] : kPageSize;
    if (pos < n) // text of the entries after the successor
        std::memmove(page + textStart - delta, page + textStart, leaf.textAt[pos] - textStart);
    std::memcpy(page + top - s, key + d, s);
    if (pos < n)
        std::memcpy(page + top - s - sNext, leaf.Key(pos) + dNext, sNext);
    uint8_t* packed = page + kLeafHeaderSize;
    std::memmove(packed + (pos + 1) * eb, packed + pos * eb, (n - pos) * eb);
    PutPacked(packed + pos * eb, leaf.layout, recno, d, t);
    if (pos < n)
        PutPacked(packed + (pos + 1) * eb, leaf.layout, leaf.recnos[pos], dNext, leaf.trails[pos]);
    const uint32_t freeSpace = leaf.freeSpace - eb - delta;
    const uint32_t gap = kLeafHeaderSize + (n + 1) * eb;
    std::memset(page + gap, 0, freeSpace);
    Put16(page + 2, static_cast<uint16_t>(n + 1));
    Put16(page + 12, static_cast<uint16_t>(freeSpace));
    file_.WritePage(leaf.offset, page);
    if (pos == n && !path_.empty()) { // new last key: the parent entry follows
        ChildList one;
        AddChild(one, key, recno, leaf.offset);
        ReplaceChild(path_.size() - 1, one);
    }
    return true;
}

// The common remove: the page keeps at least a quarter of its bytes (else it may merge).
bool CdxTag::RemoveInPlace(LeafNode& leaf, uint32_t pos) {
    const uint32_t kl = info_.keyLength, n = leaf.count, eb = leaf.layout.entryBytes;
    if (!leaf.keepDetail || n < 2)
        return false;
    const uint32_t sPos = kl - leaf.dups[pos] - leaf.trails[pos];
    int delta = -int(sPos);
    uint32_t dNext = 0, sNext = 0;
    if (pos + 1 < n) {
        const uint32_t tn = leaf.trails[pos + 1];
        dNext = pos > 0 ? SharedPrefix(leaf.Key(pos - 1), leaf.Key(pos + 1),
                                       kl - std::max<uint32_t>(tn, leaf.trails[pos - 1]))
                        : 0;
        sNext = kl - dNext - tn;
        delta += int(sNext) - int(kl - leaf.dups[pos + 1] - tn);
    }
    const int freeSpace = int(leaf.freeSpace) + int(eb) - delta;
    if (freeSpace < 0 || (int(kLeafSpace) - freeSpace) * 4 <= int(kLeafSpace))
        return false;

    uint8_t* page = leaf.page;
    const uint32_t top = pos > 0 ? leaf.textAt[pos - 1] : kPageSize;
    const uint32_t textStart = leaf.textAt[n - 1];
    if (pos + 1 < n) {
        const uint32_t restEnd = leaf.textAt[pos + 1];
        std::memmove(page + textStart - delta, page + textStart, restEnd - textStart);
        std::memcpy(page + top - sNext, leaf.Key(pos + 1) + dNext, sNext);
    }
    uint8_t* packed = page + kLeafHeaderSize;
    std::memmove(packed + pos * eb, packed + (pos + 1) * eb, (n - pos - 1) * eb);
    if (pos + 1 < n)
        PutPacked(packed + pos * eb, leaf.layout, leaf.recnos[pos + 1], dNext,
                  leaf.trails[pos + 1]);
    std::memset(page + kLeafHeaderSize + (n - 1) * eb, 0, freeSpace);
    Put16(page + 2, static_cast<uint16_t>(n - 1));
    Put16(page + 12, static_cast<uint16_t>(freeSpace));
    file_.WritePage(leaf.offset, page);
    if (pos == n - 1 && !path_.empty()) { // the last key went: the parent entry follows
        ChildList one;
        AddChild(one, leaf.Key(n - 2), leaf.recnos[n - 2], leaf.offset);
        ReplaceChild(path_.size() - 1, one);
    }
    return true;
}

void CdxTag::StoreLeaf(LeafNode& leaf, bool lastChanged, uint32_t insertedAt) {
    const uint32_t off = leaf.offset;
    const bool isRoot = path_.empty();
    uint8_t page[kPageSize];
    if (leaf.count == 0) {
        if (isRoot) {
            packer_.Prepare(leaf, pad_, CompressTrail());
            packer_.Write(leaf, 0, 0, leaf.layout, RootLeafAttr(), kNoPage, kNoPage, page);
            file_.WritePage(off, page);
            return;
        }
        RemoveNode(off, leaf.left, leaf.right);
        ChildList none;
        ReplaceChild(path_.size() - 1, none);
        return;
    }

    packer_.Prepare(leaf, pad_, CompressTrail());
    const uint8_t eb = leaf.layout.entryBytes;
    const uint32_t n = leaf.count;
    if (packer_.Fits(0, n, eb)) {
        packer_.Write(leaf, 0, n, leaf.layout, isRoot ? RootLeafAttr() : kAttrLeaf, leaf.left,
                      leaf.right, page);
        file_.WritePage(off, page);
        if (lastChanged && !isRoot) {
            ChildList one;
            AddChild(one, leaf.Key(n - 1), leaf.recnos[n - 1], off);
            ReplaceChild(path_.size() - 1, one);
        }
        return;
    }

    // Split. Appending at either end of the tag leaves the full page full and starts a new
    // one; anything else halves the page.
    if (insertedAt == n - 1 && leaf.right == kNoPage && packer_.Fits(0, n - 1, eb))
        ends_.assign({n - 1, n});
    else if (insertedAt == 0 && leaf.left == kNoPage && packer_.Fits(1, n, eb))
        ends_.assign({1, n});
    else
        packer_.Split(n, eb, ends_);

    const size_t slices = ends_.size();
    std::vector<uint32_t> pages(slices);
    // The root keeps its offset (the tag header points at it); elsewhere the original page
    // keeps the highest slice so that its parent entry stays where it is.
    size_t fresh = isRoot ? slices : slices - 1;
    for (size_t i = 0; i < fresh; ++i)
        pages[i] = file_.AllocatePage();
    if (!isRoot)
        pages[slices - 1] = off;

    uint32_t leftEdge = isRoot ? kNoPage : leaf.left;
    uint32_t rightEdge = isRoot ? kNoPage : leaf.right;
    ChildList pieces;
    uint32_t first = 0;
    for (size_t i = 0; i < slices; ++i) {
        uint32_t last = ends_[i];
        uint32_t l = i == 0 ? leftEdge : pages[i - 1];
        uint32_t r = i + 1 == slices ? rightEdge : pages[i + 1];
        packer_.Write(leaf, first, last, leaf.layout, kAttrLeaf, l, r, page);
        file_.WritePage(pages[i], page);
        AddChild(pieces, leaf.Key(last - 1), leaf.recnos[last - 1], pages[i]);
        first = last;
    }
    if (isRoot) {
        GrowRoot(pieces, false);
        return;
    }
    if (leftEdge != kNoPage)
        SetSiblingLink(leftEdge, false, off, pages[0]);
    ReplaceChild(path_.size() - 1, pieces);
}

void CdxTag::WriteInterior(uint32_t offset, uint16_t attr, uint32_t left, uint32_t right,
                           const uint8_t* raw, uint32_t count) {
    uint8_t page[kPageSize];
    std::memset(page, 0, kPageSize);
    Put16(page, attr);
    Put16(page + 2, static_cast<uint16_t>(count));
    Put32(page + 4, left);
    Put32(page + 8, right);
    std::memcpy(page + kNodeHeaderSize, raw, size_t(count) * InteriorEntrySize(info_.keyLength));
    file_.WritePage(offset, page);
}

void CdxTag::GrowRoot(ChildList& pieces, bool fillFull) {
    const uint32_t es = InteriorEntrySize(info_.keyLength);
    while (pieces.count > InteriorCapacity(info_.keyLength)) {
        size_t at = 0;
        ChildList up = WriteLevel(pieces.count, fillFull, [&](uint32_t n) {
            const uint8_t* raw = pieces.raw.data() + at;
            at += size_t(n) * es;
            return raw;
        });
        pieces = std::move(up);
    }
    WriteInterior(root_, kAttrRoot, kNoPage, kNoPage, pieces.raw.data(), pieces.count);
}

CdxTag::ChildList CdxTag::WriteLevel(uint32_t count, bool fillFull,
                                     const std::function<const uint8_t*(uint32_t)>& next) {
    const uint16_t kl = info_.keyLength;
    const uint32_t es = InteriorEntrySize(kl);
    const uint32_t cap = InteriorCapacity(kl);
    uint32_t groups = (count + cap - 1) / cap;
    std::vector<uint32_t> pages(groups);
    for (auto& p : pages)
        p = file_.AllocatePage();
    ChildList up;
    uint32_t first = 0;
    for (uint32_t g = 0; g < groups; ++g) {
        uint32_t size =
            fillFull ? std::min(cap, count - first) : count / groups + (g < count % groups);
        uint32_t l = g == 0 ? kNoPage : pages[g - 1];
        uint32_t r = g + 1 == groups ? kNoPage : pages[g + 1];
        const uint8_t* raw = next(size);
        WriteInterior(pages[g], 0, l, r, raw, size);
        const uint8_t* lastEntry = raw + size_t(size - 1) * es;
        AddChild(up, lastEntry, GetBE32(lastEntry + kl), pages[g]);
        first += size;
    }
    return up;
}

void CdxTag::ReplaceChild(size_t level, ChildList& pieces, uint32_t replaced) {
    const uint16_t kl = info_.keyLength;
    const uint32_t es = InteriorEntrySize(kl);
    const uint32_t cap = InteriorCapacity(kl);
    const PathStep step = path_[level];
    uint8_t page[kPageSize];
    ReadNode(step.offset, page, step.offset);
    InteriorNode& node = interior_;
    node.Read(page, step.offset, kl);

    if (step.index + replaced > node.count)
        Fail(node.offset, "parent entry missing");
    const bool wasLast = step.index + replaced == node.count;
    uint8_t oldLast[kMaxKeyLength + 4];
    std::memcpy(oldLast, node.Entry(node.count - 1), kl + 4);
    auto at = node.raw.begin() + size_t(step.index) * es;
    at = node.raw.erase(at, at + size_t(replaced) * es);
    node.raw.insert(at, pieces.raw.begin(), pieces.raw.end());
    node.count = node.count - replaced + pieces.count;
    const bool isRoot = level == 0;

    if (node.count == 0) {
        if (isRoot) { // the tag is empty again: the root becomes an empty leaf
            LeafNode empty;
            empty.keyLength = kl;
            packer_.Prepare(empty, pad_, true);
            packer_.Write(empty, 0, 0, Layout(1), RootLeafAttr(), kNoPage, kNoPage, page);
            file_.WritePage(root_, page);
            return;
        }
        RemoveNode(node.offset, node.left, node.right);
        ChildList none;
        ReplaceChild(level - 1, none);
        return;
    }

    if (node.count <= cap) {
        WriteInterior(node.offset, node.attr, node.left, node.right, node.raw.data(), node.count);
        if (isRoot) {
            if (node.count == 1)
                CollapseRoot();
            return;
        }
        const uint8_t* newLast = node.Entry(node.count - 1);
        if (wasLast && std::memcmp(newLast, oldLast, kl + 4) != 0) {
            ChildList one;
            AddChild(one, newLast, GetBE32(newLast + kl), node.offset);
            ReplaceChild(level - 1, one);
        }
        return;
    }

    if (isRoot) {
        ChildList all;
        all.raw = node.raw;
        all.count = node.count;
        GrowRoot(all, false);
        return;
    }
    // Split this interior node: new pages take the lower groups, the page keeps the last.
    const uint32_t groups = (node.count + cap - 1) / cap;
    std::vector<uint32_t> pages(groups);
    for (uint32_t g = 0; g + 1 < groups; ++g)
        pages[g] = file_.AllocatePage();
    pages[groups - 1] = node.offset;
    ChildList up;
    uint32_t first = 0;
    for (uint32_t g = 0; g < groups; ++g) {
        uint32_t size = node.count / groups + (g < node.count % groups);
        uint32_t l = g == 0 ? node.left : pages[g - 1];
        uint32_t r = g + 1 == groups ? node.right : pages[g + 1];
        const uint8_t* raw = node.raw.data() + size_t(first) * es;
        WriteInterior(pages[g], 0, l, r, raw, size);
        const uint8_t* lastEntry = raw + size_t(size - 1) * es;
        AddChild(up, lastEntry, GetBE32(lastEntry + kl), pages[g]);
        first += size;
    }
    if (node.left != kNoPage)
        SetSiblingLink(node.left, false, node.offset, pages[0]);
    ReplaceChild(level - 1, up);
}

void CdxTag::SetSiblingLink(uint32_t offset, bool leftLink, uint32_t was, uint32_t value) {
    uint8_t page[kPageSize];
    ReadNode(offset, page, offset);
    if (Get32(page + (leftLink ? 4 : 8)) != was)
        Fail(offset, std::string(leftLink ? "left" : "right") + " sibling link is not " + Hex(was) +
                         ", the page that links here");
    Put32(page + (leftLink ? 4 : 8), value);
    file_.WritePage(offset, page);
}

void CdxTag::RemoveNode(uint32_t offset, uint32_t left, uint32_t right) {
    if (left != kNoPage)
        SetSiblingLink(left, false, offset, right);
    if (right != kNoPage)
        SetSiblingLink(right, true, offset, left);
    file_.FreePage(offset);
}

bool CdxTag::MergeLeaf(LeafNode& leaf) {
    // A leaf left under a quarter full joins a neighbour under the same parent when the two
    // fill at most three quarters of a page, so deletes do not leave a sparse tree behind
    // (and the margin keeps the next insert from splitting it straight away).
    if (path_.empty() || leaf.count == 0)
        return false;
    packer_.Prepare(leaf, pad_, CompressTrail());
    if (packer_.SliceBytes(0, leaf.count, leaf.layout.entryBytes) * 4 > kLeafSpace)
        return false;
    const PathStep step = path_.back();
    uint8_t page[kPageSize];
    ReadNode(step.offset, page, step.offset);
    const uint32_t parentCount = InteriorCount(step.offset, page);
    const uint16_t kl = info_.keyLength;
    auto childAt = [&](uint32_t i) {
        return GetBE32(page + kNodeHeaderSize + i * InteriorEntrySize(kl) + kl + 4);
    };
    bool intoRight;
    if (step.index + 1 < parentCount && childAt(step.index + 1) == leaf.right)
        intoRight = true;
    else if (step.index > 0 && childAt(step.index - 1) == leaf.left)
        intoRight = false;
    else
        return false;
    ReadLeaf(intoRight ? leaf.right : leaf.left, sibling_, leaf.offset);
    if ((intoRight ? sibling_.left : sibling_.right) != leaf.offset)
        return false;

    const LeafNode& lower = intoRight ? leaf : sibling_;
    const LeafNode& upper = intoRight ? sibling_ : leaf;
    merged_.keyLength = kl;
    merged_.count = lower.count + upper.count;
    merged_.keys.assign(lower.keys.begin(), lower.keys.begin() + size_t(lower.count) * kl);
    merged_.keys.insert(merged_.keys.end(), upper.keys.begin(),
                        upper.keys.begin() + size_t(upper.count) * kl);
    merged_.recnos.assign(lower.recnos.begin(), lower.recnos.begin() + lower.count);
    merged_.recnos.insert(merged_.recnos.end(), upper.recnos.begin(),
                          upper.recnos.begin() + upper.count);
    merged_.layout = lower.layout.recBits >= upper.layout.recBits ? lower.layout : upper.layout;
    packer_.Prepare(merged_, pad_, CompressTrail());
    if (packer_.SliceBytes(0, merged_.count, merged_.layout.entryBytes) * 4 > kLeafSpace * 3)
        return false;

    const uint32_t keep = sibling_.offset;
    const uint32_t left = intoRight ? leaf.left : sibling_.left;
    const uint32_t right = intoRight ? sibling_.right : leaf.right;
    packer_.Write(merged_, 0, merged_.count, merged_.layout, kAttrLeaf, left, right, page);
    file_.WritePage(keep, page);
    if (intoRight && left != kNoPage)
        SetSiblingLink(left, false, leaf.offset, keep);
    if (!intoRight && right != kNoPage)
        SetSiblingLink(right, true, leaf.offset, keep);
    file_.FreePage(leaf.offset);

    ChildList pieces;
    if (intoRight) { // the kept page's last key, and so its parent entry, stay the same
        ReplaceChild(path_.size() - 1, pieces, 1);
    } else {
        path_.back().index = step.index - 1;
        AddChild(pieces, merged_.Key(merged_.count - 1), merged_.recnos[merged_.count - 1], keep);
        ReplaceChild(path_.size() - 1, pieces, 2);
    }
    return true;
}

void CdxTag::CollapseRoot() {
    // A root with a single child adds a level for nothing: pull the child up into the root.
    uint8_t page[kPageSize];
    uint8_t child[kPageSize];
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        ReadNode(root_, page, headerOffset_);
        if ((Get16(page) & kAttrLeaf) || Get16(page + 2) != 1)
            return;
        uint32_t childOff = GetBE32(page + kNodeHeaderSize + info_.keyLength + 4);
        ReadNode(childOff, child, root_);
        bool leaf = Get16(child) & kAttrLeaf;
        Put16(child, leaf ? RootLeafAttr() : kAttrRoot);
        Put32(child + 4, kNoPage);
        Put32(child + 8, kNoPage);
        file_.WritePage(root_, child);
        file_.FreePage(childOff);
    }
}

} // namespace hk::db
