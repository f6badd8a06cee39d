#pragma once
// Rolling back a run that a crash cut short: its journal, left in the project folder, puts
// every file back before anything reads the project.
#include <optional>
#include <string>
#include <vector>

#include "xbase/journal.h"

namespace hk::db {

// Rolls back the run of the journal at `journalPath` in `folder` and removes the journal.
// A journal without a readable header (its run never touched a file) or a complete one (its
// run finished; only its move to the undo records was cut short) is removed and nothing is
// returned. The caller holds the project alone.
std::optional<JournalInfo> RollBackJournal(FileSystem& fs, const std::string& journalPath,
                                           const std::string& folder);

// Removes the private index files in `folder`: scratch that runs make and throw away, kept out
// of journals, so that a run cut short may leave some. The caller holds the project alone.
void RemoveScratchFiles(FileSystem& fs, const std::string& folder);

// The same for every journal in a folder (for tools that open single tables of a project):
// each one whose project no other copy holds is rolled back. Returns the runs rolled back.
std::vector<JournalInfo> RecoverInterruptedRuns(FileSystem& fs, const std::string& folder);

} // namespace hk::db
