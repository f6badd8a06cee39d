#include "run/undo_records.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "support/error.h"

namespace hk {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUndoExtension = ".undo";

std::string SameFileKey(const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

[[noreturn]] void Refuse(std::string text) {
    throw Error(-1, ErrorSource("UndoLastRun", "UndoLastRun"), std::move(text));
}

std::string RunName(const db::JournalInfo& info) {
    std::string text = "the run of " + (info.function.empty() ? "a function" : info.function);
    if (!info.startedAt.empty())
        text += " started " + info.startedAt;
    return text;
}

} // namespace

void KeepUndoRecord(db::CTMGDB& db, const db::JournalInfo& info, const std::string& logFolder) {
    fs::path log(info.logFile);
    std::string stem = log.empty() ? std::string("run") : log.stem().string();
    std::string target = logFolder + stem + std::string(kUndoExtension);
    db.BaseFs().Rename(db.JournalPath(), target);
    db.BaseFs().SyncFolder(logFolder);

    std::vector<UndoRecord> records = ListUndoRecords(db, logFolder);
    for (size_t i = kKeptUndoRecords; i < records.size(); ++i)
        db.BaseFs().Remove(records[i].path);
}

std::vector<UndoRecord> ListUndoRecords(const db::CTMGDB& db, const std::string& logFolder) {
    struct Found {
        UndoRecord record;
        fs::file_time_type written;
    };
    std::vector<Found> found;
    std::string project = SameFileKey(db.ProjectConfigPath());
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(logFolder, ec)) {
        if (entry.path().extension() != kUndoExtension)
            continue;
        std::string path = entry.path().string();
        // Only committed journals are kept here; the header says whose run each one was.
        auto info = db::ReadJournalHeader(db.BaseFs(), path);
        if (!info || SameFileKey(info->projectPath) != project)
            continue;
        std::error_code timeError;
        fs::file_time_type written = fs::last_write_time(entry.path(), timeError);
        found.push_back({{path, std::move(*info)}, written});
    }
    // Newest first: by the time each was kept, then by start time and name for equal times.
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.written != b.written)
            return a.written > b.written;
        if (a.record.info.startedAt != b.record.info.startedAt)
            return a.record.info.startedAt > b.record.info.startedAt;
        return a.record.path > b.record.path;
    });
    std::vector<UndoRecord> records;
    for (Found& f : found)
        records.push_back(std::move(f.record));
    return records;
}

std::string UndoQuestion(const UndoRecord& record) {
    return "Undo " + RunName(record.info) +
           "?\r\n\r\nEvery file it changed is put back as it was before it ran.";
}

std::string UndoLastRun(db::CTMGDB& db, const std::string& logFolder) {
    std::vector<UndoRecord> records = ListUndoRecords(db, logFolder);
    if (records.empty())
        Refuse("There is no run of this project to undo.");
    UndoRecord record = records.front();
    auto full = db::ReadJournalInfo(db.BaseFs(), record.path);
    if (!full || !full->complete)
        Refuse("Cannot undo " + RunName(record.info) + ": its undo record " + record.path +
               " is damaged. Nothing was changed.");
    record.info = std::move(*full);
    if (auto changed = db::FirstChangedFile(db.BaseFs(), record.info))
        Refuse("Cannot undo " + RunName(record.info) + ": " + *changed +
               " has changed since it ran (was the project used in TMG since?). Nothing was "
               "changed.");

    db.CloseAllTables();
    db.LockForWriting();
    db::JournalInfo undo;
    undo.function = "Undo Last Run";
    undo.startedAt = record.info.startedAt;
    db.BeginRun(undo);
    try {
        db::RestoreFromJournal(db.Journal(), record.path);
        db::JournalInfo done = db.CommitRun();
        // The files are back and synced: the undo's own journal and the record are spent.
        if (done.complete)
            db.BaseFs().Remove(db.JournalPath());
        db.RemoveScratchFiles();
        db.BaseFs().Remove(record.path);
    } catch (...) {
        if (db.RunArmed())
            db.RollBackRun();
        db.UnlockWriting();
        throw;
    }
    db.UnlockWriting();
    std::string text = RunName(record.info);
    text[0] = 'T';
    return text + " was undone; the project is as it was before it.";
}

} // namespace hk
