// CDX tags against SQLite on the same work: a table of 1,000,000 records (or --records) with
// three indexes (a 20-byte name, a 4-byte integer id, an 8-byte date). SQLite keeps each index
// as a WITHOUT ROWID table of (key, recno), the same B-tree content a tag holds. Compare the
// items/s of each Cdx/Sqlite pair (the table at the end gives their ratios); absolute times
// depend on the machine.
//
//   bench_cdx [--records=N] [--dir=PATH] [Google Benchmark flags]
#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "xbase/cdx/cdx_cursor.h"
#include "xbase/cdx/cdx_file.h"
#include "xbase/cdx/cdx_tag.h"
#include "xbase/cdx/index_key.h"

using namespace hk::db;
using namespace hk::bench;

namespace {

uint32_t gRecords = 1000000;
std::string gDir;
constexpr int kTags = 3;

struct Record {
    std::string keys[kTags];
};

std::string NameKey(std::mt19937& rng) {
    static const char* surnames[] = {"SMITH", "JONES",  "WILLIAMS", "BROWN",   "TAYLOR", "DAVIES",
                                     "EVANS", "THOMAS", "JOHNSON",  "ROBERTS", "WALKER", "WRIGHT"};
    std::string s = surnames[rng() % 12];
    s += ' ';
    for (int i = 0; i < 6; ++i)
        s += char('A' + rng() % 26);
    return PadKey(s, 20);
}

std::string DateKey(std::mt19937& rng) {
    return EncodeDoubleKey(2300000.0 + rng() % 60000);
}

// Keys of records 1..N (index 0 unused), deterministic.
const std::vector<Record>& Records() {
    static std::vector<Record> recs = [] {
        std::vector<Record> r(gRecords + 1);
        std::mt19937 rng(42);
        for (uint32_t i = 1; i <= gRecords; ++i) {
            r[i].keys[0] = NameKey(rng);
            r[i].keys[1] = EncodeIntKey(int32_t(i));
            r[i].keys[2] = DateKey(rng);
        }
        return r;
    }();
    return recs;
}

std::string TempPath(const char* name) {
    return gDir + "/" + name;
}

NewTag TagDefinition(int tag) {
    static const NewTag definitions[kTags] = {
        {"NAME", "UPPER(surname+given)", "", false, false, false, 20, ' ', 0},
        {"ID", "id", "", false, false, false, 4, 0, 0},
        {"BORN", "born", "", false, false, false, 8, 0, 0},
    };
    NewTag definition = definitions[tag];
    definition.recordCount = gRecords;
    return definition;
}

// ---- SQLite side ------------------------------------------------------------------------

struct Sql {
    sqlite3* db = nullptr;
    sqlite3_stmt* insert[kTags] = {};
    sqlite3_stmt* remove[kTags] = {};
    sqlite3_stmt* seek[kTags] = {};
    sqlite3_stmt* walk[kTags] = {};

    explicit Sql(const std::string& path) {
        std::filesystem::remove(path);
        sqlite3_open(path.c_str(), &db);
        Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
             "PRAGMA cache_size=-65536;");
        for (int t = 0; t < kTags; ++t) {
            std::string n = "i" + std::to_string(t);
            Exec("CREATE TABLE " + n +
                 "(k BLOB NOT NULL, r INTEGER NOT NULL, PRIMARY KEY(k, r)) WITHOUT ROWID");
            Prepare("INSERT INTO " + n + " VALUES(?1, ?2)", &insert[t]);
            Prepare("DELETE FROM " + n + " WHERE k = ?1 AND r = ?2", &remove[t]);
            Prepare("SELECT r FROM " + n + " WHERE k >= ?1 ORDER BY k, r LIMIT 1", &seek[t]);
            Prepare("SELECT k, r FROM " + n + " ORDER BY k, r", &walk[t]);
        }
    }
    ~Sql() {
        for (int t = 0; t < kTags; ++t)
            for (auto* s : {insert[t], remove[t], seek[t], walk[t]})
                sqlite3_finalize(s);
        sqlite3_close(db);
    }
    void Exec(const std::string& sql) { SqliteExec(db, sql); }
    void Prepare(const std::string& sql, sqlite3_stmt** s) {
        sqlite3_prepare_v2(db, sql.c_str(), -1, s, nullptr);
    }
    void Run(sqlite3_stmt* s, const std::string& key, uint32_t recno) {
        sqlite3_bind_blob(s, 1, key.data(), int(key.size()), SQLITE_STATIC);
        sqlite3_bind_int64(s, 2, recno);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
};

// ---- The prebuilt million-record files, shared by walk / seek / update -----------------

CdxFile& SharedCdx() {
    static std::unique_ptr<CdxFile> cdx = [] {
        std::string path = TempPath("hk_bench_shared.cdx");
        auto f = CdxFile::Create(FileSystem::Default(), path, CdxFlavor::Vfp);
        const auto& recs = Records();
        for (int t = 0; t < kTags; ++t) {
            std::vector<KeyEntry> entries;
            entries.reserve(gRecords);
            for (uint32_t i = 1; i <= gRecords; ++i)
                entries.push_back({recs[i].keys[t], i});
            std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) {
                return a.key != b.key ? a.key < b.key : a.recno < b.recno;
            });
            f->AddTag(TagDefinition(t), entries);
        }
        f->Flush();
        return f;
    }();
    return *cdx;
}

Sql& SharedSql() {
    static std::unique_ptr<Sql> sql = [] {
        auto s = std::make_unique<Sql>(TempPath("hk_bench_shared.sqlite"));
        const auto& recs = Records();
        s->Exec("BEGIN");
        for (uint32_t i = 1; i <= gRecords; ++i)
            for (int t = 0; t < kTags; ++t)
                s->Run(s->insert[t], recs[i].keys[t], i);
        s->Exec("COMMIT");
        return s;
    }();
    return *sql;
}

// ---- Insert: one record at a time, three keys each, into empty indexes ------------------

void Cdx_Insert(benchmark::State& state) {
    const auto& recs = Records();
    for (auto _ : state) {
        auto cdx =
            CdxFile::Create(FileSystem::Default(), TempPath("hk_bench_insert.cdx"), CdxFlavor::Vfp);
        CdxTag* tags[kTags];
        for (int t = 0; t < kTags; ++t)
            tags[t] = &cdx->AddTag(TagDefinition(t), {});
        for (uint32_t i = 1; i <= gRecords; ++i)
            for (int t = 0; t < kTags; ++t)
                tags[t]->Insert(recs[i].keys[t], i);
        cdx->Flush();
    }
    state.SetItemsProcessed(state.iterations() * gRecords);
}

void Sqlite_Insert(benchmark::State& state) {
    const auto& recs = Records();
    for (auto _ : state) {
        Sql sql(TempPath("hk_bench_insert.sqlite"));
        sql.Exec("BEGIN");
        for (uint32_t i = 1; i <= gRecords; ++i)
            for (int t = 0; t < kTags; ++t)
                sql.Run(sql.insert[t], recs[i].keys[t], i);
        sql.Exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * gRecords);
}

// ---- Walk: every entry of all three indexes in order -------------------------------------

void Cdx_Walk(benchmark::State& state) {
    CdxFile& cdx = SharedCdx();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (int t = 0; t < kTags; ++t) {
            CdxCursor c(cdx.TagAt(t));
            for (bool ok = c.First(); ok; ok = c.Next())
                sum += c.RecNo() + uint8_t(c.Key()[0]);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * gRecords * kTags);
}

void Sqlite_Walk(benchmark::State& state) {
    Sql& sql = SharedSql();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (int t = 0; t < kTags; ++t) {
            sqlite3_stmt* s = sql.walk[t];
            while (sqlite3_step(s) == SQLITE_ROW)
                sum += uint64_t(sqlite3_column_int64(s, 1)) +
                       static_cast<const uint8_t*>(sqlite3_column_blob(s, 0))[0];
            sqlite3_reset(s);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * gRecords * kTags);
}

// ---- Seek: random lookups by name prefix, id and date ------------------------------------

constexpr int kSeeks = 100000;

std::vector<std::pair<int, std::string>> SeekTargets() {
    std::mt19937 rng(9);
    std::vector<std::pair<int, std::string>> out;
    for (int i = 0; i < kSeeks; ++i) {
        int t = i % kTags;
        std::string key = t == 0   ? NameKey(rng).substr(0, 9)
                          : t == 1 ? EncodeIntKey(int32_t(1 + rng() % gRecords))
                                   : DateKey(rng);
        out.push_back({t, key});
    }
    return out;
}

void Cdx_Seek(benchmark::State& state) {
    CdxFile& cdx = SharedCdx();
    auto targets = SeekTargets();
    std::vector<CdxCursor> cursors;
    for (int t = 0; t < kTags; ++t)
        cursors.emplace_back(cdx.TagAt(t));
    for (auto _ : state) {
        uint64_t sum = 0;
        for (auto& [t, key] : targets)
            if (cursors[t].SeekFirst(key))
                sum += cursors[t].RecNo();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kSeeks);
}

void Sqlite_Seek(benchmark::State& state) {
    Sql& sql = SharedSql();
    auto targets = SeekTargets();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (auto& [t, key] : targets) {
            sqlite3_stmt* s = sql.seek[t];
            sqlite3_bind_blob(s, 1, key.data(), int(key.size()), SQLITE_STATIC);
            if (sqlite3_step(s) == SQLITE_ROW)
                sum += uint64_t(sqlite3_column_int64(s, 0));
            sqlite3_reset(s);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kSeeks);
}

// ---- Update: change a record's name and date (remove the old keys, insert the new) --------

constexpr int kUpdates = 100000;

struct Updates {
    std::vector<uint32_t> recnos;
    std::vector<std::string> names, dates; // what the record gets
};

// Each round moves records to new keys; the next round's "old" keys are this round's "new".
template <typename Apply> void RunUpdates(benchmark::State& state, Apply apply) {
    std::mt19937 rng(5);
    std::vector<Record> current(Records().begin(), Records().end());
    for (auto _ : state) {
        state.PauseTiming();
        Updates u;
        for (int i = 0; i < kUpdates; ++i) {
            u.recnos.push_back(1 + rng() % gRecords);
            u.names.push_back(NameKey(rng));
            u.dates.push_back(DateKey(rng));
        }
        state.ResumeTiming();
        for (int i = 0; i < kUpdates; ++i) {
            Record& r = current[u.recnos[i]];
            apply(0, r.keys[0], u.names[i], u.recnos[i]);
            apply(2, r.keys[2], u.dates[i], u.recnos[i]);
            r.keys[0] = u.names[i];
            r.keys[2] = u.dates[i];
        }
    }
    state.SetItemsProcessed(state.iterations() * kUpdates);
}

void Cdx_Update(benchmark::State& state) {
    CdxFile& cdx = SharedCdx();
    RunUpdates(state, [&](int t, const std::string& from, const std::string& to, uint32_t r) {
        CdxTag& tag = cdx.TagAt(t);
        tag.Remove(from, r);
        tag.Insert(to, r);
    });
    cdx.Flush();
}

void Sqlite_Update(benchmark::State& state) {
    Sql& sql = SharedSql();
    sql.Exec("BEGIN");
    RunUpdates(state, [&](int t, const std::string& from, const std::string& to, uint32_t r) {
        sql.Run(sql.remove[t], from, r);
        sql.Run(sql.insert[t], to, r);
    });
    sql.Exec("COMMIT");
}

// ---- Open, and the checks of a million-entry, three-tag file ------------------------------

// Bytes the heap holds now (malloc's own count: resident pages are reused, so the process's
// peak does not show what one open adds).
double HeapMiB() {
    struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

template <typename After> void OpenShared(benchmark::State& state, bool writable, After after) {
    SharedCdx().Flush();
    std::string path = TempPath("hk_bench_shared.cdx");
    if (writable) { // a copy: the shared file is held open for writing
        std::string copy = TempPath("hk_bench_copy.cdx");
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        path = copy;
    }
    double held = 0;
    for (auto _ : state) {
        const double before = HeapMiB();
        auto cdx = CdxFile::Open(FileSystem::Default(), path, writable, CdxFlavor::Vfp);
        after(*cdx);
        held = std::max(held, HeapMiB() - before);
        benchmark::DoNotOptimize(cdx->TagCount());
    }
    state.SetItemsProcessed(state.iterations() * gRecords * kTags);
    state.counters["held_MiB"] = held; // by the open file after its checks (its caches)
}

// Headers only: what every run pays for each index it opens.
void Cdx_Open(benchmark::State& state) {
    OpenShared(state, false, [](CdxFile&) {});
}

// The layout check a run pays before the first change of a file.
void Cdx_OpenAndCheckLayout(benchmark::State& state) {
    OpenShared(state, true, [](CdxFile& cdx) { cdx.CheckBeforeWrite(); });
}

// Every node of every tag: what Check Project pays per index.
void Cdx_OpenAndCheck(benchmark::State& state) {
    OpenShared(state, false, [](CdxFile& cdx) {
        std::string fault;
        if (!cdx.Check(&fault))
            throw std::runtime_error(fault);
    });
}

} // namespace

BENCHMARK(Cdx_Insert)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Sqlite_Insert)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Cdx_Walk)->Unit(benchmark::kMillisecond);
BENCHMARK(Sqlite_Walk)->Unit(benchmark::kMillisecond);
BENCHMARK(Cdx_Seek)->Unit(benchmark::kMillisecond);
BENCHMARK(Sqlite_Seek)->Unit(benchmark::kMillisecond);
BENCHMARK(Cdx_Update)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Sqlite_Update)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Cdx_Open)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Cdx_OpenAndCheckLayout)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Cdx_OpenAndCheck)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gRecords = static_cast<uint32_t>(args.Number("records", gRecords));
    gDir = args.Dir("hk_bench_cdx");
    args.InitializeBenchmark();
    ScratchFolder scratch(gDir);
    RunBenchmarks("Cdx_", "Sqlite_");
    return 0;
}
