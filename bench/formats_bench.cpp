// Name and place formatting through compiled style templates, beside the same text built by
// hand-written concatenation; and the per-event sentence work (parsing a tag type's
// definition, rewriting role references). The table at the end gives the ratios to the
// hand-written baseline.
#include <string>

#include "bench_support.h"
#include "formats/style_formatter.h"
#include "formats/tmg_sentences.h"
#include "formats/witness_role.h"

using namespace hk;

namespace {

NameParts SampleName() {
    NameParts p;
    p.SetPartValue(kNameTitle, "Dr.");
    p.SetPartValue(kNameGiven, "John Henry");
    p.SetPartValue(kNameSurname, "Smith");
    p.SetPartValue(kNameSortSurname, "Smith");
    p.SetPartValue(kNameSortGiven, "John Henry");
    return p;
}

PlaceParts::Texts SamplePlace() {
    PlaceParts::Texts t;
    t[kPlaceCity] = "Springfield";
    t[kPlaceCounty] = "Sangamon";
    t[kPlaceState] = "Illinois";
    t[kPlaceCountry] = "USA";
    return t;
}

const std::string kDefinition =
    "[LABELS:][RL=00001][L=ENGLISH]Principal[RL=00002][L=ENGLISH]Witness[:LABELS]"
    "[L=ENGLISH][R=00001][P] <was|and [PO] were> born <[D]> <[L]>"
    "[R=00002][W] witnessed the birth of [P] <[D]> <[L]>[R=00003][RW:00003] was godparent"
    "[L=GERMAN][R=00001][P] wurde <[D]> <[L]> geboren";

void BM_FormatNameStyle(benchmark::State& state) {
    CTMGStyleFormatter f;
    NameParts parts = SampleName();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.FormatName(parts, nullptr, 2, StyleTemplate::SurnameDisplay));
}

void BM_FormatNameByHand(benchmark::State& state) {
    NameParts parts = SampleName();
    for (auto _ : state) {
        std::string out = parts.PartValue(kNameSurname) + ", " + parts.PartValue(kNameGiven);
        if (!parts.PartValue(kNameTitle).empty())
            out += " (" + parts.PartValue(kNameTitle) + ")";
        benchmark::DoNotOptimize(out);
    }
}

void BM_FormatPlaceStyle(benchmark::State& state) {
    CTMGStyleFormatter f;
    PlaceParts::Texts parts = SamplePlace();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.FormatPlace(parts, 1));
}

void BM_FormatPlaceByHand(benchmark::State& state) {
    PlaceParts::Texts parts = SamplePlace();
    for (auto _ : state) {
        std::string out;
        for (const std::string& p : parts)
            if (!p.empty())
                out += (out.empty() ? "" : ", ") + p;
        benchmark::DoNotOptimize(out);
    }
}

void BM_ParseSentences(benchmark::State& state) {
    for (auto _ : state) {
        CTMGSentences s;
        s.LoadSentences(kDefinition);
        benchmark::DoNotOptimize(s.Definition());
    }
}

void BM_RemapRoleReferences(benchmark::State& state) {
    RoleMap map;
    map.Add("00003", "00004");
    map.Add("00004", "00005");
    for (auto _ : state)
        benchmark::DoNotOptimize(map.RemapReferences(kDefinition));
}

void BM_LoadStyles(benchmark::State& state) {
    StyleTables tables;
    tables.versionMajor = 9;
    tables.shortPlaceTemplate = "<[CITY], ><[COUNTY], ><[STATE]>";
    for (long id = 1; id <= state.range(0); ++id) {
        StyleRow r;
        r.styleId = id;
        r.group = id % 2 ? "P" : "N";
        r.stDisplay = id % 2 ? "<[City], ><[County], ><[State], ><[Country], >"
                             : "[Title] [GivenName] [Surname] [Suffix]";
        r.srnameSort = "[SortSurname], [SortGiven]";
        tables.styles.push_back(r);
    }
    for (auto _ : state) {
        CTMGStyleFormatter f;
        f.LoadStyles(tables);
        benchmark::DoNotOptimize(f.Tokens().size());
    }
}

} // namespace

BENCHMARK(BM_FormatNameStyle);
BENCHMARK(BM_FormatNameByHand);
BENCHMARK(BM_FormatPlaceStyle);
BENCHMARK(BM_FormatPlaceByHand);
BENCHMARK(BM_ParseSentences);
BENCHMARK(BM_RemapRoleReferences);
BENCHMARK(BM_LoadStyles)->Arg(100);

int main(int argc, char** argv) {
    hk::bench::BenchArgs args(argc, argv);
    args.InitializeBenchmark();
    hk::bench::RunBenchmarks("Style", "ByHand");
    return 0;
}
