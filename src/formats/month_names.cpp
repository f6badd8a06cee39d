#include "formats/month_names.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

#include "support/text.h"

namespace hk {

MonthNames MonthNames::English() {
    static constexpr const char* kLong[12] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    MonthNames names;
    for (int m = 1; m <= 12; ++m) {
        names.longNames[m] = kLong[m - 1];
        names.shortNames[m] = names.longNames[m].substr(0, 3);
    }
    return names;
}

MonthNames MonthNames::FromLocale(const char* localeName) {
    locale_t loc = newlocale(LC_TIME_MASK, localeName, static_cast<locale_t>(nullptr));
    if (!loc)
        return English();
    // Month names of a locale in another character set would reach UTF-8 text undecoded.
    const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, loc), "UTF-8") == 0;
    MonthNames names;
    bool ok = true;
    for (int m = 1; m <= 12 && ok; ++m) {
        names.longNames[m] = nl_langinfo_l(MON_1 + m - 1, loc);
        names.shortNames[m] = nl_langinfo_l(ABMON_1 + m - 1, loc);
        ok = !names.longNames[m].empty() && !names.shortNames[m].empty() &&
             (utf8 || (IsAscii(names.longNames[m]) && IsAscii(names.shortNames[m])));
    }
    freelocale(loc);
    return ok ? names : English();
}

} // namespace hk
