#include "formats/soundex.h"

#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kDigits = "01230120022455012623010202"; // A-Z
constexpr int kBlank = -1;
constexpr int kNoCode = -2;

int CodeOf(unsigned char ch) {
    if (ch >= 'A' && ch <= 'Z')
        return kDigits[ch - 'A'] - '0';
    return ch == ' ' ? kBlank : kNoCode;
}

std::string Code(std::string_view text, bool firstWordOnly) {
    std::string upper = UpperText(Trim(text));
    if (upper.empty())
        return "0000";
    // The code starts with the first character itself, however many bytes it takes.
    std::size_t first = 1;
    while (first < upper.size() && (static_cast<unsigned char>(upper[first]) & 0xC0) == 0x80)
        ++first;
    std::string code = upper.substr(0, first);
    int previous = CodeOf(static_cast<unsigned char>(upper[0]));
    int digits = 0;
    for (std::size_t i = first; i < upper.size() && digits < 3; ++i) {
        int c = CodeOf(static_cast<unsigned char>(upper[i]));
        if (c == kBlank && firstWordOnly)
            break;
        if (c == kNoCode)
            continue;
        if (c > 0 && c != previous) {
            code += static_cast<char>('0' + c);
            ++digits;
        }
        previous = c;
    }
    code.append(static_cast<std::size_t>(3 - digits), '0');
    return code;
}

} // namespace

std::string CSoundex::SoundCode(std::string_view text) {
    return Code(text, false);
}
std::string CSoundex::FirstWordSoundCode(std::string_view text) {
    return Code(text, true);
}

} // namespace hk
