#pragma once
// A compound index file (.cdx, or .dcx for a database container): the directory of tags and
// the 512-byte pages they share. Opens and validates FoxPro 2.x and Visual FoxPro files,
// creates new ones, builds tags in bulk and hands out the tags for maintenance.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/file.h"
#include "xbase/index_types.h"
#include "xbase/io/paged_file.h"

namespace hk::db {

// Which writer the file should look like: page attributes, statistics, compression quirks.
enum class CdxFlavor { Fox2, Vfp };

struct NewTag {
    std::string name;
    std::string keyExpr;
    std::string forExpr;
    bool descending = false;
    bool unique = false;
    bool candidate = false;
    uint16_t keyLength = 0;
    uint8_t padByte = ' '; // ' ' for character keys, 0 for every other type
    // Records in the table; sizes the leaf record-number fields like FoxPro does. 0 = use the
    // highest record number among the entries.
    uint32_t recordCount = 0;
    // Bytes of the level above the leaves a build holds in memory (one entry per leaf); the
    // rest wait in a temporary file beside the index, made through `spillFs` (the default
    // file system when null).
    size_t levelMemory = 64u << 10;
    FileSystem* spillFs = nullptr;
};

class CdxTag;

// Sorted entries handed to a bulk build one at a time, so a tag of any size can be built
// without holding all its keys in memory.
class KeySource {
public:
    virtual ~KeySource() = default;
    // The next entry in (key, recno) order; false at the end.
    virtual bool Next(KeyEntry& out) = 0;
};

class CdxFile {
public:
    // Opens the file and checks its header, the tag directory and every tag header; a damaged
    // file raises DbError(kErrIndex) naming the tag, page and fault. Tree nodes are checked when
    // first read, and the layout of the whole file (pages owned once, links, the free list)
    // before its first change. Writable opens take the file's lock. The flavor is detected from
    // the file unless given.
    // Pages and node cache draw on `pool` (the file's own when null).
    static std::unique_ptr<CdxFile> Open(FileSystem& fs, const std::string& path, bool writable,
                                         std::optional<CdxFlavor> flavor = std::nullopt,
                                         std::shared_ptr<PagePool> pool = nullptr);
    // Creates an empty file (directory only), replacing any file at `path`.
    static std::unique_ptr<CdxFile> Create(FileSystem& fs, const std::string& path,
                                           CdxFlavor flavor,
                                           std::shared_ptr<PagePool> pool = nullptr);
    ~CdxFile(); // flushes; errors are swallowed (call Flush to see them)

    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

    size_t TagCount() const { return tags_.size(); }
    // Tags in creation order (ascending tag-header offset), the order FoxPro numbers them.
    CdxTag& TagAt(size_t i) { return *tags_.at(i); }
    // Case-insensitive; nullptr when there is no such tag.
    CdxTag* FindTag(std::string_view name);
    // Builds a tag from entries sorted by (key bytes, recno). Unique tags keep the first entry
    // of each key; a candidate tag with a repeated key fails with kErrUnique before writing.
    CdxTag& AddTag(const NewTag& tagDef, const std::vector<KeyEntry>& sorted);
    // The same from a stream. tagDef.recordCount must be at least the highest record number.
    CdxTag& AddTag(const NewTag& tagDef, KeySource& sorted);

    // Writes every change: pages first, then tag statistics, free list and update counter.
    void Flush();
    // Flush, then forced to the disk.
    void Sync();
    // Structural check of every tag and the free list; the first fault as text.
    bool Check(std::string* fault);
    // Once, before the first change: the layout of the whole file (see CheckLayout), which
    // changes rely on beyond the nodes they read; DbError(kErrIndex) when it is damaged.
    void CheckBeforeWrite();
    // Node pages checked on their own since open (each once), for tests of the lazy checks.
    uint64_t NodesChecked() const { return nodesChecked_; }

    bool Writable() const { return pages_->Writable(); }
    void SetCacheLimit(size_t bytes) { pages_->SetMaxCachedBytes(bytes); }
    const std::string& Path() const { return path_; }
    CdxFlavor Flavor() const { return flavor_; }
    // The tag of tags: tag names (blank padded to 10) with their header offsets as "recnos".
    CdxTag& Directory() { return *directory_; }

private:
    friend class CdxTag;
    friend class CdxCursor;
    CdxFile(std::string path, std::unique_ptr<PagedFile> pages);
    // `owners` marks the pages already claimed (headers, nodes), to find pages used twice.
    void LoadTags(std::vector<uint8_t>& owners);
    void DetectFlavor();
    void CheckFreeList(std::vector<uint8_t>& owners);
    // Every tag and the free list; `leaves` also decodes every leaf (else only their headers).
    void CheckLayout(bool leaves);

    // Pages whose node passed its own check (kNodeChecked) and its place under its parent
    // (kNodePlaced) since open.
    static constexpr uint8_t kNodeChecked = 1, kNodePlaced = 2;
    bool NodeMarked(uint32_t offset, uint8_t mark) const {
        size_t p = offset / kNodeMarkUnit;
        return p < nodeMarks_.size() && (nodeMarks_[p] & mark);
    }
    void MarkNode(uint32_t offset, uint8_t mark);
    void ForgetNodeMarks() { nodeMarks_.assign(nodeMarks_.size(), 0); }
    static constexpr uint32_t kNodeMarkUnit = 512;

    // Page services for the tags.
    void ReadPage(uint32_t offset, uint8_t* buf, const CdxTag& tag, uint32_t from);
    void WritePage(uint32_t offset, const uint8_t* buf);
    uint32_t AllocatePage();
    void FreePage(uint32_t offset);
    void NoteChange() { changed_ = true; }
    bool ValidPage(uint32_t offset) const;
    [[noreturn]] void Fail(const std::string& what) const;

    // A small direct-mapped copy of recently used node pages in front of the page cache: the
    // upper levels of every tag stay here, so descents skip the page cache's hash lookups.
    // Sized from the pool and counted in it.
    struct CachedNode {
        uint32_t offset = 0; // 0 = empty (no node lives at offset 0)
        uint8_t bytes[512];
    };
    static constexpr size_t kMaxNodeCacheSlots = 2048;
    CachedNode& NodeSlot(uint32_t offset) { return nodeCache_[(offset / 512) & nodeMask_]; }

    std::string path_;
    std::unique_ptr<PagedFile> pages_;
    std::vector<CachedNode> nodeCache_;
    size_t nodeMask_ = 0;
    CdxFlavor flavor_ = CdxFlavor::Vfp;
    std::unique_ptr<CdxTag> directory_;
    std::vector<std::unique_ptr<CdxTag>> tags_;
    uint32_t freeHead_ = 0;
    uint32_t updateCounter_ = 0;
    bool changed_ = false;
    bool layoutChecked_ = false; // CheckBeforeWrite passed
    std::vector<uint8_t> nodeMarks_;
    uint64_t nodesChecked_ = 0;
};

} // namespace hk::db
