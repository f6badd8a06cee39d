#pragma once
// Test-only maintenance functions for the window: they declare options the way the real ones
// will, and record how they were run. The Set Living=N stand-in goes through the whole run
// frame (confirmation, log, totals) over the project's people table, but changes nothing.
#include <functional>
#include <string>
#include <vector>

#include "shell/maintenance_function.h"

namespace hk::test {

class ScriptedFunction : public MaintenanceFunction {
public:
    ScriptedFunction(int index, std::string key, std::string caption,
                     std::vector<OptionDecl> options, bool usesFlagFilter = false)
        : index_(index), key_(std::move(key)), caption_(std::move(caption)),
          options_(std::move(options)), usesFlagFilter_(usesFlagFilter) {}

    int Index() const override { return index_; }
    std::string Key() const override { return key_; }
    std::string Caption() const override { return caption_; }
    std::vector<OptionDecl> Options() const override { return options_; }
    bool UsesFlagFilter() const override { return usesFlagFilter_; }
    bool CanRun(const ControlStates& states) const override {
        return canRun ? canRun(states) : true;
    }
    void Run(RunContext& ctx, const ControlStates& states) override {
        ++runs;
        lastStates = states;
        lastLogOnly = ctx.logOnly;
        lastFilter = ctx.flagFilterDescription;
        if (run)
            run(ctx, states);
    }

    std::function<bool(const ControlStates&)> canRun;
    std::function<void(RunContext&, const ControlStates&)> run;
    int runs = 0;
    ControlStates lastStates;
    bool lastLogOnly = false;
    std::string lastFilter;

private:
    int index_;
    std::string key_, caption_;
    std::vector<OptionDecl> options_;
    bool usesFlagFilter_;
};

// Set Living=N (11), Change Event Type (2), Set Sort Dates (12), Add Married Names (0) and
// Capitalize Places (7, shown on the panel of Capitalize Names).
void RegisterTestFunctions(FunctionRegistry& registry);
ScriptedFunction& TestFunction(const FunctionRegistry& registry, const std::string& key);

} // namespace hk::test
