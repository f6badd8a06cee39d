#pragma once
// The items a list or combo option offers: its leading entries ("<Choose Tag>", "<All
// Languages>", ...) followed by what its source names from the open project. The window fills
// its combo boxes with them; the command line matches option values against them.
#include <vector>

#include "run/option_decl.h"
#include "run/project_session.h"

namespace hk {

// Leading and fixed entries carry data 0. From the project: tag types (of decl.tagGroup when
// it is not 0) in name order with their number, styles of decl.styleGroup in name order with
// their id, flags by label and languages, each with its position in the project's list from 1.
// Without a project (`lists` null) only the declared entries.
std::vector<ListItem> OptionItems(const OptionDecl& decl, const ProjectLists* lists);

// True when the option's items come from the open project (they are refilled on open).
bool FilledFromProject(const OptionDecl& decl);

// The position of the item whose text equals `text` without regard to case, or -1.
int FindItem(const std::vector<ListItem>& items, std::string_view text);

} // namespace hk
