#pragma once
// The engine's only way to disk: a small file interface (open, read at, write at, size,
// truncate, sync, lock). The POSIX one is the default; tests substitute one that fails on
// demand so error paths can be exercised without real disk faults.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace hk::db {

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

    // The process-wide POSIX file system.
    static FileSystem& Default();
};

// Finds `path` without regard to the case of its file name (projects come from Windows:
// calls.dbf beside calls.CDX). Returns the existing path, or nothing.
std::optional<std::string> FindFileNoCase(const std::string& path);

// The same path with its extension replaced (".dbf" -> ".cdx"), found without regard to case
// when it exists; otherwise the replaced name in the case of the original extension.
std::string SiblingPath(const std::string& path, const std::string& newExtension,
                        bool* exists = nullptr);

} // namespace hk::db
