// The project database object on a generated project, against SQLite doing the same work on the
// same rows: building the private name index when the name table opens (two tags with the
// not-deleted filter; SQLite: two partial indexes), and a relation walk of participants with
// their events and tag types under a query (SQLite: the same joins and conditions). Prints the
// time ratio ours/SQLite of each. Not a test.
//
//   bench_ctmgdb [--people=N] [--dir=PATH] [Google Benchmark flags]
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "tmgdb/ctmgdb.h"

using namespace hk::db;
using namespace hk::bench;

namespace {

long gPeople = 100000;
std::string gDir;
long gBirthGroup = 4;

struct Fixture {
    std::string pjc;
    CTMGDB db;
    sqlite3* lite = nullptr;

    void Exec(const std::string& sql) { SqliteExec(lite, sql); }

    // Copies the named integer fields of a table (and its deletion mark) into SQLite.
    void Copy(const std::string& suffix, const std::string& name,
              const std::vector<std::string>& fields) {
        std::string alias = db.NewAlias();
        db.OpenTable(suffix, alias);
        Table* t = db.TableHandle(alias);
        std::string cols = "deleted INTEGER", marks = "?";
        std::vector<int> idx;
        for (const std::string& f : fields) {
            cols += ", " + f + (f == "etypename" ? " TEXT" : " INTEGER");
            marks += ",?";
            idx.push_back(t->FieldIndex(f));
        }
        Exec("CREATE TABLE " + name + "(" + cols + ")");
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(lite, ("INSERT INTO " + name + " VALUES(" + marks + ")").c_str(), -1,
                           &ins, nullptr);
        for (int r = t->Top(); r == kPosOk; r = t->Skip(1)) {
            sqlite3_bind_int64(ins, 1, t->Deleted() ? 1 : 0);
            for (size_t i = 0; i < idx.size(); ++i) {
                if (fields[i] == "etypename") {
                    std::string s = t->GetTrimmed(idx[i]);
                    sqlite3_bind_text(ins, static_cast<int>(i) + 2, s.c_str(), -1,
                                      SQLITE_TRANSIENT);
                } else {
                    sqlite3_bind_int64(ins, static_cast<int>(i) + 2, t->GetLong(idx[i]));
                }
            }
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        db.CloseTable(alias);
    }

    void Build() {
        pjc = GenerateProject(gDir, gPeople);
        db.OpenProject(pjc);
        db.SetDSID(1);
        sqlite3_open((gDir + "/bench.db").c_str(), &lite);
        Exec("PRAGMA cache_size = -196608");
        Exec("BEGIN");
        Copy("n", "n", {"nper", "recno", "dsid"});
        Copy("e", "e", {"eper", "gnum"});
        Copy("g", "g", {"recno", "etype", "per1", "dsid"});
        Copy("t", "t", {"etypenum", "admin", "etypename"});
        Exec("CREATE INDEX g_recno ON g(recno) WHERE deleted = 0");
        Exec("CREATE INDEX t_num ON t(etypenum) WHERE deleted = 0");
        Exec("COMMIT");
    }
};

Fixture* gFix = nullptr;

void IndexOurs(benchmark::State& st) {
    TimeEach(st, [] {
        gFix->db.OpenTable("n", "n");
        benchmark::DoNotOptimize(gFix->db.TagHandle("n.BYNPER"));
        gFix->db.CloseAllTables(); // closes and deletes the index file
    });
}

void IndexSqlite(benchmark::State& st) {
    TimeEach(st, [] {
        gFix->Exec("CREATE INDEX n_nper ON n(nper) WHERE deleted = 0");
        gFix->Exec("CREATE INDEX n_recno ON n(recno) WHERE deleted = 0");
        gFix->Exec("DROP INDEX n_nper");
        gFix->Exec("DROP INDEX n_recno");
    });
}

void RelationOurs(benchmark::State& st) {
    CTMGDB& db = gFix->db;
    db.OpenTable("e", "e");
    db.OpenSlaveTable("g", "g", "ByRecNo=e.GNum");
    db.OpenSlaveTable("t", "t", "EvtByNum=g.EType");
    Relation* r = db.CreateRelation("e");
    r->SetQuery("t->ADMIN = " + std::to_string(gBirthGroup) + " .AND. g->Per1 <> 0 .AND. " +
                "g->DSID = 1 .AND. .NOT. Deleted()");
    FieldRef per = db.Field("e.EPer");
    TimeEach(st, [&] {
        long n = 0, sum = 0;
        for (int pos = r->Top(); pos == kPosOk; pos = r->Skip()) {
            sum += per.table->GetLong(per.index);
            ++n;
        }
        benchmark::DoNotOptimize(sum);
        st.counters["rows"] = static_cast<double>(n);
    });
    db.CloseAllTables();
}

void RelationSqlite(benchmark::State& st) {
    TimeEach(st, [&] {
        sqlite3_stmt* q;
        std::string sql = "SELECT e.eper FROM e LEFT JOIN g ON g.recno = e.gnum AND g.deleted = 0 "
                          "LEFT JOIN t ON t.etypenum = g.etype AND t.deleted = 0 WHERE t.admin = " +
                          std::to_string(gBirthGroup) +
                          " AND g.per1 <> 0 AND g.dsid = 1 AND e.deleted = 0";
        sqlite3_prepare_v2(gFix->lite, sql.c_str(), -1, &q, nullptr);
        long n = 0, sum = 0;
        while (sqlite3_step(q) == SQLITE_ROW) {
            sum += sqlite3_column_int64(q, 0);
            ++n;
        }
        sqlite3_finalize(q);
        benchmark::DoNotOptimize(sum);
        st.counters["rows"] = static_cast<double>(n);
    });
}

} // namespace

int main(int argc, char** argv) {
    BenchArgs args(argc, argv);
    gPeople = args.Number("people", gPeople);
    gDir = args.Dir("hk_bench_ctmgdb");
    args.InitializeBenchmark();

    ScratchFolder scratch(gDir);
    Fixture fix;
    std::fprintf(stderr, "generating %ld people in %s ...\n", gPeople, gDir.c_str());
    fix.Build();
    gFix = &fix;

    RegisterOnce("a_private_name_index/ours", IndexOurs);
    RegisterOnce("a_private_name_index/sqlite", IndexSqlite);
    RegisterOnce("b_relation_walk/ours", RelationOurs);
    RegisterOnce("b_relation_walk/sqlite", RelationSqlite);
    RunBenchmarks("/ours", "/sqlite");

    sqlite3_close(fix.lite);
    fix.db.CloseProject();
    return 0;
}
