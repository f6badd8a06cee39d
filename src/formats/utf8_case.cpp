#include "formats/utf8_case.h"

#include "support/text.h"

namespace hk {
namespace {

std::string MapCase(std::string_view text, unsigned char (*map)(unsigned char)) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(map(c));
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
            ++n;
        std::string_view ch = text.substr(i, n);
        std::string ansi = Utf8ToCp1252(ch);
        // Only a character that 1252 holds exactly (one byte, not the '?' stand-in) is mapped.
        if (ansi.size() == 1 && ansi[0] != '?' && n > 1) {
            ansi[0] = static_cast<char>(map(static_cast<unsigned char>(ansi[0])));
            out += Cp1252ToUtf8(ansi);
        } else {
            out.append(ch);
        }
        i += n;
    }
    return out;
}

} // namespace

std::string UpperText(std::string_view text) {
    return MapCase(text, Cp1252Upper);
}
std::string LowerText(std::string_view text) {
    return MapCase(text, Cp1252Lower);
}

} // namespace hk
