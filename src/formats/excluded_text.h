#pragma once
// Cleaners for the marked-up parts of TMG text: excluded text ({braces}, leading dashes)
// and hidden text ([HID:] blocks, [codes]). Every display of names, places and dates uses them.
#include <string>
#include <string_view>

namespace hk {

// Exclusion modes: 0-2 remove braced sections and treat leading dashes (0: a leading "-"
// empties the text; 1: "--" empties it, one "-" is dropped; 2: "--" or "-" is dropped),
// 3 removes only the braces, 4 (and anything else) leaves the text as it is.
std::string CleanExcludedText(std::string_view text, int mode);
// Cleans each "||"-separated alternative; empty when every alternative comes out empty.
std::string CleanExcludedAlternatives(std::string_view text, int mode);
// Removes everything from the first "{" to the last "}" on a line, [HID:]...[:HID] blocks
// and bracketed codes such as "[:ITAL:]", then trims the ends.
std::string StripHiddenText(std::string_view text);

} // namespace hk
