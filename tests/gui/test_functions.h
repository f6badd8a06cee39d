#pragma once
// Stand-ins for catalog functions this build does not have yet, for the panel tests that need
// what no real function declares so far: combo boxes of tag types, styles, flags and languages,
// a kept list box, lists a function fills itself, and a function shown on another function's
// panel. They are never run.
#include <functional>
#include <string>
#include <vector>

#include "run/maintenance_function.h"
#include "tmgdb/ctmgdb.h"

namespace hk::test {

class PanelStandIn : public MaintenanceFunction {
public:
    PanelStandIn(int index, std::string key, std::string caption, std::vector<OptionDecl> options,
                 bool usesFlagFilter = false)
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
    void FillOptionLists(db::CTMGDB& db, Settings&, std::string_view, std::string_view,
                         ControlStates& states) const override {
        if (fillLists)
            fillLists(db, states);
    }
    void Run(RunContext&, const ControlStates&) override {}

    std::function<bool(const ControlStates&)> canRun;
    std::function<void(db::CTMGDB&, ControlStates&)> fillLists;

private:
    int index_;
    std::string key_, caption_;
    std::vector<OptionDecl> options_;
    bool usesFlagFilter_;
};

// Change Event Type (2), Add Married Names (0), Change Name Type (15, whose combo cmbCNTHook
// and kept list lstCNTHook it fills itself with the project prefix and "Dataset <DSID>") and
// Capitalize Places (7, shown on the panel of Capitalize Names).
void RegisterPanelStandIns(FunctionRegistry& registry);

} // namespace hk::test
