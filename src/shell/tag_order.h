#pragma once
// The tag order of Set Sort Dates: an ordered list of tag types, each checked when its sort
// dates may be rewritten. Kept per project under "File Preferences\<prefix>\Tags" in the list
// box format; the window shows it in its tag-order list, the command line reads it as stored.
#include <string>
#include <string_view>
#include <vector>

#include "shell/option_decl.h"
#include "shell/project_session.h"
#include "support/settings_store.h"

namespace hk {

// The control the tag order lives in, and its key under the project's file key.
inline constexpr std::string_view kTagOrderControl = "lstTags";
inline constexpr std::string_view kTagOrderSubKey = "Tags";

// The tag names that follow the stored entries when a project opens.
const std::vector<std::string>& DefaultTagOrderNames();

// The stored entries in stored order (text, checked, data). An entry without "|" is the older
// form: "1" (checked) or another character, then the name.
std::vector<ListItem> ReadStoredTagOrder(const SettingsStore& store, std::string_view keyPath);

// The list a project opens with: the stored entries that name a tag type of the project, the
// default names the project has, then every other named tag type in name order except those
// of the Father, Mother and Parent groups. Each tag type appears once, matched by its trimmed
// name without regard to case; its number is the item data. Entries not stored are checked.
std::vector<ListItem> BuildTagOrder(const std::vector<ListItem>& stored,
                                    const std::vector<TagTypeChoice>& tagTypes);

// Writes the list whole under keyPath\Tags.
void SaveTagOrder(SettingsStore& store, std::string_view keyPath,
                  const std::vector<ListItem>& items);

} // namespace hk
