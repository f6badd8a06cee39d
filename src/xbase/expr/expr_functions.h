#pragma once
// The built-in functions of the expression language, found by full name or by an abbreviation
// of at least four letters (SUBS, ALLT, UPPE), as FoxPro accepts them.
#include <string_view>

#include "xbase/expr/expr_node.h"

namespace hk::db::expr {

// Where a call appears: its name and position, and the alias of an enclosing a->( ... ) that
// decides which table DELETED(), RECNO() and RECCOUNT() read.
struct CallSite {
    std::string_view name;
    size_t pos;
    const CompileContext& ctx;
    FieldResolver& resolver;
    std::string_view alias;
};

// Checks arity and argument types and folds calls on constants. An unknown name fails with
// kErrUnknownFunction.
NodePtr MakeFunction(const CallSite& site, NodeList args);

} // namespace hk::db::expr
