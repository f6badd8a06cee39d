#pragma once
// Engine failures as the program reports them: error -1 with a "[Class.Procedure]" source and
// the description "Error (" code ") " text " " context. The engine's own code and its detailed
// message stay available to handlers that need them (the -61 and -310 advice at project open).
#include <string>
#include <string_view>

#include "support/error.h"
#include "xbase/db_error.h"

namespace hk::db {

class TableLibraryError : public hk::Error {
public:
    TableLibraryError(std::string source, std::string description, long code, std::string detail)
        : hk::Error(-1, std::move(source), std::move(description)), code_(code),
          detail_(std::move(detail)) {}

    long Code() const { return code_; }                   // the engine's error number
    const std::string& Detail() const { return detail_; } // the engine's own message

private:
    long code_;
    std::string detail_;
};

// "Error (" code ") " ErrorText(code) " " context.
std::string TableErrorDescription(long code, std::string_view context);

// Raises an engine error with the program's wording.
[[noreturn]] void RaiseTableError(const DbError& e, std::string_view cls, std::string_view proc,
                                  std::string_view context);

// Runs `action`; an engine error escaping it is raised with the program's wording.
template <typename Fn>
decltype(auto) WithTableContext(std::string_view cls, std::string_view proc,
                                std::string_view context, Fn&& action) {
    try {
        return action();
    } catch (const DbError& e) {
        RaiseTableError(e, cls, proc, context);
    }
}

} // namespace hk::db
