#include <gtest/gtest.h>

#include "expr_fakes.h"
#include "xbase/db_error.h"
#include "xbase/expression.h"

using namespace hk::db;
using hk::db::testing::FakeResolver;
using hk::db::testing::FakeTable;

namespace {

class Expr : public ::testing::Test {
protected:
    Expr() : g_(resolver_.AddTable("g")), t_(resolver_.AddTable("t")) {
        g_.Add("NAME", 'C', 10);
        g_.Add("SURNAME", 'C', 12);
        g_.Add("PER1", 'I');
        g_.Add("AMOUNT", 'N', 12, 2);
        g_.Add("BIRTH", 'D');
        g_.Add("STAMP", 'T');
        g_.Add("FLAG", 'L');
        g_.Add("TITLE", 'M');
        g_.Add("NOTE", 'M');
        g_.Add("PRICE", 'Y', 8, 4);
        g_.Add("PICTURE", 'G');
        t_.Add("ADMIN", 'N', 2);
        t_.Add("ETYPENAME", 'C', 20);
    }

    std::unique_ptr<Expression> Compile(std::string_view text) {
        return Expression::Compile(text, resolver_);
    }
    ExprValue Eval(std::string_view text, ExprType type) {
        auto e = Compile(text);
        EXPECT_EQ(e->Type(), type) << text;
        ExprValue v;
        e->Evaluate(v);
        return v;
    }
    std::string Str(std::string_view text) { return Eval(text, ExprType::Char).str; }
    double Num(std::string_view text) { return Eval(text, ExprType::Numeric).num; }
    double Date(std::string_view text) { return Eval(text, ExprType::Date).num; }
    bool Log(std::string_view text) { return Eval(text, ExprType::Logical).b; }
    // The error a compilation raises: code and message; code 0 when it compiles.
    std::pair<long, std::string> Error(std::string_view text) {
        try {
            Compile(text);
        } catch (const DbError& e) {
            return {e.Number(), e.Description()};
        }
        return {0, ""};
    }
    long Code(std::string_view text) { return Error(text).first; }

    FakeResolver resolver_;
    FakeTable& g_;
    FakeTable& t_;
};

TEST_F(Expr, PrecedenceAndAssociativity) {
    EXPECT_EQ(Num("2+3*4"), 14);
    EXPECT_EQ(Num("(2+3)*4"), 20);
    EXPECT_EQ(Num("2*3^2"), 18);
    EXPECT_EQ(Num("2^3^2"), 64); // powers group left to right
    EXPECT_EQ(Num("2**3**2"), 64);
    EXPECT_EQ(Num("-2^2"), 4); // unary minus binds tighter than the power
    EXPECT_EQ(Num("2^-1"), 0.5);
    EXPECT_EQ(Num("10-4-3"), 3);
    EXPECT_EQ(Num("100/10/5"), 2);
    EXPECT_EQ(Num("7%3"), 1);
    EXPECT_EQ(Num("-7%3"), 2); // the sign of the divisor, like MOD()
    EXPECT_EQ(Num("7%-3"), -2);
    EXPECT_EQ(Num("- -3"), 3);
    EXPECT_EQ(Num("1/0"), 0);

    g_.Set("PER1", 3);
    EXPECT_EQ(Num("PER1 + PER1 * 2"), 9);
    EXPECT_EQ(Num("PER1 ^ 2 ^ 2"), 81);
    EXPECT_EQ(Num("-PER1 ^ 2"), 9);
    EXPECT_EQ(Num("PER1 - 1 - 1"), 1);

    EXPECT_TRUE(Log(".T. .OR. .F. .AND. .F."));
    EXPECT_FALSE(Log("(.T. .OR. .F.) .AND. .F."));
    EXPECT_TRUE(Log(".NOT. .T. .OR. .T."));
    EXPECT_TRUE(Log("NOT 1 = 2"));
    EXPECT_FALSE(Log("!.F. AND .F."));
    EXPECT_TRUE(Log("1 < 2 .and. 3 >= 3 .And. 4 <> 5 and 3 > 2"));
    EXPECT_FALSE(Log("4 # 4 .OR. 2 != 2 .OR. 3 <= 2"));
    EXPECT_TRUE(Log(".T. <> .F.")); // exclusive or
    EXPECT_TRUE(Log(".F. < .T."));
    EXPECT_TRUE(Log("1 + 2 = 3")); // arithmetic before comparison

    g_.SetLogical("FLAG", false);
    EXPECT_TRUE(Log(".NOT. FLAG .AND. PER1 = 3"));
    EXPECT_FALSE(Log("FLAG .OR. PER1 > 5"));
    EXPECT_TRUE(Log("PER1 = 3 .AND. !FLAG"));
    EXPECT_TRUE(Log("FLAG = !.T."));

    EXPECT_EQ(Code("1 < 2 = .T."), kErrExpr); // comparisons do not chain
}

TEST_F(Expr, ExactOffEqualityFollowsTheRightOperand) {
    struct Row {
        const char* left;
        const char* right;
        bool equal;
        bool exact;
    };
    const Row rows[] = {
        {"abc", "ab", true, false}, {"ab", "abc", false, false}, {"ab", "", true, false},
        {"", "ab", false, false},   {"ab ", "ab", true, false},  {"ab", "ab ", false, false},
        {"ab", "ab", true, true},   {"", "", true, true},        {"ab", "AB", false, false},
    };
    for (const auto& r : rows) {
        std::string l = r.left, rt = r.right;
        SCOPED_TRACE("'" + l + "' vs '" + rt + "'");
        EXPECT_EQ(Log("'" + l + "' = '" + rt + "'"), r.equal);
        EXPECT_EQ(Log("'" + l + "' == '" + rt + "'"), r.exact);
        // The same through memo fields, which keep their exact length at run time.
        g_.Set("TITLE", l);
        g_.Set("NOTE", rt);
        EXPECT_EQ(Log("TITLE = NOTE"), r.equal);
        EXPECT_EQ(Log("TITLE <> NOTE"), !r.equal);
        EXPECT_EQ(Log("TITLE # NOTE"), !r.equal);
        EXPECT_EQ(Log("TITLE == NOTE"), r.exact);
    }
    EXPECT_TRUE(Log("'ab' < 'abc'"));
    EXPECT_TRUE(Log("'abc' <= 'ab'")); // equal as far as the right operand goes
    EXPECT_FALSE(Log("'abc' < 'ab'"));
    EXPECT_TRUE(Log("'abd' > 'abc'"));
    EXPECT_TRUE(Log("'\xE9' > 'z'")); // bytes compare unsigned

    g_.Set("NAME", "Smith");
    EXPECT_TRUE(Log("NAME = 'Smith'"));
    EXPECT_TRUE(Log("NAME = 'Smi'"));
    EXPECT_FALSE(Log("NAME == 'Smith'")); // the field keeps its trailing blanks
    EXPECT_TRUE(Log("NAME == 'Smith     '"));
    EXPECT_FALSE(Log("'Smith' = NAME"));
    EXPECT_TRUE(Log("NAME > 'Smi' .OR. NAME = 'Smi'"));
}

TEST_F(Expr, ContainsAndConcatenation) {
    EXPECT_TRUE(Log("'ab' $ 'xaby'"));
    EXPECT_FALSE(Log("'AB' $ 'xaby'"));
    EXPECT_FALSE(Log("'' $ 'abc'"));
    EXPECT_FALSE(Log("'abc' $ 'ab'"));
    g_.Set("NAME", "Smith");
    EXPECT_TRUE(Log("'mit' $ NAME"));
    EXPECT_FALSE(Log("NAME $ 'Smith'")); // the blanks of the field are part of it

    EXPECT_EQ(Str("'ab  ' - 'cd '"), "abcd   ");
    EXPECT_EQ(Str("'   ' - 'x'"), "x   ");
    EXPECT_EQ(Str("'ab' - 'cd'"), "abcd");
    g_.Set("SURNAME", "Jones");
    EXPECT_EQ(Str("NAME + SURNAME"), "Smith     Jones       ");
    EXPECT_EQ(Str("NAME - SURNAME"), "SmithJones" + std::string(12, ' '));
    EXPECT_EQ(Str("NAME - SURNAME - 'x'"), "SmithJonesx" + std::string(12, ' '));
    EXPECT_EQ(Compile("NAME - SURNAME")->Length(), 22);
    EXPECT_EQ(Compile("'[' + NAME + ']'")->Length(), 12);
}

TEST_F(Expr, StrWidthsRoundingAndOverflow) {
    EXPECT_EQ(Str("STR(5)"), "         5");
    EXPECT_EQ(Str("STR(-5,3)"), " -5");
    EXPECT_EQ(Str("STR(2.5)"), "         3"); // halves away from zero
    EXPECT_EQ(Str("STR(-2.5,3)"), " -3");
    EXPECT_EQ(Str("STR(1.005,4,2)"), "1.01");        // decided on the digits shown, not the binary
    EXPECT_EQ(Str("STR(1.154995,8,2)"), "    1.15"); // nearest, not a digit-by-digit cascade
    EXPECT_EQ(Str("STR(3.14159,6,2)"), "  3.14");
    EXPECT_EQ(Str("STR(3.14159,4,3)"), "3.14"); // decimals give way first
    EXPECT_EQ(Str("STR(99.96,4,1)"), " 100");
    EXPECT_EQ(Str("STR(1.5,5,2)"), " 1.50");
    EXPECT_EQ(Str("STR(0.5,4,2)"), "0.50");
    EXPECT_EQ(Str("STR(-0.4)"), "         0");
    EXPECT_EQ(Str("STR(12345,3)"), "***");
    EXPECT_EQ(Str("STR(-123,3)"), "***");
    EXPECT_EQ(Str("STR(12345678901)"), "**********");
    EXPECT_EQ(Str("STR(5,0)"), "");

    g_.Set("PER1", 12345);
    EXPECT_EQ(Str("STR(PER1)"), "     12345");
    g_.Set("PER1", -42);
    EXPECT_EQ(Str("STR(PER1,5)"), "  -42");
    g_.Set("AMOUNT", 9007199254740992.0); // 2^53: integer keys are exact
    EXPECT_EQ(Str("STR(AMOUNT,16)"), "9007199254740992");
    g_.Set("AMOUNT", 2.675);
    EXPECT_EQ(Str("STR(AMOUNT,5,2)"), " 2.68");
    g_.Set("AMOUNT", 0.125);
    EXPECT_EQ(Str("STR(AMOUNT,5,2)"), " 0.13");
    g_.Set("AMOUNT", -1.5);
    EXPECT_EQ(Str("STR(AMOUNT)"), "        -2");
    EXPECT_EQ(Compile("STR(AMOUNT)")->Length(), 10);
    EXPECT_EQ(Compile("STR(AMOUNT,4,1)")->Length(), 4);

    EXPECT_DOUBLE_EQ(Num("ROUND(2.675,2)"), 2.68);
    EXPECT_EQ(Num("ROUND(-2.5,0)"), -3);
    EXPECT_EQ(Num("ROUND(1234.5,-2)"), 1200);
    EXPECT_EQ(Num("ROUND(1250,-2)"), 1300);
    EXPECT_EQ(Num("INT(-2.7)"), -2);
    EXPECT_EQ(Num("ABS(-3)"), 3);
}

TEST_F(Expr, PaddingAndTruncation) {
    EXPECT_EQ(Str("PADR('abc',5)"), "abc  ");
    EXPECT_EQ(Str("PADL('abc',5)"), "  abc");
    EXPECT_EQ(Str("PADC('abc',6)"), " abc  ");
    EXPECT_EQ(Str("PADR('abcdef',3)"), "abc");
    EXPECT_EQ(Str("PADL('abcdef',3)"), "abc"); // the first n characters, whatever the side
    EXPECT_EQ(Str("PADC('abcdef',3)"), "abc");
    EXPECT_EQ(Str("PADR('abc',0)"), "");
    EXPECT_EQ(Str("PADL(42,6,'0')"), "000042");
    EXPECT_EQ(Str("PADR('a',3,'xyz')"), "axx");
    EXPECT_EQ(Str("PADR('a',3,'')"), "a  ");
    EXPECT_EQ(Str("PADR(.T.,4)"), ".T. ");
    EXPECT_EQ(Str("PADR({^2000-01-31},10)"), "01/31/00  ");
    g_.Set("AMOUNT", -1.5);
    EXPECT_EQ(Str("PADL(AMOUNT,7)"), "  -1.50"); // the field's decimals
    g_.Set("NAME", "Smith");
    EXPECT_EQ(Str("PADL(NAME,12,'*')"), "**Smith     ");
    EXPECT_EQ(Compile("PADR(NAME,40)")->Length(), 40);
    EXPECT_EQ(Compile("PADL(PER1,8,'0')")->Length(), 8);
}

TEST_F(Expr, SubstringsAndTheirWidths) {
    EXPECT_EQ(Str("SUBSTR('abcdef',2,3)"), "bcd");
    EXPECT_EQ(Str("SUBSTR('abc',2)"), "bc");
    EXPECT_EQ(Str("SUBSTR('abc',2,10)"), "bc");
    EXPECT_EQ(Str("SUBSTR('abc',4)"), "");
    EXPECT_EQ(Str("SUBSTR('abc',9,2)"), "");
    EXPECT_EQ(Str("SUBSTR('abc',0,2)"), "ab");
    EXPECT_EQ(Str("SUBSTR('abc',2,-1)"), "");
    EXPECT_EQ(Str("LEFT('abc',5)"), "abc");
    EXPECT_EQ(Str("LEFT('abc',0)"), "");
    EXPECT_EQ(Str("LEFT('abc',-1)"), "");
    EXPECT_EQ(Str("RIGHT('abc',2)"), "bc");
    EXPECT_EQ(Str("RIGHT('abc',9)"), "abc");

    g_.Set("NAME", "Abcdefghij");
    g_.Set("PER1", 4);
    EXPECT_EQ(Str("SUBSTR(NAME,PER1,PER1-1)"), "def");
    EXPECT_EQ(Str("RIGHT(NAME,PER1)"), "ghij");
    EXPECT_EQ(Str("LEFT(UPPER(NAME),3)"), "ABC");

    EXPECT_EQ(Compile("SUBSTR(NAME,3)")->Length(), 8);
    EXPECT_EQ(Compile("SUBSTR(NAME,3,4)")->Length(), 4);
    EXPECT_EQ(Compile("SUBSTR(NAME,9,5)")->Length(), 2);
    EXPECT_EQ(Compile("SUBSTR(NAME,12)")->Length(), 0);
    EXPECT_EQ(Compile("LEFT(NAME,20)")->Length(), 10);
    EXPECT_EQ(Compile("RIGHT(NAME,3)")->Length(), 3);
    EXPECT_EQ(Compile("SUBSTR(TITLE,5,30)")->Length(), 30);
    EXPECT_EQ(Compile("LEFT(NAME,PER1)")->Length(), 10); // bounded by the argument
}

TEST_F(Expr, ValParsing) {
    EXPECT_EQ(Num("VAL('  12.5abc')"), 12.5);
    EXPECT_EQ(Num("VAL('-3')"), -3);
    EXPECT_EQ(Num("VAL('+4')"), 4);
    EXPECT_EQ(Num("VAL('.5')"), 0.5);
    EXPECT_EQ(Num("VAL('1.2.3')"), 1.2);
    EXPECT_EQ(Num("VAL('1,5')"), 1);
    EXPECT_EQ(Num("VAL('abc')"), 0);
    EXPECT_EQ(Num("VAL('')"), 0);
    EXPECT_EQ(Num("VAL('  -  5')"), 0);
    EXPECT_EQ(Num("VAL('.')"), 0);
    g_.Set("NAME", "  0042");
    EXPECT_EQ(Num("VAL(NAME) + 1"), 43);
}

TEST_F(Expr, DatesAndDateArithmetic) {
    EXPECT_EQ(Str("DTOS(BIRTH)"), "        "); // the empty date
    EXPECT_EQ(Str("DTOC(BIRTH)"), "  /  /  ");
    EXPECT_EQ(Num("YEAR(BIRTH)"), 0);
    EXPECT_TRUE(Log("EMPTY(BIRTH)"));
    EXPECT_EQ(Date("BIRTH + 1"), 0); // stays empty

    g_.Set("BIRTH", 2451545); // 2000-01-01
    EXPECT_EQ(Str("DTOS(BIRTH)"), "20000101");
    EXPECT_EQ(Str("DTOC(BIRTH)"), "01/01/00");
    EXPECT_EQ(Str("DTOC(BIRTH,1)"), "20000101");
    EXPECT_EQ(Str("DTOS(BIRTH - 1)"), "19991231");
    EXPECT_EQ(Str("DTOS(31 + BIRTH)"), "20000201");
    EXPECT_EQ(Num("{^2000-03-01} - BIRTH"), 60); // a leap year
    EXPECT_EQ(Date("{^1981-01-01}"), 2444606);
    EXPECT_EQ(Date("{01/31/2000}"), 2451575);
    EXPECT_EQ(Date("{}"), 0);
    EXPECT_TRUE(Log("BIRTH < {^2000-01-02} .AND. BIRTH >= {^2000-01-01}"));
    EXPECT_EQ(Num("YEAR(BIRTH) * 10000 + MONTH(BIRTH) * 100 + DAY(BIRTH)"), 20000101);

    EXPECT_EQ(Str("DTOS(STOD('20240229'))"), "20240229");
    EXPECT_EQ(Date("STOD('20230229')"), 0);
    EXPECT_EQ(Date("STOD('        ')"), 0);
    EXPECT_EQ(Num("STOD('20240301') - STOD('20240228')"), 2);
    EXPECT_EQ(Str("DTOS(CTOD('12/31/99'))"), "19991231");
    EXPECT_EQ(Str("DTOS(CTOD('2/3/2024'))"), "20240203");
    EXPECT_EQ(Date("CTOD('13/01/2000')"), 0);

    g_.Set("STAMP", 2451545.75); // a datetime: 18:00 on 2000-01-01
    EXPECT_EQ(Str("DTOS(STAMP)"), "20000101");
    EXPECT_EQ(Num("DAY(STAMP)"), 1);
    EXPECT_EQ(Compile("STAMP")->KeyKindForIndex(), KeyKind::Double);

    EXPECT_EQ(Code("{^2023-02-29}"), kErrExpr);
    EXPECT_EQ(Code("BIRTH + BIRTH"), kErrExprType);
    EXPECT_EQ(Code("1 - BIRTH"), kErrExprType);
}

TEST_F(Expr, IifEvaluatesOnlyTheChosenBranch) {
    g_.SetLogical("FLAG", true);
    g_.Set("NAME", "Smith");
    auto e = Compile("IIF(FLAG, NAME, UPPER(SURNAME))");
    ExprValue v;
    e->Evaluate(v);
    EXPECT_EQ(v.str, "Smith     ");
    EXPECT_EQ(g_.Reads("SURNAME"), 0);
    g_.SetLogical("FLAG", false);
    g_.Set("SURNAME", "jones");
    e->Evaluate(v);
    EXPECT_EQ(v.str, "JONES       ");
    EXPECT_EQ(g_.Reads("NAME"), 1);
    EXPECT_EQ(e->Length(), 12); // the wider branch

    g_.Set("PER1", 0);
    EXPECT_EQ(Num("IIF(PER1 = 0, 0, 100 / PER1)"), 0);
    EXPECT_EQ(Code("IIF(FLAG, 1, 'a')"), kErrExprType);
    EXPECT_EQ(Code("IIF(1, 1, 2)"), kErrExprType);
    EXPECT_EQ(Str("IIF(.F., NAME, 'x')"), "x"); // a constant condition picks its branch
}

TEST_F(Expr, BintocBytesSortLikeNumbers) {
    using namespace std::string_literals;
    EXPECT_EQ(Str("BINTOC(1)"), "\x80\x00\x00\x01"s);
    EXPECT_EQ(Str("BINTOC(-1)"), "\x7F\xFF\xFF\xFF"s);
    EXPECT_EQ(Str("BINTOC(0)"), "\x80\x00\x00\x00"s);
    EXPECT_EQ(Str("BINTOC(1,2)"), "\x80\x01"s);
    EXPECT_EQ(Str("BINTOC(-2,1)"), "\x7E"s);
    EXPECT_EQ(Str("BINTOC(258,8)"), "\x80\x00\x00\x00\x00\x00\x01\x02"s);
    EXPECT_EQ(Str("BINTOC(1,'R')"), "\x01\x00\x00\x80"s);
    EXPECT_EQ(Str("BINTOC(1,'S')"), "\x00\x00\x00\x01"s);
    EXPECT_EQ(Str("BINTOC(1,4,'RS')"), "\x01\x00\x00\x00"s);
    EXPECT_EQ(Compile("BINTOC(PER1,2)")->Length(), 2);

    std::string previous;
    for (int v : {-70000, -256, -1, 0, 1, 255, 256, 70000}) {
        g_.Set("PER1", v);
        std::string key = Str("BINTOC(PER1)");
        EXPECT_LT(previous, key) << v;
        previous = key;
    }
    EXPECT_EQ(Code("BINTOC(1,3)"), kErrExpr);
    EXPECT_EQ(Code("BINTOC(1,'B')"), kErrUnknownFunction);
}

TEST_F(Expr, CaseMappingUsesWindows1252) {
    EXPECT_EQ(Str("UPPER('\xE9l\xE8ve \x9C\xFF\xDF\xF7')"), "\xC9L\xC8VE \x8C\x9F\xDF\xF7");
    EXPECT_EQ(Str("LOWER('\xC9L\xC8VE \x8C\xD7')"), "\xE9l\xE8ve \x9C\xD7");
    g_.Set("NAME", "\xE7"
                   "a\xF1"
                   "o");
    EXPECT_EQ(Str("UPPER(NAME)"), "\xC7"
                                  "A\xD1"
                                  "O      ");
    EXPECT_EQ(Compile("UPPER(NAME)")->Length(), 10);
}

TEST_F(Expr, FunctionNamesMayBeAbbreviatedToFourLetters) {
    g_.Set("NAME", "  Smith");
    EXPECT_EQ(Str("SUBS(NAME,3,3)"), "Smi");
    EXPECT_EQ(Str("SUBST(NAME,3,3)"), "Smi");
    EXPECT_EQ(Str("ALLT(NAME)"), "Smith");
    EXPECT_EQ(Str("uppe(allt(name))"), "SMITH");
    EXPECT_EQ(Str("RTRI(NAME)"), "  Smith");
    EXPECT_EQ(Str("REPL('ab',2)"), "abab");
    EXPECT_EQ(Num("RECC()"), 1);
    EXPECT_FALSE(Log("DELE()"));
    EXPECT_EQ(Str("DTOC({^2000-01-02})"), "01/02/00");   // DTOC and DTOS stay apart
    EXPECT_EQ(Code("SUB(NAME,1)"), kErrUnknownFunction); // three letters
    EXPECT_EQ(Code("SUBSTRX(NAME,1)"), kErrUnknownFunction);
    EXPECT_EQ(Code("UPPERCASE(NAME)"), kErrUnknownFunction);
}

TEST_F(Expr, OtherFunctions) {
    g_.Set("NAME", "a b a");
    EXPECT_EQ(Num("LEN(NAME)"), 10);
    EXPECT_EQ(Num("LEN(TRIM(NAME))"), 5);
    EXPECT_EQ(Str("LTRIM('  a  ')"), "a  ");
    EXPECT_EQ(Num("AT('a', NAME)"), 1);
    EXPECT_EQ(Num("AT('a', NAME, 2)"), 5);
    EXPECT_EQ(Num("AT('a', NAME, 3)"), 0);
    EXPECT_EQ(Num("AT('', NAME)"), 0);
    EXPECT_TRUE(Log("EMPTY(SURNAME) .AND. EMPTY(0) .AND. EMPTY(.F.) .AND. EMPTY(CHR(9))"));
    EXPECT_FALSE(Log("EMPTY(NAME) .OR. EMPTY(-1) .OR. EMPTY(.T.)"));
    EXPECT_EQ(Num("MAX(3, 9, -2)"), 9);
    EXPECT_EQ(Num("MIN(3, 9, -2)"), -2);
    EXPECT_EQ(Str("MAX('abc', 'abd')"), "abd");
    EXPECT_EQ(Compile("MAX(NAME, SURNAME)")->Length(), 12);
    EXPECT_EQ(Str("CHR(65) + SPACE(2) + CHR(321)"), "A  A");
    EXPECT_EQ(Num("ASC('A')"), 65);
    EXPECT_EQ(Compile("SPACE(7)")->Length(), 7);
    EXPECT_EQ(Code("MAX(1, 'a')"), kErrExprType);
}

TEST_F(Expr, AliasesReachEachSource) {
    t_.Set("ADMIN", 6);
    g_.Set("PER1", 12);
    auto filter = Expression::CompileFilter("t->ADMIN = 6 .AND. g->Per1 <> 0 .AND. .NOT. DELETED()",
                                            resolver_);
    EXPECT_TRUE(filter->EvaluateLogical());
    g_.deleted = true; // DELETED() without an alias reads the default table
    EXPECT_FALSE(filter->EvaluateLogical());
    g_.deleted = false;
    t_.deleted = true;
    EXPECT_TRUE(filter->EvaluateLogical());
    t_.Set("ADMIN", 5);
    EXPECT_FALSE(filter->EvaluateLogical());
    t_.Set("ADMIN", 6);
    g_.Set("PER1", 0);
    EXPECT_FALSE(filter->EvaluateLogical());
    ASSERT_EQ(filter->Fields().size(), 2u);
    EXPECT_EQ(filter->Fields()[0].source, &t_);
    EXPECT_EQ(filter->Fields()[1].source, &g_);

    EXPECT_TRUE(Log("t->(DELETED())"));
    EXPECT_TRUE(Log("DELETED('t')"));
    EXPECT_FALSE(Log("DELETED()"));
    EXPECT_EQ(Num("T->(ADMIN + 1)"), 7); // unqualified names inside refer to t
    t_.Set("ETYPENAME", "Birth");
    EXPECT_EQ(Str("UPPER(t.etypename)"), "BIRTH" + std::string(15, ' '));
    EXPECT_EQ(Code("g->ETYPENAME"), kErrUnknownName);
    EXPECT_TRUE(Log("g.FLAG.OR.t.ADMIN=6")); // dotted operators next to alias.field

    // TMG opens its person table under the alias "$"; "$" stays the operator elsewhere.
    FakeTable& person = resolver_.AddTable("$");
    person.Add("PER_NO", 'I');
    person.Set("PER_NO", 5);
    EXPECT_EQ(Num("$->PER_NO + $.PER_NO"), 10);
    EXPECT_TRUE(Log("'mi'$'Smith' .AND. .NOT. 'x'$g.NAME"));

    g_.recNo = 7;
    t_.recNo = 3;
    t_.recCount = 40;
    EXPECT_EQ(Num("RECNO()"), 7);
    EXPECT_EQ(Num("RECNO('t')"), 3);
    EXPECT_EQ(Num("t->(RECNO()) + RECCOUNT('T')"), 43);
    EXPECT_EQ(Num("RECCOUNT()"), 1);
}

TEST_F(Expr, ErrorsNameTheirKindAndPlace) {
    auto [code, message] = Error("UPPER(NAME");
    EXPECT_EQ(code, kErrExpr);
    EXPECT_EQ(message, "\")\" expected, found end of expression at position 11 in expression "
                       "\"UPPER(NAME\"");
    EXPECT_EQ(Error("1 +").second,
              "Unexpected end of expression at position 4 in expression \"1 +\"");
    EXPECT_EQ(Error("NAME ? 1").second,
              "Unexpected character \"?\" at position 6 in expression \"NAME ? 1\"");
    EXPECT_EQ(Error("TMGSORT(NAME)"),
              std::make_pair(long{kErrUnknownFunction},
                             std::string("Unknown function \"TMGSORT\" at position 1 in "
                                         "expression \"TMGSORT(NAME)\"")));
    EXPECT_EQ(Error("PER1 + NOPE"),
              std::make_pair(long{kErrUnknownName},
                             std::string("Unknown field \"NOPE\" at position 8 in expression "
                                         "\"PER1 + NOPE\"")));
    EXPECT_EQ(Error("x->NAME").second,
              "Unknown alias \"x\" at position 1 in expression \"x->NAME\"");
    EXPECT_EQ(Error("NAME + 1"),
              std::make_pair(long{kErrExprType},
                             std::string("Operand types do not fit for \"+\" (character and "
                                         "numeric) at position 6 in expression \"NAME + 1\"")));
    EXPECT_EQ(Error("UPPER(PER1)").second,
              "UPPER() needs a character value, not numeric at position 7 in expression "
              "\"UPPER(PER1)\"");
    EXPECT_EQ(Code("'abc"), kErrExpr);
    EXPECT_EQ(Code(""), kErrExpr);
    EXPECT_EQ(Code("NAME NAME"), kErrExpr);
    EXPECT_EQ(Code("UPPER(NAME, 1)"), kErrExpr);
    EXPECT_EQ(Code("STR()"), kErrExpr);
    EXPECT_EQ(Code("12abc"), kErrExpr);
    EXPECT_EQ(Code(std::string(5000, '(') + "1" + std::string(5000, ')')), kErrExpr);
    EXPECT_EQ(Num(std::string(100, '(') + "1" + std::string(100, ')')), 1);
    EXPECT_EQ(Code("1 = '1'"), kErrExprType);
    EXPECT_EQ(Code("-NAME"), kErrExprType);
    EXPECT_EQ(Code(".NOT. PER1"), kErrExprType);
    EXPECT_EQ(Code("PICTURE"), kErrExprType); // a general field has no value here
    EXPECT_EQ(Code("x->(DELETED())"), kErrUnknownName);
    EXPECT_EQ(Code("DELETED('x')"), kErrUnknownName);
    try {
        Expression::CompileFilter("NAME", resolver_);
        ADD_FAILURE() << "a character filter compiled";
    } catch (const DbError& e) {
        EXPECT_EQ(e.Number(), kErrExprType);
    }
}

TEST_F(Expr, ResultTypesAndKeyKinds) {
    EXPECT_EQ(Compile("PER1")->KeyKindForIndex(), KeyKind::Int4);
    EXPECT_EQ(Compile("(PER1)")->KeyKindForIndex(), KeyKind::Int4);
    EXPECT_EQ(Compile("PER1 + 0")->KeyKindForIndex(), KeyKind::Double);
    EXPECT_EQ(Compile("-PER1")->KeyKindForIndex(), KeyKind::Double);
    EXPECT_EQ(Compile("PRICE")->KeyKindForIndex(), KeyKind::Currency);
    EXPECT_EQ(Compile("PRICE * 2")->KeyKindForIndex(), KeyKind::Double);
    EXPECT_EQ(Compile("AMOUNT")->KeyKindForIndex(), KeyKind::Double);
    EXPECT_EQ(Compile("BIRTH")->KeyKindForIndex(), KeyKind::Double);
    EXPECT_EQ(Compile("FLAG")->KeyKindForIndex(), KeyKind::Logical);
    EXPECT_EQ(Compile("FLAG")->Length(), 1);
    EXPECT_EQ(Compile("PER1")->Length(), 4);
    EXPECT_EQ(Compile("PRICE")->Length(), 8);
    EXPECT_EQ(Compile("BIRTH")->Length(), 8);
    EXPECT_EQ(Compile("UPPER(TITLE)")->Length(), 0); // only the memo bounds it
    EXPECT_EQ(Compile("TRIM(NAME)")->Length(), 10);

    g_.Set("PER1", 5);
    auto e = Compile("PER1 * 2");
    EXPECT_EQ(e->EvaluateNumber(), 10);
    EXPECT_EQ(e->EvaluateChar(), "");
    EXPECT_FALSE(e->EvaluateLogical());
    EXPECT_EQ(e->Text(), "PER1 * 2");
}

} // namespace
