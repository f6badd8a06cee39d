#include "support/find_and_replace.h"

#include "support/error.h"

namespace hk {

void FindAndReplace::SetFindText(std::string text) {
    findText_ = std::move(text);
    Rebuild();
}

void FindAndReplace::SetUsePattern(bool on) {
    usePattern_ = on;
    Rebuild();
}

void FindAndReplace::SetWholeWord(bool on) {
    wholeWord_ = on;
    Rebuild();
}

void FindAndReplace::Rebuild() {
    if (usePattern_) {
        regExp_.SetPattern(findText_);
    } else if (wholeWord_) {
        regExp_.SetPattern("\\b" + EscapeLiteral(findText_) + "\\b");
    } else {
        regExp_.SetPattern(EscapeLiteral(findText_));
    }
}

std::string FindAndReplace::EscapeLiteral(std::string_view text) {
    static constexpr std::string_view kSpecial = "\\^$*+?.()|{}[]";
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        if (kSpecial.find(ch) != std::string_view::npos)
            out += '\\';
        out += ch;
    }
    return out;
}

void FindAndReplace::Rethrow(const Error& e, const char* procedure) const {
    if (IsRegExpPatternError(e.Number()))
        throw Error(e.Number(), ErrorSource("FindAndReplace", procedure),
                    "Invalid Pattern: " + findText_);
    throw e;
}

bool FindAndReplace::Test(std::string_view text) const {
    try {
        return regExp_.Test(text);
    } catch (const Error& e) {
        Rethrow(e, "Test");
    }
}

std::string FindAndReplace::ReplaceFirst(std::string_view text,
                                         std::string_view replacement) const {
    try {
        return regExp_.Replace(text, replacement, false);
    } catch (const Error& e) {
        Rethrow(e, "ReplaceFirst");
    }
}

std::string FindAndReplace::ReplaceAll(std::string_view text, std::string_view replacement) const {
    try {
        return regExp_.Replace(text, replacement, true);
    } catch (const Error& e) {
        Rethrow(e, "ReplaceAll");
    }
}

RegExpMatches FindAndReplace::FindFirst(std::string_view text) const {
    try {
        return regExp_.Execute(text, false);
    } catch (const Error& e) {
        Rethrow(e, "FindFirst");
    }
}

RegExpMatches FindAndReplace::FindAll(std::string_view text) const {
    try {
        return regExp_.Execute(text, true);
    } catch (const Error& e) {
        Rethrow(e, "FindAll");
    }
}

std::string UnescapeReplacement(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            switch (text[i + 1]) {
            case '\\':
                out += '\\';
                ++i;
                continue;
            case 'n':
                out += "\r\n";
                ++i;
                continue;
            case 'r':
                out += '\r';
                ++i;
                continue;
            case 't':
                out += '\t';
                ++i;
                continue;
            default:
                break;
            }
        }
        out += text[i];
    }
    return out;
}

const std::string_view kRegExpSelfTestSentence =
    "[L=ENGLISH][R=Principal][P] <was|and [PO] were> adopted <[D]><[L]>"
    "[R=Witness][W] witnessed the adoption of [P] <and [PO]> <[D]> <[L]>";

std::optional<std::string> RegExpSelfTest(std::string_view sentence) {
    try {
        RegExp re("\\[L=[^]]+\\]", true);
        RegExpMatches matches = re.Execute(sentence);
        // A broken engine tends to report nothing or nonsense offsets; both must be caught.
        if (matches.empty())
            return std::string("No language mark found");
        for (const RegExpMatch& m : matches) {
            if (m.FirstIndex > 1000)
                return std::string("FirstIndex>1000");
            if (sentence.substr(m.FirstIndex, m.Length) != m.Value)
                return std::string("Match does not agree with its position");
        }
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
}

} // namespace hk
