#include "app/help_location.h"

#include "run/function_catalog.h"
#include "support/paths.h"

namespace hk {

std::string HelpPageLocation(const std::string& programFolder, const std::string& page) {
    return AddTrailingSlash(programFolder) + "help/" + page;
}

std::string CurrentWindowHelpPage(bool projectOpen, const std::string& functionKey) {
    if (projectOpen && !functionKey.empty())
        return HelpPageFor(functionKey);
    return kHelpContentsPage;
}

} // namespace hk
