// Table engine benchmarks against SQLite doing the same work on the same rows with the same
// indexes: a tag walk reading three fields, random seeks, appends with three tags maintained,
// key changes, and a tag built in bounded memory. Prints the time ratio ours/SQLite of each.
// Also the spot check a run makes of each tag before trusting its seeks, per tag. Not a test.
//
//   bench_engine [--records=N] [--ops=M] [--dir=PATH] [Google Benchmark flags]
#include <cstdio>
#include <random>
#include <string>

#include "bench_support.h"
#include "xbase/table.h"

using namespace hk::db;
using namespace hk::bench;

namespace {

long gRecords = 1000000;
long gOps = 100000;
std::string gDir;

const char* kSurnames[] = {"Smith",    "Jones",   "Taylor", "Brown",    "Williams",
                           "Wilson",   "Johnson", "Davies", "Robinson", "Wright",
                           "Thompson", "Evans",   "Walker", "White",    "Roberts",
                           "Green",    "Hall",    "Wood",   "Jackson",  "Clarke"};

std::string Surname(long i) {
    return std::string(kSurnames[i % 20]) + std::to_string((i * 7919) % 5000);
}
std::string Birth(long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "1%04ld%02ld%02ld030000000000", 1600 + i % 400, 1 + i % 12,
                  1 + i % 28);
    return buf;
}

struct Fixture {
    std::unique_ptr<Table> table;
    IndexSet* index = nullptr;
    int perNo, surname, father, pbirth;
    sqlite3* db = nullptr;

    void Build() {
        std::string path = gDir + "/people.dbf";
        table = Table::Create(path, {{"PER_NO", 'I'},
                                     {"REF_ID", 'I'},
                                     {"SURNAME", 'C', 30},
                                     {"FATHER", 'I'},
                                     {"PBIRTH", 'C', 30}});
        perNo = table->FieldIndex("PER_NO");
        surname = table->FieldIndex("SURNAME");
        father = table->FieldIndex("FATHER");
        pbirth = table->FieldIndex("PBIRTH");
        for (long i = 1; i <= gRecords; ++i) {
            table->AppendStart();
            table->AssignLong(perNo, i);
            table->AssignLong(table->FieldIndex("REF_ID"), i);
            table->AssignString(surname, Surname(i));
            table->AssignLong(father, i / 3);
            table->AssignString(pbirth, Birth(i));
            table->Append();
        }
        index = table->CreateIndex(
            gDir + "/people.cdx",
            {{"PER_NO", "PER_NO"}, {"SURNAME", "UPPER(SURNAME)"}, {"FATHER", "FATHER"}});
        table->Flush();

        sqlite3_open((gDir + "/people.db").c_str(), &db);
        // Give SQLite as much cache as our engine may use (64 MiB per file, three files).
        Exec("PRAGMA cache_size = -196608");
        Exec("CREATE TABLE people(per_no INTEGER, ref_id INTEGER, surname TEXT, father INTEGER,"
             " pbirth TEXT)");
        Exec("BEGIN");
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(db, "INSERT INTO people VALUES(?,?,?,?,?)", -1, &ins, nullptr);
        for (long i = 1; i <= gRecords; ++i)
            BindInsert(ins, i);
        sqlite3_finalize(ins);
        Exec("CREATE INDEX by_no ON people(per_no)");
        Exec("CREATE INDEX by_surname ON people(upper(surname))");
        Exec("CREATE INDEX by_father ON people(father)");
        Exec("COMMIT");
    }

    void BindInsert(sqlite3_stmt* ins, long i) {
        std::string s = Surname(i), b = Birth(i);
        sqlite3_bind_int64(ins, 1, i);
        sqlite3_bind_int64(ins, 2, i);
        sqlite3_bind_text(ins, 3, s.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(ins, 4, i / 3);
        sqlite3_bind_text(ins, 5, b.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }

    void Exec(const char* sql) { SqliteExec(db, sql); }
};

Fixture* gFix = nullptr;

void WalkOurs(benchmark::State& st) {
    TimeEach(st, [] {
        Table& t = *gFix->table;
        t.SelectTag(t.FindTag("SURNAME"));
        long n = 0, sum = 0;
        for (int r = t.Top(); r == kPosOk; r = t.Skip(1)) {
            sum += t.GetLong(gFix->perNo) + static_cast<long>(t.Raw(gFix->surname)[0]) +
                   static_cast<long>(t.Raw(gFix->pbirth)[1]);
            ++n;
        }
        benchmark::DoNotOptimize(sum);
        if (n < gRecords)
            std::fprintf(stderr, "walk saw %ld of %ld\n", n, gRecords);
    });
}

void WalkSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        sqlite3_stmt* q;
        sqlite3_prepare_v2(gFix->db,
                           "SELECT per_no, surname, pbirth FROM people ORDER BY upper(surname)", -1,
                           &q, nullptr);
        long sum = 0;
        while (sqlite3_step(q) == SQLITE_ROW)
            sum += sqlite3_column_int64(q, 0) + sqlite3_column_text(q, 1)[0] +
                   sqlite3_column_text(q, 2)[1];
        sqlite3_finalize(q);
        benchmark::DoNotOptimize(sum);
    });
}

void SeekOurs(benchmark::State& st) {
    TimeEach(st, [] {
        Table& t = *gFix->table;
        t.SelectTag(t.FindTag("PER_NO"));
        std::mt19937 rng(42);
        long sum = 0;
        for (long i = 0; i < gOps; ++i) {
            long k = 1 + static_cast<long>(rng() % gRecords);
            if (t.SeekDouble(static_cast<double>(k)) == kPosOk)
                sum += t.Raw(gFix->surname)[0];
        }
        benchmark::DoNotOptimize(sum);
    });
}

void SeekSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        sqlite3_stmt* q;
        sqlite3_prepare_v2(gFix->db, "SELECT surname FROM people WHERE per_no = ?", -1, &q,
                           nullptr);
        std::mt19937 rng(42);
        long sum = 0;
        for (long i = 0; i < gOps; ++i) {
            sqlite3_bind_int64(q, 1, 1 + static_cast<long>(rng() % gRecords));
            if (sqlite3_step(q) == SQLITE_ROW)
                sum += sqlite3_column_text(q, 0)[0];
            sqlite3_reset(q);
        }
        sqlite3_finalize(q);
        benchmark::DoNotOptimize(sum);
    });
}

void AppendOurs(benchmark::State& st) {
    TimeEach(st, [] {
        Table& t = *gFix->table;
        int refId = t.FieldIndex("REF_ID");
        for (long i = gRecords + 1; i <= gRecords + gOps; ++i) {
            t.AppendStart();
            t.AssignLong(gFix->perNo, i);
            t.AssignLong(refId, i);
            t.AssignString(gFix->surname, Surname(i));
            t.AssignLong(gFix->father, i / 3);
            t.AssignString(gFix->pbirth, Birth(i));
            t.Append();
        }
        t.Flush();
    });
}

void AppendSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        gFix->Exec("BEGIN");
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(gFix->db, "INSERT INTO people VALUES(?,?,?,?,?)", -1, &ins, nullptr);
        for (long i = gRecords + 1; i <= gRecords + gOps; ++i)
            gFix->BindInsert(ins, i);
        sqlite3_finalize(ins);
        gFix->Exec("COMMIT");
    });
}

void UpdateOurs(benchmark::State& st) {
    TimeEach(st, [] {
        Table& t = *gFix->table;
        t.SelectTag(nullptr);
        std::mt19937 rng(7);
        for (long i = 0; i < gOps; ++i) {
            uint32_t r = 1 + static_cast<uint32_t>(rng() % gRecords);
            t.Go(r);
            t.AssignLong(gFix->father, static_cast<long>(rng() % gRecords));
        }
        t.Flush();
    });
}

void UpdateSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        gFix->Exec("BEGIN");
        sqlite3_stmt* q;
        sqlite3_prepare_v2(gFix->db, "UPDATE people SET father = ? WHERE rowid = ?", -1, &q,
                           nullptr);
        std::mt19937 rng(7);
        for (long i = 0; i < gOps; ++i) {
            long r = 1 + static_cast<long>(rng() % gRecords);
            sqlite3_bind_int64(q, 2, r);
            sqlite3_bind_int64(q, 1, static_cast<long>(rng() % gRecords));
            sqlite3_step(q);
            sqlite3_reset(q);
        }
        sqlite3_finalize(q);
        gFix->Exec("COMMIT");
    });
}

// The spot check of one tag on a freshly opened index (as a run's first selection finds it):
// the time of the three tags' checks, per tag. Reopening stays outside the time.
void SpotCheckPerTag(benchmark::State& st) {
    Table& t = *gFix->table;
    t.SelectTag(nullptr);
    const char* tags[] = {"PER_NO", "SURNAME", "FATHER"};
    for (auto _ : st) {
        t.CloseIndex(gFix->index);
        gFix->index = t.OpenIndex(gDir + "/people.cdx");
        Stopwatch watch;
        for (const char* name : tags)
            t.SpotCheck(t.FindTag(name));
        st.SetIterationTime(watch.Seconds() / std::size(tags));
    }
}

// A tag built over every record in 4 MB of memory: the key sorter spills sorted runs and the
// level above the leaves spills too, so this measures the temporary files' I/O as well.
void BuildTagOurs(benchmark::State& st) {
    TimeEach(st, [] {
        Table& t = *gFix->table;
        t.SelectTag(nullptr);
        t.SetIndexBuildMemory(4u << 20);
        IndexSet* set = t.CreateIndex(gDir + "/build.cdx", {{"BIRTH", "PBIRTH+SURNAME"}});
        t.CloseIndex(set);
        t.SetIndexBuildMemory(32u << 20);
    });
}

void BuildTagSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        gFix->Exec("CREATE INDEX by_birth ON people(pbirth, surname)");
        gFix->Exec("DROP INDEX by_birth");
    });
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gRecords = args.Number("records", gRecords);
    gOps = args.Number("ops", gOps);
    gDir = args.Dir("hk_bench_engine");
    args.InitializeBenchmark();

    ScratchFolder scratch(gDir);
    Fixture fix;
    std::fprintf(stderr, "building %ld records in %s ...\n", gRecords, gDir.c_str());
    fix.Build();
    gFix = &fix;

    // Order matters: walks and seeks on the built data, then appends, then updates.
    RegisterOnce("a_walk_tag_3_fields/ours", WalkOurs);
    RegisterOnce("a_walk_tag_3_fields/sqlite", WalkSqlite);
    RegisterOnce("b_random_seeks/ours", SeekOurs);
    RegisterOnce("b_random_seeks/sqlite", SeekSqlite);
    RegisterOnce("b_spot_check_per_tag", SpotCheckPerTag)
        ->Iterations(20)
        ->Unit(benchmark::kMicrosecond);
    RegisterOnce("c_append_3_tags/ours", AppendOurs);
    RegisterOnce("c_append_3_tags/sqlite", AppendSqlite);
    RegisterOnce("d_change_key/ours", UpdateOurs);
    RegisterOnce("d_change_key/sqlite", UpdateSqlite);
    RegisterOnce("e_build_tag/ours", BuildTagOurs);
    RegisterOnce("e_build_tag/sqlite", BuildTagSqlite);
    RunBenchmarks("/ours", "/sqlite");

    sqlite3_close(fix.db);
    fix.table.reset();
    return 0;
}
