#pragma once
// The engine's only way to disk: a small file interface (open, read at, write at, size,
// truncate, sync, lock, list a folder). The POSIX one is the default; tests substitute one that
// fails on demand so error paths can be exercised without real disk faults.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hk::db {

// An advisory whole-file lock: many Shared holders, or one Exclusive holder. Holders are open
// files, not processes: two opens of one file in one process exclude each other like two
// programs do.
enum class LockKind { None, Shared, Exclusive };

class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes; returns how many were read (fewer only at the end of the file).
    virtual size_t ReadAt(uint64_t offset, void* buf, size_t n) = 0;
    virtual void WriteAt(uint64_t offset, const void* buf, size_t n) = 0;
    virtual uint64_t Size() = 0;
    virtual void Truncate(uint64_t size) = 0;
    virtual void Sync() = 0;
    virtual const std::string& Path() const = 0;
    // Takes `kind` (None releases), replacing what this file held; false when another holder
    // is in the way. `wait` blocks until it is free instead. A failed change may leave this
    // file holding nothing (the POSIX lock is dropped before the new one is tried).
    virtual bool Lock(LockKind kind, bool wait) = 0;
};

enum class OpenMode { ReadOnly, ReadWrite, CreateTruncate };

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // ReadWrite and CreateTruncate take an exclusive advisory lock when `lock` is set; a file
    // already locked by another open (this or another process) fails with error -61.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode, bool lock) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual void Remove(const std::string& path) = 0;
    // The names (not paths) of the entries of a folder; none when it cannot be read.
    virtual std::vector<std::string> List(const std::string& folder) = 0;
    // Makes the folder's entries (files created, removed or renamed in it) durable.
    virtual void SyncFolder(const std::string& folder) = 0;
    // Moves a file, replacing `to`; across file systems by copy, sync and removal of `from`.
    virtual void Rename(const std::string& from, const std::string& to) = 0;

    // The process-wide POSIX file system.
    static FileSystem& Default();
};

// A file system that passes everything to another and counts the bytes written through it and
// the syncs (of files and folders) asked of it.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& base) : base_(base) {}
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode, bool lock) override;
    bool Exists(const std::string& path) override { return base_.Exists(path); }
    void Remove(const std::string& path) override { base_.Remove(path); }
    std::vector<std::string> List(const std::string& folder) override { return base_.List(folder); }
    void SyncFolder(const std::string& folder) override {
        base_.SyncFolder(folder);
        ++syncs_;
    }
    void Rename(const std::string& from, const std::string& to) override { base_.Rename(from, to); }
    uint64_t BytesWritten() const { return bytes_; }
    uint64_t Syncs() const { return syncs_; }

private:
    friend class CountingFile;
    FileSystem& base_;
    uint64_t bytes_ = 0;
    uint64_t syncs_ = 0;
};

// The whole content of a file, or nothing when it does not exist.
std::optional<std::string> ReadWholeFile(FileSystem& fs, const std::string& path);

// Finds `path` without regard to the case of its file name (projects come from Windows:
// calls.dbf beside calls.CDX). Returns the existing path, or nothing.
std::optional<std::string> FindFileNoCase(FileSystem& fs, const std::string& path);

// The same path with its extension replaced (".dbf" -> ".cdx"), found without regard to case
// when it exists; otherwise the replaced name in the case of the original extension.
std::string SiblingPath(FileSystem& fs, const std::string& path, const std::string& newExtension,
                        bool* exists = nullptr);

// The same two on the default file system, for callers above the engine.
std::optional<std::string> FindFileNoCase(const std::string& path);
std::string SiblingPath(const std::string& path, const std::string& newExtension,
                        bool* exists = nullptr);

} // namespace hk::db
