#include "xbase/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/text.h"
#include "xbase/db_error.h"

namespace hk::db {
namespace {

std::string SysText() {
    return std::strerror(errno);
}

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }

    size_t ReadAt(uint64_t offset, void* buf, size_t n) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done,
                                static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                throw DbError(kErrRead, path_, "read failed: " + SysText());
            }
            if (r == 0)
                break;
            done += static_cast<size_t>(r);
        }
        return done;
    }

    void WriteAt(uint64_t offset, const void* buf, size_t n) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done,
                                 static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                throw DbError(kErrWrite, path_, "write failed: " + SysText());
            }
            done += static_cast<size_t>(r);
        }
    }

    uint64_t Size() override {
        struct stat st;
        if (::fstat(fd_, &st) != 0)
            throw DbError(kErrRead, path_, "stat failed: " + SysText());
        return static_cast<uint64_t>(st.st_size);
    }

    void Truncate(uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
            throw DbError(kErrWrite, path_, "truncate failed: " + SysText());
    }

    void Sync() override {
        if (::fdatasync(fd_) != 0)
            throw DbError(kErrWrite, path_, "sync failed: " + SysText());
    }
    const std::string& Path() const override { return path_; }

    bool Lock(LockKind kind, bool wait) override {
        int op = kind == LockKind::Shared      ? LOCK_SH
                 : kind == LockKind::Exclusive ? LOCK_EX
                                               : LOCK_UN;
        while (::flock(fd_, op | (wait ? 0 : LOCK_NB)) != 0) {
            if (errno == EINTR)
                continue;
            if (errno == EWOULDBLOCK)
                return false;
            throw DbError(kErrFileInUse, path_, "lock failed: " + SysText());
        }
        return true;
    }

private:
    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode, bool lock) override {
        int flags = mode == OpenMode::ReadOnly    ? O_RDONLY
                    : mode == OpenMode::ReadWrite ? O_RDWR
                                                  : O_RDWR | O_CREAT | O_TRUNC;
        // Lock before truncating, so a file in use by another writer is never emptied.
        int openFlags = flags & ~O_TRUNC;
        int fd = ::open(path.c_str(), openFlags | O_CLOEXEC, 0644);
        if (fd < 0) {
            long code = mode == OpenMode::CreateTruncate    ? kErrCreate
                        : errno == EACCES || errno == EPERM ? kErrFileInUse
                                                            : kErrOpen;
            throw DbError(code, path, SysText());
        }
        if (lock && mode != OpenMode::ReadOnly && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw DbError(kErrFileInUse, path, "the file is in use by another program");
        }
        // Only a file with content is cut: truncating an empty one makes ext4 write the file
        // back to the disk at close (its rename-over-truncate heuristic), which costs the
        // temporary sort files dearly.
        struct stat st;
        if ((flags & O_TRUNC) && ::fstat(fd, &st) == 0 && st.st_size > 0) {
            if (::ftruncate(fd, 0) != 0) {
                ::close(fd);
                throw DbError(kErrCreate, path, SysText());
            }
        }
        return std::make_unique<PosixFile>(fd, path);
    }

    bool Exists(const std::string& path) override {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0;
    }

    void Remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            throw DbError(kErrRemove, path, SysText());
    }

    void SyncFolder(const std::string& folder) override {
        int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            throw DbError(kErrOpen, folder, SysText());
        int rc = ::fsync(fd);
        int err = errno;
        ::close(fd);
        // Some file systems cannot sync a folder; their entries are as durable as they get.
        if (rc != 0 && err != EINVAL && err != ENOTSUP) {
            errno = err;
            throw DbError(kErrWrite, folder, "sync failed: " + SysText());
        }
    }

    void Rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) == 0)
            return;
        if (errno != EXDEV)
            throw DbError(kErrWrite, from, "rename to " + to + " failed: " + SysText());
        // Another file system: copy, make the copy durable, then drop the original.
        auto in = Open(from, OpenMode::ReadOnly, false);
        auto out = Open(to, OpenMode::CreateTruncate, false);
        std::vector<char> buf(1u << 20);
        uint64_t at = 0;
        for (size_t got; (got = in->ReadAt(at, buf.data(), buf.size())) > 0; at += got)
            out->WriteAt(at, buf.data(), got);
        out->Sync();
        SyncFolder(std::filesystem::path(to).parent_path().string());
        Remove(from);
    }

    std::vector<std::string> List(const std::string& folder) override {
        std::vector<std::string> names;
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(folder.empty() ? "." : folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            names.push_back(it->path().filename().string());
        return names;
    }
};

} // namespace

class CountingFile final : public File {
public:
    CountingFile(CountingFileSystem& fs, std::unique_ptr<File> base)
        : fs_(fs), base_(std::move(base)) {}
    size_t ReadAt(uint64_t offset, void* buf, size_t n) override {
        return base_->ReadAt(offset, buf, n);
    }
    void WriteAt(uint64_t offset, const void* buf, size_t n) override {
        base_->WriteAt(offset, buf, n);
        fs_.bytes_ += n;
    }
    uint64_t Size() override { return base_->Size(); }
    void Truncate(uint64_t size) override { base_->Truncate(size); }
    void Sync() override {
        base_->Sync();
        ++fs_.syncs_;
    }
    const std::string& Path() const override { return base_->Path(); }
    bool Lock(LockKind kind, bool wait) override { return base_->Lock(kind, wait); }

private:
    CountingFileSystem& fs_;
    std::unique_ptr<File> base_;
};

std::unique_ptr<File> CountingFileSystem::Open(const std::string& path, OpenMode mode, bool lock) {
    return std::make_unique<CountingFile>(*this, base_.Open(path, mode, lock));
}

std::optional<std::string> ReadWholeFile(FileSystem& fs, const std::string& path) {
    if (!fs.Exists(path))
        return std::nullopt;
    auto file = fs.Open(path, OpenMode::ReadOnly, false);
    std::string bytes(static_cast<size_t>(file->Size()), '\0');
    bytes.resize(file->ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

FileSystem& FileSystem::Default() {
    static PosixFileSystem fs;
    return fs;
}

std::optional<std::string> FindFileNoCase(FileSystem& files, const std::string& path) {
    namespace fs = std::filesystem;
    if (files.Exists(path))
        return path;
    fs::path p(path);
    std::string name = p.filename().string();
    for (const std::string& entry :
         files.List(p.has_parent_path() ? p.parent_path().string() : ".")) {
        if (EqualsNoCase(entry, name))
            return p.has_parent_path() ? (p.parent_path() / entry).string() : entry;
    }
    return std::nullopt;
}

std::optional<std::string> FindFileNoCase(const std::string& path) {
    return FindFileNoCase(FileSystem::Default(), path);
}

std::string SiblingPath(const std::string& path, const std::string& newExtension, bool* exists) {
    return SiblingPath(FileSystem::Default(), path, newExtension, exists);
}

std::string SiblingPath(FileSystem& files, const std::string& path, const std::string& newExtension,
                        bool* exists) {
    namespace fs = std::filesystem;
    fs::path p(path);
    std::string oldExt = p.extension().string();
    std::string ext = newExtension;
    // Keep the case style of the table's own extension for files we create.
    if (!oldExt.empty() && oldExt[1] >= 'A' && oldExt[1] <= 'Z')
        ext = AsciiUpper(ext);
    else
        ext = AsciiLower(ext);
    fs::path candidate = p;
    candidate.replace_extension(ext);
    auto found = FindFileNoCase(files, candidate.string());
    if (exists)
        *exists = found.has_value();
    return found ? *found : candidate.string();
}

} // namespace hk::db
