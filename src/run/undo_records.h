#pragma once
// The undo records of a project: the committed journals of its last runs, kept in the log
// folder beside each run's log, and Undo Last Run, which puts back what the newest one changed.
#include <string>
#include <vector>

#include "tmgdb/ctmgdb.h"

namespace hk {

// How many runs of one project can be undone.
inline constexpr size_t kKeptUndoRecords = 10;

struct UndoRecord {
    std::string path; // in the log folder, named after the run's log: "<log stem>.undo"
    db::JournalInfo info;
};

// Moves the committed journal of the run that just ended into the log folder as its undo
// record, then drops the project's oldest records beyond kKeptUndoRecords.
void KeepUndoRecord(db::CTMGDB& db, const db::JournalInfo& info, const std::string& logFolder);

// The undo records of the open project, newest first, each with its journal's header (what
// its run was; the files it wrote are read when it is undone).
std::vector<UndoRecord> ListUndoRecords(const db::CTMGDB& db, const std::string& logFolder);

// "Undo the run of Fix Sort Dates started 2026-12-06 01:23:52? ..."
std::string UndoQuestion(const UndoRecord& record);

// Puts back every file the newest run wrote, journaled like a run so that a crash during it is
// rolled back at the next open, and drops its record. Refuses (hk::Error, nothing changed)
// when there is nothing to undo or a file the run wrote has changed since. Returns the message
// for the user.
std::string UndoLastRun(db::CTMGDB& db, const std::string& logFolder);

} // namespace hk
