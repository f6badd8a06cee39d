#pragma once
// Country names of places: a normalised country, or one derived from a United States,
// Canadian or Australian state or province, and place texts that show it.
#include <string>
#include <string_view>

#include "formats/place_parts.h"

namespace hk {

// "USA", "CANADA", "UK", "AUSTRALIA", "MEXICO" for a known country name; with no country,
// the country of a known state or province; else the country upper-cased without blanks,
// dots and dashes (so an unknown state with no country gives "").
std::string DeriveCountry(std::string_view state, std::string_view country);

// A place text from a "+"-separated template of up to 12 tokens: "L1".."L10" a part,
// "L0" the city or else the county, "DC" the country given. "L3L4" stands for "L0" in the
// USA and "L3+L4" elsewhere. Empty parts are skipped; the rest are joined with ", ".
std::string GetDerivedCountry(std::string_view templ, const PlaceParts::Texts& parts,
                              std::string_view country);

} // namespace hk
