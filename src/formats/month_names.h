#pragma once
// MonthNames: long and short month names for date display, from the C library's locale
// (LC_TIME of the environment) or English.
#include <array>
#include <string>

namespace hk {

struct MonthNames {
    std::array<std::string, 13> longNames;  // [1]..[12]; [0] empty
    std::array<std::string, 13> shortNames; // [1]..[12]; [0] empty

    static MonthNames English();
    // The names of the named locale ("" = the environment's LC_TIME); English when the
    // locale is unknown or its names are not UTF-8.
    static MonthNames FromLocale(const char* localeName = "");
};

} // namespace hk
