#pragma once
// Julian day numbers, the day count FoxPro stores in datetime fields and uses for date
// arithmetic (2000-01-01 is 2451545; proleptic Gregorian calendar throughout).
#include <cstdint>
#include <string>
#include <string_view>

namespace hk::db {

// Day number of a valid calendar date (year 1..9999), else 0.
int32_t JulianFromYmd(int year, int month, int day);
// Calendar date of a day number; false (and zeros) for numbers outside years 1..9999.
bool YmdFromJulian(int32_t jdn, int& year, int& month, int& day);

// "YYYYMMDD" to a day number; 0 for blank, all zero or malformed text.
int32_t JulianFromDate(std::string_view yyyymmdd);
// A day number as "YYYYMMDD"; empty for 0 or a number outside years 1..9999.
std::string DateFromJulian(int32_t jdn);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

} // namespace hk::db
