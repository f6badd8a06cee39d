#pragma once
// FormatContext: the value-format state the whole program shares (settings and the date
// object), owned by the application object and configured as start-up does.
#include <string>

#include "formats/format_settings.h"
#include "formats/tmg_date.h"

namespace hk {

struct FormatContext {
    // Start-up configuration: display format "Aaa d Mmm yyy", PairBrackets 1.
    explicit FormatContext(MonthNames months = MonthNames::FromLocale())
        : date(settings, std::move(months)) {
        date.SetDisplayFormat("Aaa d Mmm yyy");
        date.SetPairBrackets(1);
    }
    FormatContext(const FormatContext&) = delete;
    FormatContext& operator=(const FormatContext&) = delete;

    FormatSettings settings;
    CTMGDate date; // refers to settings, so declared after it
    // Prefixes for DatePairText of a birth and a death date.
    std::string birthPrefix = "b.";
    std::string deathPrefix = "d.";
};

} // namespace hk
