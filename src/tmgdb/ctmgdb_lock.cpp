// CTMGDB: the project lock that keeps other copies from writing a project open here.
#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "xbase/table_error.h"

namespace hk::db {

namespace {

constexpr const char* kClass = "CTMGDB";

} // namespace

std::string CTMGDB::InUseAdvice() {
    return "This application can not access TMG data when TMG has the database open. Please "
           "close TMG and try opening the dataset or project again.";
}

void CTMGDB::RaiseInUse(std::string_view proc, const std::string& context, bool advice) {
    pendingError_ = kErrFileInUse;
    std::string description = TableErrorDescription(kErrFileInUse, context);
    if (advice)
        description += "\r\n\r\n" + InUseAdvice();
    throw TableLibraryError(ErrorSource(kClass, std::string(proc)), description, kErrFileInUse,
                            "the project is in use by another program");
}

void CTMGDB::TakeProjectLock(const std::string& pjcPath) {
    // Projects are named by their .pjc file; without one (only built by hand) nothing can
    // be locked.
    auto found = FindFileNoCase(Fs(), pjcPath);
    if (!found)
        return;
    std::unique_ptr<File> file;
    bool locked = false;
    try {
        file = Fs().Open(*found, OpenMode::ReadOnly, false);
        locked = file->Lock(LockKind::Shared, false);
    } catch (const DbError& e) {
        pendingError_ = e.Number();
        RaiseTableError(e, kClass, "OpenProject", "opening " + *found);
    }
    if (!locked)
        RaiseInUse("OpenProject", "opening " + *found + " (another program is changing it)",
                   false); // the open adds the advice
    projectLock_ = std::move(file);
}

void CTMGDB::ReleaseProjectLock() {
    writeLocked_ = false;
    projectLock_.reset(); // closing the file ends its lock
}

void CTMGDB::LockForWriting() {
    if (!projectLock_ || writeLocked_)
        return;
    if (projectLock_->Lock(LockKind::Exclusive, false)) {
        writeLocked_ = true;
        return;
    }
    // The failed upgrade dropped the shared lock: take it back. Waiting is safe, as only a
    // writer that slipped in between could hold the project now, and it lets go when done.
    projectLock_->Lock(LockKind::Shared, true);
    RaiseInUse("LockForWriting",
               "changing " + projectLock_->Path() + " (another program has it open)", true);
}

void CTMGDB::UnlockWriting() {
    if (!projectLock_ || !writeLocked_)
        return;
    // Going down to shared never conflicts, but flock releases before it relocks: wait.
    projectLock_->Lock(LockKind::Shared, true);
    writeLocked_ = false;
}

} // namespace hk::db
