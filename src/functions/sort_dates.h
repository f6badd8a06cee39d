#pragma once
// Set Sort Dates: gives every undated tag of a person a sort date, so that the person's tags
// sort in the user's order of tag types, after the tags before them and not before the
// parents' births. The tag order is the "Tags" list (shell/tag_order.h).
#include "run/logged_run_function.h"

namespace hk {

class SetSortDates final : public LoggedRunFunction {
public:
    SetSortDates() : LoggedRunFunction("sortdates", 250) {}

    // lstTags: a list box kept under "Tags"; on the command line
    // --opt "Tags=Birth;Baptism|1;Census|0" (a name alone is checked).
    std::vector<OptionDecl> Options() const override;
    void FillOptionLists(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                         std::string_view fileKey, ControlStates& states) const override;
    // Completes the given order as the panel fills it; names of no tag type are dropped.
    std::vector<std::string> FitOptionLists(db::CTMGDB& db, ControlStates& states) const override;
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
};

} // namespace hk
