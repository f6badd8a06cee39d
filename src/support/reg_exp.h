#pragma once
// RegExp: the VBScript.RegExp object the program's text rules are written for, over PCRE2.
//
// Dialect (how a VBScript pattern is read here):
// - UTF-8 text in, UTF-8 text out. Invalid UTF-8 in the searched text never matches a
//   character but does not fail.
// - Word characters, \b and \B know Unicode letters (VBScript's are ASCII only), so a whole
//   word such as "José" is found and "Ré" is not found inside "Rémy". \d, \s follow suit.
// - "$" without Multiline matches only at the very end, not before a final line feed.
// - "." matches anything but a line feed; Multiline makes "^" and "$" match at line feeds.
// - \uHHHH and \xHH are read as VBScript reads them.
// - A "]" right after "[" or "[^" is a literal, so "[^]]" means "not ]".
// - In a global search an empty match moves the next search one character on, as VBScript
//   does (so "b*" over "abc" matches at 0, 1, 2 and 3).
// - Constructs VBScript lacks (look-behind, named groups, ...) are accepted as PCRE has them.
//
// Indices: FirstIndex and Length count UTF-8 bytes of the searched text, 0-based, so that
// text.substr(FirstIndex, Length) is always the match. (VBScript counts UTF-16 units; callers
// here slice std::string, so bytes are what they need.)
//
// Errors: a pattern that does not compile raises hk::Error with VBScript's numbers (5017
// syntax, 5018 unexpected quantifier, 5019 missing "]", 5020 missing ")", 5021 bad range);
// a match that exceeds the engine's limits raises -1.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/error.h"

namespace hk {

struct RegExpMatch {
    std::size_t FirstIndex = 0; // byte offset in the searched text
    std::size_t Length = 0;     // bytes
    std::string Value;
    std::vector<std::string> SubMatches; // one per group; empty when the group took no part
};

using RegExpMatches = std::vector<RegExpMatch>;

// VBScript error numbers of the pattern syntax errors.
constexpr long kRegExpSyntaxError = 5017;
constexpr long kRegExpUnexpectedQuantifier = 5018;
constexpr long kRegExpExpectedBracket = 5019;
constexpr long kRegExpExpectedParen = 5020;
constexpr long kRegExpInvalidRange = 5021;

inline bool IsRegExpPatternError(long number) {
    return number >= kRegExpSyntaxError && number <= kRegExpInvalidRange;
}

class RegExp {
public:
    RegExp() = default;
    explicit RegExp(std::string pattern, bool global = false, bool ignoreCase = false);

    const std::string& Pattern() const { return pattern_; }
    void SetPattern(std::string pattern);
    bool IgnoreCase() const { return ignoreCase_; }
    void SetIgnoreCase(bool on);
    bool Global() const { return global_; }
    void SetGlobal(bool on) { global_ = on; }
    bool Multiline() const { return multiline_; }
    void SetMultiline(bool on);

    // Compiles now (otherwise the first search does) and raises the pattern's error, if any.
    void Compile() const;

    bool Test(std::string_view text) const;
    RegExpMatches Execute(std::string_view text) const { return Execute(text, global_); }
    RegExpMatches Execute(std::string_view text, bool global) const;
    // The replacement follows VBScript: $1..$99, $&, $`, $', $$; anything else is literal.
    std::string Replace(std::string_view text, std::string_view replacement) const {
        return Replace(text, replacement, global_);
    }
    std::string Replace(std::string_view text, std::string_view replacement, bool global) const;

private:
    struct Compiled;
    const Compiled& Code() const;

    std::string pattern_;
    bool global_ = false;
    bool ignoreCase_ = false;
    bool multiline_ = false;
    mutable std::shared_ptr<const Compiled> code_; // built on first use, shared by copies
};

// Expands a VBScript replacement template for one match of `text`.
void AppendReplacement(std::string& out, std::string_view replacement, std::string_view text,
                       const RegExpMatch& match);

} // namespace hk
