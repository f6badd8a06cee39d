#pragma once
// Recursive-descent parser of the expression language. Builds the typed node tree, resolving
// field names through the caller's resolver and checking operand types as it goes.
#include <vector>

#include "xbase/expr/expr_node.h"

namespace hk::db::expr {

struct ParseResult {
    NodePtr root;
    std::vector<FieldBinding> fields; // each field once, in order of first appearance
};

ParseResult Parse(const CompileContext& ctx, FieldResolver& resolver);

} // namespace hk::db::expr
