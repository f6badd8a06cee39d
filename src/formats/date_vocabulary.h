#pragma once
// DateVocabulary: the words a date is displayed with: modifier keywords and range connectors
// (full and short, by modifier code 0-7) and month names.
#include <array>
#include <string>
#include <string_view>

#include "formats/month_names.h"

namespace hk {

struct DateVocabulary {
    std::array<std::string, 8> keywordFull;    // "before " ... (one trailing blank)
    std::array<std::string, 8> keywordShort;   // "b " ...
    std::array<std::string, 8> connectorFull;  // " and " ... (a blank on each side)
    std::array<std::string, 8> connectorShort; // " - " ...
    MonthNames months;

    // "full||short" (each trimmed; a missing short form is the first character of the full
    // one). Codes outside 0-7 are ignored.
    void SetModifierKeyword(int code, std::string_view text);
    void SetRangeConnector(int code, std::string_view text);

    // The defaults: before, say, circa, (none), after, between/and, or, from/to.
    static DateVocabulary Default(MonthNames months);
};

} // namespace hk
