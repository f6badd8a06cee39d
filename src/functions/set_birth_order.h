#pragma once
// Set Birth Order: numbers the children of each couple 1, 2, 3, ... in the order of their
// birth sort dates, in each child's birth-order field. Couples with a child that has no birth
// sort date, or with more children than the function numbers, are logged and left alone.
#include <string>
#include <vector>

#include "run/logged_run_function.h"

namespace hk {

class SetBirthOrderFunction final : public LoggedRunFunction {
public:
    // A couple with more children is not numbered.
    static constexpr int kMaxChildren = 32;

    SetBirthOrderFunction() : LoggedRunFunction("setbirthorder", 50) {}
    // Its only option is the main window's flag filter.
    bool UsesFlagFilter() const override { return true; }
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;
};

} // namespace hk
