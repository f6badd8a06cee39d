// The rollback journal under real tables: a committed run restores to the exact bytes before
// it, an aborted one rolls back, a failing write anywhere in the run and a crash after any
// change both end in the files as they were, torn or damaged journals never apply a bad
// entry, held writes are seen by every handle, and a journal holds only the bytes changed.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <unistd.h>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"
#include "xbase/io/journal_format.h"
#include "xbase/journal.h"
#include "xbase/table.h"

using namespace hk::db;
using namespace hk::test;

namespace {

const std::vector<FieldSpec> kFields = {{"ID", 'I'}, {"NAME", 'C', 24}, {"NOTE", 'M'}};
const std::vector<IndexTagSpec> kTags = {{"ID", "ID"}, {"NAME", "UPPER(NAME)"}};

std::string NameOf(uint32_t r) {
    return "Name " + std::to_string((r * 7919) % 100003);
}

struct Project {
    TempDir dir;
    uint32_t records;
    std::map<std::string, std::string> before;

    explicit Project(uint32_t n = 1500) : records(n) {
        auto t = Table::Create(Path("people.dbf"), kFields, {}, kTags);
        for (uint32_t r = 1; r <= n; ++r) {
            t->AppendStart();
            t->AssignLong(0, static_cast<long>(r));
            t->AssignString(1, NameOf(r));
            t->AssignMemo(2, r % 4 ? "note " + std::to_string(r) : std::string());
            t->Append();
        }
        t.reset();
        dir.Write("notes.txt", std::string(9000, 'n')); // removed by the run
        dir.Write("keep.txt", std::string(5000, 'k'));  // made again by the run
        before = Files();
    }
    std::string Path(const std::string& name) const { return dir.File(name); }
    std::string Journal() const { return dir.File("run.hkj"); }
    // The project's files: every file of the folder but journals.
    std::map<std::string, std::string> Files() const {
        auto files = Snapshot(dir.Path());
        std::erase_if(files, [](const auto& f) { return f.first.ends_with(".hkj"); });
        return files;
    }
    // Only what differs is rewritten: loops put files back hundreds of times.
    void Put(const std::map<std::string, std::string>& files) const {
        auto now = Snapshot(dir.Path());
        for (const auto& [name, bytes] : now)
            if (!files.count(name))
                std::filesystem::remove(dir.Path() / name);
        for (const auto& [name, bytes] : files)
            if (auto it = now.find(name); it == now.end() || it->second != bytes)
                WriteBytes(dir.Path() / name, bytes);
    }
};

JournalInfo Info(const Project& p) {
    return {"Fix Sort Dates", "2026-12-06 01:23:52", "Fix_Sort_Dates_1.log", p.Path("x.pjc")};
}

// A writing run in a small page cache: key changes, deletes, memo growth, appends with memos, a
// private index built in little memory (its sort runs spill beside it), a new table, a file removed
// and one made again. Tables stay open in `open`, as a run frame holds them until it ends.
void WritingRun(Project& p, FileSystem& fs, std::vector<std::unique_ptr<Table>>& open) {
    open.push_back(Table::Open(p.Path("people.dbf"), {.fs = &fs}));
    Table& t = *open.back();
    t.SetCacheLimit(48 << 10); // pages are written and read again while their writes are held
    for (uint32_t r = 3; r <= p.records; r += 37) {
        t.Go(r);
        t.AssignString(1, "Moved " + std::to_string(p.records - r));
        t.AssignLong(0, static_cast<long>(r + 500000));
        if (r % 5 == 0)
            t.Delete();
        if (r % 3 == 0)
            t.AssignMemo(2, std::string(700 + r % 500, 'm'));
    }
    for (uint32_t r = 1; r <= 150; ++r) {
        t.AppendStart();
        t.AssignLong(0, static_cast<long>(900000 + r));
        t.AssignString(1, "Appended " + std::to_string(r * 13 % 150));
        t.AssignMemo(2, std::string(100 + r, 'a'));
        t.Append();
    }
    t.SetIndexBuildMemory(1);
    t.CreateIndex(p.Path("private.cdx"), {{"BYNAME", "NAME+STR(ID,10)"}});
    open.push_back(Table::Create(p.Path("fresh.dbf"), kFields, {}, kTags, &fs));
    for (int i = 1; i <= 40; ++i) {
        open.back()->AppendStart();
        open.back()->AssignLong(0, i);
        open.back()->AssignMemo(2, "fresh " + std::to_string(i));
        open.back()->Append();
    }
    fs.Remove(p.Path("notes.txt"));
    fs.Open(p.Path("keep.txt"), OpenMode::CreateTruncate, true)->WriteAt(0, "again", 5);
    for (auto& table : open)
        table->Flush(); // held, and taken to the disk by the commit
}

void ExpectTagsGood(const Project& p) {
    auto t = Table::Open(p.Path("people.dbf"), {.writable = false});
    std::string fault;
    EXPECT_TRUE(t->CheckIndexes(&fault)) << fault;
}

// Entry boundaries of a journal: where each entry starts, and where the last one ends.
std::vector<size_t> Boundaries(const std::string& j) {
    std::vector<size_t> at;
    for (size_t pos = journal::kFileStartBytes; pos + 5 <= j.size();) {
        at.push_back(pos);
        uint32_t len = 0;
        for (int i = 0; i < 4; ++i)
            len |= uint32_t(static_cast<uint8_t>(j[pos + 1 + i])) << (8 * i);
        pos += journal::kEntryOverhead + len;
        if (pos == j.size())
            at.push_back(pos);
    }
    return at;
}

} // namespace

TEST(Journal, CommittedRunRestoresExactlyAndItsUndoIsJournaledToo) {
    Project p;
    std::vector<std::unique_ptr<Table>> open;
    WritingRun(p, FileSystem::Default(), open);
    open.clear();
    const auto plain = p.Files(); // the same run without a journal
    p.Put(p.before);

    JournalingFileSystem fs(FileSystem::Default());
    fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
    WritingRun(p, fs, open);
    EXPECT_TRUE(fs.Wrote());
    JournalInfo info = fs.Commit();
    open.clear();
    EXPECT_FALSE(fs.Armed());
    EXPECT_EQ(p.Files(), plain) << "the journal changes nothing a run writes";
    ExpectTagsGood(p);
    EXPECT_EQ(fs.JournalBytes(), ReadBytes(p.Journal()).size());

    // The commit record: each file written or made, as left; not the removed one.
    ASSERT_TRUE(info.complete);
    std::set<std::string> names;
    for (const JournalFileState& f : info.after) {
        names.insert(std::filesystem::path(f.path).filename().string());
        EXPECT_EQ(f.size, ReadBytes(f.path).size()) << f.path;
        EXPECT_EQ(f.checksum, FileChecksum(FileSystem::Default(), f.path)) << f.path;
    }
    for (const char* name : {"people.dbf", "people.fpt", "people.cdx", "private.cdx", "fresh.dbf",
                             "fresh.fpt", "fresh.cdx", "keep.txt"})
        EXPECT_TRUE(names.count(name)) << name;
    EXPECT_FALSE(names.count("notes.txt"));
    auto read = ReadJournalInfo(FileSystem::Default(), p.Journal());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->function, "Fix Sort Dates");
    EXPECT_EQ(read->startedAt, "2026-12-06 01:23:52");
    EXPECT_EQ(read->logFile, "Fix_Sort_Dates_1.log");
    EXPECT_EQ(read->projectPath, p.Path("x.pjc"));
    EXPECT_TRUE(read->complete);
    EXPECT_EQ(read->after, info.after);
    EXPECT_EQ(FirstChangedFile(FileSystem::Default(), info), std::nullopt);

    // Undo through an armed journal: the files are as before, and undoing the undo brings
    // the run's result back.
    fs.Begin(p.Path("undo.hkj"), p.dir.Folder(), Info(p));
    RestoreFromJournal(fs, p.Journal());
    JournalInfo undo = fs.Commit();
    EXPECT_TRUE(undo.complete);
    EXPECT_EQ(p.Files(), p.before);
    RestoreFromJournal(FileSystem::Default(), p.Path("undo.hkj"));
    EXPECT_EQ(p.Files(), plain);

    // A table opened before its run (as a project stays open between runs) is journaled.
    auto early = Table::Open(p.Path("people.dbf"), {.fs = &fs});
    fs.Begin(p.Path("second.hkj"), p.dir.Folder(), Info(p));
    early->Go(7);
    early->AssignString(1, "Second run");
    early->Flush();
    EXPECT_TRUE(fs.Commit().complete);
    early.reset();
    EXPECT_NE(p.Files(), plain);
    RestoreFromJournal(FileSystem::Default(), p.Path("second.hkj"));
    EXPECT_EQ(p.Files(), plain);

    // A later change to a file the run wrote, in content or in size, is found.
    std::string cdx = ReadBytes(p.Path("people.cdx"));
    cdx[cdx.size() / 2] ^= 1;
    WriteBytes(p.Path("people.cdx"), cdx);
    EXPECT_EQ(FirstChangedFile(FileSystem::Default(), info), p.Path("people.cdx"));
    WriteBytes(p.Path("people.cdx"), plain.at("people.cdx"));
    WriteBytes(p.Path("keep.txt"), "again!");
    EXPECT_EQ(FirstChangedFile(FileSystem::Default(), info), p.Path("keep.txt"));

    // A run that writes nothing leaves no journal.
    std::filesystem::remove(p.Journal());
    fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
    Table::Open(p.Path("people.dbf"), {.fs = &fs})->Go(5);
    EXPECT_FALSE(fs.Commit().complete);
    EXPECT_FALSE(std::filesystem::exists(p.Journal()));
}

TEST(Journal, ANthFailingWriteOrAFullDiskAnywhereInARunOrItsCommitIsRolledBack) {
    Project p;
    // Runs and commits under the fault `arm` sets; returns the writes and bytes the run made.
    auto runFailing = [&](const std::function<void(FaultyFileSystem&)>& arm,
                          const std::string& what) {
        SCOPED_TRACE(what);
        FaultyFileSystem faulty;
        arm(faulty);
        JournalingFileSystem fs(faulty);
        fs.SetHeldBytesLimit(64 << 10); // several batches in one run
        fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
        std::vector<std::unique_ptr<Table>> open;
        std::string error;
        bool committed = false;
        try {
            WritingRun(p, fs, open);
            open.clear(); // as a run ends: tables closed, then the commit
            fs.Commit();
            committed = true;
        } catch (const DbError& e) {
            error = e.Description();
        }
        const std::pair<long, long long> made{faulty.Writes(),
                                              static_cast<long long>(faulty.BytesWritten())};
        EXPECT_EQ(faulty.FaultPath().empty(), committed) << error;
        if (committed) { // no fault: the journal is the run's undo record
            open.clear();
            RestoreFromJournal(faulty, p.Journal());
            std::filesystem::remove(p.Journal());
        } else {
            EXPECT_TRUE(fs.Armed()) << "a failed run, or commit, stays armed for its roll-back";
            EXPECT_FALSE(fs.Aborted());
            fs.Abort();
            EXPECT_TRUE(fs.Aborted());
            open.clear();  // their flushes are dropped
            faulty.Heal(); // overwriting what a file holds needs no room
            fs.RollBack();
            EXPECT_FALSE(fs.Armed());
        }
        EXPECT_EQ(p.Files(), p.before);
        EXPECT_FALSE(std::filesystem::exists(p.Journal()));
        return made;
    };
    const auto [writes, bytes] = runFailing([](FaultyFileSystem&) {}, "no fault");
    ASSERT_GT(writes, 20);
    for (long n = 1; n <= writes; ++n)
        runFailing([n](FaultyFileSystem& fs) { fs.FailWriteNumber(n); },
                   "failing write " + std::to_string(n));
    for (long long room : {0LL, 100LL, 5000LL, bytes / 3, bytes / 2, bytes - 1})
        runFailing([room](FaultyFileSystem& fs) { fs.DiskFullAfter(room); },
                   "disk full after " + std::to_string(room));
}

TEST(Journal, ACrashAfterAnyChangeIsRolledBackFromTheJournalOnDisk) {
    Project p;
    FaultyFileSystem disk; // the real files, without the real syncs that would slow the loop
    auto crashAfter = [&](long changes) {
        FaultyFileSystem faulty;
        faulty.DieAfter(changes);
        {
            JournalingFileSystem fs(faulty);
            fs.SetHeldBytesLimit(8 << 10); // many batches; whole files journaled in pieces
            fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
            std::vector<std::unique_ptr<Table>> open;
            try {
                WritingRun(p, fs, open);
                open.clear();
                fs.Commit();
            } catch (const DbError&) {
                // what the program saw of a disk that stopped is of no matter: it is gone
            }
            fs.Abort();
        }
        // The next open.
        RestoreFromJournal(disk, p.Journal());
        std::filesystem::remove(p.Journal());
        EXPECT_EQ(p.Files(), p.before) << "crash after " << changes << " changes";
        return faulty.Changes();
    };
    const long total = crashAfter(1L << 30);
    ASSERT_GT(total, 30);
    for (long n = 0; n <= total; ++n)
        crashAfter(n);
}

TEST(Journal, TornOrDamagedJournalsApplyOnlyWholeGoodEntries) {
    Project p(400);
    JournalingFileSystem fs(FileSystem::Default());
    fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
    std::vector<std::unique_ptr<Table>> open;
    WritingRun(p, fs, open);
    fs.Commit();
    open.clear();
    const auto after = p.Files();
    const std::string whole = ReadBytes(p.Journal());
    const std::vector<size_t> bounds = Boundaries(whole);
    ASSERT_EQ(bounds.back(), whole.size());
    ASSERT_GT(bounds.size(), 20u);

    FaultyFileSystem disk; // the real files, without the real syncs that would slow the loop
    auto restored = [&](const std::string& journalBytes) {
        p.Put(after);
        WriteBytes(p.Journal(), journalBytes);
        RestoreFromJournal(disk, p.Journal());
        return p.Files();
    };
    EXPECT_EQ(restored(whole), p.before);
    // Everything up to the last whole entry is applied, nothing of a torn one.
    std::map<std::string, std::string> atBoundary = restored(whole.substr(0, bounds[0]));
    EXPECT_EQ(atBoundary, after) << "no header: nothing applied";
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const size_t from = bounds[i], to = bounds[i + 1];
        for (size_t cut : {from + 1, from + 5, (from + to) / 2, to - 1})
            EXPECT_EQ(restored(whole.substr(0, cut)), atBoundary) << "cut at " << cut;
        std::string flipped = whole;
        flipped[(from + to) / 2] ^= 0x20;
        EXPECT_EQ(restored(flipped), atBoundary) << "a damaged byte stops the restore there";
        atBoundary = restored(whole.substr(0, to));
        auto info = ReadJournalInfo(FileSystem::Default(), p.Journal());
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->complete, to == whole.size());
    }
}

TEST(Journal, HeldWritesAreSeenByEveryHandleAndReachTheDiskOnlyAfterTheirEntries) {
    TempDir dir;
    std::mt19937 rng(5);
    std::string original(10000, '\0');
    for (char& c : original)
        c = static_cast<char>(rng());
    const std::string path = dir.Write("a.bin", original);
    const std::string journalPath = dir.File("a.hkj");
    JournalingFileSystem fs(FileSystem::Default());
    auto early = fs.Open(path, OpenMode::ReadOnly, false); // opened before the run
    fs.Begin(journalPath, dir.Folder(), {});
    auto writer = fs.Open(path, OpenMode::ReadWrite, true);

    std::string expected = original;
    writer->WriteAt(5000, "changed", 7);
    expected.replace(5000, 7, "changed");
    writer->WriteAt(20000, "tail", 4);
    expected.resize(20000, '\0');
    expected += "tail";
    for (File* f : {early.get(), writer.get()}) {
        EXPECT_EQ(f->Size(), 20004u);
        std::string got(30000, '?');
        got.resize(f->ReadAt(0, got.data(), got.size()));
        EXPECT_EQ(got, expected);
        char c;
        EXPECT_EQ(f->ReadAt(4999, &c, 1), 1u);
        EXPECT_EQ(c, original[4999]);
    }
    EXPECT_EQ(ReadBytes(path), original) << "held until the journal is durable";
    EXPECT_FALSE(std::filesystem::exists(journalPath));

    writer->Sync();
    EXPECT_EQ(ReadBytes(path), expected);
    const uint64_t journaled = fs.JournalBytes();
    EXPECT_EQ(ReadBytes(journalPath).size(), journaled);
    EXPECT_LT(journaled, 300u) << "the 64-byte piece written over, not its page";
    writer->WriteAt(5003, "again", 5); // bytes already journaled: the journal stays as it is
    expected.replace(5003, 5, "again");
    writer->Sync();
    EXPECT_EQ(fs.JournalBytes(), journaled);
    EXPECT_EQ(ReadBytes(path), expected);

    // Past the held limit, writes reach the disk without a Sync.
    fs.SetHeldBytesLimit(2 * kJournalRegionBytes);
    writer->WriteAt(0, std::string(9000, 'z').data(), 9000);
    expected.replace(0, 9000, std::string(9000, 'z'));
    EXPECT_EQ(ReadBytes(path), expected);
    writer->Truncate(3000);
    EXPECT_EQ(early->Size(), 3000u);

    EXPECT_THROW(fs.Rename(path, dir.File("b.bin")), DbError);
    writer.reset();
    early.reset();
    ASSERT_TRUE(fs.Commit().complete);
    RestoreFromJournal(FileSystem::Default(), journalPath);
    EXPECT_EQ(ReadBytes(path), original);
    fs.Rename(path, dir.File("b.bin")); // disarmed: a plain rename
    EXPECT_EQ(ReadBytes(dir.File("b.bin")), original);
    // Onto another file system (an undo record kept elsewhere): copied, then removed.
    const std::string shm = "/dev/shm/hk_journal_test_" + std::to_string(getpid());
    if (std::filesystem::exists("/dev/shm")) {
        fs.Rename(dir.File("b.bin"), shm);
        EXPECT_EQ(ReadBytes(shm), original);
        EXPECT_FALSE(std::filesystem::exists(dir.File("b.bin")));
        std::filesystem::remove(shm);
    }
}

TEST(Journal, AJournalHoldsTheChangedBytesNotTheTable) {
    Project p(20000);
    JournalingFileSystem fs(FileSystem::Default());
    fs.Begin(p.Journal(), p.dir.Folder(), Info(p));
    {
        auto t = Table::Open(p.Path("people.dbf"), {.fs = &fs});
        for (uint32_t r = 5000; r < 5200; ++r) { // 1% of the records, keys moved
            t->Go(r);
            t->AssignString(1, "Changed " + std::to_string(r * 31 % 1000));
        }
    }
    fs.Commit();
    const auto after = p.Files();
    // The bytes changed, in the 64-byte pieces the journal keeps.
    size_t changed = 0, tableBytes = 0;
    for (const auto& [name, bytes] : p.before) {
        tableBytes += bytes.size();
        for (size_t at = 0; at < bytes.size(); at += 64)
            if (bytes.compare(at, 64, after.at(name), at, 64) != 0)
                changed += std::min<size_t>(64, bytes.size() - at);
    }
    const std::string j = ReadBytes(p.Journal());
    EXPECT_EQ(j.size(), fs.JournalBytes());
    size_t kept = 0;
    const std::vector<size_t> bounds = Boundaries(j);
    for (size_t i = 0; i + 1 < bounds.size(); ++i)
        if (j[bounds[i]] == static_cast<char>(journal::EntryType::Region))
            kept += bounds[i + 1] - bounds[i] - journal::kEntryOverhead - 12;
    EXPECT_GE(kept, changed) << "every changed byte is kept";
    EXPECT_LE(kept, changed + changed / 10 + 1024) << "bytes written unchanged";
    EXPECT_LE(j.size(), kept * 3 / 2 + 2048) << "entry overhead";
    EXPECT_LT(j.size() * 4, tableBytes) << changed << " bytes changed";
}
