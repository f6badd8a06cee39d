#pragma once
// Errors of the table engine. Numbers keep the table library's meanings the program relies
// on (-61 file in use, -310 index error); each message names the file and the fault.
#include <string>

#include "support/error.h"

namespace hk::db {

enum ErrorCode : long {
    kErrCreate = -20,
    kErrOpen = -60,
    kErrFileInUse = -61,
    kErrRead = -70,
    kErrRemove = -80,
    kErrWrite = -120,
    kErrData = -200, // table file damaged: header, sizes, record count
    kErrFieldName = -210,
    kErrFieldType = -220,
    kErrRecordLen = -230,
    kErrMemo = -250,  // memo file damaged or pointer out of range
    kErrIndex = -310, // index file damaged, or an index that cannot be maintained
    kErrTagName = -330,
    kErrUnique = -340,
    kErrExpr = -400,     // expression syntax
    kErrExprType = -460, // operand types do not fit
    kErrUnknownFunction = -470,
    kErrUnknownName = -420, // field or alias not found
    kErrRelate = -710,
    kErrParam = -930,
    kErrReadOnly = -940,
};

// Short text for an error number, like the library's error4text.
const char* ErrorText(long code);

class DbError : public hk::Error {
public:
    DbError(long code, const std::string& file, const std::string& what)
        : hk::Error(code, "[table engine]", file.empty() ? what : file + ": " + what), file_(file) {
    }
    const std::string& File() const { return file_; }

private:
    std::string file_;
};

} // namespace hk::db
