#include "tmg_values.h"

#include <cstdio>

#include "support/text.h"

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

std::string SoundCode(std::string_view text) {
    static constexpr std::string_view kDigits = "01230120022455012623010202";
    std::string t = Cp1252UpperStr(Utf8ToCp1252(Trim(text)));
    if (t.empty())
        return "0000";
    auto codeOf = [&](unsigned char c) -> int {
        if (c == ' ')
            return -1;
        if (c >= 'A' && c <= 'Z')
            return kDigits[c - 'A'] - '0';
        return -2; // no code: skipped
    };
    std::string out(1, t[0]);
    int prev = codeOf(static_cast<unsigned char>(t[0]));
    for (size_t i = 1; i < t.size() && out.size() < 4; ++i) {
        int code = codeOf(static_cast<unsigned char>(t[i]));
        if (code == -2)
            continue;
        if (code > 0 && code != prev)
            out += static_cast<char>('0' + code);
        prev = code;
    }
    out.resize(4, '0');
    return Cp1252ToUtf8(out);
}

std::string PackParts(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts)
        out += p + "$!&";
    return out;
}

} // namespace hk::mktmg
