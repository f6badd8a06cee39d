#pragma once
// Set Year Only Dates: removes the month and day from the plain dates of the chosen tag-type
// groups where a principal may be living.
#include "run/logged_run_function.h"

namespace hk {

class SetYearOnlyDates final : public LoggedRunFunction {
public:
    // A group box of the panel: chkYearOnlyGroup(index), index being the tag-type group (13
    // for the Other group, 99).
    struct GroupBox {
        int index;
        const char* caption;
        const char* setting; // under "SetYearOnly"
    };
    static const std::vector<GroupBox>& GroupBoxes();
    static std::string ControlName(int index);

    SetYearOnlyDates() : LoggedRunFunction("yearonlydates", 250) {}
    std::vector<OptionDecl> Options() const override;
    // At least one group is chosen.
    bool CanRun(const ControlStates& options) const override;
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
};

} // namespace hk
