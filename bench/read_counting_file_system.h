#pragma once
// A file system for benchmarks that passes everything to another and keeps, per path, the
// bytes read through it and which 4 KiB blocks they came from: which bytes a run reads, and how
// often.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "xbase/file.h"

namespace hk::bench {

// A stretch of a file.
struct FileRange {
    std::string path;
    uint64_t offset = 0;
    uint64_t length = 0;
};

class ReadCountingFileSystem final : public db::FileSystem {
public:
    static constexpr uint64_t kBlock = 4096;

    struct FileReads {
        uint64_t bytesRead = 0;   // every read counted, a block read twice twice
        std::vector<bool> blocks; // the blocks any read touched
    };

    explicit ReadCountingFileSystem(db::FileSystem& base) : base_(base) {}
    std::unique_ptr<db::File> Open(const std::string& path, db::OpenMode mode, bool lock) override;
    bool Exists(const std::string& path) override { return base_.Exists(path); }
    void Remove(const std::string& path) override { base_.Remove(path); }
    std::vector<std::string> List(const std::string& folder) override { return base_.List(folder); }
    void SyncFolder(const std::string& folder) override { base_.SyncFolder(folder); }
    void Rename(const std::string& from, const std::string& to) override { base_.Rename(from, to); }

    // Every path opened, read or not.
    const std::map<std::string, FileReads>& Files() const { return files_; }
    // The blocks read, runs of neighbours joined, in path and offset order.
    std::vector<FileRange> RangesRead() const;

private:
    friend class ReadCountingFile;
    db::FileSystem& base_;
    std::map<std::string, FileReads> files_;
};

} // namespace hk::bench
