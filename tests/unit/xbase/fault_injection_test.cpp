// The table, memo and index writers under a failing disk: every write of an operation fails in
// turn, the disk fills part way, syncs fail, reads come back short. Each fault must end in the
// engine's error naming the file, and must not reach any other file. There is no journal yet,
// so of the file that failed only the records the operation did not touch are promised to read
// as before (when the table still opens at all; a refusal must be a clean error).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"
#include "xbase/table.h"

using namespace hk::db;
using namespace hk::test;

namespace {

constexpr uint32_t kRecords = 2500;

std::string NameOf(uint32_t r) {
    return "Name " + std::to_string((r * 7919) % kRecords);
}
std::string NoteOf(uint32_t r) {
    return r % 3 == 0 ? std::string() : "note of " + std::to_string(r);
}

const std::vector<FieldSpec> kFields = {{"ID", 'I'}, {"NAME", 'C', 20}, {"NOTE", 'M'}};
const std::vector<IndexTagSpec> kTags = {{"ID", "ID"}, {"NAME", "UPPER(NAME)"}};

struct Project {
    TempDir dir;
    std::map<std::string, std::string> files; // as committed before every operation

    Project() {
        auto people = Table::Create(Path("people.dbf"), kFields, {}, kTags);
        for (uint32_t r = 1; r <= kRecords; ++r) {
            people->AppendStart();
            people->AssignLong(0, static_cast<long>(r));
            people->AssignString(1, NameOf(r));
            people->AssignMemo(2, NoteOf(r));
            people->Append();
        }
        people.reset();
        auto other = Table::Create(Path("other.dbf"), {{"CODE", 'C', 10}}, {}, {{"CODE", "CODE"}});
        for (int i = 0; i < 50; ++i) {
            other->AppendStart();
            other->AssignString(0, "C" + std::to_string(i));
            other->Append();
        }
        other.reset();
        files = Files();
    }

    std::string Path(const std::string& name) const { return dir.File(name); }

    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            out[e.path().filename().string()] = ReadBytes(e.path());
        return out;
    }

    // Only what differs is rewritten: a loop restores hundreds of times.
    void Restore() const {
        auto now = Files();
        for (const auto& [name, bytes] : now)
            if (!files.count(name))
                std::filesystem::remove(dir.Path() / name);
        for (const auto& [name, bytes] : files)
            if (auto it = now.find(name); it == now.end() || it->second != bytes)
                WriteBytes(dir.Path() / name, bytes);
    }
};

// An operation on the project through a file system: the files it writes (by name prefix) and
// the records of people.dbf it changes.
struct Operation {
    std::string name;
    std::string writes;
    std::function<void(Project&, FileSystem&)> run;
    std::vector<uint32_t> touched;
    bool grows = false; // appends or creates: the header may end up ahead of the records
};

std::unique_ptr<Table> OpenPeople(Project& p, FileSystem& fs) {
    return Table::Open(p.Path("people.dbf"), {.fs = &fs});
}

std::vector<Operation> Operations() {
    std::vector<Operation> ops;
    std::vector<uint32_t> assigned, grown;
    for (uint32_t r = 1; r <= kRecords; r += 97)
        assigned.push_back(r);
    for (uint32_t r = 5; r <= kRecords; r += 211)
        grown.push_back(r);
    ops.push_back({"assign keys", "people.",
                   [assigned](Project& p, FileSystem& fs) {
                       auto t = OpenPeople(p, fs);
                       for (uint32_t r : assigned) {
                           t->Go(r);
                           t->AssignString(1, "Changed " + std::to_string(r));
                           t->AssignLong(0, static_cast<long>(r + 100000));
                           t->Delete();
                       }
                       t->Sync();
                   },
                   assigned});
    ops.push_back({"append with memos and index splits",
                   "people.",
                   [](Project& p, FileSystem& fs) {
                       auto t = OpenPeople(p, fs);
                       for (uint32_t r = kRecords + 1; r <= kRecords + 400; ++r) {
                           t->AppendStart();
                           t->AssignLong(0, static_cast<long>(r));
                           t->AssignString(1, "Appended " + std::to_string(r));
                           t->AssignMemo(2, std::string(300, 'x'));
                           t->Append();
                       }
                       t->Sync();
                   },
                   {},
                   true});
    ops.push_back({"memo grow", "people.",
                   [grown](Project& p, FileSystem& fs) {
                       auto t = OpenPeople(p, fs);
                       for (uint32_t r : grown) {
                           t->Go(r);
                           t->AssignMemo(2, std::string(5000, 'm'));
                       }
                       t->Sync();
                   },
                   grown});
    ops.push_back(
        {"index build with sort runs and level spill", "extra.", [](Project& p, FileSystem& fs) {
             auto t = OpenPeople(p, fs);
             t->SetIndexBuildMemory(1); // the least: runs of 1024 keys
             t->CreateIndex(p.Path("extra.cdx"), {{"BYNAME", "NAME+STR(ID,10)"}});
             t->Sync();
         }});
    ops.push_back({"create",
                   "fresh.",
                   [](Project& p, FileSystem& fs) {
                       auto t = Table::Create(p.Path("fresh.dbf"), kFields, {}, kTags, &fs);
                       for (int i = 1; i <= 300; ++i) {
                           t->AppendStart();
                           t->AssignLong(0, i);
                           t->AssignString(1, NameOf(static_cast<uint32_t>(i)));
                           t->AssignMemo(2, NoteOf(static_cast<uint32_t>(i)));
                           t->Append();
                       }
                       t->Sync();
                   },
                   {},
                   true});
    return ops;
}

// After a fault: the error names the file that failed, nothing else changed, no temporary
// file is left, and the records the operation did not touch read as before.
void ExpectContained(Project& p, const Operation& op, FaultyFileSystem& fs,
                     const std::string& error, const std::string& context) {
    SCOPED_TRACE(op.name + ", " + context);
    ASSERT_FALSE(fs.FaultPath().empty()) << "no fault was injected";
    EXPECT_NE(error.find(fs.FaultPath()), std::string::npos)
        << "the error names the file: " << error;
    for (const auto& [name, bytes] : p.Files()) {
        bool written = name.rfind(op.writes, 0) == 0;
        EXPECT_TRUE(written || p.files.count(name)) << "left behind: " << name;
        if (!written && p.files.count(name))
            EXPECT_EQ(bytes, p.files.at(name)) << name << " changed";
    }
    if (op.writes != "people.")
        return; // people.dbf was only read, and is byte-identical
    try {
        auto t = Table::Open(p.Path("people.dbf"), {.writable = false, .productionIndex = false});
        for (uint32_t r = 1; r <= kRecords; r += 13) {
            if (std::find(op.touched.begin(), op.touched.end(), r) != op.touched.end())
                continue;
            ASSERT_EQ(t->Go(r), kPosOk) << r;
            EXPECT_EQ(t->GetLong(0), static_cast<long>(r));
            EXPECT_EQ(t->GetTrimmed(1), NameOf(r));
            EXPECT_EQ(t->GetMemo(2), NoteOf(r));
        }
    } catch (const DbError& e) {
        EXPECT_TRUE(op.grows) << "only a growing table may be refused after a fault: "
                              << e.Description();
    }
}

// Runs the operation under the fault `arm` sets; true when it failed as it should.
bool RunFaulty(Project& p, const Operation& op, const std::function<void(FaultyFileSystem&)>& arm,
               const std::string& context) {
    p.Restore();
    FaultyFileSystem fs;
    arm(fs);
    std::string error;
    try {
        op.run(p, fs);
    } catch (const DbError& e) {
        error = e.Description();
    }
    if (fs.FaultPath().empty())
        return false;
    EXPECT_FALSE(error.empty()) << op.name << ", " << context << ": the fault went unreported";
    ExpectContained(p, op, fs, error, context);
    return true;
}

} // namespace

TEST(FaultInjection, EachFailingWriteOfEachWriterIsReportedAndContained) {
    Project p;
    for (const Operation& op : Operations()) {
        p.Restore();
        FaultyFileSystem counting;
        op.run(p, counting);
        const long writes = counting.Writes();
        ASSERT_GT(writes, 3) << op.name;
        if (op.name.rfind("index build", 0) == 0) {
            int spills = 0; // sort runs and the level above the leaves, through `counting`
            for (const std::string& path : counting.WrittenPaths())
                spills |= (path.find("hk_keys_") != std::string::npos ? 1 : 0) |
                          (path.find("hk_level_") != std::string::npos ? 2 : 0);
            EXPECT_EQ(spills, 3) << "the build spilled through the file system it was given";
        }
        for (long n = 1; n <= writes; ++n)
            EXPECT_TRUE(RunFaulty(
                p, op, [n](FaultyFileSystem& fs) { fs.FailWriteNumber(n); },
                "write " + std::to_string(n) + " of " + std::to_string(writes)));
        const long long bytes = static_cast<long long>(counting.BytesWritten());
        for (long long room : {0LL, 700LL, bytes / 2, bytes - 1})
            EXPECT_TRUE(RunFaulty(
                p, op, [room](FaultyFileSystem& fs) { fs.DiskFullAfter(room); },
                "disk full after " + std::to_string(room) + " bytes"));
        // Sync forces the table's own files; a further index is the program's scratch file.
        if (op.writes != "extra.")
            EXPECT_TRUE(RunFaulty(
                p, op, [](FaultyFileSystem& fs) { fs.FailSync(true); }, "sync"));
    }
}

TEST(FaultInjection, ShortReadsAreAnErrorNamingTheFileNeverZeros) {
    Project p;
    FaultyFileSystem fs;
    fs.ShortReads(true);
    try {
        auto t = OpenPeople(p, fs);
        for (int r = t->Top(); r == kPosOk; r = t->Skip(1))
            t->GetMemo(2);
        ADD_FAILURE() << "short reads went unnoticed";
    } catch (const DbError& e) {
        EXPECT_EQ(e.Number(), kErrRead);
        ASSERT_FALSE(fs.FaultPath().empty());
        EXPECT_NE(e.Description().find(fs.FaultPath()), std::string::npos) << e.Description();
    }
    EXPECT_EQ(p.Files(), p.files) << "a failed read writes nothing";
    EXPECT_EQ(fs.Writes(), 0);
}
