#pragma once
// Set Birth Order: numbers the children of each couple 1, 2, 3, ... in the order of their
// birth sort dates, in each child's birth-order field. Couples with a child that has no birth
// sort date, or with more children than the function numbers, are logged and left alone.
#include <string>
#include <vector>

#include "shell/maintenance_function.h"

namespace hk {

class SetBirthOrderFunction final : public MaintenanceFunction {
public:
    static constexpr int kProgressEvery = 50;
    // A couple with more children is not numbered.
    static constexpr int kMaxChildren = 32;

    int Index() const override { return 34; }
    std::string Key() const override { return "setbirthorder"; }
    std::string Caption() const override { return "Set Birth Order"; }
    // Its only option is the main window's flag filter.
    bool UsesFlagFilter() const override { return true; }
    void Run(RunContext& ctx, const ControlStates& options) override;
};

} // namespace hk
