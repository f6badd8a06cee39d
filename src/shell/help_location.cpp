#include "shell/help_location.h"

#include "shell/function_catalog.h"
#include "shell/program_info.h"
#include "support/paths.h"

namespace hk {

std::string HelpPageLocation(bool betaFlag, const std::string& programFolder,
                             const std::string& page) {
    if (betaFlag)
        return AddTrailingSlash(programFolder) + "help/" + page;
    return HelpWebAddress() + page;
}

std::string CurrentWindowHelpPage(bool projectOpen, const std::string& functionKey) {
    if (projectOpen && !functionKey.empty())
        return HelpPageFor(functionKey);
    return kHelpContentsPage;
}

} // namespace hk
