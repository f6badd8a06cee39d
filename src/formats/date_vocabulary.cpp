#include "formats/date_vocabulary.h"

#include "support/text.h"

namespace hk {
namespace {

// The full and short alternatives of a "full||short" text.
std::pair<std::string, std::string> Alternatives(std::string_view text) {
    std::size_t bar = text.find("||");
    std::string full(Trim(text.substr(0, bar)));
    if (bar != std::string_view::npos)
        return {full, std::string(Trim(text.substr(bar + 2)))};
    std::size_t first = full.empty() ? 0 : 1;
    while (first < full.size() && (static_cast<unsigned char>(full[first]) & 0xC0) == 0x80)
        ++first;
    return {full, full.substr(0, first)};
}

} // namespace

void DateVocabulary::SetModifierKeyword(int code, std::string_view text) {
    if (code < 0 || code > 7)
        return;
    auto [full, abbr] = Alternatives(text);
    keywordFull[code] = full.empty() ? "" : full + " ";
    keywordShort[code] = abbr.empty() ? "" : abbr + " ";
}

void DateVocabulary::SetRangeConnector(int code, std::string_view text) {
    if (code < 0 || code > 7)
        return;
    auto [full, abbr] = Alternatives(text);
    connectorFull[code] = full.empty() ? "" : " " + full + " ";
    connectorShort[code] = abbr.empty() ? "" : " " + abbr + " ";
}

DateVocabulary DateVocabulary::Default(MonthNames months) {
    DateVocabulary v;
    v.months = std::move(months);
    const char* keywords[8] = {"before", "say",         "circa", "",
                               "after",  "between||bt", "",      "from||fr"};
    for (int code = 0; code < 8; ++code)
        v.SetModifierKeyword(code, keywords[code]);
    v.SetRangeConnector(5, "and||-");
    v.SetRangeConnector(6, "or||or");
    v.SetRangeConnector(7, "to||-");
    return v;
}

} // namespace hk
