#pragma once
// The layout of a TMG date value ("1" YYYYMMDD old-style modifier YYYYMMDD old-style
// question): slicing helpers shared by the date display, building and parsing code.
#include <string>
#include <string_view>

namespace hk::date_value {

inline constexpr std::string_view kEmptyDate = "100000000030000000000";
inline constexpr std::size_t kRegularLength = 21;

// One of the two dates of a regular value; malformed digits read as 0.
struct DatePart {
    int year = 0;
    int month = 0;
    int day = 0;
    bool oldStyle = false;
};

// Value of the digits at 1-based position pos, len wide; reading stops at the first
// character that is not a digit, and a slice past the end reads 0.
int Digits(std::string_view value, std::size_t pos, std::size_t len);
// Character at 1-based position pos, or '\0' past the end.
char At(std::string_view value, std::size_t pos);

DatePart FirstDate(std::string_view value);
DatePart SecondDate(std::string_view value);
// Modifier code 0-7 of a regular value, -1 for anything else.
int ModifierCode(std::string_view value);
bool IsQuestionable(std::string_view value);

// An old-style date from 1 January to 24 March shows the previous year and a dual year.
bool ShowsDualYear(const DatePart& part);
std::string DualYearText(int year); // 1721 -> "1720/21"

// n with at least `width` digits ("0000" / "00" / "0" formats).
std::string ZeroPad(int n, int width);

} // namespace hk::date_value
