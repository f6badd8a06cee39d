#pragma once
// Check Project: reads every table of the project once and reports, without writing anything,
// each fault of its files (header against file size, memo pointers, index tags against the
// data) and of the links between tables that the functions rely on, with totals per kind.
#include "run/logged_run_function.h"

namespace hk {

class CheckProjectFunction final : public LoggedRunFunction {
public:
    CheckProjectFunction() : LoggedRunFunction("checkproject", 1) {}
    bool WritesProject() const override { return false; }
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
};

// The label of the total a finished check ends its log with: the number of faults found.
inline constexpr const char* kFaultsFoundLabel = "Faults found";

} // namespace hk
