#pragma once
// The operators of the expression language: arithmetic, date arithmetic, the two string
// concatenations, comparisons (EXACT OFF "=", exact "=="), "$" and the logical operators.
// Each factory checks operand types and folds constant operands.
#include "xbase/expr/expr_node.h"

namespace hk::db::expr {

enum class BinaryOp {
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Pow,
    Eq,
    ExactEq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Contains,
    And,
    Or,
};

NodePtr MakeBinary(BinaryOp op, NodePtr left, NodePtr right, size_t pos, const CompileContext& ctx);
NodePtr MakeNegate(NodePtr operand, size_t pos, const CompileContext& ctx);
NodePtr MakeNot(NodePtr operand, size_t pos, const CompileContext& ctx);

// String order under SET EXACT OFF: bytes are compared up to the end of the right operand, so
// a left operand that starts with the whole right one compares equal; a shorter left operand
// that is a prefix of the right one sorts first.
int CompareExactOff(std::string_view left, std::string_view right);

} // namespace hk::db::expr
