#pragma once
// Reading the project tables the value formats are built from: tag types ("T"), styles with
// their part types ("ST", "NPT", "PPT") and person flags ("C"). Rows come back whole, with
// their dataset and deletion mark; the format classes choose among them.
#include <string_view>
#include <vector>

#include "formats/flag_filter.h"
#include "formats/style_formatter.h"
#include "formats/tag_types.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// Whether the project has the table of a suffix.
bool ProjectHasTable(const db::CTMGDB& db, std::string_view suffix);

std::vector<TagTypeRow> ReadTagTypeRows(db::CTMGDB& db);
// The tag types of the current dataset, as the project is opened.
void LoadTagTypes(db::CTMGDB& db, CTMGTagTypes& tagTypes, const NameMapping* nameMapping = nullptr,
                  std::string_view language = {});

// "NPT" or "PPT"; none for a project without the table.
std::vector<PartTypeRow> ReadPartTypeRows(db::CTMGDB& db, std::string_view suffix);
// Styles and part types of a project of version 5 or later; older ones get none.
StyleTables ReadStyleTables(db::CTMGDB& db);
void LoadStyles(db::CTMGDB& db, CTMGStyleFormatter& formatter);

std::vector<FlagRow> ReadFlagRows(db::CTMGDB& db);

} // namespace hk
