#pragma once
// Number and date conversions of the expression language: STR() and ROUND() rounding, VAL()
// parsing, and Julian day numbers to and from calendar dates. None of them allocates beyond
// what the output string already holds.
#include <string>
#include <string_view>

namespace hk::db::expr {

// `value` right-aligned in `width` characters with `decimals` decimals, as STR() writes it.
// Halves round away from zero on the value's 15 significant digits (what the user sees), so
// STR(2.5) is "3" and STR(1.005,4,2) is "1.01". Decimals that do not fit are dropped (and the
// rest rounded again from the value); an integer part that does not fit gives asterisks.
// Visual FoxPro is said to round surplus decimals digit by digit from the right (giving
// STR(1.154995,8,2) = "1.16"); we round once to the nearest, giving "1.15", because the exact
// cascade is unknown. Whole numbers, the usual key values, come out the same either way.
void FormatStr(double value, int width, int decimals, std::string& out);
// `value` rounded to `decimals` places (negative: tens, hundreds, ...) with the same rule.
double RoundHalfAway(double value, int decimals);
// Display text of a number with `decimals` decimals and no leading blanks.
void FormatNumber(double value, int decimals, std::string& out);
// VAL(): leading blanks, an optional sign, digits and one point; stops at anything else.
double ParseVal(std::string_view text);

// Dates are Julian day numbers; 0 is the empty date.
double JulianDay(int year, int month, int day); // 0 when not a date of years 1-9999
// False for the empty date and for numbers outside years 1-9999.
bool CivilDate(double jdn, int& year, int& month, int& day);
void AppendDtos(double jdn, std::string& out); // YYYYMMDD, 8 blanks when empty
void AppendDtoc(double jdn, std::string& out); // MM/DD/YY, "  /  /  " when empty
double ParseStod(std::string_view text);       // YYYYMMDD, else the empty date
// MM/DD/YY or MM/DD/YYYY (any non-digit separates); two-digit years are 19xx.
double ParseCtod(std::string_view text);

} // namespace hk::db::expr
