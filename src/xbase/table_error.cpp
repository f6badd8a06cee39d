#include "xbase/table_error.h"

namespace hk::db {

std::string TableErrorDescription(long code, std::string_view context) {
    return "Error (" + std::to_string(code) + ") " + ErrorText(code) + " " + std::string(context);
}

void RaiseTableError(const DbError& e, std::string_view cls, std::string_view proc,
                     std::string_view context) {
    throw TableLibraryError(ErrorSource(std::string(cls), std::string(proc)),
                            TableErrorDescription(e.Number(), context), e.Number(),
                            e.Description());
}

} // namespace hk::db
