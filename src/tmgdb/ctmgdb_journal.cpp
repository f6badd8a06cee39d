// CTMGDB: the journal under a writing run, and the roll-back of a run a crash interrupted.
#include "support/error.h"
#include "tmgdb/ctmgdb.h"
#include "tmgdb/run_recovery.h"

namespace hk::db {

std::string CTMGDB::JournalPath() const {
    return folder_ + prefix_ + "_.hkj";
}

void CTMGDB::BeginRun(JournalInfo info) {
    info.projectPath = ProjectConfigPath();
    journal_->Begin(JournalPath(), folder_, std::move(info));
}

void CTMGDB::SetRunInfo(JournalInfo info) {
    info.projectPath = ProjectConfigPath();
    journal_->SetInfo(std::move(info));
}

void CTMGDB::FlushRun() {
    for (Slot& slot : slots_)
        if (slot.table)
            slot.table->Flush();
    journal_->ApplyHeld();
}

JournalInfo CTMGDB::CommitRun() {
    // Every page reaches the files, and the private indexes go, before the sizes and
    // checksums after the run are taken.
    CloseAllTables();
    return journal_->Commit();
}

void CTMGDB::RollBackRun() {
    journal_->Abort();
    try {
        CloseAllTables();
    } catch (...) {
        // Closing flushes nothing under Abort; whatever failed, the files are put back next.
    }
    journal_->RollBack();
    RemoveScratchFiles();
}

void CTMGDB::RemoveScratchFiles() {
    db::RemoveScratchFiles(baseFs_, folder_);
}

std::string CTMGDB::RecoveredRunMessage(const JournalInfo& info) {
    std::string function = info.function.empty() ? std::string("a function") : info.function;
    std::string started = info.startedAt.empty() ? std::string() : " started " + info.startedAt;
    return "The interrupted run of " + function + started +
           " was rolled back; the project is as it was before it.";
}

void CTMGDB::RecoverInterruptedRun() {
    recoveredRun_.reset();
    std::string path = JournalPath();
    // Only a copy holding the project alone may put files back or clear away the private
    // indexes a crashed run left; while another copy has it open, that waits for the next open.
    if (projectLock_ && !projectLock_->Lock(LockKind::Exclusive, false)) {
        projectLock_->Lock(LockKind::Shared, true);
        return;
    }
    if (baseFs_.Exists(path))
        recoveredRun_ = RollBackJournal(baseFs_, path, folder_);
    RemoveScratchFiles();
    if (projectLock_)
        projectLock_->Lock(LockKind::Shared, true);
}

} // namespace hk::db
