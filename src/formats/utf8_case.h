#pragma once
// Upper and lower case of UTF-8 text the way Windows ANSI text is cased: letters that
// Windows-1252 holds change case (accented ones too), every other character stays.
#include <string>
#include <string_view>

namespace hk {

std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);

} // namespace hk
