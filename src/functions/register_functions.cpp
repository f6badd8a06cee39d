#include "functions/register_functions.h"

#include "functions/adjust_birth_death.h"
#include "functions/set_birth_order.h"
#include "functions/set_living.h"

namespace hk {

void RegisterAllFunctions(FunctionRegistry& registry) {
    (void)registry;
    registry.Add(std::make_unique<SetLivingFunction>());
    registry.Add(std::make_unique<SetBirthOrderFunction>());
    registry.Add(std::make_unique<AdjustBirthDeathFunction>());
}

} // namespace hk
