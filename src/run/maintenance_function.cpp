#include "run/maintenance_function.h"

#include "support/error.h"

namespace hk {

void FunctionRegistry::Add(std::unique_ptr<MaintenanceFunction> function) {
    if (function->Index() < 0 || function->Index() >= kCatalogSize)
        throw Error(-1, ErrorSource("FunctionRegistry", "Add"),
                    "Function index out of range: " + std::to_string(function->Index()));
    if (FindByKey(function->Key()) || FindByIndex(function->Index()))
        throw Error(-1, ErrorSource("FunctionRegistry", "Add"),
                    "Function registered twice: " + function->Key());
    functions_.push_back(std::move(function));
}

MaintenanceFunction* FunctionRegistry::FindByKey(std::string_view key) const {
    for (auto& f : functions_)
        if (f->Key() == key)
            return f.get();
    return nullptr;
}

MaintenanceFunction* FunctionRegistry::FindByIndex(int index) const {
    for (auto& f : functions_)
        if (f->Index() == index)
            return f.get();
    return nullptr;
}

} // namespace hk
