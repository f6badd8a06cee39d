#include "xbase/db_error.h"

namespace hk::db {

const char* ErrorText(long code) {
    switch (code) {
    case kErrCreate:
        return "Creating File";
    case kErrOpen:
        return "Opening File";
    case kErrFileInUse:
        return "File in use: permission denied";
    case kErrRead:
        return "Reading File";
    case kErrRemove:
        return "Removing File";
    case kErrWrite:
        return "Writing to File";
    case kErrData:
        return "File is not a data file";
    case kErrFieldName:
        return "Unrecognized Field Name";
    case kErrFieldType:
        return "Unrecognized Field Type";
    case kErrRecordLen:
        return "Record Length is too Large";
    case kErrMemo:
        return "Memo File Damaged";
    case kErrIndex:
        return "Not a Correct Index File";
    case kErrTagName:
        return "Tag Name not Found";
    case kErrUnique:
        return "Unique Key Error";
    case kErrExpr:
        return "Expression Syntax Error";
    case kErrExprType:
        return "Operand Type Mismatch";
    case kErrUnknownFunction:
        return "Unrecognized Function";
    case kErrUnknownName:
        return "Unrecognized Data Field or Alias";
    case kErrRelate:
        return "Relation Error";
    case kErrParam:
        return "Unexpected Parameter";
    case kErrReadOnly:
        return "File is Read-Only";
    default:
        return "Table Engine Error";
    }
}

} // namespace hk::db
