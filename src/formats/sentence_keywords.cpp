#include "formats/sentence_keywords.h"

namespace hk {

std::optional<KeywordEntry> FindKeywordEntry(std::string_view text, std::string_view keyword,
                                             std::size_t from) {
    std::string opening = "[" + std::string(keyword) + "=";
    for (std::size_t pos = text.find(opening, from); pos != std::string_view::npos;
         pos = text.find(opening, pos + 1)) {
        std::size_t valueStart = pos + opening.size();
        std::size_t close = text.find(']', valueStart);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string_view value = text.substr(valueStart, close - valueStart);
        if (!value.empty() && value.find('[') == std::string_view::npos)
            return KeywordEntry{pos, close + 1, value};
    }
    return std::nullopt;
}

std::string RemoveLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string RemoveControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 32)
            out += c;
    return out;
}

} // namespace hk
