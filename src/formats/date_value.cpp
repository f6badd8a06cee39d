#include "formats/date_value.h"

namespace hk::date_value {

int Digits(std::string_view value, std::size_t pos, std::size_t len) {
    if (pos == 0 || pos > value.size())
        return 0;
    std::string_view s = value.substr(pos - 1, len);
    int n = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9')
            break;
        n = n * 10 + (ch - '0');
    }
    return n;
}

char At(std::string_view value, std::size_t pos) {
    return pos >= 1 && pos <= value.size() ? value[pos - 1] : '\0';
}

namespace {
DatePart PartAt(std::string_view value, std::size_t offset) {
    return {Digits(value, offset + 1, 4), Digits(value, offset + 5, 2),
            Digits(value, offset + 7, 2), At(value, offset + 9) == '1'};
}
} // namespace

DatePart FirstDate(std::string_view value) {
    return PartAt(value, 1);
}
DatePart SecondDate(std::string_view value) {
    return PartAt(value, 11);
}

int ModifierCode(std::string_view value) {
    if (value.empty() || value[0] != '1')
        return -1;
    char m = At(value, 11);
    return m >= '0' && m <= '7' ? m - '0' : -1;
}

bool IsQuestionable(std::string_view value) {
    return At(value, 21) == '1';
}

bool ShowsDualYear(const DatePart& part) {
    return part.oldStyle && part.year >= 1 &&
           (part.month < 3 || (part.month == 3 && part.day < 25));
}

std::string DualYearText(int year) {
    return std::to_string(year - 1) + "/" + std::to_string(year % 100);
}

std::string ZeroPad(int n, int width) {
    std::string s = std::to_string(n);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

} // namespace hk::date_value
