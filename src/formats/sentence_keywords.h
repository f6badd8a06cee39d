#pragma once
// Keyword entries of TMG sentence memos ("[L=ENGLISH]", "[R=00001]", "[RL=00002]"): where
// they are and what they hold, and the clean-up applied to memo text before parsing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hk {

struct KeywordEntry {
    std::size_t begin = 0;  // the "["
    std::size_t end = 0;    // just past the "]"
    std::string_view value; // between "=" and "]"
};

// The first entry "[" keyword "=" value "]" at or after `from`. An entry counts only when
// its value is non-empty and holds no "["; the keyword is matched exactly.
std::optional<KeywordEntry> FindKeywordEntry(std::string_view text, std::string_view keyword,
                                             std::size_t from = 0);

std::string RemoveLineBreaks(std::string_view text);
// Removes every character below 32 (line breaks and tabs included).
std::string RemoveControlCharacters(std::string_view text);

} // namespace hk
