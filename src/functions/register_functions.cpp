#include "functions/register_functions.h"

namespace hk {

void RegisterAllFunctions(FunctionRegistry& registry) {
    (void)registry;
}

} // namespace hk
