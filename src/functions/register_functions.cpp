#include "functions/register_functions.h"

#include "functions/adjust_birth_death.h"
#include "functions/check_project.h"
#include "functions/set_birth_order.h"
#include "functions/set_living.h"
#include "functions/sort_dates.h"
#include "functions/sort_dates_fix.h"
#include "functions/sort_dates_year_only.h"

namespace hk {

void RegisterAllFunctions(FunctionRegistry& registry) {
    registry.Add(std::make_unique<SetLivingFunction>());
    registry.Add(std::make_unique<SetBirthOrderFunction>());
    registry.Add(std::make_unique<AdjustBirthDeathFunction>());
    registry.Add(std::make_unique<SetSortDates>());
    registry.Add(std::make_unique<FixSortDates>());
    registry.Add(std::make_unique<SetYearOnlyDates>());
    registry.Add(std::make_unique<CheckProjectFunction>());
}

} // namespace hk
