#pragma once
// CSoundex: the four-character sound code of a name, used to group names that sound alike.
// Unlike the common rule, H and W separate equal digits ("Ashcraft" is A226) and characters
// other than letters and blanks are skipped instead of ending the code.
#include <string>
#include <string_view>

namespace hk {

class CSoundex {
public:
    // The code of the whole text; a blank separates equal digits. "" gives "0000".
    static std::string SoundCode(std::string_view text);
    // The code of the text up to its first blank.
    static std::string FirstWordSoundCode(std::string_view text);
};

} // namespace hk
