#pragma once
// Fix Sort Dates: copies an event's date into its sort date where the date is a regular date
// and the sort date is empty.
#include "run/logged_run_function.h"

namespace hk {

class FixSortDates final : public LoggedRunFunction {
public:
    FixSortDates() : LoggedRunFunction("fixsortdates", 250) {}
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
};

} // namespace hk
