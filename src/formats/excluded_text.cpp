#include "formats/excluded_text.h"

#include "support/reg_exp.h"
#include "support/text.h"

namespace hk {
namespace {

void RemoveBracedSections(std::string& s) {
    std::size_t open = s.find('{');
    while (open != std::string::npos) {
        std::size_t close = s.find('}', open + 1);
        if (close == std::string::npos)
            break;
        s.erase(open, close - open + 1);
        open = s.find('{', open);
    }
}

// Compiled up front so the shared constant is never written after its initialisation.
RegExp Compiled(const char* pattern) {
    RegExp re(pattern, true);
    re.Compile();
    return re;
}

} // namespace

std::string CleanExcludedText(std::string_view text, int mode) {
    if (mode < 0 || mode > 3)
        return std::string(text);
    std::string s(text);
    if (mode == 3) {
        std::erase_if(s, [](char ch) { return ch == '{' || ch == '}'; });
        return s;
    }
    if (s.find('}') != std::string::npos)
        RemoveBracedSections(s);
    const bool two = s.starts_with("--");
    const bool one = !two && s.starts_with('-');
    if (mode == 0 && (one || two))
        return {};
    if (mode == 1) {
        if (two)
            return {};
        if (one)
            s.erase(0, 1);
    }
    if (mode == 2)
        s.erase(0, two ? 2 : one ? 1 : 0);
    return s;
}

std::string CleanExcludedAlternatives(std::string_view text, int mode) {
    std::string out;
    bool any = false;
    std::size_t start = 0;
    while (true) {
        std::size_t bar = text.find("||", start);
        std::string part = CleanExcludedText(
            text.substr(start, bar == std::string_view::npos ? bar : bar - start), mode);
        any = any || !part.empty();
        out += part;
        if (bar == std::string_view::npos)
            break;
        out += "||";
        start = bar + 2;
    }
    return any ? out : std::string();
}

std::string StripHiddenText(std::string_view text) {
    static const RegExp kBraced = Compiled("[{].*[}]");
    static const RegExp kHidden = Compiled("\\[HID\\:\\].*?\\[\\:HID\\]");
    static const RegExp kCode = Compiled("\\[(:[a-zA-Z0-9]+:|:[a-zA-Z0-9]+|[a-zA-Z0-9]+:)\\]");
    std::string s =
        text.find('{') == std::string_view::npos ? std::string(text) : kBraced.Replace(text, "");
    if (s.find('[') != std::string::npos) {
        s = kHidden.Replace(s, "");
        s = kCode.Replace(s, "");
    }
    return std::string(Trim(s));
}

} // namespace hk
