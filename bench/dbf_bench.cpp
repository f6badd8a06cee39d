// DBF record access against SQLite doing the same work on the same data: a full scan summing
// an integer column, random reads by record number / rowid, and appends. The table at the end
// gives the ratios.
//
//   bench_dbf [--records=N] [--dir=PATH] [Google Benchmark flags]
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"

using namespace hk::db;
using namespace hk::bench;

namespace {

uint32_t gRows = 100000;
std::string gDir;

const std::vector<FieldSpec> kFields = {{"name", 'C', 30}, {"id", 'I'},    {"amount", 'N', 10, 2},
                                        {"born", 'D'},     {"alive", 'L'}, {"notes", 'M'}};

struct Data {
    std::string dir;
    std::string dbfPath;
    sqlite3* db = nullptr;

    Data() {
        dir = gDir;
        dbfPath = dir + "/people.dbf";
        auto t = DbfFile::Create(FileSystem::Default(), dbfPath, kFields);
        std::vector<uint8_t> rec(t->RecordLength());
        const auto& f = t->Fields();
        sqlite3_open((dir + "/people.sqlite").c_str(), &db);
        // The same cache budget as the table's page cache (64 MiB), and no re-check of the file
        // per statement (our reader does not re-check either).
        SqliteExec(db, "PRAGMA cache_size=-65536; PRAGMA locking_mode=EXCLUSIVE; CREATE TABLE "
                       "people(name TEXT, id INTEGER, amount REAL, born TEXT, "
                       "alive INTEGER, notes TEXT); BEGIN");
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(db, "INSERT INTO people VALUES(?,?,?,?,?,?)", -1, &ins, nullptr);
        for (uint32_t i = 1; i <= gRows; ++i) {
            std::string name = "Person " + std::to_string(i);
            t->BlankRecord(rec.data());
            PutChar(f[0], rec.data(), name);
            PutInteger(f[1], rec.data(), i);
            PutNumber(f[2], rec.data(), i * 0.25);
            PutDate(f[3], rec.data(), "19500101");
            PutLogical(f[4], rec.data(), i % 2);
            t->AppendRecord(rec.data());
            sqlite3_bind_text(ins, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 2, static_cast<int>(i));
            sqlite3_bind_double(ins, 3, i * 0.25);
            sqlite3_bind_text(ins, 4, "19500101", -1, SQLITE_STATIC);
            sqlite3_bind_int(ins, 5, i % 2);
            sqlite3_bind_null(ins, 6);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        SqliteExec(db, "COMMIT");
    }
    ~Data() { sqlite3_close(db); }
};

Data& Shared() {
    static Data data;
    return data;
}

void BM_DbfScan(benchmark::State& state) {
    auto t = DbfFile::Open(FileSystem::Default(), Shared().dbfPath, false);
    const FieldInfo id = t->Fields()[t->FieldIndex("id")];
    std::vector<uint8_t> rec(t->RecordLength());
    for (auto _ : state) {
        int64_t sum = 0;
        for (uint32_t r = 1; r <= t->RecordCount(); ++r) {
            t->ReadRecord(r, rec.data());
            sum += GetInteger(id, rec.data());
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * gRows);
}

void BM_SqliteScan(benchmark::State& state) {
    sqlite3_stmt* st;
    sqlite3_prepare_v2(Shared().db, "SELECT id FROM people", -1, &st, nullptr);
    for (auto _ : state) {
        int64_t sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            sum += sqlite3_column_int64(st, 0);
        sqlite3_reset(st);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * gRows);
}

void BM_DbfRandomRead(benchmark::State& state) {
    auto t = DbfFile::Open(FileSystem::Default(), Shared().dbfPath, false);
    const FieldInfo amount = t->Fields()[t->FieldIndex("amount")];
    std::vector<uint8_t> rec(t->RecordLength());
    std::mt19937 rng(42);
    std::uniform_int_distribution<uint32_t> pick(1, gRows);
    for (auto _ : state) {
        t->ReadRecord(pick(rng), rec.data());
        benchmark::DoNotOptimize(GetNumber(amount, rec.data()));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SqliteRandomRead(benchmark::State& state) {
    sqlite3_stmt* st;
    sqlite3_prepare_v2(Shared().db, "SELECT amount FROM people WHERE rowid = ?", -1, &st, nullptr);
    std::mt19937 rng(42);
    std::uniform_int_distribution<uint32_t> pick(1, gRows);
    for (auto _ : state) {
        sqlite3_bind_int(st, 1, static_cast<int>(pick(rng)));
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_double(st, 0));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations());
}

void BM_DbfAppend10k(benchmark::State& state) {
    std::string path = Shared().dir + "/append.dbf";
    for (auto _ : state) {
        auto t = DbfFile::Create(FileSystem::Default(), path, kFields);
        std::vector<uint8_t> rec(t->RecordLength());
        for (int i = 0; i < 10000; ++i) {
            t->BlankRecord(rec.data());
            PutInteger(t->Fields()[1], rec.data(), i);
            t->AppendRecord(rec.data());
        }
        t->Flush();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_SqliteAppend10k(benchmark::State& state) {
    std::string path = Shared().dir + "/append.sqlite";
    for (auto _ : state) {
        std::filesystem::remove(path);
        sqlite3* db;
        sqlite3_open(path.c_str(), &db);
        SqliteExec(db, "CREATE TABLE people(name TEXT, id INTEGER, amount REAL, born TEXT, "
                       "alive INTEGER, notes TEXT); BEGIN");
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(db, "INSERT INTO people(id) VALUES(?)", -1, &ins, nullptr);
        for (int i = 0; i < 10000; ++i) {
            sqlite3_bind_int(ins, 1, i);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        SqliteExec(db, "COMMIT");
        sqlite3_close(db);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

} // namespace

BENCHMARK(BM_DbfScan);
BENCHMARK(BM_SqliteScan);
BENCHMARK(BM_DbfRandomRead);
BENCHMARK(BM_SqliteRandomRead);
BENCHMARK(BM_DbfAppend10k);
BENCHMARK(BM_SqliteAppend10k);

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gRows = static_cast<uint32_t>(args.Number("records", gRows));
    gDir = args.Dir("hk_bench_dbf");
    args.InitializeBenchmark();
    ScratchFolder scratch(gDir);
    RunBenchmarks("BM_Dbf", "BM_Sqlite");
    return 0;
}
