#pragma once
// Where the main window's flag filter is kept between runs of the program: per project, under
// "File Preferences\<prefix>\FlagFilter" ("Field", "Include", "Values"), so that the command
// line applies the filter the user chose in the window.
#include <string_view>

#include "formats/flag_filter.h"
#include "support/settings_store.h"

namespace hk {

inline constexpr std::string_view kFlagFilterSubKey = "FlagFilter";

// `fileKey` is the project's file key (ProjectFileKey); values go under the settings root.
void SaveFlagFilter(Settings& settings, std::string_view fileKey, const CTMGFlagFilter& filter);
// The stored filter; no filter (include mode, no values) when nothing is stored.
CTMGFlagFilter RestoreFlagFilter(Settings& settings, std::string_view fileKey);

} // namespace hk
