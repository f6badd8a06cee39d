// Evaluating compiled expressions must not allocate once buffers have grown to their working
// size: keys and filters are evaluated for every record of every walk. The global allocation
// functions are replaced for this test binary; they count only while a test asks them to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "expr_fakes.h"
#include "xbase/expression.h"

namespace {
thread_local bool gCounting = false;
thread_local long gAllocations = 0;
} // namespace

// GCC sees free() meet a pointer from operator new; here both are ours and malloc-based.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (gCounting)
        ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace hk::db;
using hk::db::testing::FakeResolver;
using hk::db::testing::FakeTable;

namespace {

TEST(ExprAllocation, SteadyStateEvaluationDoesNotAllocate) {
    FakeResolver resolver;
    FakeTable& g = resolver.AddTable("g");
    FakeTable& t = resolver.AddTable("t");
    g.Add("SRNAMESORT", 'C', 70);
    g.Add("RULESET", 'N', 1);
    g.Add("SOURTYPE", 'I');
    g.Add("PER1", 'I');
    g.Add("TITLE", 'M');
    g.Add("BIRTH", 'D');
    g.Add("RLTYPE", 'C', 1);
    g.Add("FLAG", 'L');
    g.Add("AMOUNT", 'N', 10, 2);
    t.Add("ADMIN", 'N', 2);

    const char* texts[] = {
        "UPPER(SRNAMESORT)",
        "STR(RULESET,1)+STR(SOURTYPE,10)",
        "t->ADMIN = 6 .AND. g->Per1 <> 0 .AND. .NOT. DELETED()",
        "PADR(UPPER(TITLE),40)",
        "DTOS(BIRTH)+RLTYPE+STR(PER1)",
        "IIF(FLAG, LOWER(SRNAMESORT), ALLTRIM(SRNAMESORT) - '!')",
        "STR(AMOUNT,10,3) + PADL(AMOUNT,12,'0')",
        "SUBSTR(TITLE,3,5) $ UPPER(SRNAMESORT) .OR. ROUND(AMOUNT,1) > 2",
    };
    std::vector<std::unique_ptr<Expression>> exprs;
    for (const char* text : texts)
        exprs.push_back(Expression::Compile(text, resolver));
    ExprValue out;

    struct Row {
        const char* name;
        double number;
        const char* memo;
        bool flag;
    };
    const Row rows[] = {
        {"Smith, John", 12, "A long memo text that is longer than the forty-character key", true},
        {"\xC9mile d'Arcy", -3, "short", false},
        {"", 0, "", true},
        {"Jones", 1234567, "Middling memo text", false},
    };
    auto load = [&](const Row& r) {
        g.Set("SRNAMESORT", r.name);
        g.Set("RULESET", 2);
        g.Set("SOURTYPE", r.number);
        g.Set("PER1", r.number);
        g.Set("TITLE", r.memo);
        g.Set("BIRTH", 2451545 + r.number);
        g.Set("RLTYPE", "P");
        g.SetLogical("FLAG", r.flag);
        g.Set("AMOUNT", r.number / 7);
        t.Set("ADMIN", 6);
    };
    // Warm up on every row: buffers reach the largest size they need.
    for (const Row& r : rows) {
        load(r);
        for (const auto& e : exprs)
            e->Evaluate(out);
    }
    long total = 0;
    for (int round = 0; round < 3; ++round) {
        for (const Row& r : rows) {
            load(r);
            gAllocations = 0;
            gCounting = true;
            for (const auto& e : exprs) {
                e->Evaluate(out);
                e->EvaluateLogical();
                e->EvaluateChar();
            }
            gCounting = false;
            total += gAllocations;
        }
    }
    EXPECT_EQ(total, 0);

    // The counter itself works: a fresh string of this size must allocate.
    gAllocations = 0;
    gCounting = true;
    std::string probe(100, 'x');
    gCounting = false;
    EXPECT_GT(gAllocations, 0);
}

} // namespace
