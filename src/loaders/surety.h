#pragma once
// Sureties: one character per position, ranked blank < "-" < "0" < "1" < "2" < "3". Records
// show theirs as a five-character text with "." for a blank position.
#include <array>
#include <string>
#include <string_view>

namespace hk {

inline constexpr std::string_view kSuretyRanking = " -0123";

// The rank of a surety character (blank 0 ... "3" 5); -1 for a character that is no surety.
int SuretyRank(char c);
// The better of two sureties by rank; an unknown character never wins.
char BetterSurety(char a, char b);

// Five sureties as a summary: each first character, "." for a blank; "....." becomes empty.
std::string SuretyString(const std::array<char, 5>& sureties);
// A relationship's two sureties (parent, memo) in the positions 1 and 5 of a summary.
std::string RelationshipSuretyString(char parentSure, char memoSure);
// The five positions of a summary text, "." (and anything missing) becoming a blank.
std::array<char, 5> SuretiesFromString(std::string_view text);

// The first character of a trimmed value, or a blank: how a surety field is written.
char SuretyChar(std::string_view value);

} // namespace hk
