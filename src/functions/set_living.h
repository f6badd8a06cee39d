#pragma once
// Set Living=N: marks as not living the people whose living flag is "?" and who, by their own
// dated events or those of their descendants or ancestors, must have lived before a year.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/logged_run_function.h"

namespace hk {

class SetLivingFunction final : public LoggedRunFunction {
public:
    SetLivingFunction() : LoggedRunFunction("setliving", 250) {}
    std::vector<OptionDecl> Options() const override;
    // The year must be filled in.
    bool CanRun(const ControlStates& options) const override;
    std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                       const ControlStates& options) const override;

    // The year box's text as a year from 1 to 9999; nothing otherwise.
    static std::optional<long> ParseYear(std::string_view text);
};

} // namespace hk
