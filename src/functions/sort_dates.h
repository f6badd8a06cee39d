#pragma once
// Set Sort Dates: gives every undated tag of a person a sort date, so that the person's tags
// sort in the user's order of tag types, after the tags before them and not before the
// parents' births. The tag order is the "Tags" list (shell/tag_order.h).
#include "shell/maintenance_function.h"

namespace hk {

class SetSortDates final : public MaintenanceFunction {
public:
    int Index() const override { return 12; }
    std::string Key() const override { return "sortdates"; }
    std::string Caption() const override { return "Set Sort Dates"; }

    // lstTags: a list box kept under "Tags"; on the command line
    // --opt "Tags=Birth;Baptism|1;Census|0" (a name alone is checked).
    std::vector<OptionDecl> Options() const override;
    void FillOptionLists(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                         std::string_view fileKey, ControlStates& states) const override;
    void Run(RunContext& ctx, const ControlStates& options) override;
};

} // namespace hk
