#include "xbase/expr/expr_node.h"

#include <algorithm>

#include "xbase/db_error.h"

namespace hk::db::expr {
namespace {

class CharFieldNode : public Node {
public:
    explicit CharFieldNode(const FieldBinding& b) : Node(ExprType::Char, b.length), b_(b) {}
    std::string_view Str() const override { return b_.source->CharValue(b_.field); }
    bool IsPure() const override { return false; }
    const FieldBinding* Field() const override { return &b_; }

private:
    FieldBinding b_;
};

// Memo texts are copied: the table may keep a single memo buffer for all its memo fields, and
// an expression can read two of them at once.
class MemoFieldNode : public Node {
public:
    explicit MemoFieldNode(const FieldBinding& b) : Node(ExprType::Char, kUnbounded), b_(b) {}
    std::string_view Str() const override {
        buf_.assign(b_.source->CharValue(b_.field));
        return buf_;
    }
    bool IsPure() const override { return false; }
    const FieldBinding* Field() const override { return &b_; }

private:
    FieldBinding b_;
    mutable std::string buf_;
};

class NumberFieldNode : public Node {
public:
    explicit NumberFieldNode(const FieldBinding& b)
        : Node(ExprType::Numeric, 0,
               b.type == 'I'   ? 0
               : b.type == 'Y' ? 4
                               : b.decimals),
          b_(b) {}
    double Num() const override { return b_.source->NumberValue(b_.field); }
    bool IsPure() const override { return false; }
    const FieldBinding* Field() const override { return &b_; }

private:
    FieldBinding b_;
};

class DateFieldNode : public Node {
public:
    explicit DateFieldNode(const FieldBinding& b) : Node(ExprType::Date), b_(b) {}
    double Num() const override { return b_.source->DateValue(b_.field); }
    bool IsPure() const override { return false; }
    const FieldBinding* Field() const override { return &b_; }

private:
    FieldBinding b_;
};

class LogicalFieldNode : public Node {
public:
    explicit LogicalFieldNode(const FieldBinding& b) : Node(ExprType::Logical), b_(b) {}
    bool Log() const override { return b_.source->LogicalValue(b_.field); }
    bool IsPure() const override { return false; }
    const FieldBinding* Field() const override { return &b_; }

private:
    FieldBinding b_;
};

} // namespace

int AddWidths(int a, int b) {
    return a == kUnbounded || b == kUnbounded ? kUnbounded : a + b;
}

int MaxWidth(int a, int b) {
    return a == kUnbounded || b == kUnbounded ? kUnbounded : std::max(a, b);
}

NodePtr ConstNode::Char(std::string value) {
    auto n = std::unique_ptr<ConstNode>(
        new ConstNode(ExprType::Char, static_cast<int>(value.size()), 0));
    n->str_ = std::move(value);
    return n;
}

NodePtr ConstNode::Number(double value, int decimals) {
    auto n = std::unique_ptr<ConstNode>(new ConstNode(ExprType::Numeric, 0, decimals));
    n->num_ = value;
    return n;
}

NodePtr ConstNode::Date(double jdn) {
    auto n = std::unique_ptr<ConstNode>(new ConstNode(ExprType::Date, 0, 0));
    n->num_ = jdn;
    return n;
}

NodePtr ConstNode::Logical(bool value) {
    auto n = std::unique_ptr<ConstNode>(new ConstNode(ExprType::Logical, 0, 0));
    n->b_ = value;
    return n;
}

NodePtr ConstNode::Fold(const Node& node) {
    NodePtr folded;
    switch (node.Type()) {
    case ExprType::Char:
        folded = Char(std::string(node.Str()));
        break;
    case ExprType::Numeric:
        folded = Number(node.Num(), node.Decimals());
        break;
    case ExprType::Date:
        folded = Date(node.Num());
        break;
    case ExprType::Logical:
        folded = Logical(node.Log());
        break;
    }
    folded->SetPos(node.Pos());
    return folded;
}

NodePtr MakeFieldNode(const FieldBinding& binding) {
    switch (binding.type) {
    case 'C':
    case 'V':
        return std::make_unique<CharFieldNode>(binding);
    case 'M':
        return std::make_unique<MemoFieldNode>(binding);
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
        return std::make_unique<NumberFieldNode>(binding);
    case 'D':
    case 'T':
        return std::make_unique<DateFieldNode>(binding);
    case 'L':
        return std::make_unique<LogicalFieldNode>(binding);
    default:
        return nullptr;
    }
}

void CompileContext::Fail(long code, size_t pos, const std::string& what) const {
    throw DbError(code, "",
                  what + " at position " + std::to_string(pos + 1) + " in expression \"" +
                      std::string(text_) + "\"");
}

void CompileContext::Require(const Node& node, ExprType type, std::string_view where) const {
    if (node.Type() == type)
        return;
    Fail(kErrExprType, node.Pos(),
         std::string(where) + " needs a " + TypeName(type) + " value, not " +
             TypeName(node.Type()));
}

const char* TypeName(ExprType type) {
    switch (type) {
    case ExprType::Char:
        return "character";
    case ExprType::Numeric:
        return "numeric";
    case ExprType::Date:
        return "date";
    case ExprType::Logical:
        return "logical";
    }
    return "?";
}

} // namespace hk::db::expr
