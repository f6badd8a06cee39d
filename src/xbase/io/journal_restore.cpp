// Reading a journal back: its run's info, and the restore of every file it holds.
#include <filesystem>
#include <map>
#include <set>

#include "xbase/db_error.h"
#include "xbase/io/journal_format.h"
#include "xbase/journal.h"

namespace hk::db {

namespace {

// The journal's header and, when `toCommit`, its commit record (read by walking the entries).
std::optional<JournalInfo> ReadJournal(FileSystem& fs, const std::string& journalPath,
                                       bool toCommit) {
    if (!fs.Exists(journalPath))
        return std::nullopt;
    auto file = fs.Open(journalPath, OpenMode::ReadOnly, false);
    journal::Reader reader(*file);
    JournalInfo info;
    if (!reader.Next() || !reader.DecodeHeader(info))
        return std::nullopt;
    while (toCommit && reader.Next()) {
        if (reader.Type() == journal::EntryType::Commit) {
            info.complete = reader.DecodeCommit(info.after);
            break;
        }
    }
    return info;
}

} // namespace

std::optional<JournalInfo> ReadJournalHeader(FileSystem& fs, const std::string& journalPath) {
    return ReadJournal(fs, journalPath, false);
}

std::optional<JournalInfo> ReadJournalInfo(FileSystem& fs, const std::string& journalPath) {
    return ReadJournal(fs, journalPath, true);
}

void RestoreFromJournal(FileSystem& fs, const std::string& journalPath) {
    if (!fs.Exists(journalPath))
        return;
    auto journalFile = fs.Open(journalPath, OpenMode::ReadOnly, false);
    journal::Reader reader(*journalFile);
    JournalInfo info;
    if (!reader.Next() || !reader.DecodeHeader(info))
        return;
    struct Target {
        journal::FileEntry entry;
        std::unique_ptr<File> file; // files that existed, open for their original bytes
    };
    std::map<uint32_t, Target> targets;
    std::vector<uint32_t> order;
    // Entries are applied as they are read: each one is whole and checked, and nothing the
    // run did reached a file before the entry describing it.
    for (bool good = true; good && reader.Next();) {
        switch (reader.Type()) {
        case journal::EntryType::File: {
            journal::FileEntry e;
            good = reader.DecodeFile(e) && !targets.count(e.id);
            if (!good)
                break;
            Target& t = targets[e.id];
            if (e.existed)
                t.file = fs.Open(e.path,
                                 fs.Exists(e.path) ? OpenMode::ReadWrite : OpenMode::CreateTruncate,
                                 false);
            t.entry = std::move(e);
            order.push_back(t.entry.id);
            break;
        }
        case journal::EntryType::Region: {
            journal::RegionEntry e;
            auto it = targets.end();
            good = reader.DecodeRegion(e) && (it = targets.find(e.id)) != targets.end() &&
                   it->second.file;
            if (good)
                it->second.file->WriteAt(e.offset, e.bytes.data(), e.bytes.size());
            break;
        }
        case journal::EntryType::Removed: // the file is made again from its regions
        case journal::EntryType::Commit:
            break;
        case journal::EntryType::Header:
            good = false;
            break;
        }
    }
    std::set<std::string> folders;
    for (uint32_t id : order) {
        Target& t = targets[id];
        if (t.file) {
            t.file->Truncate(t.entry.originalSize);
            t.file->Sync();
            t.file.reset();
        } else {
            fs.Remove(t.entry.path);
        }
        folders.insert(std::filesystem::path(t.entry.path).parent_path().string());
    }
    for (const std::string& folder : folders)
        fs.SyncFolder(folder);
}

} // namespace hk::db
