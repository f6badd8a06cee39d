#include "xbase/expr/expr_operators.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "xbase/db_error.h"

namespace hk::db::expr {
namespace {

// Indexed by BinaryOp.
constexpr const char* kOpNames[] = {
    "+", "-", "*", "/", "%", "^", "=", "==", "<>", "<", ">", "<=", ">=", "$", ".AND.", ".OR."};

bool OrderResult(BinaryOp op, int cmp) {
    switch (op) {
    case BinaryOp::Eq:
    case BinaryOp::ExactEq:
        return cmp == 0;
    case BinaryOp::Ne:
        return cmp != 0;
    case BinaryOp::Lt:
        return cmp < 0;
    case BinaryOp::Gt:
        return cmp > 0;
    case BinaryOp::Le:
        return cmp <= 0;
    case BinaryOp::Ge:
        return cmp >= 0;
    default:
        return false;
    }
}

class BinaryNode : public Node {
public:
    BinaryNode(ExprType type, NodePtr l, NodePtr r, int width = 0, int decimals = 0)
        : Node(type, width, decimals), l_(std::move(l)), r_(std::move(r)) {}

protected:
    NodePtr l_, r_;
};

class ArithmeticNode : public BinaryNode {
public:
    ArithmeticNode(BinaryOp op, NodePtr l, NodePtr r, int decimals)
        : BinaryNode(ExprType::Numeric, std::move(l), std::move(r), 0, decimals), op_(op) {}
    double Num() const override {
        double a = l_->Num();
        double b = r_->Num();
        switch (op_) {
        case BinaryOp::Add:
            return a + b;
        case BinaryOp::Sub:
            return a - b;
        case BinaryOp::Mul:
            return a * b;
        // Evaluation never fails: a zero divisor gives 0 rather than an infinity in a key.
        case BinaryOp::Div:
            return b == 0 ? 0 : a / b;
        case BinaryOp::Mod: {
            if (b == 0)
                return 0;
            double m = std::fmod(a, b);
            return m != 0 && (m < 0) != (b < 0) ? m + b : m; // the sign of the divisor
        }
        case BinaryOp::Pow:
            return std::pow(a, b);
        default:
            return 0;
        }
    }

private:
    BinaryOp op_;
};

// date + days, days + date, date - days. The empty date stays empty.
class DateShiftNode : public BinaryNode {
public:
    DateShiftNode(NodePtr date, NodePtr days, bool subtract)
        : BinaryNode(ExprType::Date, std::move(date), std::move(days)), subtract_(subtract) {}
    double Num() const override {
        double d = l_->Num();
        if (d == 0)
            return 0;
        double days = r_->Num();
        return subtract_ ? d - days : d + days;
    }

private:
    bool subtract_;
};

class DateDiffNode : public BinaryNode {
public:
    DateDiffNode(NodePtr l, NodePtr r)
        : BinaryNode(ExprType::Numeric, std::move(l), std::move(r)) {}
    double Num() const override { return l_->Num() - r_->Num(); }
};

class ConcatNode : public BinaryNode {
public:
    ConcatNode(NodePtr l, NodePtr r, int width, bool moveBlanks)
        : BinaryNode(ExprType::Char, std::move(l), std::move(r), width), moveBlanks_(moveBlanks) {
        if (width > 0)
            buf_.reserve(width);
    }
    std::string_view Str() const override {
        std::string_view a = l_->Str();
        std::string_view b = r_->Str();
        if (!moveBlanks_) {
            buf_.assign(a);
            buf_.append(b);
            return buf_;
        }
        // a - b: a's trailing blanks go to the end of the result.
        size_t kept = a.find_last_not_of(' ');
        kept = kept == std::string_view::npos ? 0 : kept + 1;
        buf_.assign(a.substr(0, kept));
        buf_.append(b);
        buf_.append(a.size() - kept, ' ');
        return buf_;
    }

private:
    bool moveBlanks_;
    mutable std::string buf_;
};

// The order of two operands: negative, zero or positive.
int Order(std::string_view a, std::string_view b) {
    return CompareExactOff(a, b);
}
int Order(double a, double b) {
    return a < b ? -1 : a > b ? 1 : 0;
}
// .F. sorts before .T.; so "<>" on logicals is exclusive or.
int Order(bool a, bool b) {
    return static_cast<int>(a) - static_cast<int>(b);
}

// A comparison of two operands of one type, read by `Read`: Node::Str for strings, Node::Num
// for numbers and dates, Node::Log for logicals.
template <auto Read> class CompareNode : public BinaryNode {
public:
    CompareNode(BinaryOp op, NodePtr l, NodePtr r)
        : BinaryNode(ExprType::Logical, std::move(l), std::move(r)), op_(op) {}
    bool Log() const override {
        auto a = ((*l_).*Read)();
        auto b = ((*r_).*Read)();
        // "==" compares whole strings; the others compare them as SET EXACT OFF does.
        if constexpr (std::is_same_v<decltype(a), std::string_view>)
            if (op_ == BinaryOp::ExactEq)
                return a == b;
        return OrderResult(op_, Order(a, b));
    }

private:
    BinaryOp op_;
};

// Case-sensitive substring test. An empty left operand is not contained in anything.
class ContainsNode : public BinaryNode {
public:
    ContainsNode(NodePtr l, NodePtr r)
        : BinaryNode(ExprType::Logical, std::move(l), std::move(r)) {}
    bool Log() const override {
        std::string_view needle = l_->Str();
        std::string_view hay = r_->Str();
        return !needle.empty() && hay.find(needle) != std::string_view::npos;
    }
};

class AndNode : public BinaryNode {
public:
    AndNode(NodePtr l, NodePtr r) : BinaryNode(ExprType::Logical, std::move(l), std::move(r)) {}
    bool Log() const override { return l_->Log() && r_->Log(); }
};

class OrNode : public BinaryNode {
public:
    OrNode(NodePtr l, NodePtr r) : BinaryNode(ExprType::Logical, std::move(l), std::move(r)) {}
    bool Log() const override { return l_->Log() || r_->Log(); }
};

class NotNode : public Node {
public:
    explicit NotNode(NodePtr n) : Node(ExprType::Logical), n_(std::move(n)) {}
    bool Log() const override { return !n_->Log(); }

private:
    NodePtr n_;
};

class NegateNode : public Node {
public:
    explicit NegateNode(NodePtr n) : Node(ExprType::Numeric, 0, n->Decimals()), n_(std::move(n)) {}
    double Num() const override { return -n_->Num(); }

private:
    NodePtr n_;
};

NodePtr Finish(NodePtr node, bool constantInputs, size_t pos) {
    node->SetPos(pos);
    if (constantInputs && node->IsPure())
        return ConstNode::Fold(*node);
    return node;
}

[[noreturn]] void Mismatch(BinaryOp op, const Node& l, const Node& r, size_t pos,
                           const CompileContext& ctx) {
    ctx.Fail(kErrExprType, pos,
             std::string("Operand types do not fit for \"") + kOpNames[static_cast<int>(op)] +
                 "\" (" + TypeName(l.Type()) + " and " + TypeName(r.Type()) + ")");
}

} // namespace

int CompareExactOff(std::string_view left, std::string_view right) {
    size_t n = std::min(left.size(), right.size());
    int c = n == 0 ? 0 : std::memcmp(left.data(), right.data(), n);
    if (c != 0)
        return c < 0 ? -1 : 1;
    return left.size() >= right.size() ? 0 : -1;
}

NodePtr MakeBinary(BinaryOp op, NodePtr left, NodePtr right, size_t pos,
                   const CompileContext& ctx) {
    const ExprType lt = left->Type();
    const ExprType rt = right->Type();
    const bool constant = left->IsConstant() && right->IsConstant();
    const int ld = left->Decimals();
    const int rd = right->Decimals();
    NodePtr node;
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Sub:
        if (lt == ExprType::Char && rt == ExprType::Char) {
            int width = AddWidths(left->Width(), right->Width());
            node = std::make_unique<ConcatNode>(std::move(left), std::move(right), width,
                                                op == BinaryOp::Sub);
        } else if (lt == ExprType::Numeric && rt == ExprType::Numeric) {
            node = std::make_unique<ArithmeticNode>(op, std::move(left), std::move(right),
                                                    std::max(ld, rd));
        } else if (lt == ExprType::Date && rt == ExprType::Numeric) {
            node = std::make_unique<DateShiftNode>(std::move(left), std::move(right),
                                                   op == BinaryOp::Sub);
        } else if (op == BinaryOp::Add && lt == ExprType::Numeric && rt == ExprType::Date) {
            node = std::make_unique<DateShiftNode>(std::move(right), std::move(left), false);
        } else if (op == BinaryOp::Sub && lt == ExprType::Date && rt == ExprType::Date) {
            node = std::make_unique<DateDiffNode>(std::move(left), std::move(right));
        } else {
            Mismatch(op, *left, *right, pos, ctx);
        }
        break;
    case BinaryOp::Mul:
    case BinaryOp::Div:
    case BinaryOp::Mod:
    case BinaryOp::Pow: {
        if (lt != ExprType::Numeric || rt != ExprType::Numeric)
            Mismatch(op, *left, *right, pos, ctx);
        int decimals = op == BinaryOp::Mul   ? ld + rd
                       : op == BinaryOp::Mod ? std::max(ld, rd)
                                             : std::max({ld, rd, kSetDecimals});
        node = std::make_unique<ArithmeticNode>(op, std::move(left), std::move(right), decimals);
        break;
    }
    case BinaryOp::Eq:
    case BinaryOp::ExactEq:
    case BinaryOp::Ne:
    case BinaryOp::Lt:
    case BinaryOp::Gt:
    case BinaryOp::Le:
    case BinaryOp::Ge:
        if (lt != rt)
            Mismatch(op, *left, *right, pos, ctx);
        if (lt == ExprType::Char)
            node = std::make_unique<CompareNode<&Node::Str>>(op, std::move(left), std::move(right));
        else if (lt == ExprType::Logical)
            node = std::make_unique<CompareNode<&Node::Log>>(op, std::move(left), std::move(right));
        else
            node = std::make_unique<CompareNode<&Node::Num>>(op, std::move(left), std::move(right));
        break;
    case BinaryOp::Contains:
        if (lt != ExprType::Char || rt != ExprType::Char)
            Mismatch(op, *left, *right, pos, ctx);
        node = std::make_unique<ContainsNode>(std::move(left), std::move(right));
        break;
    case BinaryOp::And:
    case BinaryOp::Or:
        if (lt != ExprType::Logical || rt != ExprType::Logical)
            Mismatch(op, *left, *right, pos, ctx);
        if (op == BinaryOp::And)
            node = std::make_unique<AndNode>(std::move(left), std::move(right));
        else
            node = std::make_unique<OrNode>(std::move(left), std::move(right));
        break;
    }
    return Finish(std::move(node), constant, pos);
}

NodePtr MakeNegate(NodePtr operand, size_t pos, const CompileContext& ctx) {
    ctx.Require(*operand, ExprType::Numeric, "Unary \"-\"");
    bool constant = operand->IsConstant();
    return Finish(std::make_unique<NegateNode>(std::move(operand)), constant, pos);
}

NodePtr MakeNot(NodePtr operand, size_t pos, const CompileContext& ctx) {
    ctx.Require(*operand, ExprType::Logical, ".NOT.");
    bool constant = operand->IsConstant();
    return Finish(std::make_unique<NotNode>(std::move(operand)), constant, pos);
}

} // namespace hk::db::expr
