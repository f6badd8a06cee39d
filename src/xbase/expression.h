#pragma once
// dBase / FoxPro expressions as the table engine uses them: index keys, FOR filters and relation
// query filters. An expression is compiled once against the fields it names and then evaluated
// for the current record of each table it reads, without allocating in steady state.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::db {

enum class ExprType { Char, Numeric, Date, Logical };

// Char: raw Windows-1252 bytes; Numeric: double; Date: Julian day number, 0 = empty date
// (a datetime keeps its time of day as the fraction).
struct ExprValue {
    ExprType type = ExprType::Logical;
    std::string str;
    double num = 0;
    bool b = false;
};

// The current record of one table, implemented by the table layer. A C field's view must stay
// valid until the record changes; a memo's view until the next CharValue call.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual std::string_view CharValue(int field) const = 0; // C (full width), M (memo text)
    virtual double NumberValue(int field) const = 0;         // N F I B Y
    virtual double DateValue(int field) const = 0; // D: JDN, 0 when empty; T: JDN+fraction
    virtual bool LogicalValue(int field) const = 0;
    virtual bool Deleted() const = 0;
    virtual uint32_t RecNo() const = 0;
    virtual uint32_t RecCount() const = 0;
};

// A field an expression reads: its table's record, its number there and its declared shape.
struct FieldBinding {
    const RecordSource* source = nullptr;
    int field = 0;
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

// Looks up the names an expression uses, at compile time only.
class FieldResolver {
public:
    virtual ~FieldResolver() = default;
    // `alias` is empty for an unqualified name; nullopt when unknown.
    virtual std::optional<FieldBinding> Resolve(std::string_view alias, std::string_view field) = 0;
    // The table of DELETED(), RECNO() and RECCOUNT() without an alias; may be null.
    virtual const RecordSource* DefaultSource() = 0;
    // The table behind an alias (a->(DELETED()), DELETED("a")); null when unknown.
    virtual const RecordSource* SourceForAlias(std::string_view alias) = 0;
};

// How an index stores the keys of an expression.
enum class KeyKind { Char, Double, Int4, Currency, Logical };

namespace expr {
class Node;
}

class Expression {
public:
    // `text` is Windows-1252, as index headers store it. Throws DbError: kErrExpr (syntax),
    // kErrUnknownFunction, kErrUnknownName (field or alias), kErrExprType (operand types).
    static std::unique_ptr<Expression> Compile(std::string_view text, FieldResolver& resolver);
    // As Compile, and the result must be logical (a FOR clause or a query filter).
    static std::unique_ptr<Expression> CompileFilter(std::string_view text,
                                                     FieldResolver& resolver);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    ExprType Type() const;
    // Key length in bytes: 8, 4, 8 and 1 for the Double, Int4, Currency and Logical kinds.
    // For a character result, the width FoxPro gives the key: a C field's width, STR() 10 or
    // its length, PADx their count, LEFT/RIGHT/SUBSTR their count but no more than the
    // argument holds, DTOS 8, + and - the sum; UPPER and the TRIMs keep the argument's width
    // (keys are padded back); IIF the wider branch. Constant parts count as evaluated. A count
    // that depends on the record gives the argument's width, or 254 where there is none
    // (PADx, STR, SPACE); a width that only a memo's length bounds gives 0.
    int Length() const;
    // Int4 when the expression is exactly one I field, Currency for one Y field, Double for any
    // other numeric or date result.
    KeyKind KeyKindForIndex() const;

    // Evaluation reads the sources' current records. Buffers live in the expression, so one
    // expression must not be evaluated by two threads at once.
    void Evaluate(ExprValue& out) const;
    bool EvaluateLogical() const;          // false when the result is not logical
    double EvaluateNumber() const;         // numeric and date results, else 0
    std::string_view EvaluateChar() const; // valid until the next evaluation, else empty

    const std::string& Text() const { return text_; }
    // Every field the expression reads, in order of appearance, repeats included once.
    const std::vector<FieldBinding>& Fields() const { return fields_; }

private:
    Expression(std::string text, std::unique_ptr<expr::Node> root,
               std::vector<FieldBinding> fields);

    std::string text_;
    std::unique_ptr<expr::Node> root_;
    std::vector<FieldBinding> fields_;
    KeyKind keyKind_;
    int length_;
};

} // namespace hk::db
