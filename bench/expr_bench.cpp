// Expression evaluation against hand-written C++ doing the same work on the same record: the
// ratio (the table at the end) says what the compiled tree costs over code written for one
// expression.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "support/text.h"
#include "xbase/expression.h"

using namespace hk::db;

namespace {

// One record with fields of each kind the benchmarks read; values change per iteration.
class Record : public RecordSource, public FieldResolver {
public:
    enum Field { kSurname, kRuleset, kSourType, kAdmin, kPer1, kCount };

    std::string_view CharValue(int) const override { return surname_; }
    double NumberValue(int f) const override { return num_[f]; }
    double DateValue(int) const override { return 0; }
    bool LogicalValue(int) const override { return false; }
    bool Deleted() const override { return deleted_; }
    uint32_t RecNo() const override { return 1; }
    uint32_t RecCount() const override { return 1; }

    std::optional<FieldBinding> Resolve(std::string_view, std::string_view name) override {
        static const char* kNames[] = {"SRNAMESORT", "RULESET", "SOURTYPE", "ADMIN", "PER1"};
        static const char kTypes[] = {'C', 'N', 'I', 'N', 'I'};
        static const int kLengths[] = {70, 1, 4, 2, 4};
        for (int i = 0; i < kCount; ++i)
            if (hk::EqualsNoCase(kNames[i], name))
                return FieldBinding{this, i, kTypes[i], kLengths[i], 0};
        return std::nullopt;
    }
    const RecordSource* DefaultSource() override { return this; }
    const RecordSource* SourceForAlias(std::string_view) override { return this; }

    void Load(int i) {
        static const char* kSurnames[] = {"Smith, John", "d'Arcy, \xC9mile", "Jones, Mary Ann",
                                          "van der Berg, Pieter"};
        surname_.assign(kSurnames[i % 4]);
        surname_.resize(70, ' ');
        num_[kRuleset] = 1 + i % 3;
        num_[kSourType] = i * 37 % 100000;
        num_[kAdmin] = i % 8;
        num_[kPer1] = i % 5;
        deleted_ = i % 11 == 0;
    }

private:
    std::string surname_;
    double num_[kCount] = {};
    bool deleted_ = false;
};

void Evaluate(benchmark::State& state, const char* text) {
    Record rec;
    auto e = Expression::Compile(text, rec);
    ExprValue out;
    int i = 0;
    for (auto _ : state) {
        rec.Load(i++);
        e->Evaluate(out);
        benchmark::DoNotOptimize(out);
    }
}

void BM_ExprUpperName(benchmark::State& s) {
    Evaluate(s, "UPPER(SRNAMESORT)");
}
void BM_ExprStrConcat(benchmark::State& s) {
    Evaluate(s, "STR(RULESET,1)+STR(SOURTYPE,10)");
}
void BM_ExprFilter(benchmark::State& s) {
    Evaluate(s, "t->ADMIN = 6 .AND. g->Per1 <> 0 .AND. .NOT. DELETED()");
}

void BM_ExprCompare(benchmark::State& s) {
    Evaluate(s, "SRNAMESORT >= 'Jones' .AND. DELETED() = .F. .AND. RULESET <= 2");
}

void BM_HandUpperName(benchmark::State& state) {
    Record rec;
    char upper[256];
    for (int c = 0; c < 256; ++c)
        upper[c] = static_cast<char>(hk::Cp1252Upper(static_cast<unsigned char>(c)));
    std::string out;
    int i = 0;
    for (auto _ : state) {
        rec.Load(i++);
        std::string_view s = rec.CharValue(Record::kSurname);
        out.resize(s.size());
        for (size_t k = 0; k < s.size(); ++k)
            out[k] = upper[static_cast<unsigned char>(s[k])];
        benchmark::DoNotOptimize(out);
    }
}

void BM_HandStrConcat(benchmark::State& state) {
    Record rec;
    char buf[16];
    int i = 0;
    for (auto _ : state) {
        rec.Load(i++);
        std::snprintf(buf, sizeof buf, "%1d%10d",
                      static_cast<int>(rec.NumberValue(Record::kRuleset)),
                      static_cast<int>(rec.NumberValue(Record::kSourType)));
        benchmark::DoNotOptimize(buf);
    }
}

// A hand-written test on each iteration's record, read through the same virtual calls the
// compiled tree makes.
template <typename Test> void HandTest(benchmark::State& state, Test&& test) {
    Record rec;
    const RecordSource& src = rec;
    int i = 0;
    for (auto _ : state) {
        rec.Load(i++);
        bool b = test(src);
        benchmark::DoNotOptimize(b);
    }
}

void BM_HandFilter(benchmark::State& state) {
    HandTest(state, [](const RecordSource& src) {
        return src.NumberValue(Record::kAdmin) == 6 && src.NumberValue(Record::kPer1) != 0 &&
               !src.Deleted();
    });
}

void BM_HandCompare(benchmark::State& state) {
    HandTest(state, [](const RecordSource& src) {
        return src.CharValue(Record::kSurname).compare(0, 5, "Jones") >= 0 && !src.Deleted() &&
               src.NumberValue(Record::kRuleset) <= 2;
    });
}

void BM_LoadOnly(benchmark::State& state) {
    Record rec;
    int i = 0;
    for (auto _ : state) {
        rec.Load(i++);
        benchmark::DoNotOptimize(rec);
    }
}

void BM_CompileFilter(benchmark::State& state) {
    Record rec;
    for (auto _ : state) {
        auto e = Expression::Compile("t->ADMIN = 6 .AND. g->Per1 <> 0 .AND. .NOT. DELETED()", rec);
        benchmark::DoNotOptimize(e);
    }
}

BENCHMARK(BM_LoadOnly);
BENCHMARK(BM_ExprUpperName);
BENCHMARK(BM_HandUpperName);
BENCHMARK(BM_ExprStrConcat);
BENCHMARK(BM_HandStrConcat);
BENCHMARK(BM_ExprFilter);
BENCHMARK(BM_HandFilter);
BENCHMARK(BM_ExprCompare);
BENCHMARK(BM_HandCompare);
BENCHMARK(BM_CompileFilter);

} // namespace

int main(int argc, char** argv) {
    hk::bench::BenchArgs args(argc, argv);
    args.InitializeBenchmark();
    hk::bench::RunBenchmarks("BM_Expr", "BM_Hand");
    return 0;
}
