// mktmg: writes a synthetic TMG project of any size, the same files for the same arguments,
// for tests, the demo and benchmarks.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator.h"
#include "support/error.h"

using namespace hk;
using namespace hk::mktmg;

namespace {

const char* kUsage =
    "usage: mktmg [--people N] [--seed S] [--layout current|old] [--datasets K] "
    "OUT_FOLDER/NAME__.pjc\n"
    "\n"
    "Writes a complete TMG project: NAME__.pjc and every table with its memo file and\n"
    "production index (the old layout adds NAME_.tmg and NAME_.mem). N live people (default\n"
    "1000) spread over K datasets (default 3: DSID 1, 2 and 8); the seed (default 1) decides\n"
    "everything else. Prints the live records per dataset and the deleted records of each\n"
    "table. Exit status: 0 done, 2 error.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename T> T Number(const std::string& option, const std::string& text) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw UsageError(option + " needs a whole number, not \"" + text + "\"");
    return value;
}

GeneratorOptions Parse(const std::vector<std::string>& args) {
    GeneratorOptions o;
    bool haveOutput = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--people") {
            o.people = Number<int64_t>(a, value());
            if (o.people < 0)
                throw UsageError("--people cannot be negative");
        } else if (a == "--seed") {
            o.seed = Number<uint64_t>(a, value());
        } else if (a == "--datasets") {
            o.datasets = Number<int>(a, value());
            if (o.datasets < 1 || o.datasets > 50)
                throw UsageError("--datasets must be 1 to 50");
        } else if (a == "--layout") {
            const std::string& v = value();
            if (v == "current")
                o.layout = TmgLayout::Current;
            else if (v == "old")
                o.layout = TmgLayout::Old;
            else
                throw UsageError("--layout is current or old, not " + v);
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (!a.empty() && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (haveOutput) {
            throw UsageError("more than one project file given");
        } else {
            o.pjcPath = a;
            haveOutput = true;
        }
    }
    if (!haveOutput)
        throw UsageError("no project file given");
    return o;
}

void Report(const GeneratorOptions& o, const GeneratorResult& r) {
    std::printf("wrote %s (%s layout, %lld people, seed %llu, datasets", o.pjcPath.c_str(),
                o.layout == TmgLayout::Current ? "current" : "old",
                static_cast<long long>(o.people), static_cast<unsigned long long>(o.seed));
    for (const DatasetInfo& d : r.datasets)
        std::printf(" %d", d.dsid);
    std::printf(")\n");
    for (const auto& [suffix, counts] : r.counts) {
        std::printf("%-4s", suffix.c_str());
        for (const auto& [dsid, n] : counts.live) {
            if (dsid == 0)
                std::printf(" all=%llu", static_cast<unsigned long long>(n));
            else
                std::printf(" dsid%d=%llu", dsid, static_cast<unsigned long long>(n));
        }
        std::printf(" deleted=%llu\n", static_cast<unsigned long long>(counts.deleted));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        GeneratorOptions o = Parse(args);
        GeneratorResult r = GenerateProject(o);
        Report(o, r);
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "mktmg: %s\n%s", e.what(), kUsage);
    } catch (const Error& e) {
        std::fprintf(stderr, "mktmg: %s\n", e.Description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mktmg: %s\n", e.what());
    }
    return 2;
}
