// A file handle under an armed journal: the original bytes of what a run overwrites are
// journaled, and writes are held back until the entries they depend on are durable.
#include <algorithm>
#include <cstring>

#include "xbase/io/journal_state.h"

namespace hk::db {

JournaledFile::JournaledFile(JournalingFileSystem::State& s, JournalPathState& p,
                             std::unique_ptr<File> base, bool writable)
    : s_(s), p_(p), base_(std::move(base)), writable_(writable) {
    ++p_.handles;
    if (writable_)
        p_.writers.push_back(base_.get());
}

JournaledFile::~JournaledFile() {
    if (writable_) {
        // Held writes outlive their last writable handle on a handle of their own, so that
        // closing the tables of a run costs no sync each; the next apply takes them.
        if (s_.armed && !s_.aborted && !p_.held.empty() && p_.writers.size() == 1) {
            try {
                p_.keeper = s_.base.Open(p_.key, OpenMode::ReadWrite, false);
                p_.writers.push_back(p_.keeper.get());
            } catch (...) {
                try {
                    s_.Apply();
                } catch (...) {
                    // Apply marked the run broken: Commit refuses, RollBack restores.
                }
            }
        }
        p_.writers.erase(std::find(p_.writers.begin(), p_.writers.end(), base_.get()));
    }
    base_.reset();
    --p_.handles;
    s_.Release(p_);
}

size_t JournaledFile::ReadAt(uint64_t offset, void* buf, size_t n) {
    if (!s_.armed || p_.held.empty())
        return base_->ReadAt(offset, buf, n);
    if (offset >= p_.logicalSize)
        return 0;
    n = static_cast<size_t>(std::min<uint64_t>(n, p_.logicalSize - offset));
    auto* out = static_cast<uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        uint64_t pos = offset + done;
        size_t take = std::min<size_t>(n - done, kJournalPage - pos % kJournalPage);
        auto it = p_.held.find(pos / kJournalPage);
        if (it != p_.held.end()) {
            std::memcpy(out + done, it->second.now.get() + pos % kJournalPage, take);
            done += take;
            continue;
        }
        // The pages up to the next held one, in one read from the disk.
        size_t span = take;
        while (done + span < n && !p_.held.count((pos + span) / kJournalPage))
            span += std::min<size_t>(n - done - span, kJournalPage);
        size_t got = base_->ReadAt(pos, out + done, span);
        uint64_t onDisk = pos < p_.baseSize ? std::min<uint64_t>(span, p_.baseSize - pos) : 0;
        if (got < onDisk)
            return done + got;                        // a failing read, not a hole
        std::memset(out + done + got, 0, span - got); // between the disk's end and held pages
        done += span;
    }
    return n;
}

bool JournaledFile::MustHold(uint64_t offset, size_t n) const {
    if (!s_.pending.empty() || s_.journalUnsynced || !p_.held.empty())
        return true;
    for (uint64_t page = offset / kJournalPage; page <= (offset + n - 1) / kJournalPage; ++page)
        if (p_.NeedsJournal(page))
            return true;
    return false;
}

void JournaledFile::WriteAt(uint64_t offset, const void* buf, size_t n) {
    if (!s_.armed || !writable_ || !p_.inScope || n == 0)
        return base_->WriteAt(offset, buf, n);
    if (s_.aborted)
        return;
    s_.CheckUsable(Path());
    // A failure marks the run broken, so that Commit refuses it even when the caller swallows
    // the error (a table closing).
    try {
        if (p_.id == 0)
            s_.Record(p_, true, base_->Size());
        // A file the run created has no original bytes to keep; its entry is already durable.
        if (!p_.existed || !MustHold(offset, n)) {
            base_->WriteAt(offset, buf, n);
            return;
        }
        Hold(offset, static_cast<const uint8_t*>(buf), n);
        if (s_.heldPages * kJournalPage >= s_.heldLimit)
            s_.Apply();
    } catch (...) {
        s_.broken = true;
        throw;
    }
}

void JournaledFile::Hold(uint64_t offset, const uint8_t* in, size_t n) {
    if (p_.held.empty()) {
        p_.baseSize = p_.logicalSize = base_->Size();
        s_.holding.push_back(&p_);
    }
    const uint64_t end = offset + n;
    for (uint64_t page = offset / kJournalPage; page <= (end - 1) / kJournalPage; ++page) {
        const uint64_t start = page * kJournalPage;
        auto it = p_.held.find(page);
        if (it == p_.held.end()) {
            HeldPage slot{s_.NewPage(), nullptr};
            const bool journal = p_.NeedsJournal(page);
            size_t got = 0;
            // Not held: the disk has the page's current content (the original one in the
            // pieces not journaled yet).
            if (journal || offset > start || end < start + kJournalPage)
                got = base_->ReadAt(start, slot.now.get(), kJournalPage);
            std::memset(slot.now.get() + got, 0, kJournalPage - got);
            if (journal) { // the pieces changed are journaled at the apply
                slot.before = s_.NewPage();
                std::memcpy(slot.before.get(), slot.now.get(), kJournalPage);
            }
            s_.heldPages += journal ? 2 : 1;
            it = p_.held.emplace(page, std::move(slot)).first;
        }
        uint8_t* now = it->second.now.get();
        uint64_t from = std::max(offset, start);
        uint64_t to = std::min(end, start + kJournalPage);
        std::memcpy(now + (from - start), in + (from - offset), to - from);
    }
    p_.logicalSize = std::max(p_.logicalSize, end);
}

uint64_t JournaledFile::Size() {
    if (s_.armed && !p_.held.empty())
        return p_.logicalSize;
    return base_->Size();
}

void JournaledFile::Truncate(uint64_t size) {
    if (!s_.armed || !writable_ || !p_.inScope)
        return base_->Truncate(size);
    if (s_.aborted)
        return;
    s_.CheckUsable(Path());
    try {
        if (p_.id == 0)
            s_.Record(p_, true, base_->Size());
        if (p_.existed) {
            // The regions cut off keep their original bytes in the journal first.
            std::vector<uint8_t> page(kJournalPage);
            for (uint64_t pg = size / kJournalPage; pg < p_.journaled.size(); ++pg) {
                if (!p_.NeedsJournal(pg))
                    continue;
                size_t got = base_->ReadAt(pg * kJournalPage, page.data(), kJournalPage);
                s_.JournalPieces(p_, pg, page.data(), got);
            }
            s_.ApplyIfNeeded();
        }
        base_->Truncate(size);
    } catch (...) {
        s_.broken = true;
        throw;
    }
}

void JournaledFile::Sync() {
    if (s_.armed && s_.aborted)
        return;
    if (s_.armed && !p_.held.empty())
        s_.Apply();
    base_->Sync();
}

} // namespace hk::db
