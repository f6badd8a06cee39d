#pragma once
// Reads the lists the option panels offer from an open project: tag types and styles of the
// current dataset, the custom person flags, and the languages (hearthkit.ini's merged with
// those of the TMG installation).
#include <string>

#include "run/project_session.h"
#include "support/settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// Tables the project lacks give empty lists; deleted rows are left out. Table errors
// propagate.
ProjectLists ReadProjectLists(db::CTMGDB& db, Settings& settings,
                              const std::string& languageChoices);

// "A||B||C" -> {"A", "B", "C"}; empty entries are dropped.
std::vector<std::string> SplitChoiceList(const std::string& text);

} // namespace hk
