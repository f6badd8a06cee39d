#pragma once
// The compiled form of an expression: a tree of typed nodes. Each node that builds text owns a
// buffer sized at compile time and hands out views, so evaluation does not allocate.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/expression.h"

namespace hk::db::expr {

// Width of a character result that only a memo's length bounds.
constexpr int kUnbounded = -1;
// Width assumed when a width argument depends on the record.
constexpr int kRuntimeWidth = 254;
// Largest text a width argument may ask for at run time.
constexpr int kMaxRuntimeText = 1 << 20;
// FoxPro's default SET DECIMALS: the decimals shown of quotients and VAL() results.
constexpr int kSetDecimals = 2;

int AddWidths(int a, int b);
int MaxWidth(int a, int b);

class Node {
public:
    Node(ExprType type, int width = 0, int decimals = 0)
        : type_(type), width_(width), decimals_(decimals) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    ExprType Type() const { return type_; }
    // Char: the key width (kUnbounded when only a memo bounds it).
    int Width() const { return width_; }
    // Numeric: decimals shown when the number is turned into text.
    int Decimals() const { return decimals_; }
    size_t Pos() const { return pos_; }
    void SetPos(size_t pos) { pos_ = pos; }

    // Only the accessor of the node's type is called. A Char view stays valid until this node
    // is evaluated again.
    virtual std::string_view Str() const { return {}; }
    virtual double Num() const { return 0; }
    virtual bool Log() const { return false; }

    // A literal, or a node folded into one.
    virtual bool IsConstant() const { return false; }
    // False for nodes that read records (fields, DELETED(), RECNO()): never folded.
    virtual bool IsPure() const { return true; }
    // The field this node reads directly, if it is a field reference.
    virtual const FieldBinding* Field() const { return nullptr; }

private:
    ExprType type_;
    int width_;
    int decimals_;
    size_t pos_ = 0;
};

using NodePtr = std::unique_ptr<Node>;
using NodeList = std::vector<NodePtr>;

class ConstNode : public Node {
public:
    static NodePtr Char(std::string value);
    static NodePtr Number(double value, int decimals);
    static NodePtr Date(double jdn);
    static NodePtr Logical(bool value);
    // Evaluates a node whose inputs are all constant.
    static NodePtr Fold(const Node& node);

    std::string_view Str() const override { return str_; }
    double Num() const override { return num_; }
    bool Log() const override { return b_; }
    bool IsConstant() const override { return true; }

private:
    ConstNode(ExprType type, int width, int decimals) : Node(type, width, decimals) {}
    std::string str_;
    double num_ = 0;
    bool b_ = false;
};

// A reference to a field of one table's current record.
NodePtr MakeFieldNode(const FieldBinding& binding);

// What error messages need: the expression text, and how to fail at a position in it.
class CompileContext {
public:
    explicit CompileContext(std::string_view text) : text_(text) {}
    std::string_view Text() const { return text_; }
    [[noreturn]] void Fail(long code, size_t pos, const std::string& what) const;
    // Fails with kErrExprType unless `node` has the type.
    void Require(const Node& node, ExprType type, std::string_view where) const;

private:
    std::string_view text_;
};

const char* TypeName(ExprType type);

} // namespace hk::db::expr
