#include "xbase/expr/expr_parser.h"

#include "xbase/db_error.h"
#include "xbase/expr/expr_functions.h"
#include "xbase/expr/expr_lexer.h"
#include "xbase/expr/expr_operators.h"

namespace hk::db::expr {
namespace {

// Precedence, loosest first: .OR., .AND., .NOT., relational (not chainable), + -, * / %,
// ^ **, unary - +. Operators of one level group left to right, the power operator included.
class Parser {
public:
    Parser(const CompileContext& ctx, FieldResolver& resolver)
        : ctx_(ctx), resolver_(resolver), tokens_(Tokenize(ctx)) {}

    ParseResult Run() {
        if (Peek().kind == Tok::End)
            ctx_.Fail(kErrExpr, 0, "Empty expression");
        NodePtr root = ParseOr();
        if (Peek().kind != Tok::End)
            Unexpected();
        return {std::move(root), std::move(fields_)};
    }

private:
    const Token& Peek(size_t ahead = 0) const {
        size_t i = std::min(next_ + ahead, tokens_.size() - 1);
        return tokens_[i];
    }
    const Token& Take() {
        const Token& t = tokens_[next_];
        if (next_ + 1 < tokens_.size())
            ++next_;
        return t;
    }
    void ExpectClosingParen() {
        if (Peek().kind != Tok::RParen)
            ctx_.Fail(kErrExpr, Peek().pos, "\")\" expected, found " + Describe(Peek()));
        Take();
    }
    [[noreturn]] void Unexpected() {
        const Token& t = Peek();
        if (t.kind == Tok::End)
            ctx_.Fail(kErrExpr, t.pos, "Unexpected end of expression");
        ctx_.Fail(kErrExpr, t.pos, "Unexpected " + Describe(t));
    }
    static std::string Describe(const Token& t) {
        if (t.kind == Tok::End)
            return "end of expression";
        return "\"" + std::string(t.text) + "\"";
    }

    // Bounds the recursion a damaged index header could ask for.
    class Nesting {
    public:
        Nesting(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxDepth)
                p_.ctx_.Fail(kErrExpr, p_.Peek().pos, "Expression nested too deeply");
        }
        ~Nesting() { --p_.depth_; }

    private:
        Parser& p_;
    };

    NodePtr ParseOr() {
        Nesting nesting(*this);
        NodePtr left = ParseAnd();
        while (Peek().kind == Tok::Or) {
            size_t pos = Take().pos;
            left = MakeBinary(BinaryOp::Or, std::move(left), ParseAnd(), pos, ctx_);
        }
        return left;
    }

    NodePtr ParseAnd() {
        NodePtr left = ParseNot();
        while (Peek().kind == Tok::And) {
            size_t pos = Take().pos;
            left = MakeBinary(BinaryOp::And, std::move(left), ParseNot(), pos, ctx_);
        }
        return left;
    }

    NodePtr ParseNot() {
        Nesting nesting(*this);
        if (Peek().kind == Tok::Not) {
            size_t pos = Take().pos;
            return MakeNot(ParseNot(), pos, ctx_);
        }
        return ParseRelational();
    }

    static bool Relational(Tok kind, BinaryOp& op) {
        switch (kind) {
        case Tok::Eq:
            op = BinaryOp::Eq;
            return true;
        case Tok::ExactEq:
            op = BinaryOp::ExactEq;
            return true;
        case Tok::Ne:
            op = BinaryOp::Ne;
            return true;
        case Tok::Lt:
            op = BinaryOp::Lt;
            return true;
        case Tok::Gt:
            op = BinaryOp::Gt;
            return true;
        case Tok::Le:
            op = BinaryOp::Le;
            return true;
        case Tok::Ge:
            op = BinaryOp::Ge;
            return true;
        case Tok::Dollar:
            op = BinaryOp::Contains;
            return true;
        default:
            return false;
        }
    }

    NodePtr ParseRelational() {
        NodePtr left = ParseAdditive();
        BinaryOp op;
        if (!Relational(Peek().kind, op))
            return left;
        size_t pos = Take().pos;
        NodePtr node = MakeBinary(op, std::move(left), ParseAdditive(), pos, ctx_);
        if (Relational(Peek().kind, op))
            ctx_.Fail(kErrExpr, Peek().pos, "Comparisons cannot be chained");
        return node;
    }

    NodePtr ParseAdditive() {
        NodePtr left = ParseMultiplicative();
        for (;;) {
            Tok kind = Peek().kind;
            if (kind != Tok::Plus && kind != Tok::Minus)
                return left;
            size_t pos = Take().pos;
            BinaryOp op = kind == Tok::Plus ? BinaryOp::Add : BinaryOp::Sub;
            left = MakeBinary(op, std::move(left), ParseMultiplicative(), pos, ctx_);
        }
    }

    NodePtr ParseMultiplicative() {
        NodePtr left = ParsePower();
        for (;;) {
            Tok kind = Peek().kind;
            BinaryOp op;
            if (kind == Tok::Star)
                op = BinaryOp::Mul;
            else if (kind == Tok::Slash)
                op = BinaryOp::Div;
            else if (kind == Tok::Percent)
                op = BinaryOp::Mod;
            else
                return left;
            size_t pos = Take().pos;
            left = MakeBinary(op, std::move(left), ParsePower(), pos, ctx_);
        }
    }

    NodePtr ParsePower() {
        NodePtr left = ParseUnary();
        while (Peek().kind == Tok::Power) {
            size_t pos = Take().pos;
            left = MakeBinary(BinaryOp::Pow, std::move(left), ParseUnary(), pos, ctx_);
        }
        return left;
    }

    NodePtr ParseUnary() {
        Nesting nesting(*this);
        Tok kind = Peek().kind;
        if (kind == Tok::Minus || kind == Tok::Plus || kind == Tok::Not) {
            size_t pos = Take().pos;
            NodePtr operand = ParseUnary();
            if (kind == Tok::Minus)
                return MakeNegate(std::move(operand), pos, ctx_);
            if (kind == Tok::Not)
                return MakeNot(std::move(operand), pos, ctx_);
            ctx_.Require(*operand, ExprType::Numeric, "Unary \"+\"");
            return operand;
        }
        return ParsePrimary();
    }

    NodePtr ParsePrimary() {
        const Token& t = Peek();
        NodePtr node;
        switch (t.kind) {
        case Tok::Number:
            node = ConstNode::Number(t.number, t.decimals);
            break;
        case Tok::String:
            node = ConstNode::Char(t.str);
            break;
        case Tok::Date:
            node = ConstNode::Date(t.number);
            break;
        case Tok::True:
            node = ConstNode::Logical(true);
            break;
        case Tok::False:
            node = ConstNode::Logical(false);
            break;
        case Tok::LParen: {
            Take();
            NodePtr inner = ParseOr();
            ExpectClosingParen();
            return inner;
        }
        case Tok::Name:
            return ParseName();
        default:
            Unexpected();
        }
        node->SetPos(t.pos);
        Take();
        return node;
    }

    NodePtr ParseName() {
        const Token& name = Take();
        if (Peek().kind == Tok::LParen)
            return ParseCall(name);
        if (Peek().kind == Tok::Dot) {
            Take();
            if (Peek().kind != Tok::Name)
                Unexpected();
            return FieldRef(name.text, Take().text, name.pos);
        }
        if (Peek().kind != Tok::Arrow)
            return FieldRef(alias_, name.text, name.pos);
        Take();
        if (Peek().kind == Tok::Name)
            return FieldRef(name.text, Take().text, name.pos);
        if (Peek().kind != Tok::LParen)
            Unexpected();
        // alias->( expression ): unqualified names and DELETED() refer to that table.
        if (!resolver_.SourceForAlias(name.text))
            ctx_.Fail(kErrUnknownName, name.pos,
                      "Unknown alias \"" + std::string(name.text) + "\"");
        Take();
        std::string_view outer = alias_;
        alias_ = name.text;
        NodePtr inner = ParseOr();
        alias_ = outer;
        ExpectClosingParen();
        return inner;
    }

    NodePtr ParseCall(const Token& name) {
        Take(); // (
        NodeList args;
        if (Peek().kind != Tok::RParen) {
            for (;;) {
                args.push_back(ParseOr());
                if (Peek().kind != Tok::Comma)
                    break;
                Take();
            }
        }
        ExpectClosingParen();
        CallSite site{name.text, name.pos, ctx_, resolver_, alias_};
        return MakeFunction(site, std::move(args));
    }

    NodePtr FieldRef(std::string_view alias, std::string_view field, size_t pos) {
        std::optional<FieldBinding> b = resolver_.Resolve(alias, field);
        if (!b || !b->source) {
            if (!alias.empty() && !resolver_.SourceForAlias(alias))
                ctx_.Fail(kErrUnknownName, pos, "Unknown alias \"" + std::string(alias) + "\"");
            std::string full =
                alias.empty() ? std::string(field) : std::string(alias) + "->" + std::string(field);
            ctx_.Fail(kErrUnknownName, pos, "Unknown field \"" + full + "\"");
        }
        NodePtr node = MakeFieldNode(*b);
        if (!node)
            ctx_.Fail(kErrExprType, pos,
                      "Field \"" + std::string(field) + "\" of type " + std::string(1, b->type) +
                          " cannot be used in an expression");
        node->SetPos(pos);
        bool seen = false;
        for (const auto& f : fields_)
            seen |= f.source == b->source && f.field == b->field;
        if (!seen)
            fields_.push_back(*b);
        return node;
    }

    const CompileContext& ctx_;
    FieldResolver& resolver_;
    std::vector<Token> tokens_;
    size_t next_ = 0;
    int depth_ = 0;
    static constexpr int kMaxDepth = 600; // about 200 levels of parentheses
    std::string_view alias_;
    std::vector<FieldBinding> fields_;
};

} // namespace

ParseResult Parse(const CompileContext& ctx, FieldResolver& resolver) {
    return Parser(ctx, resolver).Run();
}

} // namespace hk::db::expr
