#pragma once
// Where a help page opens from: the program folder's "help" folder (there is no help web site).
// Help > Contents opens the table of contents; Help > Current Window the selected function's
// page while a project is open.
#include <string>

namespace hk {

inline constexpr const char* kHelpContentsPage = "toc.htm";

// The page's file in the program folder.
std::string HelpPageLocation(const std::string& programFolder, const std::string& page);

// The page Help > Current Window opens: the function's page when a project is open and a
// function is selected (`functionKey` not empty), the table of contents otherwise.
std::string CurrentWindowHelpPage(bool projectOpen, const std::string& functionKey);

} // namespace hk
