#include "xbase/cdx/cdx_node.h"

#include <algorithm>
#include <bit>

namespace hk::db::cdx {

static_assert(std::endian::native == std::endian::little,
              "leaf entries are unpacked with little-endian loads");

int BitsFor(uint64_t n) {
    return n == 0 ? 0 : 64 - std::countl_zero(n);
}

LeafLayout LayoutFor(uint16_t keyLength, uint32_t maxRecno, int minRecBits) {
    LeafLayout l;
    l.dupBits = l.trailBits = static_cast<uint8_t>(BitsFor(keyLength));
    int rec = std::max(BitsFor(std::max<uint32_t>(maxRecno, 1)), minRecBits);
    while ((rec + 2 * l.dupBits) % 8 != 0)
        ++rec;
    if (rec > 32) {
        // The record mask is a 32-bit header field: round up with the count fields instead.
        rec = 32;
        while ((rec + l.dupBits + l.trailBits) % 8 != 0) {
            if (l.dupBits <= l.trailBits)
                ++l.dupBits;
            else
                ++l.trailBits;
        }
    }
    l.recBits = static_cast<uint8_t>(rec);
    l.entryBytes = static_cast<uint8_t>((rec + l.dupBits + l.trailBits) / 8);
    return l;
}

uint32_t LeafNode::LowerBound(const uint8_t* key, uint32_t recno) const {
    uint32_t lo = 0, hi = count;
    while (lo < hi) {
        uint32_t mid = (lo + hi) / 2;
        if (CompareEntry(Key(mid), recnos[mid], key, recno, keyLength) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void LeafNode::InsertAt(uint32_t pos, const uint8_t* key, uint32_t recno) {
    keys.insert(keys.begin() + size_t(pos) * keyLength, key, key + keyLength);
    recnos.insert(recnos.begin() + pos, recno);
    ++count;
}

void LeafNode::EraseAt(uint32_t pos) {
    auto at = keys.begin() + size_t(pos) * keyLength;
    keys.erase(at, at + keyLength);
    recnos.erase(recnos.begin() + pos);
    --count;
}

uint32_t LeafNode::MaxRecno() const {
    uint32_t m = 0;
    for (uint32_t i = 0; i < count; ++i)
        m = std::max(m, recnos[i]);
    return m;
}

namespace {

// Word-at-a-time copies for the short runs of key bytes: they may write up to 7 bytes past
// dst + n (key buffers keep that much slack, and later writes overwrite the spill).
inline void CopyWords(uint8_t* dst, const uint8_t* src, size_t n) {
    for (size_t i = 0; i < n; i += 8) {
        uint64_t w;
        std::memcpy(&w, src + i, 8);
        std::memcpy(dst + i, &w, 8);
    }
}

inline void FillWords(uint8_t* dst, uint64_t word, size_t n) {
    for (size_t i = 0; i < n; i += 8)
        std::memcpy(dst + i, &word, 8);
}

} // namespace

const char* DecodeLeaf(const uint8_t* page, uint16_t keyLength, uint8_t pad, LeafNode& out) {
    out.attr = Get16(page);
    out.count = Get16(page + 2);
    out.left = Get32(page + 4);
    out.right = Get32(page + 8);
    out.keyLength = keyLength;
    uint32_t freeSpace = Get16(page + 12);
    uint32_t recMask = Get32(page + 14);
    LeafLayout& l = out.layout;
    l.recBits = page[20];
    l.dupBits = page[21];
    l.trailBits = page[22];
    l.entryBytes = page[23];
    if (l.entryBytes == 0 || l.entryBytes > 6)
        return "packed entry size is not 1 to 6 bytes";
    if (l.recBits + l.dupBits + l.trailBits != l.entryBytes * 8)
        return "bit widths do not add up to the packed entry size";
    if (l.recBits == 0 || l.recBits > 32 || l.dupBits > 8 || l.trailBits > 8)
        return "impossible bit widths";
    if (recMask != l.RecMask() || page[18] != (1u << l.dupBits) - 1 ||
        page[19] != (1u << l.trailBits) - 1)
        return "masks do not match the bit widths";
    if (out.count * l.entryBytes > kLeafSpace)
        return "key count too large for the page";

    const uint32_t n = out.count;
    out.keys.resize(size_t(n) * keyLength + kKeySlack);
    out.recnos.resize(n);
    const bool detail = out.keepDetail;
    if (detail) {
        std::memcpy(out.page, page, kPageSize);
        out.dups.resize(n);
        out.trails.resize(n);
        out.textAt.resize(n);
    }
    const uint32_t entriesEnd = kLeafHeaderSize + n * l.entryBytes;
    const uint32_t dupShift = l.recBits;
    const uint32_t trailShift = l.recBits + l.dupBits;
    const uint32_t dupMask = (1u << l.dupBits) - 1;
    const uint32_t trailMask = (1u << l.trailBits) - 1;
    uint32_t textStart = kPageSize;
    const uint64_t padWord = 0x0101010101010101ull * pad;
    const uint8_t* packed = page + kLeafHeaderSize;
    uint8_t* key = out.keys.data();
    for (uint32_t i = 0; i < n; ++i, packed += l.entryBytes, key += keyLength) {
        uint64_t v = 0;
        std::memcpy(&v, packed, l.entryBytes);
        out.recnos[i] = static_cast<uint32_t>(v) & recMask;
        uint32_t dup = static_cast<uint32_t>(v >> dupShift) & dupMask;
        uint32_t trail = static_cast<uint32_t>(v >> trailShift) & trailMask;
        if (dup + trail > keyLength)
            return "duplicate and trailing counts exceed the key length";
        if (i == 0 && dup != 0)
            return "the first key shares bytes with a key before it";
        uint32_t stored = keyLength - dup - trail;
        if (textStart < entriesEnd + stored)
            return "key text overlaps the packed entries";
        textStart -= stored;
        if (dup)
            CopyWords(key, key - keyLength, dup);
        if (textStart + stored + 8 <= kPageSize)
            CopyWords(key + dup, page + textStart, stored);
        else
            std::memcpy(key + dup, page + textStart, stored);
        if (trail)
            FillWords(key + dup + stored, padWord, trail);
        if (detail) {
            out.dups[i] = static_cast<uint8_t>(dup);
            out.trails[i] = static_cast<uint8_t>(trail);
            out.textAt[i] = static_cast<uint16_t>(textStart);
        }
    }
    if (freeSpace != textStart - entriesEnd)
        return "free space count does not match the entries";
    out.freeSpace = freeSpace;
    return nullptr;
}

void LeafPacker::Prepare(const LeafNode& entries, uint8_t pad, bool compressTrail) {
    const uint32_t n = entries.count;
    const uint16_t kl = keyLength_ = entries.keyLength;
    trail_.resize(n);
    dup_.resize(n);
    storedSum_.resize(size_t(n) + 1);
    storedSum_[0] = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* key = entries.Key(i);
        uint32_t t = compressTrail ? TrailOf(key, kl, pad) : 0;
        trail_[i] = static_cast<uint8_t>(t);
        uint32_t d = 0;
        if (i > 0) // shared bytes may not come from either key's trailing pad
            d = SharedPrefix(key - kl, key, kl - std::max<uint32_t>(t, trail_[i - 1]));
        dup_[i] = static_cast<uint8_t>(d);
        storedSum_[i + 1] = storedSum_[i] + (kl - d - t);
    }
}

uint32_t LeafPacker::SliceBytes(uint32_t first, uint32_t last, uint8_t entryBytes) const {
    if (first >= last)
        return 0;
    return (last - first) * entryBytes + (keyLength_ - trail_[first]) + storedSum_[last] -
           storedSum_[first + 1];
}

void LeafPacker::FillGreedy(uint32_t count, uint8_t entryBytes, std::vector<uint32_t>& ends) const {
    ends.clear();
    uint32_t first = 0;
    while (first < count) {
        uint32_t last = first + 1; // one entry always fits: 240 + 6 < 488
        while (last < count && Fits(first, last + 1, entryBytes))
            ++last;
        ends.push_back(last);
        first = last;
    }
}

void LeafPacker::Split(uint32_t count, uint8_t entryBytes, std::vector<uint32_t>& ends) const {
    FillGreedy(count, entryBytes, ends);
    const size_t pages = ends.size();
    if (pages <= 1)
        return;
    // Same number of pages, but each filled to about an equal share so that neither half
    // splits again on the next insert.
    const uint64_t total = SliceBytes(0, count, entryBytes);
    std::vector<uint32_t> balanced;
    uint32_t first = 0;
    for (size_t p = 0; p + 1 < pages && first < count; ++p) {
        uint64_t target = total * (p + 1) / pages;
        uint32_t last = first + 1;
        while (last < count && Fits(first, last + 1, entryBytes) &&
               SliceBytes(0, last + 1, entryBytes) <= target)
            ++last;
        balanced.push_back(last);
        first = last;
    }
    if (first < count && Fits(first, count, entryBytes)) {
        balanced.push_back(count);
        ends.swap(balanced);
    }
}

void LeafPacker::Write(const LeafNode& entries, uint32_t first, uint32_t last,
                       const LeafLayout& layout, uint16_t attr, uint32_t left, uint32_t right,
                       uint8_t* page) const {
    std::memset(page, 0, kPageSize);
    Put16(page, attr);
    Put16(page + 2, static_cast<uint16_t>(last - first));
    Put32(page + 4, left);
    Put32(page + 8, right);
    const uint16_t kl = keyLength_;
    uint32_t pos = kLeafHeaderSize;
    uint32_t textStart = kPageSize;
    for (uint32_t i = first; i < last; ++i) {
        uint32_t d = i == first ? 0 : dup_[i];
        uint32_t t = trail_[i];
        uint32_t stored = kl - d - t;
        PutPacked(page + pos, layout, entries.recnos[i], d, t);
        pos += layout.entryBytes;
        textStart -= stored;
        std::memcpy(page + textStart, entries.Key(i) + d, stored);
    }
    Put16(page + 12, static_cast<uint16_t>(textStart - pos));
    Put32(page + 14, layout.RecMask());
    page[18] = static_cast<uint8_t>((1u << layout.dupBits) - 1);
    page[19] = static_cast<uint8_t>((1u << layout.trailBits) - 1);
    page[20] = layout.recBits;
    page[21] = layout.dupBits;
    page[22] = layout.trailBits;
    page[23] = layout.entryBytes;
}

void InteriorNode::Read(const uint8_t* page, uint32_t pageOffset, uint16_t keyLen) {
    offset = pageOffset;
    keyLength = keyLen;
    attr = Get16(page);
    count = Get16(page + 2);
    left = Get32(page + 4);
    right = Get32(page + 8);
    raw.assign(page + kNodeHeaderSize, page + kNodeHeaderSize + size_t(count) * EntrySize());
}

void InteriorNode::Write(uint8_t* page) const {
    std::memset(page, 0, kPageSize);
    Put16(page, attr);
    Put16(page + 2, static_cast<uint16_t>(count));
    Put32(page + 4, left);
    Put32(page + 8, right);
    std::memcpy(page + kNodeHeaderSize, raw.data(), size_t(count) * EntrySize());
}

uint32_t InteriorLowerBound(const uint8_t* page, uint16_t keyLength, uint32_t count,
                            const uint8_t* key, uint32_t recno) {
    const uint8_t* base = page + kNodeHeaderSize;
    const uint32_t size = InteriorEntrySize(keyLength);
    uint32_t lo = 0, hi = count;
    while (lo < hi) {
        uint32_t mid = (lo + hi) / 2;
        const uint8_t* e = base + size_t(mid) * size;
        if (CompareEntry(e, GetBE32(e + keyLength), key, recno, keyLength) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace hk::db::cdx
