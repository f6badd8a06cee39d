#pragma once
// CDateParser: reads a typed date ("Abt 10 Feb 1720/21", "Sept 1820", "before 1820") into
// modifier, year, month and day; TextToTMGDate turns typed text into a stored date value.
#include <string>
#include <string_view>

#include "support/error.h"

namespace hk {

class CDateParser {
public:
    // True when the text is empty or was understood. Text it cannot read raises hk::Error
    // (-1, source "CDateParser.ParseGregorian") with a description ending in "(" + text +
    // ")"; a date ending in "BC" is simply not understood.
    bool Parse(std::string_view text);

    int Modifier() const { return modifier_; } // 0-4; 3 when none was given
    int Year() const { return year_; }
    int Month() const { return month_; }
    int Day() const { return day_; }
    bool OK() const { return ok_; }
    // The year was written "1720/21"; Year() is the first of the two.
    bool DualYear() const { return dualYear_; }

    // "before", "say", "circa", "exact", "after", "between", "or", "from/to"; else empty.
    static std::string_view ModifierName(int code);

private:
    void ParseText(std::string_view text, std::string_view original);
    void ParseGregorian(std::string_view text, std::string_view original);

    int modifier_ = 3;
    int year_ = 0;
    int month_ = 0;
    int day_ = 0;
    bool ok_ = false;
    bool dualYear_ = false;
};

// The stored date value for typed text: the parsed date as a regular value (a dual year
// stored as its second year, old style), or "0" + the text when it cannot be read.
std::string TextToTMGDate(std::string_view text);

} // namespace hk
