#pragma once
// A file system over the real one that fails on demand, for tests of the engine's error
// paths: the Nth write fails, syncs fail, reads come back short, or the disk fills after a
// number of bytes; or the machine "dies" after a number of changes, dropping every later one
// silently as a crash would. It counts writes and changes, so a test can run an operation once
// to learn how many it makes and then fail each of them in turn.
#include <cstdint>
#include <set>
#include <string>

#include "xbase/file.h"

namespace hk::test {

class FaultyFileSystem final : public db::FileSystem {
public:
    explicit FaultyFileSystem(db::FileSystem& base = db::FileSystem::Default()) : base_(base) {}

    // The nth write from now (1 = the next) fails and writes nothing; 0 turns it off.
    void FailWriteNumber(long n) { failAt_ = n > 0 ? writes_ + n : 0; }
    // Every Sync fails.
    void FailSync(bool on) { failSync_ = on; }
    // Every read returns fewer bytes than asked for and than the file holds.
    void ShortReads(bool on) { shortReads_ = on; }
    // Writes succeed for `bytes` more bytes; the write that crosses the limit writes the part
    // that fits and fails, like a full disk. A negative value turns it off.
    void DiskFullAfter(long long bytes) { diskLeft_ = bytes; }
    // After `n` more changes (writes, truncations, syncs, creations, removals, renames) every
    // change is dropped without an error; a negative value turns it off.
    void DieAfter(long n) { dieAt_ = n >= 0 ? changes_ + n : -1; }
    // No faults any more (counters are kept).
    void Heal() {
        failAt_ = 0;
        failSync_ = shortReads_ = false;
        diskLeft_ = -1;
        dieAt_ = -1;
    }

    long Writes() const { return writes_; }
    long Syncs() const { return syncs_; }
    long Changes() const { return changes_; }
    uint64_t BytesWritten() const { return bytes_; }
    uint64_t BytesRead() const { return bytesRead_; }
    // Every file written to (or created) through this file system.
    const std::set<std::string>& WrittenPaths() const { return written_; }
    // The file the first injected fault hit; empty when none was injected.
    const std::string& FaultPath() const { return faultPath_; }

    std::unique_ptr<db::File> Open(const std::string& path, db::OpenMode mode, bool lock) override;
    bool Exists(const std::string& path) override { return base_.Exists(path); }
    void Remove(const std::string& path) override;
    std::vector<std::string> List(const std::string& folder) override { return base_.List(folder); }
    void SyncFolder(const std::string& folder) override;
    void Rename(const std::string& from, const std::string& to) override;

private:
    friend class FaultyFile;
    // Counts a change; false when it must be dropped (the machine died before it).
    bool Change() {
        ++changes_;
        return dieAt_ < 0 || changes_ <= dieAt_;
    }
    void Fault(const std::string& path) {
        if (faultPath_.empty())
            faultPath_ = path;
    }
    db::FileSystem& base_;
    long writes_ = 0;
    long syncs_ = 0;
    long changes_ = 0;
    long dieAt_ = -1;
    long failAt_ = 0;
    bool failSync_ = false;
    bool shortReads_ = false;
    long long diskLeft_ = -1;
    uint64_t bytes_ = 0;
    uint64_t bytesRead_ = 0;
    std::set<std::string> written_;
    std::string faultPath_;
};

} // namespace hk::test
