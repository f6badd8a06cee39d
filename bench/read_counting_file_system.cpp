#include "read_counting_file_system.h"

namespace hk::bench {

class ReadCountingFile final : public db::File {
public:
    ReadCountingFile(ReadCountingFileSystem::FileReads& reads, std::unique_ptr<db::File> base)
        : reads_(reads), base_(std::move(base)) {}
    size_t ReadAt(uint64_t offset, void* buf, size_t n) override {
        size_t got = base_->ReadAt(offset, buf, n);
        reads_.bytesRead += got;
        if (got > 0) {
            const uint64_t first = offset / ReadCountingFileSystem::kBlock;
            const uint64_t last = (offset + got - 1) / ReadCountingFileSystem::kBlock;
            if (reads_.blocks.size() <= last)
                reads_.blocks.resize(last + 1);
            for (uint64_t b = first; b <= last; ++b)
                reads_.blocks[b] = true;
        }
        return got;
    }
    void WriteAt(uint64_t offset, const void* buf, size_t n) override {
        base_->WriteAt(offset, buf, n);
    }
    uint64_t Size() override { return base_->Size(); }
    void Truncate(uint64_t size) override { base_->Truncate(size); }
    void Sync() override { base_->Sync(); }
    const std::string& Path() const override { return base_->Path(); }
    bool Lock(db::LockKind kind, bool wait) override { return base_->Lock(kind, wait); }

private:
    ReadCountingFileSystem::FileReads& reads_; // map nodes do not move
    std::unique_ptr<db::File> base_;
};

std::unique_ptr<db::File> ReadCountingFileSystem::Open(const std::string& path, db::OpenMode mode,
                                                       bool lock) {
    std::unique_ptr<db::File> file = base_.Open(path, mode, lock);
    return std::make_unique<ReadCountingFile>(files_[path], std::move(file));
}

std::vector<FileRange> ReadCountingFileSystem::RangesRead() const {
    std::vector<FileRange> ranges;
    for (const auto& [path, reads] : files_) {
        const std::vector<bool>& blocks = reads.blocks;
        for (size_t b = 0; b < blocks.size();) {
            if (!blocks[b]) {
                ++b;
                continue;
            }
            size_t end = b;
            while (end < blocks.size() && blocks[end])
                ++end;
            ranges.push_back({path, b * kBlock, (end - b) * kBlock});
            b = end;
        }
    }
    return ranges;
}

} // namespace hk::bench
