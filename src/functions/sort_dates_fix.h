#pragma once
// Fix Sort Dates: copies an event's date into its sort date where the date is a regular date
// and the sort date is empty.
#include "shell/maintenance_function.h"

namespace hk {

class FixSortDates final : public MaintenanceFunction {
public:
    int Index() const override { return 31; }
    std::string Key() const override { return "fixsortdates"; }
    std::string Caption() const override { return "Fix Sort Dates"; }
    void Run(RunContext& ctx, const ControlStates& options) override;
};

} // namespace hk
