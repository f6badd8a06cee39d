#pragma once
// FindAndReplace: a find text (literal or a pattern, optionally whole words) turned into one
// regular expression, used by Find and Replace, the citation functions and the rules engine.
#include <optional>
#include <string>
#include <string_view>

#include "support/error.h"
#include "support/reg_exp.h"

namespace hk {

class FindAndReplace {
public:
    const std::string& FindText() const { return findText_; }
    void SetFindText(std::string text);
    // On: the find text is the pattern as written. Off: it is matched literally.
    bool UsePattern() const { return usePattern_; }
    void SetUsePattern(bool on);
    // Literal mode only: the find text must stand as a whole word.
    bool WholeWord() const { return wholeWord_; }
    void SetWholeWord(bool on);
    bool MatchCase() const { return !regExp_.IgnoreCase(); }
    void SetMatchCase(bool on) { regExp_.SetIgnoreCase(!on); }

    // The pattern built from the settings above.
    const std::string& Pattern() const { return regExp_.Pattern(); }

    // Each raises "Invalid Pattern: " + find text (number 5017-5021) for a bad pattern.
    bool Test(std::string_view text) const;
    std::string ReplaceFirst(std::string_view text, std::string_view replacement) const;
    std::string ReplaceAll(std::string_view text, std::string_view replacement) const;
    RegExpMatches FindFirst(std::string_view text) const;
    RegExpMatches FindAll(std::string_view text) const;

    // Every character of "\^$*+?.()|{}[]" gets a "\" in front.
    static std::string EscapeLiteral(std::string_view text);

private:
    void Rebuild();
    [[noreturn]] void Rethrow(const Error& e, const char* procedure) const;

    std::string findText_;
    bool usePattern_ = false;
    bool wholeWord_ = false;
    RegExp regExp_;
};

// The escapes a user may type in a replacement text: "\\" is one backslash, "\n" a CR LF,
// "\r" a CR and "\t" a tab; any other backslash stays as it is.
std::string UnescapeReplacement(std::string_view text);

// The start-up check of the regular-expression engine: the sample sentence definition is
// searched for its language marks; returns the error text when the engine misbehaves.
extern const std::string_view kRegExpSelfTestSentence;
std::optional<std::string> RegExpSelfTest(std::string_view sentence = kRegExpSelfTestSentence);

} // namespace hk
