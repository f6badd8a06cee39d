// Every writing run is all-or-nothing and can be taken back: a run killed at any point is
// rolled back when the project is next opened, a run whose write fails puts the project back
// itself, and Undo Last Run restores every file a run wrote to its bytes before the run.
// HK_CRASH_POINTS (default 60) and HK_CRASH_SEED set the size and seed of the kill campaign.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "changing_project.h"
#include "run/undo_records.h"
#include "tmgdb/run_recovery.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_node.h"
#include "xbase/cdx/cdx_tag.h"

using namespace hk;
using namespace hk::test;

namespace {

using FolderBytes = std::map<std::string, std::string>;

// Puts a folder back to a snapshot: files not in it are removed, the others rewritten.
void Restore(const std::filesystem::path& folder, const FolderBytes& snapshot) {
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (!snapshot.count(e.path().filename().string()))
            std::filesystem::remove(e.path());
    for (const auto& [name, bytes] : snapshot)
        WriteBytes((folder / name).string(), bytes);
}

// Passes everything through; counts the operations that change a file (writes, truncations,
// syncs, removals, renames), and kills the process with SIGKILL at the `killAt`-th (0: never).
class KillingFileSystem final : public db::FileSystem {
public:
    explicit KillingFileSystem(long killAt) : killAt_(killAt) {}
    long Changes() const { return changes_; }

    void Change() {
        if (++changes_ == killAt_)
            ::kill(::getpid(), SIGKILL);
    }
    std::unique_ptr<db::File> Open(const std::string& path, db::OpenMode mode, bool lock) override {
        if (mode == db::OpenMode::CreateTruncate)
            Change();
        return std::make_unique<KillingFile>(*this, base_.Open(path, mode, lock));
    }
    bool Exists(const std::string& path) override { return base_.Exists(path); }
    void Remove(const std::string& path) override {
        Change();
        base_.Remove(path);
    }
    std::vector<std::string> List(const std::string& folder) override { return base_.List(folder); }
    void SyncFolder(const std::string& folder) override {
        Change();
        base_.SyncFolder(folder);
    }
    void Rename(const std::string& from, const std::string& to) override {
        Change();
        base_.Rename(from, to);
    }

private:
    class KillingFile final : public db::File {
    public:
        KillingFile(KillingFileSystem& fs, std::unique_ptr<db::File> base)
            : fs_(fs), base_(std::move(base)) {}
        size_t ReadAt(uint64_t offset, void* buf, size_t n) override {
            return base_->ReadAt(offset, buf, n);
        }
        void WriteAt(uint64_t offset, const void* buf, size_t n) override {
            fs_.Change();
            base_->WriteAt(offset, buf, n);
        }
        uint64_t Size() override { return base_->Size(); }
        void Truncate(uint64_t size) override {
            fs_.Change();
            base_->Truncate(size);
        }
        void Sync() override {
            fs_.Change();
            base_->Sync();
        }
        const std::string& Path() const override { return base_->Path(); }
        bool Lock(db::LockKind kind, bool wait) override { return base_->Lock(kind, wait); }

    private:
        KillingFileSystem& fs_;
        std::unique_ptr<db::File> base_;
    };

    db::FileSystem& base_ = db::FileSystem::Default();
    long killAt_;
    long changes_ = 0;
};

long EnvNumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atol(v) : fallback;
}

// The functions that write, last first: Fix Sort Dates must see the burial before Set Sort
// Dates dates it.
std::vector<MaintenanceFunction*> LastFirst(FunctionProject& f) {
    std::vector<MaintenanceFunction*> all;
    for (auto it = f.functions.All().rbegin(); it != f.functions.All().rend(); ++it)
        if ((*it)->WritesProject())
            all.push_back(it->get());
    return all;
}

} // namespace

TEST(JournaledRun, EveryRunIsUndoneToTheByteOneRunAtATimeNewestFirst) {
    FunctionProject f;
    BuildChangingProject(f);
    Settings settings(f.store);
    int runs = 0;
    const std::string logFolder = f.dir.Folder() + "logs/";
    std::vector<FolderBytes> states{Snapshot(f.Folder())};
    for (MaintenanceFunction* fn : LastFirst(f)) {
        SCOPED_TRACE(fn->Key());
        RunResult r =
            RunFunction(f, settings, runs, *fn, false, db::FileSystem::Default(), logFolder);
        EXPECT_TRUE(r.dispatched && r.error.empty()) << r.error;
        EXPECT_TRUE(r.log.Mentions("Journal=")) << "the footer tells the journal's size";
        states.push_back(Snapshot(f.Folder()));
        EXPECT_NE(states.back(), states[states.size() - 2]) << "the run changed the project";
    }

    db::CTMGDB db;
    db.OpenProject(f.build.PjcPath());
    std::vector<UndoRecord> records = ListUndoRecords(db, logFolder);
    const std::vector<MaintenanceFunction*> ran = LastFirst(f);
    ASSERT_EQ(records.size(), ran.size());
    EXPECT_EQ(records.front().info.function, ran.back()->Caption()) << "newest first";
    EXPECT_EQ(records.back().info.function, ran.front()->Caption());

    // A change made after the newest run (as TMG would) makes it impossible to undo.
    const FolderBytes last = states.back();
    std::string people = f.Table("$");
    WriteBytes(people, ReadBytes(people) + "\x1a");
    try {
        UndoLastRun(db, logFolder);
        ADD_FAILURE() << "undo went ahead over a changed file";
    } catch (const hk::Error& e) {
        EXPECT_NE(e.Description().find("has changed since it ran"), std::string::npos)
            << e.Description();
        EXPECT_NE(e.Description().find(std::filesystem::path(people).filename().string()),
                  std::string::npos)
            << e.Description();
    }
    EXPECT_EQ(ListUndoRecords(db, logFolder).size(), ran.size())
        << "a refused undo keeps its record";
    Restore(f.Folder(), last);

    for (size_t i = states.size() - 1; i > 0; --i) {
        SCOPED_TRACE(records[states.size() - 1 - i].info.function);
        std::string said = UndoLastRun(db, logFolder);
        EXPECT_NE(said.find("was undone"), std::string::npos) << said;
        EXPECT_EQ(Snapshot(f.Folder()), states[i - 1]) << "byte-identical, no journal left";
    }
    EXPECT_TRUE(ListUndoRecords(db, logFolder).empty());
    EXPECT_THROW(UndoLastRun(db, logFolder), hk::Error);
    EXPECT_EQ(Snapshot(f.Folder()), states.front());
}

TEST(JournaledRun, AWriteThatFailsAnywhereLeavesTheProjectAsItWas) {
    FunctionProject f;
    BuildChangingProject(f);
    Settings settings(f.store);
    int runs = 0;
    const FolderBytes before = Snapshot(f.Folder());
    for (MaintenanceFunction* fn : LastFirst(f)) {
        SCOPED_TRACE(fn->Key());
        FaultyFileSystem faults;
        RunResult clean = RunFunction(f, settings, runs, *fn, false, faults);
        ASSERT_TRUE(clean.error.empty()) << clean.error;
        const long writes = faults.Writes();
        Restore(f.Folder(), before);
        // Every write when there are few, else 25 spread over the run, the last included.
        const long step = std::max<long>(1, writes / 25);
        for (long n = writes; n >= 1; n -= step) {
            SCOPED_TRACE("failing write " + std::to_string(n) + " of " + std::to_string(writes));
            FaultyFileSystem failing;
            failing.FailWriteNumber(n);
            RunResult r = RunFunction(f, settings, runs, *fn, false, failing);
            EXPECT_FALSE(r.error.empty()) << "the failure is shown";
            EXPECT_EQ(Snapshot(f.Folder()), before) << "byte-identical, no journal left";
            if (r.log.Mentions("*ERROR* "))
                EXPECT_TRUE(r.log.Has(std::string(kRunUndoneNote)));
            Restore(f.Folder(), before);
        }
    }
}

TEST(JournaledRun, ADamagedIndexNodeNoOpenReadsStopsTheRunAndLeavesTheProjectAsItWas) {
    FunctionProject f;
    for (int i = 0; i < 3000; ++i)
        f.build.Event(kTagBirth, f.build.Person('M', "Abel", "Old"), 0, ExactDate(1850));
    f.build.Write();
    // A leaf in the middle of the tag Set Living walks the people by: its free space count.
    std::string cdxPath = f.build.TablePath("$");
    cdxPath.replace(cdxPath.size() - 3, 3, "cdx");
    uint32_t header = 0;
    {
        auto cdx = db::CdxFile::Open(db::FileSystem::Default(), cdxPath, false);
        ASSERT_NE(cdx->FindTag("REF_ID"), nullptr);
        header = cdx->FindTag("REF_ID")->HeaderOffset();
    }
    std::string bytes = ReadBytes(cdxPath);
    auto at = [&](uint32_t off) { return reinterpret_cast<uint8_t*>(bytes.data()) + off; };
    const uint32_t kl = db::cdx::Get16(at(header + 12));
    uint32_t node = db::cdx::Get32(at(header)), depth = 0;
    for (; !(db::cdx::Get16(at(node)) & db::cdx::kAttrLeaf); ++depth) {
        const uint32_t middle = db::cdx::Get16(at(node + 2)) / 2;
        node = db::cdx::GetBE32(at(node + 12 + middle * (kl + 8) + kl + 4));
    }
    ASSERT_GT(depth, 0u) << "the tag has leaves below a root";
    db::cdx::Put16(at(node + 12), 7);
    WriteBytes(cdxPath, bytes);

    Settings settings(f.store);
    int runs = 0;
    const FolderBytes before = Snapshot(f.Folder());
    RunResult r = RunFunction(f, settings, runs, *f.functions.FindByKey("setliving"), false);
    EXPECT_NE(r.error.find("Error -310"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("free space"), std::string::npos) << r.error;
    EXPECT_EQ(Snapshot(f.Folder()), before) << "byte-identical, no journal left";
}

TEST(JournaledRun, ARunKilledAnywhereIsRolledBackWhenTheProjectIsNextOpened) {
    FunctionProject f;
    BuildChangingProject(f);
    Settings settings(f.store);
    int runs = 0;
    const FolderBytes before = Snapshot(f.Folder());
    const long points = EnvNumber("HK_CRASH_POINTS", 60);
    const auto seed = static_cast<uint32_t>(EnvNumber("HK_CRASH_SEED", 20261206));
    std::mt19937 rng(seed);
    std::vector<MaintenanceFunction*> functions = LastFirst(f);
    bool noteSeen = false;
    for (long p = 0; p < points; ++p) {
        MaintenanceFunction& fn = *functions[static_cast<size_t>(p) % functions.size()];
        KillingFileSystem counting(0);
        RunFunction(f, settings, runs, fn, false, counting);
        const FolderBytes finished = Snapshot(f.Folder());
        Restore(f.Folder(), before);
        ASSERT_GT(counting.Changes(), 0) << fn.Key();
        const long killAt = std::uniform_int_distribution<long>(1, counting.Changes())(rng);
        SCOPED_TRACE(fn.Key() + ": seed " + std::to_string(seed) + ", killed at change " +
                     std::to_string(killAt) + " of " + std::to_string(counting.Changes()));

        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillingFileSystem killing(killAt);
            RunFunction(f, settings, runs, fn, false, killing);
            ::_exit(0); // not killed: the parent reports it
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        const FolderBytes killed = Snapshot(f.Folder());
        AgreeingUserInterface ui;
        OpenProjectSteps steps;
        steps.programFolder = f.programFolder;
        db::CTMGDB db;
        ASSERT_TRUE(OpenProjectFile(db, f.build.PjcPath(), ui, steps));
        // Killed before its commit record was durable, the run is taken back; after it, the
        // run is done. Either way byte for byte, and no journal is left.
        const FolderBytes now = Snapshot(f.Folder());
        EXPECT_TRUE(now == before || now == finished);
        if (now == finished)
            EXPECT_FALSE(db.RecoveredRun());
        std::vector<UiEvent> said = ui.Of("message");
        if (db.RecoveredRun()) {
            ASSERT_EQ(said.size(), 1u);
            EXPECT_EQ(said[0].text, "The interrupted run of " + fn.Caption() + " started " +
                                        FormatDateTime(f.clock.Now()) +
                                        " was rolled back; the project is as it was before it.");
        } else {
            EXPECT_TRUE(said.empty());
        }
        const bool recovered = db.RecoveredRun().has_value();
        db.CloseProject();
        if (recovered && !noteSeen) {
            // The next run's log tells of the roll-back too (once is enough to see it).
            noteSeen = true;
            Restore(f.Folder(), killed);
            RunResult next = RunFunction(f, settings, runs, fn, true);
            EXPECT_TRUE(next.log.Mentions("*NOTE* The interrupted run of " + fn.Caption()));
            // A tool that writes single tables (hkdbf) rolls it back the same way.
            Restore(f.Folder(), killed);
            std::vector<db::JournalInfo> rolledBack =
                db::RecoverInterruptedRuns(db::FileSystem::Default(), f.dir.Folder() + "proj/");
            ASSERT_EQ(rolledBack.size(), 1u);
            EXPECT_EQ(rolledBack[0].function, fn.Caption());
            EXPECT_EQ(Snapshot(f.Folder()), before);
        }
        Restore(f.Folder(), before);
    }
    EXPECT_TRUE(noteSeen || points < 10) << "some kill left a journal to roll back";
}

TEST(JournaledRun, TheCommandLineListsAndUndoesTheNewestRun) {
    FunctionProject f;
    f.build.Event(kTagBirth, f.build.Person('M', "Abel", "Old"), 0, ExactDate(1850));
    f.build.Write();
    const FolderBytes before = Snapshot(f.Folder());
    ASSERT_EQ(f.Run("setliving", {"--opt", "MaxYear=1900"}), 0) << f.err.str();
    const FolderBytes after = Snapshot(f.Folder());
    ASSERT_NE(after, before);
    const std::string logDir = (f.dir.Path() / "logs1").string();
    auto undo = [&](Lines words) {
        words.insert(words.begin(), {"undo", f.build.PjcPath()});
        words.insert(words.end(), {"--log-dir", logDir});
        f.out.str("");
        f.err.str("");
        cli::CliEnvironment env{f.functions,     f.store,           f.in, f.out, f.err,
                                f.programFolder, f.dir.File("docs")};
        return cli::RunCli(words, env);
    };

    EXPECT_EQ(undo({"--list"}), 0);
    EXPECT_NE(f.out.str().find("Set Living"), std::string::npos) << f.out.str();

    // Only the newest records are kept: twelve older ones beside it, then one more kept.
    {
        db::CTMGDB db;
        db.OpenProject(f.build.PjcPath());
        std::vector<UndoRecord> records = ListUndoRecords(db, logDir + "/");
        ASSERT_EQ(records.size(), 1u);
        const std::string newest = records[0].path;
        auto time = std::filesystem::last_write_time(newest);
        for (int i = 1; i <= 12; ++i) {
            std::string old = logDir + "/old" + std::to_string(i) + ".undo";
            std::filesystem::copy_file(newest, old);
            std::filesystem::last_write_time(old, time - std::chrono::hours(i));
        }
        std::filesystem::copy_file(newest, db.JournalPath());
        db::JournalInfo kept = records[0].info;
        kept.logFile = logDir + "/again.log";
        KeepUndoRecord(db, kept, logDir + "/");
        records = ListUndoRecords(db, logDir + "/");
        ASSERT_EQ(records.size(), kKeptUndoRecords);
        EXPECT_EQ(std::filesystem::path(records[0].path).filename(), "again.undo");
        EXPECT_EQ(records[1].path, newest);
        EXPECT_EQ(std::filesystem::path(records.back().path).filename(), "old8.undo");
        EXPECT_FALSE(std::filesystem::exists(db.JournalPath()));
        for (const UndoRecord& r : records)
            if (r.path != newest)
                std::filesystem::remove(r.path);
    }
    EXPECT_EQ(undo({}), 1) << "without --yes and without a terminal nothing is undone";
    EXPECT_EQ(Snapshot(f.Folder()), after);
    EXPECT_EQ(undo({"--yes"}), 0) << f.err.str();
    EXPECT_NE(f.out.str().find("was undone"), std::string::npos) << f.out.str();
    EXPECT_EQ(Snapshot(f.Folder()), before);
    EXPECT_EQ(undo({"--yes"}), 1);
    EXPECT_NE(f.err.str().find("no run"), std::string::npos) << f.err.str();
}
