#pragma once
// Keeps option values between runs: per project under "File Preferences\<prefix>\<function>",
// in the value formats the original program stored (check box as a number, text box as a
// string, list box as a "Count" and one "text|selected|data" value per item).
#include <string>
#include <string_view>
#include <vector>

#include "run/option_decl.h"
#include "support/settings_store.h"

namespace hk {

// "File Preferences\" followed by the project prefix: the file key while a project is open.
std::string ProjectFileKey(std::string_view projectPrefix);

// One list item as stored: text with "|" made a space, "1"/"0", the item data.
std::string FormatListItem(const ListItem& item);

// Restores the persisted check boxes, text boxes and list boxes of `declared` into `states`:
// a check box only from a numeric value, a text box from any stored string (an empty one
// clears it), a list box item by item. Missing values leave the control as it is.
void RestoreControls(Settings& settings, std::string_view regRoot, std::string_view fileKey,
                     const std::vector<OptionDecl>& declared, ControlStates& states);
// Writes the persisted controls' values.
void SaveControls(Settings& settings, std::string_view regRoot, std::string_view fileKey,
                  const std::vector<OptionDecl>& declared, const ControlStates& states);

// The list box format under key keyPath\subKey; the key is deleted and written whole.
void SaveListBox(SettingsStore& store, std::string_view keyPath, std::string_view subKey,
                 const std::vector<ListItem>& items);
// Selects (and sets the data of) the items whose text matches a stored item; items the store
// does not name keep their state.
void RestoreListBox(SettingsStore& store, std::string_view keyPath, std::string_view subKey,
                    std::vector<ListItem>& items);

} // namespace hk
