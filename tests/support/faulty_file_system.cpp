#include "support/faulty_file_system.h"

#include <algorithm>

#include "xbase/db_error.h"

namespace hk::test {

class FaultyFile final : public db::File {
public:
    FaultyFile(FaultyFileSystem& fs, std::unique_ptr<db::File> base)
        : fs_(fs), base_(std::move(base)) {}

    size_t ReadAt(uint64_t offset, void* buf, size_t n) override {
        if (!base_)
            return 0;
        if (fs_.shortReads_ && n > 1) {
            size_t got = base_->ReadAt(offset, buf, n / 2);
            if (got == n / 2)
                fs_.Fault(Path());
            fs_.bytesRead_ += got;
            return got;
        }
        size_t got = base_->ReadAt(offset, buf, n);
        fs_.bytesRead_ += got;
        return got;
    }

    void WriteAt(uint64_t offset, const void* buf, size_t n) override {
        ++fs_.writes_;
        fs_.written_.insert(Path());
        if (fs_.failAt_ != 0 && fs_.writes_ == fs_.failAt_) {
            fs_.Fault(Path());
            throw db::DbError(db::kErrWrite, Path(), "write failed: injected fault");
        }
        if (!fs_.Change())
            return;
        if (fs_.diskLeft_ >= 0 && static_cast<long long>(n) > fs_.diskLeft_) {
            size_t fits = static_cast<size_t>(fs_.diskLeft_);
            if (fits > 0)
                base_->WriteAt(offset, buf, fits);
            fs_.bytes_ += fits;
            fs_.diskLeft_ = 0;
            fs_.Fault(Path());
            throw db::DbError(db::kErrWrite, Path(), "write failed: No space left on device");
        }
        base_->WriteAt(offset, buf, n);
        fs_.bytes_ += n;
        if (fs_.diskLeft_ >= 0)
            fs_.diskLeft_ -= static_cast<long long>(n);
    }

    uint64_t Size() override { return base_ ? base_->Size() : 0; }

    void Truncate(uint64_t size) override {
        fs_.written_.insert(Path());
        if (fs_.Change())
            base_->Truncate(size);
    }

    void Sync() override {
        ++fs_.syncs_;
        fs_.Change();
        if (fs_.failSync_) {
            fs_.Fault(Path());
            throw db::DbError(db::kErrWrite, Path(), "sync failed: injected fault");
        }
        // Not passed on: a test's scratch files never need to reach the platter, and a real
        // sync per injected fault would make the loops slow on a busy disk.
    }

    const std::string& Path() const override { return base_ ? base_->Path() : path_; }
    bool Lock(db::LockKind kind, bool wait) override { return !base_ || base_->Lock(kind, wait); }

    // A file made after the machine died: nothing reaches the disk.
    FaultyFile(FaultyFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

private:
    FaultyFileSystem& fs_;
    std::unique_ptr<db::File> base_;
    std::string path_;
};

std::unique_ptr<db::File> FaultyFileSystem::Open(const std::string& path, db::OpenMode mode,
                                                 bool lock) {
    if (mode == db::OpenMode::CreateTruncate) {
        written_.insert(path);
        if (!Change())
            return base_.Exists(path) ? std::make_unique<FaultyFile>(
                                            *this, base_.Open(path, db::OpenMode::ReadWrite, lock))
                                      : std::make_unique<FaultyFile>(*this, path);
    }
    return std::make_unique<FaultyFile>(*this, base_.Open(path, mode, lock));
}

void FaultyFileSystem::Remove(const std::string& path) {
    written_.insert(path);
    if (Change())
        base_.Remove(path);
}

void FaultyFileSystem::SyncFolder(const std::string& folder) {
    ++syncs_;
    Change();
    if (failSync_) {
        Fault(folder);
        throw db::DbError(db::kErrWrite, folder, "sync failed: injected fault");
    }
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    written_.insert(from);
    written_.insert(to);
    if (Change())
        base_.Rename(from, to);
}

} // namespace hk::test
