#pragma once
// CTMGDate: decodes, tests, builds and displays TMG date values, the fixed-layout text
// every event, name and sort date is stored as ("1" + YYYYMMDD + old-style + modifier +
// YYYYMMDD + old-style + question flag, or "0" + free text).
#include <chrono>
#include <string>
#include <string_view>

#include "formats/custom_date_format.h"
#include "formats/date_vocabulary.h"
#include "formats/format_settings.h"
#include "support/error.h"

namespace hk {

using CalendarDate = std::chrono::year_month_day;

class CTMGDate {
public:
    // The value that stands for a missing date everywhere.
    static constexpr std::string_view kEmptyDate = "100000000030000000000";

    // The settings supply the exclusion mode for irregular dates. The display format starts
    // as "Aaa d Mmm yyy" and the pair layout as PairBrackets 0.
    explicit CTMGDate(const FormatSettings& settings, MonthNames months = MonthNames::FromLocale());

    // Decoding. Trailing blanks of a stored field are ignored; malformed digits read as 0.
    static bool IsRegular(std::string_view value);
    static bool IsIrregular(std::string_view value) { return !IsRegular(value); }
    static bool IsEmptyDate(std::string_view value);
    // '0'-'7' of a regular value; '0' for anything else.
    static char Modifier(std::string_view value);
    static bool IsOldStyle(std::string_view value);
    // 0, or for an exact regular date with a year: 1 year, 2 year+month, 3 full date.
    static int Precision(std::string_view value);
    // The first date (modifiers 0-4) or the second (5-7); zero parts become 1 January of
    // year 100, and a day past the month's end rolls over as a calendar would.
    static CalendarDate ToDate(std::string_view value);

    // Building. A modifier outside "0"-"7" raises "Can not make format " + modifier; a
    // component that does not fit its digits raises "Date out of range".
    static std::string TMGValue(std::string_view modifier, CalendarDate date1, CalendarDate date2);
    static std::string TMGValuePartial(std::string_view modifier, int year1, int month1, int day1,
                                       int year2, int month2, int day2, int oldStyle1,
                                       int oldStyle2);
    // The exact date one day later (a partial date is completed instead), keeping old style.
    static std::string DayAfter(std::string_view value);
    // A "before" date of the first date; the empty date for an empty or irregular value.
    static std::string BeforeValue(std::string_view value);

    // Vocabulary: "full||short" keywords and connectors by modifier code.
    void SetModifierKeyword(int code, std::string_view text) {
        vocabulary_.SetModifierKeyword(code, text);
    }
    void SetRangeConnector(int code, std::string_view text) {
        vocabulary_.SetRangeConnector(code, text);
    }
    const DateVocabulary& Vocabulary() const { return vocabulary_; }

    // "before 05 Mar 1820": full keywords, short month names, two-digit day.
    std::string DisplayText(std::string_view value) const { return Display(value, false); }
    // "before 5 March 1820": full keywords, long month names.
    std::string LongDisplayText(std::string_view value) const { return Display(value, true); }
    // In the format of SetDisplayFormat.
    std::string CustomDisplayText(std::string_view value) const;
    // Two dates (birth and death, say) as one text, laid out by PairBrackets.
    std::string DatePairText(std::string_view prefix1, std::string_view date1,
                             std::string_view prefix2, std::string_view date2) const;

    // The keyword and month words are taken from the vocabulary as it is now.
    bool SetDisplayFormat(std::string_view format) { return custom_.Parse(format, vocabulary_); }
    // 0: "b.1820, d.1880"; 1: "(1820 - 1880)"; 2: "(1820-1880)".
    int PairBrackets() const { return pairBrackets_; }
    void SetPairBrackets(int layout);

private:
    std::string Display(std::string_view value, bool longForm) const;
    std::string IrregularText(std::string_view value) const;

    const FormatSettings* settings_;
    DateVocabulary vocabulary_;
    CustomDateFormat custom_;
    int pairBrackets_ = 0;
    std::string pairOpening_, pairMiddle_, pairSeparator_, pairClosing_;
};

} // namespace hk
