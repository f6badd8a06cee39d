#include "functions/register_functions.h"

#include "functions/sort_dates.h"
#include "functions/sort_dates_fix.h"
#include "functions/sort_dates_year_only.h"

namespace hk {

void RegisterAllFunctions(FunctionRegistry& registry) {
    (void)registry;
    registry.Add(std::make_unique<SetSortDates>());
    registry.Add(std::make_unique<FixSortDates>());
    registry.Add(std::make_unique<SetYearOnlyDates>());
}

} // namespace hk
