#pragma once
// The tag order of Set Sort Dates: tag types in the order their tags should sort, each checked
// when its sort dates may be rewritten. Kept per project under "File Preferences\<prefix>\Tags"
// (both stored forms are read) and filled from the project the same way for both front ends.
#include <string>
#include <string_view>
#include <vector>

#include "formats/tag_types.h"
#include "run/option_decl.h"
#include "support/settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// The list control and the key its items are kept under, below the project's file key.
inline constexpr const char* kTagOrderControl = "lstTags";
inline constexpr const char* kTagOrderSetting = "Tags";

// One stored entry: the tag type's name and its check mark.
struct StoredTag {
    std::string name;
    bool checked = false;
    bool operator==(const StoredTag&) const = default;
};

// One value of a stored "Tags" key: "name|1|data" (or "name|0"), or the older form "1name" /
// "0name" without a bar.
StoredTag ParseStoredTag(std::string_view value);

// The entries kept under `keyPath`\Tags ("Count", then "000", "001", ...), in stored order.
std::vector<StoredTag> ReadStoredTagOrder(const SettingsStore& store, std::string_view keyPath);

// The names listed after the stored entries, before every other tag type.
const std::vector<std::string>& DefaultTagOrderNames();

// The tag order as the panel shows it, filled in three steps, each adding only tag types not
// yet listed: the `first` entries in their order with their check marks, then the default
// names, then the other tag types in the order of `byName`, leaving out the Father, Mother and
// Parent groups and unnamed types. Names match tag types by their trimmed text without regard
// to case; entries that name no tag type are dropped. Entries the last two steps add are
// checked. Each item's data is its tag type number.
std::vector<ListItem> BuildTagOrder(const std::vector<StoredTag>& first,
                                    const CTMGTagTypes& tagTypes, const std::vector<long>& byName);

// The tag type numbers of the current dataset (and of dataset 0) in the order of the tag type
// table's name tag (EVTBYNAM).
std::vector<long> TagTypesByName(db::CTMGDB& db);

// The list items as entries to build from (text and check mark).
std::vector<StoredTag> StoredTagsOf(const std::vector<ListItem>& items);

// BuildTagOrder over the project's tag types in name order.
std::vector<ListItem> ProjectTagOrder(db::CTMGDB& db, const CTMGTagTypes& tagTypes,
                                      const std::vector<StoredTag>& first);

// The list box option, kept in the project's own "Tags" key.
OptionDecl TagOrderOption();
// Fills the list as the panel does when the project opens: the kept order, completed.
void FillTagOrderList(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                      std::string_view fileKey, ControlStates& states);
// Completes a list given from outside the panel the same way; returns the names of no tag
// type, which are dropped.
std::vector<std::string> FitTagOrderList(db::CTMGDB& db, ControlStates& states);

} // namespace hk
