#pragma once
// Shared by the function files: the table entry of a built-in function and small argument
// helpers. Internal to the expression compiler.
#include <span>
#include <string_view>

#include "xbase/expr/expr_functions.h"

namespace hk::db::expr {

struct FunctionDef {
    std::string_view name;
    int minArgs;
    int maxArgs;
    // Arguments arrive counted and positioned; the builder checks their types.
    NodePtr (*build)(const CallSite& site, NodeList& args);
};

std::span<const FunctionDef> TextFunctions();  // functions with a character result
std::span<const FunctionDef> ValueFunctions(); // numeric, date and logical results, IIF, MAX

// The whole-number value of a constant argument, else `fallback`.
int ConstantInt(const Node& node, int fallback);
// A run-time whole number, truncated and clamped to [lo, hi].
int ClampedInt(double value, int lo, int hi);
// `s` without trailing (right) or leading (left) blanks; FoxPro trims spaces only.
std::string_view TrimBlanks(std::string_view s, bool left, bool right);

} // namespace hk::db::expr
