#include "formats/custom_date_format.h"

#include <algorithm>

#include "formats/date_value.h"
#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {
namespace {

using namespace date_value;

constexpr std::array<std::string_view, 6> kOrders = {"admy", "amdy", "aymd", "aym", "amy", "ay"};

bool IsTokenLetter(char ch) {
    switch (ch) {
    case 'A':
    case 'a':
    case 'D':
    case 'd':
    case 'M':
    case 'm':
    case 'Y':
    case 'y':
        return true;
    default:
        return false;
    }
}

char Lower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
}

// How a word token asks for its words: "xxx" lower case, "XXX" upper case, "Xxx" as stored.
enum class WordCase { Lower, Upper, Stored, Invalid };

WordCase CaseOf(std::string_view token) {
    std::string lower(token.size(), ' ');
    std::transform(token.begin(), token.end(), lower.begin(), Lower);
    if (token == lower)
        return WordCase::Lower;
    if (token == AsciiUpper(lower))
        return WordCase::Upper;
    if (token[0] != lower[0] && token.substr(1) == std::string_view(lower).substr(1))
        return WordCase::Stored;
    return WordCase::Invalid;
}

std::string ApplyCase(const std::string& word, WordCase c) {
    return c == WordCase::Lower ? LowerText(word) : c == WordCase::Upper ? UpperText(word) : word;
}

} // namespace

bool CustomDateFormat::ApplyToken(std::string_view token, const DateVocabulary& v) {
    const std::size_t n = token.size();
    switch (Lower(token[0])) {
    case 'a': {
        WordCase c = CaseOf(token);
        if ((n != 3 && n != 4) || c == WordCase::Invalid)
            return false;
        const auto& keywords = n == 4 ? v.keywordFull : v.keywordShort;
        const auto& connectors = n == 4 ? v.connectorFull : v.connectorShort;
        for (int i = 0; i < 8; ++i) {
            keywords_[i] = ApplyCase(keywords[i], c);
            connectors_[i] = ApplyCase(connectors[i], c);
        }
        return true;
    }
    case 'd':
        if (token != "d" && token != "D" && token != "dd" && token != "DD")
            return false;
        dayWidth_ = static_cast<int>(n);
        dayPlaceholder_ = token[0] == 'D' ? std::string(n, '_') : "";
        return true;
    case 'm': {
        if (n <= 2) {
            if (token != "m" && token != "mm" && token != "M" && token != "MM")
                return false;
            numericMonth_ = true;
            monthWidth_ = static_cast<int>(n);
            monthPlaceholder_ = token[0] == 'M' ? std::string(n, '_') : "";
            return true;
        }
        WordCase c = CaseOf(token);
        if (n > 4 || c == WordCase::Invalid)
            return false;
        numericMonth_ = false;
        monthPlaceholder_.clear();
        const auto& names = n == 4 ? v.months.longNames : v.months.shortNames;
        for (int m = 0; m < 13; ++m)
            monthNames_[m] = ApplyCase(names[m], c);
        return true;
    }
    case 'y':
        if (token != "yyy" && token != "YYY" && token != "yyyy" && token != "YYYY")
            return false;
        yearWidth_ = static_cast<int>(n);
        yearPlaceholder_ = token[0] == 'Y' ? std::string(n, '_') : "";
        return true;
    default:
        return false;
    }
}

bool CustomDateFormat::Parse(std::string_view format, const DateVocabulary& vocabulary) {
    for (auto* table : {&plain_, &bracketed_, &braced_})
        for (auto& s : *table)
            s.clear();
    enum class Mode { Plain, Bracketed, Braced } mode = Mode::Plain;
    std::string order;
    std::string token;
    int position = 0;
    auto flush = [&]() {
        if (token.empty())
            return true;
        bool ok = ApplyToken(token, vocabulary);
        token.clear();
        return ok;
    };
    auto literal = [&](char ch) {
        if (mode == Mode::Plain)
            plain_[position] += ch;
        else if (mode == Mode::Braced)
            braced_[position] += ch;
        else
            bracketed_[position + 1] += ch;
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char ch = format[i];
        if (mode == Mode::Plain && IsTokenLetter(ch)) {
            if (!token.empty() && Lower(token[0]) == Lower(ch)) {
                token += ch;
                continue;
            }
            if (!flush())
                return false;
            if (position + 1 >= kSlots - 1)
                return false; // more components than any order has
            token = ch;
            order += Lower(ch);
            ++position;
            continue;
        }
        if (!flush())
            return false;
        switch (ch) {
        case '\\':
            if (i + 1 < format.size())
                literal(format[++i]);
            break;
        case '[':
            mode = Mode::Bracketed;
            break;
        case '{':
            mode = Mode::Braced;
            break;
        case ']':
        case '}':
            mode = Mode::Plain;
            break;
        default:
            literal(ch);
            break;
        }
    }
    if (!flush())
        return false;
    if (!plain_[position].empty() && braced_[position].empty())
        std::swap(plain_[position], braced_[position]);
    for (int i = 0; i < static_cast<int>(kOrders.size()); ++i) {
        if (order == kOrders[i]) {
            order_ = i;
            return true;
        }
    }
    return false;
}

std::string CustomDateFormat::PrintDate(std::string_view value, bool second) const {
    const DatePart p = second ? SecondDate(value) : FirstDate(value);
    std::string out;
    const std::string* pending = nullptr;
    const std::string_view order = kOrders[order_];
    for (int pos = 2; pos <= static_cast<int>(order.size()); ++pos) {
        std::string text;
        switch (order[pos - 1]) {
        case 'd':
            text = p.day > 0 ? ZeroPad(p.day, dayWidth_) : dayPlaceholder_;
            break;
        case 'm':
            if (p.month >= 1 && p.month <= 12)
                text = numericMonth_ ? ZeroPad(p.month, monthWidth_) : monthNames_[p.month];
            else
                text = monthPlaceholder_;
            break;
        case 'y':
            if (ShowsDualYear(p))
                text = DualYearText(p.year);
            else
                text = p.year >= 1 ? ZeroPad(p.year, yearWidth_) : yearPlaceholder_;
            break;
        }
        if (text.empty())
            continue;
        if (pending)
            out += *pending;
        out += bracketed_[pos];
        out += text;
        out += braced_[pos];
        pending = &plain_[pos];
    }
    return out;
}

std::string CustomDateFormat::Print(std::string_view value) const {
    const int code = ModifierCode(value);
    std::string out = code >= 0 ? keywords_[code] : "";
    out += PrintDate(value, false);
    if (code >= 5) {
        // Year-only layouts would print "1820 - 1820" for a range within one year.
        if (order_ != 5 || FirstDate(value).year != SecondDate(value).year) {
            out += connectors_[code];
            out += PrintDate(value, true);
        }
    }
    if (IsQuestionable(value))
        out += '?';
    return std::string(Trim(out));
}

} // namespace hk
