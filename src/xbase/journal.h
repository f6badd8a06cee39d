#pragma once
// The rollback journal that makes a writing run all-or-nothing. JournalingFileSystem wraps the
// engine's file seam: while a run is armed, the original bytes a run changes in a file of its
// folder (each 64-byte piece of a page once) are appended to the journal, and made durable,
// before they are overwritten (or the file truncated or removed); files created by the run are
// recorded so that a roll-back removes them. A committed journal is the run's undo record.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xbase/file.h"

namespace hk::db {

// The pages writes are held and journaled by; within one, only the 64-byte pieces that change
// are kept.
inline constexpr uint32_t kJournalRegionBytes = 4096;

// A file's size and checksum as a committed run left it.
struct JournalFileState {
    std::string path;
    uint64_t size = 0;
    uint64_t checksum = 0;
    bool operator==(const JournalFileState&) const = default;
};

// What a journal says of its run.
struct JournalInfo {
    std::string function;    // the function's caption, "Fix Sort Dates"
    std::string startedAt;   // "2026-12-06 01:23:52"
    std::string logFile;     // the run log's file name, which names the undo record
    std::string projectPath; // the project file the run changed
    bool complete = false;   // committed: the run finished and its files are synced
    // When complete: every file the run wrote, with its size and checksum after the run.
    std::vector<JournalFileState> after;
};

// 64-bit checksum of a file's whole content (0 for a missing file).
uint64_t FileChecksum(FileSystem& fs, const std::string& path);

// The header of a journal alone (`complete` false, `after` empty): what its run was, read
// without walking the journal to its end. Nothing when missing or without a readable header.
std::optional<JournalInfo> ReadJournalHeader(FileSystem& fs, const std::string& journalPath);

// The header and, when complete, the commit record of a journal; nothing when the file is
// missing or has no readable header.
std::optional<JournalInfo> ReadJournalInfo(FileSystem& fs, const std::string& journalPath);

// Puts back every file a journal holds as it was before the journal's run: original regions
// rewritten, sizes restored, files the run created removed, and every file touched synced.
// Only whole entries with a good checksum are applied (a torn tail is ignored: nothing after
// it reached the project). The journal itself is left in place. Writes go through `fs`, so a
// restore through an armed JournalingFileSystem is itself journaled.
void RestoreFromJournal(FileSystem& fs, const std::string& journalPath);

// The first file of `info.after` whose size or checksum differs now; nothing when all match.
std::optional<std::string> FirstChangedFile(FileSystem& fs, const JournalInfo& info);

// Writes of an armed run are held back (reads, Size and every handle of the path see them)
// until the journal entries they depend on are synced in one batch: at the held limit, a Sync
// or Truncate of the file, its removal or remaking, or Commit; closing a file keeps them. A
// write that fails marks the run broken: Commit then refuses it. One thread; the file system
// outlives its files. While armed, files in scope cannot be renamed.
class JournalingFileSystem final : public FileSystem {
public:
    explicit JournalingFileSystem(FileSystem& base);
    ~JournalingFileSystem() override;

    // Arms journaling for the files under `scopeFolder` (ends with "/"). The journal file is
    // created at the first write that needs it, so a run that writes nothing leaves none.
    // `info` may be updated with SetInfo until then.
    void Begin(const std::string& journalPath, const std::string& scopeFolder, JournalInfo info);
    void SetInfo(JournalInfo info);
    // Files of the scope that runs make and throw away (private indexes): never journaled, so
    // a roll-back or an undo neither keeps nor brings them back.
    void SetScratchFiles(std::function<bool(const std::string& path)> isScratch);
    bool Armed() const;
    // True once the armed run has written to a file in scope (it has a journal, or will at
    // the next sync).
    bool Wrote() const;
    // Bytes of the journal so far, entries not yet written to its file included; after
    // Commit, the committed journal's size (until the next Begin).
    uint64_t JournalBytes() const;
    // Writes held back until their journal entries are durable are applied (one sync of the
    // journal) when they exceed this many bytes (default 16 MB).
    void SetHeldBytesLimit(size_t bytes);
    // Applies the held writes now (one sync of the journal), without syncing the files, so
    // that a failing disk shows while the run can still report it.
    void ApplyHeld();

    // Ends a run that finished: applies held writes, syncs every file written, appends the
    // commit record (sizes and checksums after the run), syncs the journal and disarms. Returns
    // the journal's info; the journal file stays at its path for the caller to keep or remove.
    // Nothing to commit (no write): disarms and returns the info with `complete` false. A
    // Commit that fails (or follows a failed write of the run) throws and leaves the run
    // armed, so that Abort and RollBack can still put it back.
    JournalInfo Commit();
    // Ends a run that failed: writes from now on are dropped (so tables can be closed without
    // flushing), then RollBack puts the files back and removes the journal, and disarms.
    void Abort();
    bool Aborted() const; // armed and aborted
    void RollBack();

    // FileSystem
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode, bool lock) override;
    bool Exists(const std::string& path) override;
    void Remove(const std::string& path) override;
    std::vector<std::string> List(const std::string& folder) override;
    void SyncFolder(const std::string& folder) override;
    void Rename(const std::string& from, const std::string& to) override;

private:
    struct State;
    friend class JournaledFile;
    std::unique_ptr<State> state_;
};

} // namespace hk::db
