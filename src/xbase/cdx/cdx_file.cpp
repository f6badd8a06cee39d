#include "xbase/cdx/cdx_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/text.h"
#include "xbase/cdx/cdx_node.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/cdx/index_key.h"
#include "xbase/db_error.h"

namespace hk::db {

using namespace cdx;

namespace {

constexpr uint32_t kDirectoryRoot = 0x400;
// The file is cached in pages of the data file's size, not of its nodes': pages of one size are
// interchangeable in a shared pool, and memory freed by one file is taken by the next without
// fragmenting the heap.
constexpr uint32_t kCachePageSize = 8192;
constexpr uint32_t kFirstTagHeader = 0x600;

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

bool ValidTagName(std::string_view name) {
    if (name.empty() || name.size() > 10)
        return false;
    auto ok = [](char c, bool first) {
        return (c >= 'A' && c <= 'Z') || c == '_' || (!first && c >= '0' && c <= '9');
    };
    for (size_t i = 0; i < name.size(); ++i)
        if (!ok(name[i], i == 0))
            return false;
    return true;
}

} // namespace

CdxFile::CdxFile(std::string path, std::unique_ptr<PagedFile> pages)
    : path_(std::move(path)), pages_(std::move(pages)) {
    // At most a 64th of the pool, so that many indexes still leave room for pages.
    size_t slots = kMaxNodeCacheSlots;
    while (slots > 16 && slots * sizeof(CachedNode) * 64 > pages_->Pool()->Limit())
        slots /= 2;
    pages_->SetSideBytes(slots * sizeof(CachedNode));
    nodeCache_.resize(slots);
    nodeMask_ = slots - 1;
}

CdxFile::~CdxFile() {
    try {
        Flush();
    } catch (...) {
    }
}

void CdxFile::Fail(const std::string& what) const {
    throw DbError(kErrIndex, path_, what);
}

bool CdxFile::ValidPage(uint32_t offset) const {
    return offset % kPageSize == 0 && offset >= 2 * kPageSize &&
           uint64_t(offset) + kPageSize <= pages_->Size();
}

void CdxFile::ReadPage(uint32_t offset, uint8_t* buf, const CdxTag& tag, uint32_t from) {
    if (!ValidPage(offset))
        tag.Fail(from, "pointer " + Hex(offset) + " is outside the file or misaligned");
    CachedNode& slot = NodeSlot(offset);
    if (slot.offset != offset) {
        pages_->Read(offset, slot.bytes, kPageSize);
        slot.offset = offset;
    }
    std::memcpy(buf, slot.bytes, kPageSize);
}

void CdxFile::MarkNode(uint32_t offset, uint8_t mark) {
    size_t p = offset / kNodeMarkUnit;
    if (p >= nodeMarks_.size())
        nodeMarks_.resize(pages_->Size() / kNodeMarkUnit + 1, 0);
    if (mark == kNodeChecked && !(nodeMarks_[p] & kNodeChecked))
        ++nodesChecked_;
    nodeMarks_[p] |= mark;
}

void CdxFile::WritePage(uint32_t offset, const uint8_t* buf) {
    pages_->Write(offset, buf, kPageSize);
    CachedNode& slot = NodeSlot(offset);
    std::memcpy(slot.bytes, buf, kPageSize);
    slot.offset = offset;
    changed_ = true;
}

uint32_t CdxFile::AllocatePage() {
    if (freeHead_ != 0) {
        uint32_t off = freeHead_;
        if (!ValidPage(off))
            Fail("free list points to " + Hex(off) + ", outside the file");
        uint8_t next[4];
        pages_->Read(off, next, 4);
        freeHead_ = Get32(next) == kNoPage ? 0 : Get32(next);
        changed_ = true;
        return off;
    }
    uint64_t size = pages_->Size();
    if (size + kPageSize > 0xFFFFFFFFull)
        Fail("the index file cannot grow past 4 GB");
    uint8_t zero[kPageSize] = {};
    WritePage(static_cast<uint32_t>(size), zero);
    return static_cast<uint32_t>(size);
}

void CdxFile::FreePage(uint32_t offset) {
    if (size_t p = offset / kNodeMarkUnit; p < nodeMarks_.size())
        nodeMarks_[p] = 0; // no longer a node: a stale pointer to it is checked again
    uint8_t page[kPageSize] = {};
    Put32(page, freeHead_);
    WritePage(offset, page);
    freeHead_ = offset;
}

std::unique_ptr<CdxFile> CdxFile::Create(FileSystem& fs, const std::string& path, CdxFlavor flavor,
                                         std::shared_ptr<PagePool> pool) {
    auto pages = std::make_unique<PagedFile>(fs.Open(path, OpenMode::CreateTruncate, true),
                                             kCachePageSize, true, std::move(pool));
    std::unique_ptr<CdxFile> cdx(new CdxFile(path, std::move(pages)));
    cdx->flavor_ = flavor;
    uint8_t header[2 * kPageSize];
    NewTag dir;
    dir.keyLength = 10;
    CdxTag::WriteNewHeader(header, dir, kDirectoryRoot, true);
    cdx->pages_->Write(0, header, sizeof header);
    // The directory's record numbers are header offsets: size the empty leaf for the first.
    LeafNode empty;
    empty.keyLength = 10;
    LeafPacker packer;
    packer.Prepare(empty, ' ', true);
    uint8_t page[kPageSize];
    packer.Write(empty, 0, 0, LayoutFor(10, kFirstTagHeader), kAttrRoot | kAttrLeaf, kNoPage,
                 kNoPage, page);
    cdx->pages_->Write(kDirectoryRoot, page, kPageSize);
    cdx->directory_.reset(new CdxTag(*cdx, 0, true));
    cdx->directory_->LoadHeader(header);
    cdx->changed_ = true;
    cdx->Flush();
    return cdx;
}

std::unique_ptr<CdxFile> CdxFile::Open(FileSystem& fs, const std::string& path, bool writable,
                                       std::optional<CdxFlavor> flavor,
                                       std::shared_ptr<PagePool> pool) {
    auto file = fs.Open(path, writable ? OpenMode::ReadWrite : OpenMode::ReadOnly, writable);
    uint64_t size = file->Size();
    if (size % kPageSize != 0)
        throw DbError(kErrIndex, path,
                      "file size " + std::to_string(size) + " is not a multiple of 512");
    if (size < 3 * kPageSize)
        throw DbError(kErrIndex, path, "file too small for a compound index");
    if (size > 0xFFFFFFFFull)
        throw DbError(kErrIndex, path, "file larger than 4 GB");
    auto pages =
        std::make_unique<PagedFile>(std::move(file), kCachePageSize, writable, std::move(pool));
    std::unique_ptr<CdxFile> cdx(new CdxFile(path, std::move(pages)));

    uint8_t header[2 * kPageSize];
    cdx->pages_->Read(0, header, sizeof header);
    cdx->directory_.reset(new CdxTag(*cdx, 0, true));
    cdx->directory_->LoadHeader(header);
    cdx->freeHead_ = Get32(header + 4) == kNoPage ? 0 : Get32(header + 4);
    cdx->updateCounter_ = GetBE32(header + 8);

    cdx->nodeMarks_.assign(size / kNodeMarkUnit, 0);
    // The directory is a page or two: checked whole. Tag trees are checked node by node as
    // they are read, and as a whole before the first change (CheckBeforeWrite).
    std::vector<uint8_t> owners(size / kPageSize, 0);
    owners[0] = owners[1] = 1;
    cdx->directory_->CheckTree(false, &owners, true);
    cdx->LoadTags(owners);
    if (flavor)
        cdx->flavor_ = *flavor;
    else
        cdx->DetectFlavor();
    for (auto& tag : cdx->tags_)
        tag->pad_ = tag->GuessPad();
    return cdx;
}

void CdxFile::LoadTags(std::vector<uint8_t>& owners) {
    uint8_t header[2 * kPageSize];
    for (const KeyEntry& e : directory_->Entries()) {
        std::string name(Trim(e.key));
        uint32_t off = e.recno;
        if (name.empty())
            Fail("tag directory: a tag has a blank name (header " + Hex(off) + ")");
        if (off % kPageSize != 0 || off < 2 * kPageSize ||
            uint64_t(off) + 2 * kPageSize > pages_->Size())
            Fail("tag " + name + ": header offset " + Hex(off) +
                 " is outside the file or misaligned");
        for (uint32_t p = off / kPageSize; p < off / kPageSize + 2; ++p) {
            if (owners[p])
                Fail("tag " + name + ": header at " + Hex(off) +
                     " overlaps pages used elsewhere in the file");
            owners[p] = 1;
        }
        pages_->Read(off, header, sizeof header);
        std::unique_ptr<CdxTag> tag(new CdxTag(*this, off, false));
        tag->info_.name = name;
        tag->LoadHeader(header);
        tags_.push_back(std::move(tag));
    }
    std::sort(tags_.begin(), tags_.end(),
              [](const auto& a, const auto& b) { return a->headerOffset_ < b->headerOffset_; });
}

void CdxFile::DetectFlavor() {
    // Only VFP marks root leaves with 0x04 and writes candidate tags; without either sign
    // the file is taken for FoxPro 2.x, whose conventions VFP reads as well.
    flavor_ = CdxFlavor::Fox2;
    uint8_t page[kPageSize];
    for (auto& tag : tags_) {
        if (tag->info_.candidate)
            flavor_ = CdxFlavor::Vfp;
        ReadPage(tag->root_, page, *tag, tag->headerOffset_);
        if (Get16(page) & kAttrVfpRootLeaf)
            flavor_ = CdxFlavor::Vfp;
    }
}

void CdxFile::CheckFreeList(std::vector<uint8_t>& owners) {
    uint32_t off = freeHead_;
    uint8_t next[4];
    while (off != 0 && off != kNoPage) {
        if (!ValidPage(off))
            Fail("free list: page " + Hex(off) + " is outside the file or misaligned");
        if (owners[off / kPageSize])
            Fail("free list: page " + Hex(off) + " is also in use (or the list loops)");
        owners[off / kPageSize] = 1;
        pages_->Read(off, next, 4);
        off = Get32(next);
    }
}

CdxTag* CdxFile::FindTag(std::string_view name) {
    std::string_view trimmed = Trim(name);
    for (auto& tag : tags_)
        if (EqualsNoCase(tag->info_.name, trimmed))
            return tag.get();
    return nullptr;
}

namespace {

class VectorSource final : public KeySource {
public:
    explicit VectorSource(const std::vector<KeyEntry>& v) : v_(v) {}
    bool Next(KeyEntry& out) override {
        if (i_ == v_.size())
            return false;
        out = v_[i_++];
        return true;
    }

private:
    const std::vector<KeyEntry>& v_;
    size_t i_ = 0;
};

// Checks order, sizes and uniqueness while entries stream past, and drops the repeats a
// UNIQUE tag does not keep.
class CheckedSource final : public KeySource {
public:
    CheckedSource(KeySource& in, const NewTag& tagDef, const std::string& name,
                  const std::string& path)
        : in_(in), tagDef_(tagDef), name_(name), path_(path) {}
    bool Next(KeyEntry& out) override {
        while (in_.Next(out)) {
            if (out.key.size() != tagDef_.keyLength || out.recno == 0)
                throw DbError(kErrParam, path_,
                              "tag " + name_ + ": entry of wrong size or record 0");
            if (tagDef_.recordCount && out.recno > tagDef_.recordCount)
                throw DbError(kErrParam, path_,
                              "tag " + name_ + ": record number beyond the table");
            if (have_) {
                int c = out.key.compare(prevKey_);
                if (c < 0 || (c == 0 && out.recno <= prevRecno_))
                    throw DbError(kErrParam, path_, "tag " + name_ + ": entries are not sorted");
                if (c == 0 && tagDef_.candidate)
                    throw DbError(kErrUnique, path_,
                                  "tag " + name_ + ": repeated key in a candidate tag");
                if (c == 0 && tagDef_.unique)
                    continue; // the first record carries the key
            }
            have_ = true;
            prevKey_ = out.key;
            prevRecno_ = out.recno;
            return true;
        }
        return false;
    }

private:
    KeySource& in_;
    const NewTag& tagDef_;
    const std::string& name_;
    const std::string& path_;
    bool have_ = false;
    std::string prevKey_;
    uint32_t prevRecno_ = 0;
};

} // namespace

CdxTag& CdxFile::AddTag(const NewTag& tagDef, const std::vector<KeyEntry>& sorted) {
    NewTag sized = tagDef;
    if (sized.recordCount == 0)
        for (const KeyEntry& e : sorted)
            sized.recordCount = std::max(sized.recordCount, e.recno);
    VectorSource source(sorted);
    return AddTag(sized, source);
}

CdxTag& CdxFile::AddTag(const NewTag& tagDef, KeySource& sorted) {
    if (!Writable())
        throw DbError(kErrReadOnly, path_, "the index is open read-only");
    std::string name = AsciiUpper(Trim(tagDef.name));
    if (!ValidTagName(name))
        throw DbError(kErrParam, path_, "tag name \"" + tagDef.name + "\" is not valid");
    if (FindTag(name))
        throw DbError(kErrParam, path_, "tag " + name + " already exists");
    const uint16_t kl = tagDef.keyLength;
    if (kl == 0 || kl > kMaxKeyLength)
        throw DbError(kErrParam, path_, "tag " + name + ": key length must be 1..240");
    if (tagDef.keyExpr.empty() || tagDef.keyExpr.size() + tagDef.forExpr.size() + 2 > kPageSize)
        throw DbError(kErrParam, path_,
                      "tag " + name + ": key and FOR expressions must fit 510 characters");

    CheckedSource checked(sorted, tagDef, name, path_);
    CheckBeforeWrite();

    // Tag headers take two whole pages at the end of the file, never from the free list.
    uint64_t size = pages_->Size();
    if (size + 4 * kPageSize > 0xFFFFFFFFull)
        Fail("the index file cannot grow past 4 GB");
    uint32_t headerOffset = static_cast<uint32_t>(size);
    uint8_t header[2 * kPageSize] = {};
    pages_->Write(headerOffset, header, sizeof header);

    std::unique_ptr<CdxTag> tag(new CdxTag(*this, headerOffset, false));
    tag->info_ = {name,
                  tagDef.keyExpr,
                  tagDef.forExpr,
                  tagDef.descending,
                  tagDef.unique,
                  tagDef.candidate,
                  kl,
                  ""};
    tag->pad_ = tagDef.padByte;
    tag->hasFor_ = !tagDef.forExpr.empty();
    tag->BulkBuild(tagDef, checked);
    CdxTag::WriteNewHeader(header, tagDef, tag->root_, false);
    if (flavor_ == CdxFlavor::Vfp) {
        // Key count and distinct keys; VFP's REINDEX leaves keys - 1 at 24 in most samples
        // (meaning unknown), so a fresh build writes that too. Maintenance keeps 16 and 20 only.
        Put32(header + 16, tag->keyCount_);
        Put32(header + 20, tag->distinctCount_);
        Put32(header + 24, tag->keyCount_ ? tag->keyCount_ - 1 : 0);
    }
    pages_->Write(headerOffset, header, sizeof header);
    directory_->Insert(PadKey(name, 10), headerOffset);
    tags_.push_back(std::move(tag));
    changed_ = true;
    return *tags_.back();
}

void CdxFile::Sync() {
    if (!Writable())
        return;
    Flush();
    pages_->Sync();
}

void CdxFile::Flush() {
    if (!Writable())
        return;
    if (changed_) {
        pages_->Flush(); // nodes before the headers that lead to them
        for (auto& tag : tags_)
            tag->WriteStats();
        uint8_t page[kPageSize];
        pages_->Read(0, page, kPageSize);
        Put32(page + 4, freeHead_);
        // FoxPro 2.x counts every change so that other users see it; VFP files keep 0.
        if (flavor_ == CdxFlavor::Fox2)
            ++updateCounter_;
        PutBE32(page + 8, updateCounter_);
        pages_->Write(0, page, kPageSize);
        changed_ = false;
    }
    pages_->Flush();
}

void CdxFile::CheckLayout(bool leaves) {
    std::vector<uint8_t> owners(pages_->Size() / kPageSize, 0);
    owners[0] = owners[1] = 1;
    directory_->CheckTree(false, &owners, true);
    for (auto& tag : tags_) {
        for (uint32_t p = tag->headerOffset_ / kPageSize; p < tag->headerOffset_ / kPageSize + 2;
             ++p) {
            if (owners[p])
                Fail("tag " + tag->info_.name + ": header overlaps other pages");
            owners[p] = 1;
        }
    }
    for (auto& tag : tags_) {
        if (leaves)
            tag->CheckWhole(owners);
        else
            tag->CheckTree(false, &owners, false);
    }
    CheckFreeList(owners);
    layoutChecked_ = true;
}

void CdxFile::CheckBeforeWrite() {
    // A change trusts more than the nodes it reads: pages it takes from the free list must be
    // free, and sibling pages it relinks must belong to the same level of the same tree. Leaf
    // contents are left to the check each leaf gets when it is read.
    if (!layoutChecked_)
        CheckLayout(false);
}

bool CdxFile::Check(std::string* fault) {
    try {
        CheckLayout(true);
        return true;
    } catch (const DbError& e) {
        if (fault)
            *fault = e.what();
        return false;
    }
}

} // namespace hk::db
