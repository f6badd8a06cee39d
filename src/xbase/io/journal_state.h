#pragma once
// What a JournalingFileSystem keeps while a run is armed: per path, the run's record of the file
// (original size, regions journaled) and the writes held back until their journal entries are
// durable; for the run, the journal file and the entries not yet written to it.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "xbase/journal.h"

namespace hk::db {

inline constexpr uint64_t kJournalPage = kJournalRegionBytes;
// Within a page, original bytes are kept per 64-byte piece, for the pieces a run changes.
inline constexpr size_t kJournalPiece = kJournalPage / 64;

// A page of held writes: its content as the run wrote it and, while some of its pieces are
// not journaled yet, as the disk has it.
struct HeldPage {
    std::unique_ptr<uint8_t[]> now;
    std::unique_ptr<uint8_t[]> before;
};

struct JournalPathState {
    std::string key; // the absolute, normalised path: the journal's name for the file
    bool inScope = false;
    int handles = 0;
    std::vector<File*> writers;   // base files open for writing, to apply held writes through
    std::unique_ptr<File> keeper; // one of them, kept after the last writable handle closed
    // The run's record of the file (id 0: not recorded yet).
    uint32_t id = 0;
    bool existed = false;
    bool removed = false;
    uint64_t originalSize = 0;
    std::vector<uint64_t> journaled; // per page of the original size, a bit per piece kept
    // Held writes: the pages written since the last apply, and the file's size and its size
    // on disk meanwhile.
    std::unordered_map<uint64_t, HeldPage> held;
    uint64_t logicalSize = 0;
    uint64_t baseSize = 0;

    bool NeedsJournal(uint64_t page) const {
        return page < journaled.size() && journaled[page] != ~uint64_t(0);
    }
    void ResetRun();
    // Drops the handle kept for held writes once they are applied or dropped.
    void DropKeeper();
};

struct JournalingFileSystem::State {
    explicit State(FileSystem& b) : base(b) {}

    FileSystem& base;
    bool armed = false;
    bool aborted = false; // writes are dropped
    bool broken = false;  // a journal write or an apply failed: nothing more may be written
    std::string journalPath, journalFolder, scope;
    std::function<bool(const std::string&)> scratch; // files in scope kept out of the journal
    JournalInfo info;
    std::unique_ptr<File> journal;
    uint64_t journalSize = 0;
    std::string pending;          // entries not yet in the journal file
    bool journalUnsynced = false; // entries written to it but not synced yet
    bool folderUnsynced = false;  // the journal was made and its folder not synced yet
    uint32_t nextId = 1;
    size_t heldLimit = 16u << 20;
    size_t heldPages = 0;
    std::vector<std::unique_ptr<uint8_t[]>> spare; // page buffers of applied writes, reused
    std::vector<JournalPathState*> recorded;       // in id order
    std::vector<JournalPathState*> holding;        // paths with held pages
    std::unordered_map<std::string, std::unique_ptr<JournalPathState>> paths;

    JournalPathState& Get(const std::string& path);
    void Release(JournalPathState& p);
    bool InScope(const std::string& key) const;
    void CheckUsable(const std::string& path) const;
    void Record(JournalPathState& p, bool existed, uint64_t size);
    // Appends the original bytes (`got` of them read) of the page's pieces not journaled yet
    // to the journal; given `changed`, only of the pieces that differ from it.
    void JournalPieces(JournalPathState& p, uint64_t page, const uint8_t* original, size_t got,
                       const uint8_t* changed = nullptr);
    // Journals every piece of the original size not journaled yet, read from the file itself.
    void JournalAll(JournalPathState& p);
    // Journals the changed pieces of held pages, makes the pending entries durable, then
    // performs every held write.
    void Apply();
    void ApplyIfNeeded() {
        if (!pending.empty() || journalUnsynced || heldPages > 0)
            Apply();
    }
    // Writes the pending entries to the journal file (made at the first); FlushJournal also
    // syncs it, and its folder when it was just made.
    void WritePending();
    void FlushJournal();
    std::unique_ptr<uint8_t[]> NewPage();
    // Gives the path's held pages back to `spare`.
    void Recycle(JournalPathState& p);
    void DropHeld();
    void Disarm();
};

// A file handle of a JournalingFileSystem: passes through while disarmed.
class JournaledFile final : public File {
public:
    JournaledFile(JournalingFileSystem::State& s, JournalPathState& p, std::unique_ptr<File> base,
                  bool writable);
    ~JournaledFile() override;
    size_t ReadAt(uint64_t offset, void* buf, size_t n) override;
    void WriteAt(uint64_t offset, const void* buf, size_t n) override;
    uint64_t Size() override;
    void Truncate(uint64_t size) override;
    void Sync() override;
    const std::string& Path() const override { return base_->Path(); }
    bool Lock(LockKind kind, bool wait) override { return base_->Lock(kind, wait); }

private:
    // True when the write must wait: its file or a region it overwrites is not journaled yet.
    bool MustHold(uint64_t offset, size_t n) const;
    void Hold(uint64_t offset, const uint8_t* in, size_t n);

    JournalingFileSystem::State& s_;
    JournalPathState& p_;
    std::unique_ptr<File> base_;
    bool writable_;
};

} // namespace hk::db
