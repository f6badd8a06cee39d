#define PCRE2_CODE_UNIT_WIDTH 8
#include "support/reg_exp.h"

#include <pcre2.h>

#include "support/error.h"

namespace hk {

struct RegExp::Compiled {
    pcre2_code* code = nullptr;
    std::size_t groups = 0;
    ~Compiled() { pcre2_code_free(code); }
};

namespace {

struct MatchDataDeleter {
    void operator()(pcre2_match_data* md) const { pcre2_match_data_free(md); }
};
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

std::string PcreMessage(int code) {
    PCRE2_UCHAR buf[256];
    int n = pcre2_get_error_message(code, buf, sizeof buf);
    return n < 0 ? "regular expression error " + std::to_string(code)
                 : std::string(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n));
}

// VBScript's number and text for a PCRE2 compile error.
std::pair<long, const char*> VbCompileError(int code) {
    switch (code) {
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
        return {kRegExpExpectedBracket, "Expected ']' in regular expression"};
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        return {kRegExpExpectedParen, "Expected ')' in regular expression"};
    case PCRE2_ERROR_QUANTIFIER_INVALID:
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
        return {kRegExpUnexpectedQuantifier, "Unexpected quantifier"};
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE:
        return {kRegExpInvalidRange, "Invalid range in character set"};
    default:
        return {kRegExpSyntaxError, "Syntax error in regular expression"};
    }
}

// Length of the UTF-8 character starting at `pos` (1 for a stray byte), so that an empty
// match never leaves the next search inside a character.
std::size_t CharLength(std::string_view text, std::size_t pos) {
    std::size_t n = 1;
    while (pos + n < text.size() && (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

} // namespace

RegExp::RegExp(std::string pattern, bool global, bool ignoreCase)
    : pattern_(std::move(pattern)), global_(global), ignoreCase_(ignoreCase) {}

void RegExp::SetPattern(std::string pattern) {
    if (pattern != pattern_)
        code_.reset();
    pattern_ = std::move(pattern);
}

void RegExp::SetIgnoreCase(bool on) {
    if (on != ignoreCase_)
        code_.reset();
    ignoreCase_ = on;
}

void RegExp::SetMultiline(bool on) {
    if (on != multiline_)
        code_.reset();
    multiline_ = on;
}

void RegExp::Compile() const {
    Code();
}

const RegExp::Compiled& RegExp::Code() const {
    if (code_)
        return *code_;
    uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                       PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase_)
        options |= PCRE2_CASELESS;
    if (multiline_)
        options |= PCRE2_MULTILINE;
    pcre2_compile_context* ctx = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(ctx, PCRE2_NEWLINE_LF);
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(),
                                     options, &err, &errOffset, ctx);
    pcre2_compile_context_free(ctx);
    if (!code) {
        auto [number, text] = VbCompileError(err);
        throw Error(number, ErrorSource("RegExp", "Compile"),
                    std::string(text) + " (" + PcreMessage(err) + " at offset " +
                        std::to_string(errOffset) + ")");
    }
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE); // falls back to the interpreter if absent
    auto compiled = std::make_shared<Compiled>();
    compiled->code = code;
    uint32_t groups = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    compiled->groups = groups;
    code_ = std::move(compiled);
    return *code_;
}

bool RegExp::Test(std::string_view text) const {
    const Compiled& c = Code();
    MatchData md(pcre2_match_data_create(1, nullptr));
    int rc = pcre2_match(c.code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                         md.get(), nullptr);
    if (rc >= 0)
        return true;
    if (rc == PCRE2_ERROR_NOMATCH)
        return false;
    throw Error(-1, ErrorSource("RegExp", "Test"), PcreMessage(rc));
}

RegExpMatches RegExp::Execute(std::string_view text, bool global) const {
    const Compiled& c = Code();
    MatchData md(pcre2_match_data_create_from_pattern(c.code, nullptr));
    RegExpMatches result;
    std::size_t start = 0;
    auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    while (start <= text.size()) {
        int rc = pcre2_match(c.code, subject, text.size(), start, 0, md.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc < 0)
            throw Error(-1, ErrorSource("RegExp", "Execute"), PcreMessage(rc));
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md.get());
        RegExpMatch m;
        m.FirstIndex = ov[0];
        // \K can put the end before the start; VBScript has no \K, so just keep it sane.
        m.Length = ov[1] > ov[0] ? ov[1] - ov[0] : 0;
        m.Value.assign(text.substr(m.FirstIndex, m.Length));
        m.SubMatches.resize(c.groups);
        for (std::size_t g = 1; g <= c.groups && g < static_cast<std::size_t>(rc); ++g) {
            if (ov[2 * g] != PCRE2_UNSET)
                m.SubMatches[g - 1].assign(text.substr(ov[2 * g], ov[2 * g + 1] - ov[2 * g]));
        }
        const std::size_t end = m.FirstIndex + m.Length;
        const bool empty = m.Length == 0;
        result.push_back(std::move(m));
        if (!global)
            break;
        if (!empty) {
            start = end;
        } else {
            if (end >= text.size())
                break;
            start = end + CharLength(text, end);
        }
    }
    return result;
}

std::string RegExp::Replace(std::string_view text, std::string_view replacement,
                            bool global) const {
    RegExpMatches matches = Execute(text, global);
    if (matches.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size() + replacement.size() * matches.size());
    std::size_t copied = 0;
    for (const RegExpMatch& m : matches) {
        out.append(text.substr(copied, m.FirstIndex - copied));
        AppendReplacement(out, replacement, text, m);
        copied = m.FirstIndex + m.Length;
    }
    out.append(text.substr(copied));
    return out;
}

void AppendReplacement(std::string& out, std::string_view replacement, std::string_view text,
                       const RegExpMatch& match) {
    const std::size_t groups = match.SubMatches.size();
    auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        char ch = replacement[i];
        if (ch != '$' || i + 1 >= replacement.size()) {
            out += ch;
            continue;
        }
        char next = replacement[i + 1];
        if (next == '$') {
            out += '$';
            ++i;
        } else if (next == '&') {
            out += match.Value;
            ++i;
        } else if (next == '`') {
            out.append(text.substr(0, match.FirstIndex));
            ++i;
        } else if (next == '\'') {
            std::size_t end = match.FirstIndex + match.Length;
            if (end < text.size())
                out.append(text.substr(end));
            ++i;
        } else if (isDigit(next)) {
            // Two digits win when they name a group; else one digit; else the text stays.
            std::size_t one = static_cast<std::size_t>(next - '0');
            if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
                std::size_t two = one * 10 + static_cast<std::size_t>(replacement[i + 2] - '0');
                if (two >= 1 && two <= groups) {
                    out += match.SubMatches[two - 1];
                    i += 2;
                    continue;
                }
            }
            if (one >= 1 && one <= groups) {
                out += match.SubMatches[one - 1];
                ++i;
            } else {
                out += '$';
            }
        } else {
            out += '$';
        }
    }
}

} // namespace hk
