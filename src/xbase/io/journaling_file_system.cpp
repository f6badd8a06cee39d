// The journaling file system: arming and ending runs, opens, removals, and the apply that makes
// journal entries durable before the writes held behind them reach the project.
#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <set>

#include "xbase/db_error.h"
#include "xbase/io/journal_format.h"
#include "xbase/io/journal_state.h"

namespace hk::db {
namespace {

std::string Normal(const std::string& path) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : abs).lexically_normal().string();
}

std::string Parent(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

} // namespace

void JournalPathState::ResetRun() {
    id = 0;
    existed = removed = false;
    originalSize = 0;
    journaled.clear();
    held.clear();
    DropKeeper();
}

void JournalPathState::DropKeeper() {
    if (!keeper)
        return;
    writers.erase(std::find(writers.begin(), writers.end(), keeper.get()));
    keeper.reset();
}

JournalPathState& JournalingFileSystem::State::Get(const std::string& path) {
    std::string key = Normal(path);
    auto& slot = paths[key];
    if (!slot) {
        slot = std::make_unique<JournalPathState>();
        slot->key = key;
        slot->inScope = armed && InScope(key);
    }
    return *slot;
}

void JournalingFileSystem::State::Release(JournalPathState& p) {
    if (p.handles == 0 && p.id == 0 && p.held.empty())
        paths.erase(p.key);
}

bool JournalingFileSystem::State::InScope(const std::string& key) const {
    return key.size() > scope.size() && key.compare(0, scope.size(), scope) == 0 &&
           key != journalPath && !(scratch && scratch(key));
}

void JournalingFileSystem::State::CheckUsable(const std::string& path) const {
    if (broken)
        throw DbError(kErrWrite, path,
                      "an earlier write of this run failed; its changes must be rolled back");
}

void JournalingFileSystem::State::Record(JournalPathState& p, bool fileExisted, uint64_t size) {
    if (journalSize == 0 && pending.empty()) {
        pending = journal::FileStart();
        journal::AppendHeader(pending, info);
    }
    p.id = nextId++;
    p.existed = fileExisted;
    p.originalSize = fileExisted ? size : 0;
    p.journaled.assign((p.originalSize + kJournalPage - 1) / kJournalPage, 0);
    if (size_t tail = p.originalSize % kJournalPage) // pieces past the end have nothing to keep
        for (size_t piece = (tail + kJournalPiece - 1) / kJournalPiece; piece < 64; ++piece)
            p.journaled.back() |= uint64_t(1) << piece;
    journal::AppendFile(pending, p.id, p.existed, p.originalSize, p.key);
    recorded.push_back(&p);
}

void JournalingFileSystem::State::JournalPieces(JournalPathState& p, uint64_t page,
                                                const uint8_t* original, size_t got,
                                                const uint8_t* changed) {
    uint64_t& mask = p.journaled[page];
    const uint64_t start = page * kJournalPage;
    const size_t limit =
        static_cast<size_t>(std::min<uint64_t>(kJournalPage, p.originalSize - start));
    uint64_t want = ~mask;
    if (changed) {
        uint64_t differ = 0;
        for (size_t piece = 0; piece < 64; ++piece)
            if ((want >> piece & 1) &&
                std::memcmp(original + piece * kJournalPiece, changed + piece * kJournalPiece,
                            kJournalPiece) != 0)
                differ |= uint64_t(1) << piece;
        want &= differ;
    }
    // Each run of adjacent pieces is one entry.
    while (want != 0) {
        const int i = std::countr_zero(want);
        const int j = i + std::countr_one(want >> i);
        const uint64_t bits = j - i == 64 ? ~uint64_t(0) : ((uint64_t(1) << (j - i)) - 1) << i;
        const size_t from = i * kJournalPiece;
        const size_t to = std::min({j * kJournalPiece, limit, std::max(got, from)});
        journal::AppendRegion(pending, p.id, start + from, original + from, to - from);
        mask |= bits;
        want &= ~bits;
    }
    // Whole files journaled at once (cut, removed or made again) go out in pieces; the sync
    // comes before anything they describe is touched.
    if (pending.size() >= heldLimit) {
        try {
            WritePending();
        } catch (...) {
            broken = true;
            throw;
        }
        journalUnsynced = true;
    }
}

void JournalingFileSystem::State::JournalAll(JournalPathState& p) {
    if (std::find_if(p.journaled.begin(), p.journaled.end(),
                     [](uint64_t mask) { return mask != ~uint64_t(0); }) == p.journaled.end())
        return;
    auto file = base.Open(p.key, OpenMode::ReadOnly, false);
    std::vector<uint8_t> chunk(256 * kJournalPage);
    for (uint64_t first = 0; first < p.journaled.size(); first += 256) {
        size_t got = file->ReadAt(first * kJournalPage, chunk.data(), chunk.size());
        for (uint64_t pg = first; pg < std::min<uint64_t>(first + 256, p.journaled.size()); ++pg) {
            size_t at = static_cast<size_t>((pg - first) * kJournalPage);
            if (p.NeedsJournal(pg))
                JournalPieces(p, pg, chunk.data() + at, got > at ? got - at : 0);
        }
    }
}

void JournalingFileSystem::State::WritePending() {
    if (pending.empty())
        return;
    if (!journal) {
        journal = base.Open(journalPath, OpenMode::CreateTruncate, false);
        folderUnsynced = true;
    }
    journal->WriteAt(journalSize, pending.data(), pending.size());
    journalSize += pending.size();
    pending.clear();
}

void JournalingFileSystem::State::FlushJournal() {
    if (pending.empty() && !journalUnsynced)
        return;
    WritePending();
    journal->Sync();
    if (folderUnsynced)
        base.SyncFolder(journalFolder);
    folderUnsynced = journalUnsynced = false;
}

void JournalingFileSystem::State::Apply() {
    CheckUsable(journalPath);
    try {
        for (JournalPathState* p : holding) {
            for (auto& [page, held] : p->held) {
                if (held.before) {
                    JournalPieces(*p, page, held.before.get(), kJournalPage, held.now.get());
                    spare.push_back(std::move(held.before));
                }
            }
        }
        FlushJournal();
        std::vector<uint8_t> run;
        std::vector<uint64_t> pages;
        for (JournalPathState* p : holding) {
            if (p->writers.empty())
                throw DbError(kErrWrite, p->key, "held writes lost their file");
            File& out = *p->writers.front();
            pages.clear();
            for (const auto& [page, bytes] : p->held)
                pages.push_back(page);
            std::sort(pages.begin(), pages.end());
            // Runs of adjacent pages go out as one write of up to 1 MB.
            for (size_t i = 0; i < pages.size();) {
                size_t j = i;
                run.clear();
                do {
                    const uint8_t* b = p->held[pages[j]].now.get();
                    run.insert(run.end(), b, b + kJournalPage);
                    ++j;
                } while (j < pages.size() && pages[j] == pages[j - 1] + 1 && j - i < 256);
                uint64_t start = pages[i] * kJournalPage;
                uint64_t end = std::min<uint64_t>(start + run.size(), p->logicalSize);
                if (end > start)
                    out.WriteAt(start, run.data(), static_cast<size_t>(end - start));
                i = j;
            }
            Recycle(*p);
        }
        holding.clear();
        heldPages = 0;
    } catch (...) {
        broken = true;
        throw;
    }
}

std::unique_ptr<uint8_t[]> JournalingFileSystem::State::NewPage() {
    if (spare.empty())
        return std::make_unique_for_overwrite<uint8_t[]>(kJournalPage);
    auto page = std::move(spare.back());
    spare.pop_back();
    return page;
}

void JournalingFileSystem::State::Recycle(JournalPathState& p) {
    for (auto& [page, held] : p.held) {
        spare.push_back(std::move(held.now));
        if (held.before)
            spare.push_back(std::move(held.before));
    }
    p.held.clear();
    p.DropKeeper();
}

void JournalingFileSystem::State::DropHeld() {
    for (JournalPathState* p : holding)
        Recycle(*p);
    holding.clear();
    heldPages = 0;
}

void JournalingFileSystem::State::Disarm() {
    DropHeld();
    spare.clear();
    armed = aborted = broken = false;
    folderUnsynced = journalUnsynced = false;
    journal.reset();
    pending.clear();
    nextId = 1;
    for (JournalPathState* p : recorded)
        p->ResetRun();
    recorded.clear();
    for (auto it = paths.begin(); it != paths.end();) {
        it->second->inScope = false;
        it = it->second->handles == 0 ? paths.erase(it) : std::next(it);
    }
}

JournalingFileSystem::JournalingFileSystem(FileSystem& base)
    : state_(std::make_unique<State>(base)) {}

JournalingFileSystem::~JournalingFileSystem() = default;

void JournalingFileSystem::Begin(const std::string& journalPath, const std::string& scopeFolder,
                                 JournalInfo info) {
    State& s = *state_;
    if (s.armed)
        throw DbError(kErrParam, journalPath, "a journaled run is already under way");
    s.journalPath = Normal(journalPath);
    s.journalFolder = Parent(s.journalPath);
    s.scope = Normal(scopeFolder);
    if (s.scope.empty() || s.scope.back() != '/')
        s.scope += '/';
    s.info = std::move(info);
    s.journalSize = 0;
    s.armed = true;
    for (auto& [key, p] : s.paths)
        p->inScope = s.InScope(key);
}

void JournalingFileSystem::SetScratchFiles(std::function<bool(const std::string& path)> isScratch) {
    state_->scratch = std::move(isScratch);
}

void JournalingFileSystem::SetInfo(JournalInfo info) {
    state_->info = std::move(info);
}

bool JournalingFileSystem::Armed() const {
    return state_->armed;
}

bool JournalingFileSystem::Wrote() const {
    return !state_->recorded.empty();
}

uint64_t JournalingFileSystem::JournalBytes() const {
    return state_->journalSize + state_->pending.size();
}

void JournalingFileSystem::SetHeldBytesLimit(size_t bytes) {
    state_->heldLimit = std::max<size_t>(bytes, kJournalPage);
}

JournalInfo JournalingFileSystem::Commit() {
    State& s = *state_;
    JournalInfo result = s.info;
    if (!s.armed)
        return result;
    if (s.aborted)
        throw DbError(kErrParam, s.journalPath, "an aborted run cannot be committed");
    if (s.recorded.empty()) {
        s.Disarm();
        return result;
    }
    s.Apply();
    std::set<std::string> folders;
    try {
        for (JournalPathState* p : s.recorded) {
            if (!p->existed || p->removed)
                folders.insert(Parent(p->key));
            if (!s.base.Exists(p->key))
                continue; // removed by the run, or a scratch file it made and removed
            auto file = s.base.Open(p->key, OpenMode::ReadOnly, false);
            file->Sync();
            result.after.push_back({p->key, file->Size(), FileChecksum(s.base, p->key)});
        }
        for (const std::string& folder : folders)
            s.base.SyncFolder(folder);
        journal::AppendCommit(s.pending, result.after);
        s.FlushJournal();
    } catch (...) {
        s.broken = true;
        throw;
    }
    result.complete = true;
    s.Disarm();
    return result;
}

void JournalingFileSystem::Abort() {
    State& s = *state_;
    if (!s.armed)
        return;
    s.aborted = true;
    // Entries not yet durable describe only writes that were held, and are dropped with them.
    s.pending.clear();
    s.DropHeld();
}

void JournalingFileSystem::ApplyHeld() {
    State& s = *state_;
    if (s.armed && !s.aborted && !s.holding.empty())
        s.Apply();
}

bool JournalingFileSystem::Aborted() const {
    return state_->armed && state_->aborted;
}

void JournalingFileSystem::RollBack() {
    State& s = *state_;
    if (!s.armed)
        return;
    Abort();
    const bool haveJournal = s.journal != nullptr;
    s.journal.reset();
    try {
        if (haveJournal) {
            RestoreFromJournal(s.base, s.journalPath);
            s.base.Remove(s.journalPath);
            s.base.SyncFolder(s.journalFolder);
        }
    } catch (...) {
        s.Disarm(); // the journal stays for the recovery at the next open
        throw;
    }
    s.Disarm();
}

std::unique_ptr<File> JournalingFileSystem::Open(const std::string& path, OpenMode mode,
                                                 bool lock) {
    State& s = *state_;
    JournalPathState& p = s.Get(path);
    try {
        if (s.armed && p.inScope && mode == OpenMode::CreateTruncate) {
            if (s.aborted)
                throw DbError(kErrCreate, path, "the run was stopped; no file is made any more");
            s.CheckUsable(path);
            bool exists = s.base.Exists(path);
            if (p.id == 0)
                s.Record(p, exists,
                         exists ? s.base.Open(path, OpenMode::ReadOnly, false)->Size() : 0);
            if (p.existed && exists)
                s.JournalAll(p);
            p.removed = false;
            // The entry saying what the file was is durable before the file is cut or made.
            s.ApplyIfNeeded();
        }
        auto base = s.base.Open(path, mode, lock);
        return std::make_unique<JournaledFile>(s, p, std::move(base), mode != OpenMode::ReadOnly);
    } catch (...) {
        s.Release(p);
        throw;
    }
}

bool JournalingFileSystem::Exists(const std::string& path) {
    return state_->base.Exists(path);
}

void JournalingFileSystem::Remove(const std::string& path) {
    State& s = *state_;
    if (!s.armed)
        return s.base.Remove(path);
    JournalPathState& p = s.Get(path);
    struct Release {
        State& s;
        JournalPathState& p;
        ~Release() { s.Release(p); }
    } release{s, p};
    if (!p.inScope)
        return s.base.Remove(path);
    if (s.aborted)
        return;
    s.CheckUsable(path);
    if (!s.base.Exists(path))
        return;
    if (p.id == 0)
        s.Record(p, true, s.base.Open(path, OpenMode::ReadOnly, false)->Size());
    if (p.existed) {
        s.JournalAll(p);
        journal::AppendRemoved(s.pending, p.id);
        s.Apply();
    }
    p.removed = true;
    s.base.Remove(path);
}

std::vector<std::string> JournalingFileSystem::List(const std::string& folder) {
    return state_->base.List(folder);
}

void JournalingFileSystem::SyncFolder(const std::string& folder) {
    if (!(state_->armed && state_->aborted))
        state_->base.SyncFolder(folder);
}

void JournalingFileSystem::Rename(const std::string& from, const std::string& to) {
    State& s = *state_;
    // Nothing in the engine renames; a rename inside a journaled run could not be undone.
    if (s.armed && (s.InScope(Normal(from)) || s.InScope(Normal(to))))
        throw DbError(kErrWrite, from, "a file of the project cannot be renamed during a run");
    s.base.Rename(from, to);
}

} // namespace hk::db
