#pragma once
// Page-level encoding of CDX index nodes: the 512-byte page layout, leaf key compression
// (packed record/duplicate/trailing counts plus key text) and fixed-size interior entries.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace hk::db::cdx {

constexpr uint32_t kPageSize = 512;
constexpr uint32_t kNoPage = 0xFFFFFFFF;
constexpr uint32_t kLeafHeaderSize = 24;
constexpr uint32_t kLeafSpace = kPageSize - kLeafHeaderSize; // entries + key text
constexpr uint32_t kNodeHeaderSize = 12;
constexpr uint32_t kInteriorSpace = kPageSize - kNodeHeaderSize;
constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;
constexpr uint16_t kAttrVfpRootLeaf = 0x04; // VFP 8+ marks the root leaf of ordinary tags
constexpr uint16_t kMaxKeyLength = 240;
constexpr size_t kKeySlack = 8; // spare bytes after decoded keys for word-wide copies

inline uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Get32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint32_t GetBE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutBE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Unsigned key order with ties broken by record number.
inline int CompareEntry(const uint8_t* a, uint32_t ra, const uint8_t* b, uint32_t rb,
                        size_t keyLength) {
    int c = std::memcmp(a, b, keyLength);
    if (c != 0)
        return c;
    return ra < rb ? -1 : ra > rb ? 1 : 0;
}

// Number of bits needed to write n (0 for 0).
int BitsFor(uint64_t n);

// Bit widths of the packed entries of one leaf page.
struct LeafLayout {
    uint8_t recBits = 0;
    uint8_t dupBits = 0;
    uint8_t trailBits = 0;
    uint8_t entryBytes = 0;

    uint32_t RecMask() const { return recBits >= 32 ? 0xFFFFFFFFu : (1u << recBits) - 1; }
    bool Holds(uint32_t recno) const { return recno <= RecMask(); }
    bool operator==(const LeafLayout&) const = default;
};

// The widths FoxPro picks: duplicate and trailing counts wide enough for the key length,
// record numbers wide enough for maxRecno (and at least minRecBits), rounded up to whole
// bytes. VFP uses no minimum; FoxPro 2.x files look like a minimum of 12.
LeafLayout LayoutFor(uint16_t keyLength, uint32_t maxRecno, int minRecBits = 0);

// A leaf page decoded into full fixed-length keys; also the entries to encode into pages.
struct LeafNode {
    uint32_t offset = 0;
    uint16_t attr = 0;
    uint32_t left = kNoPage;
    uint32_t right = kNoPage;
    LeafLayout layout;
    uint16_t keyLength = 0;
    uint32_t count = 0;
    std::vector<uint8_t> keys; // count * keyLength bytes (+ kKeySlack when decoded)
    std::vector<uint32_t> recnos;
    uint32_t freeSpace = 0;
    // With keepDetail, decoding also keeps the page and each entry's compression, so that a
    // single insert or remove can edit the page in place instead of encoding it again.
    bool keepDetail = false;
    uint8_t page[kPageSize];
    std::vector<uint8_t> dups, trails;
    std::vector<uint16_t> textAt; // where each entry's stored text starts

    const uint8_t* Key(uint32_t i) const { return keys.data() + size_t(i) * keyLength; }
    std::string_view KeyView(uint32_t i) const {
        return {reinterpret_cast<const char*>(Key(i)), keyLength};
    }
    // First position whose entry is >= (key, recno); count when all are smaller.
    uint32_t LowerBound(const uint8_t* key, uint32_t recno) const;
    void InsertAt(uint32_t pos, const uint8_t* key, uint32_t recno);
    void EraseAt(uint32_t pos);
    uint32_t MaxRecno() const;
};

// Trailing pad bytes of a key, and the bytes two keys share at the front (at most limit).
inline uint32_t TrailOf(const uint8_t* key, uint32_t keyLength, uint8_t pad) {
    uint32_t t = 0;
    while (t < keyLength && key[keyLength - 1 - t] == pad)
        ++t;
    return t;
}
inline uint32_t SharedPrefix(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t d = 0;
    while (d < limit && a[d] == b[d])
        ++d;
    return d;
}
inline void PutPacked(uint8_t* at, const LeafLayout& l, uint32_t recno, uint32_t dup,
                      uint32_t trail) {
    uint64_t v = recno | uint64_t(dup) << l.recBits | uint64_t(trail) << (l.recBits + l.dupBits);
    std::memcpy(at, &v, l.entryBytes);
}

// Decodes a leaf page. Returns nullptr, or what makes the page impossible.
const char* DecodeLeaf(const uint8_t* page, uint16_t keyLength, uint8_t pad, LeafNode& out);

// Compression of a run of sorted entries: the trailing-pad and shared-prefix counts of each
// entry, so the size of any slice as one page is known without encoding it.
class LeafPacker {
public:
    // compressTrail is off only for FoxPro 2.x character tags with a FOR clause.
    void Prepare(const LeafNode& entries, uint8_t pad, bool compressTrail);
    // Bytes that entries [first, last) take in one page (packed entries plus key text).
    uint32_t SliceBytes(uint32_t first, uint32_t last, uint8_t entryBytes) const;
    bool Fits(uint32_t first, uint32_t last, uint8_t entryBytes) const {
        return SliceBytes(first, last, entryBytes) <= kLeafSpace;
    }
    // Cuts [0, count) into slices that each fit a page: as few as possible, sizes balanced.
    // `ends` receives the end index of every slice.
    void Split(uint32_t count, uint8_t entryBytes, std::vector<uint32_t>& ends) const;
    // Greedy left-to-right fill, for bulk builds.
    void FillGreedy(uint32_t count, uint8_t entryBytes, std::vector<uint32_t>& ends) const;
    // Writes entries [first, last) as a whole page.
    void Write(const LeafNode& entries, uint32_t first, uint32_t last, const LeafLayout& layout,
               uint16_t attr, uint32_t left, uint32_t right, uint8_t* page) const;

private:
    uint16_t keyLength_ = 0;
    std::vector<uint8_t> trail_;
    std::vector<uint8_t> dup_;        // shared prefix with the previous entry
    std::vector<uint32_t> storedSum_; // prefix sums of stored text when not first in page
};

// Interior entries: full key, BE record number, BE child offset.
inline uint32_t InteriorEntrySize(uint16_t keyLength) {
    return keyLength + 8u;
}
inline uint32_t InteriorCapacity(uint16_t keyLength) {
    return kInteriorSpace / InteriorEntrySize(keyLength);
}

// An interior page read into memory: raw entries as they are on the page.
struct InteriorNode {
    uint32_t offset = 0;
    uint16_t attr = 0;
    uint32_t left = kNoPage;
    uint32_t right = kNoPage;
    uint16_t keyLength = 0;
    uint32_t count = 0;
    std::vector<uint8_t> raw;

    uint32_t EntrySize() const { return InteriorEntrySize(keyLength); }
    const uint8_t* Entry(uint32_t i) const { return raw.data() + size_t(i) * EntrySize(); }
    const uint8_t* Key(uint32_t i) const { return Entry(i); }
    uint32_t Recno(uint32_t i) const { return GetBE32(Entry(i) + keyLength); }
    uint32_t Child(uint32_t i) const { return GetBE32(Entry(i) + keyLength + 4); }
    void Read(const uint8_t* page, uint32_t pageOffset, uint16_t keyLen);
    void Write(uint8_t* page) const; // whole page, zero filled past the entries
};

// Binary search on the page bytes: first entry >= (key, recno), or count.
uint32_t InteriorLowerBound(const uint8_t* page, uint16_t keyLength, uint32_t count,
                            const uint8_t* key, uint32_t recno);

} // namespace hk::db::cdx
