#include "formats/date_parser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "formats/tmg_date.h"
#include "support/error.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
constexpr std::string_view kMonthNames =
    " JANUARY FEBRUARY MARCH APRIL MAY JUNE JULY AUGUST SEPTEMBER OCTOBER NOVEMBER DECEMBER ";

struct ModifierWord {
    std::string_view word;
    int code;
};
constexpr std::array<ModifierWord, 10> kModifierWords = {{{"BEFORE", 0},
                                                          {"BEF", 0},
                                                          {"EST", 1},
                                                          {"SAY", 1},
                                                          {"ABOUT", 2},
                                                          {"ABT", 2},
                                                          {"CIRCA", 2},
                                                          {"CA", 2},
                                                          {"AFTER", 4},
                                                          {"AFT", 4}}};

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
bool IsLetter(char ch) {
    // Bytes of non-ASCII characters count as letters so a UTF-8 character stays in its word.
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
           static_cast<unsigned char>(ch) >= 0x80;
}
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

bool IsNumeric(std::string_view word) {
    if (word.empty())
        return false;
    for (char ch : word)
        if (!IsDigit(ch))
            return false;
    return true;
}

// The number of a digit word, or -1 when it is too long to be a date component.
int Number(std::string_view word) {
    int n = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    return ec == std::errc() && ptr == word.data() + word.size() ? n : -1;
}

// Month number 1-12 of a word by its first three letters, or 0.
int MonthNumber(std::string_view word) {
    if (word.size() < 3)
        return 0;
    std::size_t at = kMonths.find(word.substr(0, 3));
    return at != std::string_view::npos && at % 3 == 0 ? static_cast<int>(at / 3) + 1 : 0;
}

// Runs of digits, of letters, or of other characters; blanks separate.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    auto classOf = [](char ch) { return IsDigit(ch) ? 1 : IsLetter(ch) ? 2 : 3; };
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        const int cls = classOf(text[i]);
        std::size_t j = i + 1;
        while (j < text.size() && !IsBlank(text[j]) && classOf(text[j]) == cls)
            ++j;
        words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

// "1720/21": the second year, completed with the leading digits of the first, follows it.
// A century turn ("1699/00", "1699/0") is accepted too.
bool IsDualYear(std::string_view first, std::string_view second) {
    const int y1 = Number(first);
    const int y2 = Number(second);
    if (y1 < 0 || y2 < 0)
        return false;
    if (second.size() >= first.size())
        return y2 == y1 + 1;
    int scale = 1;
    for (std::size_t k = 0; k < second.size(); ++k)
        scale *= 10;
    return y2 == (y1 + 1) % scale;
}

[[noreturn]] void Fail(const char* what, std::string_view original) {
    throw Error(-1, "CDateParser.ParseGregorian", std::string(what) + std::string(original) + ")");
}

} // namespace

std::string_view CDateParser::ModifierName(int code) {
    static constexpr std::array<std::string_view, 8> kNames = {
        "before", "say", "circa", "exact", "after", "between", "or", "from/to"};
    return code >= 0 && code < 8 ? kNames[code] : std::string_view();
}

bool CDateParser::Parse(std::string_view text) {
    modifier_ = 3;
    year_ = month_ = day_ = 0;
    ok_ = false;
    dualYear_ = false;
    ParseText(Trim(text), text);
    return ok_;
}

void CDateParser::ParseText(std::string_view text, std::string_view original) {
    if (text.empty()) {
        ok_ = true;
        return;
    }
    if (IsDigit(text[0])) {
        ParseGregorian(text, original);
        return;
    }
    if (!IsLetter(text[0]))
        return;
    std::size_t end = 1;
    while (end < text.size() && IsLetter(text[end]))
        ++end;
    const std::string word = AsciiUpper(text.substr(0, end));
    if (word.size() == 3 && MonthNumber(word) > 0) {
        ParseGregorian(text, original);
        return;
    }
    for (const ModifierWord& m : kModifierWords) {
        if (word == m.word) {
            ParseGregorian(text.substr(end), original);
            modifier_ = m.code;
            return;
        }
    }
    if (word.size() >= 3 && kMonthNames.find(" " + word) != std::string_view::npos) {
        ParseText(word.substr(0, 3) + std::string(text.substr(end)), original);
        return;
    }
}

void CDateParser::ParseGregorian(std::string_view text, std::string_view original) {
    std::string clean;
    clean.reserve(text.size());
    for (char ch : text) {
        if (ch == '.')
            continue;
        clean += ch == ',' ? ' ' : ch;
    }
    std::vector<std::string> words = Words(AsciiUpper(clean));
    if (!words.empty() && words.back() == "BC")
        return;
    if (!words.empty() && words.back() == "AD")
        words.pop_back();

    const auto slashes = std::count(words.begin(), words.end(), "/");
    if (slashes == 1) {
        const std::size_t n = words.size();
        if (n < 3 || words[n - 2] != "/" || !IsNumeric(words[n - 3]) || !IsNumeric(words[n - 1]))
            Fail("Invalid / in date (", original);
        if (!IsDualYear(words[n - 3], words[n - 1]))
            Fail("Invalid dual years in date (", original);
        words.resize(n - 2);
        dualYear_ = true;
    } else if (slashes > 1) {
        std::erase(words, "/");
    }

    std::string_view dayWord, monthWord, yearWord;
    switch (words.size()) {
    case 1:
        yearWord = words[0];
        break;
    case 2:
        monthWord = words[0];
        yearWord = words[1];
        break;
    case 3:
        if (IsNumeric(words[0])) {
            dayWord = words[0];
            monthWord = words[1];
        } else {
            monthWord = words[0];
            dayWord = words[1];
        }
        yearWord = words[2];
        break;
    default:
        Fail("Invalid date or date format (", original);
    }
    // A year or day that cannot be stored in its digits is as wrong as one that is no number.
    const int year = IsNumeric(yearWord) ? Number(yearWord) : -1;
    if (year < 0 || year > 9999)
        Fail("Invalid year in date (", original);
    const int month = monthWord.empty() ? 0 : MonthNumber(monthWord);
    if (!monthWord.empty() && month == 0)
        Fail("Invalid month in date (", original);
    const int day = dayWord.empty() ? 0 : IsNumeric(dayWord) ? Number(dayWord) : -1;
    if (day < 0 || day > 31)
        Fail("Invalid day in date (", original);

    year_ = year;
    month_ = month;
    day_ = day;
    ok_ = true;
}

std::string TextToTMGDate(std::string_view text) {
    CDateParser parser;
    bool ok = false;
    try {
        ok = parser.Parse(text);
    } catch (const Error&) {
        ok = false;
    }
    const int year = parser.Year() + (parser.DualYear() ? 1 : 0);
    if (!ok || year > 9999)
        return "0" + std::string(text);
    return CTMGDate::TMGValuePartial(std::to_string(parser.Modifier()), year, parser.Month(),
                                     parser.Day(), 0, 0, 0, parser.DualYear() ? 1 : 0, 0);
}

} // namespace hk
