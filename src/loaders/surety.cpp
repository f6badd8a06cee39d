#include "loaders/surety.h"

#include "support/text.h"

namespace hk {

int SuretyRank(char c) {
    std::size_t at = kSuretyRanking.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

char BetterSurety(char a, char b) {
    return SuretyRank(b) > SuretyRank(a) ? b : a;
}

std::string SuretyString(const std::array<char, 5>& sureties) {
    std::string out;
    for (char c : sureties)
        out += (c == ' ' || c == '\0') ? '.' : c;
    return out == "....." ? std::string() : out;
}

std::string RelationshipSuretyString(char parentSure, char memoSure) {
    return SuretyString({parentSure, ' ', ' ', ' ', memoSure});
}

std::array<char, 5> SuretiesFromString(std::string_view text) {
    std::array<char, 5> out{' ', ' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < out.size() && i < text.size(); ++i)
        out[i] = text[i] == '.' ? ' ' : text[i];
    return out;
}

char SuretyChar(std::string_view value) {
    std::string_view t = Trim(value);
    return t.empty() ? ' ' : t[0];
}

} // namespace hk
