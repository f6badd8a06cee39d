#pragma once
// One tag of a compound index: a B-tree of (key bytes, record number) entries in unsigned
// byte order. Keeps the tree FoxPro-compatible through inserts and removes.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_node.h"

namespace hk::db {

class CdxTag {
public:
    const TagInfo& Info() const { return info_; }
    uint16_t KeyLength() const { return info_.keyLength; }
    // The byte that fills character keys (blank) or binary keys (0). The file does not record
    // the key type: a guess is made on open, and the table layer sets it from the key type.
    uint8_t PadByte() const { return pad_; }
    void SetPadByte(uint8_t pad);
    bool MachineCollation() const { return info_.collation.empty(); }
    uint32_t HeaderOffset() const { return headerOffset_; }

    // key must be exactly KeyLength() bytes. Returns false when a UNIQUE tag already holds the
    // key (the entry is not added, as FoxPro does); a candidate tag raises kErrUnique instead.
    // Non-MACHINE tags and read-only files raise an error before anything is written.
    bool Insert(std::string_view key, uint32_t recno);
    // False when the entry is not there.
    bool Remove(std::string_view key, uint32_t recno);

    // The whole tag in order (for checks and tools).
    std::vector<KeyEntry> Entries();
    // Walks the whole tree: node contents, links, key order, parent keys. `exact` also
    // demands that every parent key equals its child's last key (as this engine writes them;
    // a looser "not below" is enough to search correctly). A loose check of a tree unchanged
    // since it last passed one (as after CdxFile::Check) passes at once.
    bool Check(std::string* fault, bool exact = false);

    // Number of entries and of distinct keys: counted by a check of the whole tag on first use
    // (which raises DbError on a damaged tree), then kept up to date.
    uint32_t KeyCount() {
        Count();
        return keyCount_;
    }
    uint32_t DistinctCount() {
        Count();
        return distinctCount_;
    }
    // Bumped by every change, so cursors know to find their place again.
    uint64_t ModCount() const { return modCount_; }

private:
    friend class CdxFile;
    friend class CdxCursor;

    struct PathStep {
        uint32_t offset;
        uint32_t index;
    };
    // Children that replace one entry of an interior node, as raw interior entries.
    struct ChildList {
        std::vector<uint8_t> raw;
        uint32_t count = 0;
    };

    CdxTag(CdxFile& file, uint32_t headerOffset, bool directory);
    void LoadHeader(const uint8_t* header); // 1024 bytes
    static void WriteNewHeader(uint8_t* header, const NewTag& tagDef, uint32_t root,
                               bool directory);
    // Writes the tree of a new tag from sorted entries (the root page first, right after the
    // header); sets root_ and the statistics.
    void BulkBuild(const NewTag& tagDef, KeySource& entries);
    void WriteStats();
    [[noreturn]] void Fail(uint32_t page, const std::string& what) const;

    // Reading.
    // `from` is the page (or header) holding the pointer, for the message when it is bad.
    // A leaf is decoded into `leaf` when given. The first read of a page since open checks the
    // node on its own (VerifyNode).
    void ReadNode(uint32_t offset, uint8_t* page, uint32_t from, cdx::LeafNode* leaf = nullptr);
    // Header fields, links and child pointers in range, entries in order; `leaf` is the page
    // decoded when it is a leaf.
    void VerifyNode(uint32_t offset, const uint8_t* page, const cdx::LeafNode* leaf) const;
    // A node reached from its parent (none for the root): root mark, sibling links and keys
    // against the parent's entries. Once per page.
    void CheckPlace(uint32_t offset, const uint8_t* page, const cdx::LeafNode* leaf,
                    const uint8_t* parent, uint32_t index);
    // Reads the sibling pages of a leaf about to change, so that a damaged one stops the change
    // before anything is written.
    void CheckNeighbours(const cdx::LeafNode& leaf);
    void ReadLeaf(uint32_t offset, cdx::LeafNode& leaf, uint32_t from);
    void DecodeLeafPage(uint32_t offset, const uint8_t* page, cdx::LeafNode& leaf) const;
    uint32_t InteriorCount(uint32_t offset, const uint8_t* page) const;
    // Descends to the leaf where (key, recno) is or would go; path receives the interior
    // steps when given.
    void Descend(const uint8_t* key, uint32_t recno, std::vector<PathStep>* path,
                 cdx::LeafNode& leaf) {
        DescendTo(key, recno, false, path, leaf);
    }
    // Descends to the first or the last leaf.
    void DescendEdge(bool last, cdx::LeafNode& leaf) { DescendTo(nullptr, 0, last, nullptr, leaf); }
    // Both of the above: with no key, along the first or last child.
    void DescendTo(const uint8_t* key, uint32_t recno, bool last, std::vector<PathStep>* path,
                   cdx::LeafNode& leaf);
    // Moves to the next/previous non-empty leaf; false at the end of the tag.
    bool StepLeaf(bool forward, cdx::LeafNode& leaf);
    // Whether the entries at `before` / `after` (or the sibling pages past the ends) hold key.
    bool NeighbourHasKey(const cdx::LeafNode& leaf, int before, uint32_t after, const uint8_t* key);

    // Writing.
    void CheckWritable(std::string_view key, uint32_t recno) const;
    bool InsertInPlace(cdx::LeafNode& leaf, uint32_t pos, const uint8_t* key, uint32_t recno);
    bool RemoveInPlace(cdx::LeafNode& leaf, uint32_t pos);
    void StoreLeaf(cdx::LeafNode& leaf, bool lastChanged, uint32_t insertedAt);
    // Replaces `replaced` entries from path_[level].index on with `pieces`; splits, removes
    // or re-keys nodes up the path as needed.
    void ReplaceChild(size_t level, ChildList& pieces, uint32_t replaced = 1);
    bool MergeLeaf(cdx::LeafNode& leaf);
    cdx::LeafLayout Layout(uint32_t maxRecno) const;
    void RemoveNode(uint32_t offset, uint32_t left, uint32_t right);
    // Sets a link of `offset` that must read `was` (the page being split, merged or removed).
    void SetSiblingLink(uint32_t offset, bool leftLink, uint32_t was, uint32_t value);
    void CollapseRoot();
    // Writes `pieces` as the root's children, adding levels while they do not fit one node.
    void GrowRoot(ChildList& pieces, bool fillFull);
    // Writes one level of interior nodes over `count` children, which `next(n)` hands out n
    // raw entries at a time, in order; returns the entries of the level above.
    ChildList WriteLevel(uint32_t count, bool fillFull,
                         const std::function<const uint8_t*(uint32_t)>& next);
    void WriteInterior(uint32_t offset, uint16_t attr, uint32_t left, uint32_t right,
                       const uint8_t* raw, uint32_t count);
    uint16_t RootLeafAttr() const;
    bool CompressTrail() const;
    void AddChild(ChildList& list, const uint8_t* key, uint32_t recno, uint32_t child) const;

    // Checking (cdx_check.cpp).
    // Throws DbError on the first fault; on success with `leaves` sets the key statistics.
    // `owners` (optional) marks every page of the tree and catches pages claimed twice. Without
    // `leaves` only the headers of leaves are read (links, level, root mark): the layout.
    void CheckTree(bool exact, std::vector<uint8_t>* owners, bool leaves = true);
    // On open: the pad byte from the two edge leaves (the guess decides how trailing bytes are
    // rebuilt; the table layer sets it from the key type).
    uint8_t GuessPad();
    void Count();
    // CheckTree of everything; with a guessed pad byte, retried with the other one when only
    // the key order was wrong.
    void CheckWhole(std::vector<uint8_t>& owners);

    CdxFile& file_;
    uint32_t headerOffset_;
    bool directory_;
    TagInfo info_;
    uint32_t root_ = 0;
    uint8_t pad_ = ' ';
    bool hasFor_ = false;
    uint32_t keyCount_ = 0;
    uint32_t distinctCount_ = 0;
    bool statsDirty_ = false;
    uint64_t modCount_ = 0;
    uint64_t checkedAt_ = UINT64_MAX; // modCount_ when the tree last passed its check
    bool counted_ = false;            // keyCount_ and distinctCount_ come from a count
    bool guessing_ = false;           // reading before the pad byte is known: no node checks
    bool padGuessed_ = false;         // pad_ is GuessPad's, not set from the key type
    bool orderFault_ = false;         // the last CheckTree failed on key order

    // Scratch buffers reused by every operation (no allocation in the hot paths).
    std::vector<PathStep> path_;
    cdx::LeafNode leaf_;
    cdx::LeafNode sibling_;
    cdx::LeafNode merged_;
    cdx::LeafNode check_; // a leaf read only to be checked
    cdx::LeafPacker packer_;
    cdx::InteriorNode interior_;
    std::vector<uint32_t> ends_;
    std::string target_;
};

} // namespace hk::db
