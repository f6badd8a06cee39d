#pragma once
// Reading and writing one field inside a record buffer: the only place that knows how each
// field type is encoded. Bytes are the table's code page; text conversion happens above.
// Readers never throw on malformed stored values: they return empty or zero values.
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/field.h"

namespace hk::db {

enum class Logical { False, True, Unset };

struct DateTimeValue {
    int32_t julian = 0; // 0 = empty
    int32_t millis = 0; // milliseconds since midnight
    bool operator==(const DateTimeValue&) const = default;
};

// The raw bytes of the field.
std::string_view FieldBytes(const FieldInfo& f, const uint8_t* rec);

// N F: the decimal text; I; B; Y (value, not x 10000); D and T: the Julian day (T with the
// time as a fraction of a day), 0 when empty. Other types give 0.
double GetNumber(const FieldInfo& f, const uint8_t* rec);
// Like GetNumber, truncated toward zero; exact for N/F integers of up to 18 digits and for Y
// (whole currency units).
int64_t GetInteger(const FieldInfo& f, const uint8_t* rec);

// L: T t Y y are true, F f N n false, anything else (space, '?') not set.
Logical GetLogicalState(const FieldInfo& f, const uint8_t* rec);
inline bool GetLogical(const FieldInfo& f, const uint8_t* rec) {
    return GetLogicalState(f, rec) == Logical::True;
}

// D and T: the date as "YYYYMMDD", empty when blank ("        ", "00000000") or malformed.
std::string GetDate(const FieldInfo& f, const uint8_t* rec);
// D and T: the Julian day, 0 when empty or malformed.
int32_t GetJulian(const FieldInfo& f, const uint8_t* rec);
// T: day and time; D: the day at midnight.
DateTimeValue GetDateTime(const FieldInfo& f, const uint8_t* rec);

// Memo pointer: VFP LE uint32; FoxPro 2.x ASCII digits with blanks. 0 = no memo (also for
// a pointer that is not a number).
uint32_t GetMemoBlock(const FieldInfo& f, const uint8_t* rec, DbfFlavor flavor);

// NULL test and set through the table's _NullFlags field (false for non-nullable fields).
bool IsNull(const FieldInfo& f, const FieldInfo& nullFlags, const uint8_t* rec);
void SetNull(const FieldInfo& f, const FieldInfo& nullFlags, uint8_t* rec, bool isNull);

// Bytes, left aligned, padded with blanks or cut to the width in bytes.
void PutChar(const FieldInfo& f, uint8_t* rec, std::string_view bytes);
// N F: right aligned, exactly `decimals` digits, rounded half away from zero (at 15
// significant digits, as FoxPro's decimal display); a value that does not fit is stored as
// '*'s and false is returned. I and Y round half away from zero; B stores the double; D
// takes a Julian day (0 = blank). Out of range for I/Y, or a non-numeric field: DbError
// kErrParam.
bool PutNumber(const FieldInfo& f, uint8_t* rec, double value);
// Exact integer store for N F (no digits lost to a double), I, Y, B; false on N/F overflow.
bool PutInteger(const FieldInfo& f, uint8_t* rec, int64_t value);
void PutLogical(const FieldInfo& f, uint8_t* rec, bool value);
// D: "YYYYMMDD" or empty for blank; T: that day at midnight. Malformed: DbError kErrParam.
void PutDate(const FieldInfo& f, uint8_t* rec, std::string_view yyyymmdd);
// T: day and time (julian 0 = blank); D: the day only.
void PutDateTime(const FieldInfo& f, uint8_t* rec, DateTimeValue value);
void PutMemoBlock(const FieldInfo& f, uint8_t* rec, DbfFlavor flavor, uint32_t block);
// The blank value FoxPro writes for a new record: blanks for C N F L D and FoxPro 2.x
// memo pointers, zeros for I B Y T, VFP memo pointers and _NullFlags.
void PutBlank(const FieldInfo& f, uint8_t* rec, DbfFlavor flavor);

} // namespace hk::db
