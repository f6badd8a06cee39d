#include "xbase/expression.h"

#include "xbase/db_error.h"
#include "xbase/expr/expr_node.h"
#include "xbase/expr/expr_parser.h"

namespace hk::db {
namespace {

KeyKind KindOf(const expr::Node& root) {
    switch (root.Type()) {
    case ExprType::Char:
        return KeyKind::Char;
    case ExprType::Logical:
        return KeyKind::Logical;
    case ExprType::Date:
        return KeyKind::Double;
    case ExprType::Numeric:
        break;
    }
    // A lone I or Y field keeps its own key encoding; any arithmetic on it makes a double.
    if (const FieldBinding* f = root.Field()) {
        if (f->type == 'I')
            return KeyKind::Int4;
        if (f->type == 'Y')
            return KeyKind::Currency;
    }
    return KeyKind::Double;
}

int KeyLength(const expr::Node& root, KeyKind kind) {
    switch (kind) {
    case KeyKind::Char:
        return root.Width() == expr::kUnbounded ? 0 : root.Width();
    case KeyKind::Int4:
        return 4;
    case KeyKind::Logical:
        return 1;
    case KeyKind::Double:
    case KeyKind::Currency:
        return 8;
    }
    return 0;
}

} // namespace

Expression::Expression(std::string text, std::unique_ptr<expr::Node> root,
                       std::vector<FieldBinding> fields)
    : text_(std::move(text)), root_(std::move(root)), fields_(std::move(fields)),
      keyKind_(KindOf(*root_)), length_(KeyLength(*root_, keyKind_)) {}

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::Compile(std::string_view text, FieldResolver& resolver) {
    expr::CompileContext ctx(text);
    expr::ParseResult parsed = expr::Parse(ctx, resolver);
    return std::unique_ptr<Expression>(
        new Expression(std::string(text), std::move(parsed.root), std::move(parsed.fields)));
}

std::unique_ptr<Expression> Expression::CompileFilter(std::string_view text,
                                                      FieldResolver& resolver) {
    auto e = Compile(text, resolver);
    if (e->Type() != ExprType::Logical)
        throw DbError(kErrExprType, "",
                      std::string("A filter must be logical, not ") + expr::TypeName(e->Type()) +
                          ", in expression \"" + std::string(text) + "\"");
    return e;
}

ExprType Expression::Type() const {
    return root_->Type();
}

int Expression::Length() const {
    return length_;
}

KeyKind Expression::KeyKindForIndex() const {
    return keyKind_;
}

void Expression::Evaluate(ExprValue& out) const {
    out.type = root_->Type();
    switch (out.type) {
    case ExprType::Char:
        out.str.assign(root_->Str());
        break;
    case ExprType::Numeric:
    case ExprType::Date:
        out.num = root_->Num();
        break;
    case ExprType::Logical:
        out.b = root_->Log();
        break;
    }
}

bool Expression::EvaluateLogical() const {
    return root_->Type() == ExprType::Logical && root_->Log();
}

double Expression::EvaluateNumber() const {
    ExprType t = root_->Type();
    return t == ExprType::Numeric || t == ExprType::Date ? root_->Num() : 0;
}

std::string_view Expression::EvaluateChar() const {
    return root_->Type() == ExprType::Char ? root_->Str() : std::string_view();
}

} // namespace hk::db
