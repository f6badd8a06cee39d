#pragma once
// The one place every maintenance function of this build is registered; the window and the
// command line both fill their registry from it.
#include "run/maintenance_function.h"

namespace hk {

void RegisterAllFunctions(FunctionRegistry& registry);

} // namespace hk
