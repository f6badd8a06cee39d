#include "tmgdb/run_recovery.h"

#include "tmgdb/tmg_table_index.h"

namespace hk::db {

std::optional<JournalInfo> RollBackJournal(FileSystem& fs, const std::string& journalPath,
                                           const std::string& folder) {
    std::optional<JournalInfo> info = ReadJournalInfo(fs, journalPath);
    if (info && !info->complete)
        RestoreFromJournal(fs, journalPath);
    fs.Remove(journalPath);
    fs.SyncFolder(folder);
    if (info && info->complete)
        return std::nullopt;
    return info;
}

void RemoveScratchFiles(FileSystem& fs, const std::string& folder) {
    for (const std::string& name : fs.List(folder))
        if (IsPrivateIndexFile(name))
            fs.Remove(folder + name);
}

std::vector<JournalInfo> RecoverInterruptedRuns(FileSystem& fs, const std::string& folder) {
    std::vector<JournalInfo> recovered;
    for (const std::string& name : fs.List(folder)) {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".hkj") != 0)
            continue;
        std::string path = folder + name;
        std::optional<JournalInfo> info = ReadJournalInfo(fs, path);
        // A run still going holds its project file exclusively: its journal is not ours.
        std::unique_ptr<File> project;
        if (info && !info->projectPath.empty() && fs.Exists(info->projectPath)) {
            project = fs.Open(info->projectPath, OpenMode::ReadOnly, false);
            if (!project->Lock(LockKind::Exclusive, false))
                continue;
        }
        if (auto done = RollBackJournal(fs, path, folder))
            recovered.push_back(std::move(*done));
        RemoveScratchFiles(fs, folder);
    }
    return recovered;
}

} // namespace hk::db
