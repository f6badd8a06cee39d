// Bulk build of a new tag from a stream of sorted entries. Leaves are filled left to right
// and written as they fill; one chunk of entries is held in memory, and the entries of the
// level above (one per leaf) spill to a temporary file once there are many, so a tag of any
// size builds in bounded memory.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/db_error.h"

namespace hk::db {

using namespace cdx;

namespace {

constexpr uint32_t kChunkEntries = 16384;

void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Interior entries written in order to a temporary file beside the index, then read back in
// the same order through a buffer. The file is made on the first write and removed with the
// object.
class LevelSpill {
public:
    LevelSpill(FileSystem& fs, std::string folder, uint32_t entrySize)
        : fs_(fs), folder_(std::move(folder)), entrySize_(entrySize) {}
    ~LevelSpill() {
        if (!file_)
            return;
        file_.reset();
        try {
            fs_.Remove(path_);
        } catch (const DbError&) {
        }
    }
    LevelSpill(const LevelSpill&) = delete;
    LevelSpill& operator=(const LevelSpill&) = delete;

    uint32_t Count() const { return count_; }

    void Write(const uint8_t* raw, uint32_t count) {
        if (!file_) {
            path_ = (std::filesystem::path(folder_) /
                     ("hk_level_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".tmp"))
                        .string();
            file_ = fs_.Open(path_, OpenMode::CreateTruncate, false);
        }
        size_t bytes = size_t(count) * entrySize_;
        file_->WriteAt(end_, raw, bytes);
        end_ += bytes;
        count_ += count;
    }
    void Rewind() {
        readAt_ = 0;
        bufferPos_ = bufferEnd_ = 0;
    }
    // The next `count` entries.
    const uint8_t* Read(uint32_t count) {
        size_t want = size_t(count) * entrySize_;
        if (bufferEnd_ - bufferPos_ < want)
            Refill(want);
        const uint8_t* at = buffer_.data() + bufferPos_;
        bufferPos_ += want;
        return at;
    }

private:
    // Keeps what is left at the front, then fills the rest of a large block.
    [[gnu::noinline]] void Refill(size_t want) {
        size_t left = bufferEnd_ - bufferPos_;
        if (buffer_.size() < std::max(want, kReadBlock))
            buffer_.resize(std::max(want, kReadBlock));
        std::memmove(buffer_.data(), buffer_.data() + bufferPos_, left);
        bufferPos_ = 0;
        bufferEnd_ = left;
        while (bufferEnd_ < want) {
            size_t room = static_cast<size_t>(
                std::min<uint64_t>(buffer_.size() - bufferEnd_, end_ - readAt_));
            size_t got =
                room && file_ ? file_->ReadAt(readAt_, buffer_.data() + bufferEnd_, room) : 0;
            if (got == 0)
                throw DbError(kErrRead, path_, "an index build file ended early");
            readAt_ += got;
            bufferEnd_ += got;
        }
    }

    static constexpr size_t kReadBlock = 256u << 10;
    FileSystem& fs_;
    std::string folder_;
    uint32_t entrySize_;
    std::string path_;
    std::unique_ptr<File> file_;
    uint64_t end_ = 0, readAt_ = 0;
    uint32_t count_ = 0;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0, bufferEnd_ = 0;
};

} // namespace

void CdxTag::BulkBuild(const NewTag& tagDef, KeySource& source) {
    const uint16_t kl = info_.keyLength;
    // The root comes first, right after the header, where FoxPro puts it.
    root_ = file_.AllocatePage();
    const LeafLayout layout = Layout(std::max<uint32_t>(tagDef.recordCount, 1));

    LeafNode chunk;
    chunk.keyLength = kl;
    chunk.keys.reserve(size_t(kChunkEntries) * kl);
    chunk.recnos.reserve(kChunkEntries);

    ChildList pieces;
    LevelSpill spill(tagDef.spillFs ? *tagDef.spillFs : FileSystem::Default(),
                     std::filesystem::path(file_.Path()).parent_path().string(),
                     InteriorEntrySize(kl));
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
        if (pieces.raw.size() >= tagDef.levelMemory) {
            spill.Write(pieces.raw.data(), pieces.count);
            pieces.raw.clear();
            pieces.count = 0;
        }
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
        if (spill.Count() > 0) {
            // Far more entries than one node holds: the first level is written from the file.
            spill.Write(pieces.raw.data(), pieces.count);
            spill.Rewind();
            pieces = WriteLevel(spill.Count(), true, [&](uint32_t n) { return spill.Read(n); });
        }
        GrowRoot(pieces, true);
    }

    keyCount_ = keys;
    distinctCount_ = distinct;
    statsDirty_ = false;
    ++modCount_;
}

} // namespace hk::db
