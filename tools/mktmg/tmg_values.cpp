#include "tmg_values.h"

#include <cstdio>

namespace hk::mktmg {

namespace {

void AppendDate(std::string& out, const DateParts& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year % 10000, d.month % 100, d.day % 100);
    out += buf;
}

} // namespace

std::string RegularDate(const DateParts& first, int modifier, const DateParts& second,
                        bool questionable) {
    std::string v = "1";
    AppendDate(v, first);
    v += first.oldStyle ? '1' : '0';
    v += static_cast<char>('0' + modifier);
    if (modifier >= kBetween) {
        AppendDate(v, second);
        v += second.oldStyle ? '1' : '0';
    } else {
        v += "000000000";
    }
    v += questionable ? '1' : '0';
    return v;
}

std::string IrregularDate(std::string_view text) {
    return "0" + std::string(text);
}

std::string ShortLogDate(int year, int month, int day) {
    return RegularDate({year, month, day}).substr(0, 11);
}

std::string PackParts(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts)
        out += p + "$!&";
    return out;
}

} // namespace hk::mktmg
