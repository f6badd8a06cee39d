#pragma once
// TMG's stored value forms as the generator and the test builder write them: date values and
// the "$!&" packing of old names and places.
#include <string>
#include <string_view>
#include <vector>

namespace hk::mktmg {

// The date value TMG stores for "no date".
inline constexpr std::string_view kEmptyDate = "100000000030000000000";

// Date modifiers (position 11 of a regular date value).
enum DateModifier : int {
    kBefore = 0,
    kSay = 1,
    kCirca = 2,
    kExact = 3,
    kAfter = 4,
    kBetween = 5,
    kOr = 6,
    kFromTo = 7,
};

struct DateParts {
    int year = 0, month = 0, day = 0; // 0 for an unknown part
    bool oldStyle = false;
};

// A regular (21-character) date value. The second date is used by modifiers 5 to 7 only.
std::string RegularDate(const DateParts& first, int modifier = kExact, const DateParts& second = {},
                        bool questionable = false);
inline std::string ExactDate(int year, int month = 0, int day = 0) {
    return RegularDate({year, month, day});
}
// An irregular date value: "0" and free text.
std::string IrregularDate(std::string_view text);
// The first 11 characters of an exact date, as research-log dates are kept.
std::string ShortLogDate(int year, int month, int day);

// Parts joined by "$!&", each followed by the separator.
std::string PackParts(const std::vector<std::string>& parts);

} // namespace hk::mktmg
