#pragma once
// Adjust Birth and Death: copies the date of each person's primary birth and death events into
// the person's birth and death dates, optionally making an event primary where the person has
// none of its group.
#include <string>
#include <vector>

#include "run/logged_run_function.h"

namespace hk {

class AdjustBirthDeathFunction final : public LoggedRunFunction {
public:
    AdjustBirthDeathFunction() : LoggedRunFunction("adjustbirthdeath", 50) {}
    std::vector<OptionDecl> Options() const override;
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
    // The run log's title, spelled as the logs of earlier releases have it.
    std::string LogTitle() const override { return "Adjust Bith and Death"; }
};

} // namespace hk
