#pragma once
// Adjust Birth and Death: copies the date of each person's primary birth and death events into
// the person's birth and death dates, optionally making an event primary where the person has
// none of its group.
#include <string>
#include <vector>

#include "shell/maintenance_function.h"

namespace hk {

class AdjustBirthDeathFunction final : public MaintenanceFunction {
public:
    static constexpr int kProgressEvery = 50;
    // The run log's title, spelled as the logs of earlier releases have it.
    static constexpr const char* kLogTitle = "Adjust Bith and Death";

    int Index() const override { return 42; }
    std::string Key() const override { return "adjustbirthdeath"; }
    std::string Caption() const override { return "Adjust Birth and Death"; }
    std::vector<OptionDecl> Options() const override;
    void Run(RunContext& ctx, const ControlStates& options) override;
};

} // namespace hk
