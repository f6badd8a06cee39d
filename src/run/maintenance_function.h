#pragma once
// One maintenance function of the catalog: what it is (index, key, caption), the options it
// declares as data, when its command button may run it, and the run itself.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "run/function_catalog.h"
#include "run/option_decl.h"
#include "run/run_context.h"

namespace hk {

class MaintenanceFunction {
public:
    virtual ~MaintenanceFunction() = default;

    virtual int Index() const = 0;
    virtual std::string Key() const = 0;
    virtual std::string Caption() const = 0;
    std::string HelpPage() const { return HelpPageFor(Key()); }

    virtual std::vector<OptionDecl> Options() const { return {}; }
    // The command button is enabled only when the options the function needs are filled in.
    virtual bool CanRun(const ControlStates& options) const { return true; }
    virtual bool UsesFlagFilter() const { return false; }
    // False for a function that only reads the project: its run takes no write lock and
    // keeps no journal.
    virtual bool WritesProject() const { return true; }
    // Fills the option lists whose items come from the open project, as the window does when
    // the project opens and before the kept values are restored (RestoreControls). `fileKey`
    // is the project's "File Preferences\<prefix>" under `regRoot`. Most panels need nothing.
    virtual void FillOptionLists(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                                 std::string_view fileKey, ControlStates& states) const {}

    // Fits option lists given from outside the panel (the command line) to the project, so
    // that they are kept as the panel keeps them. Returns the entries that name nothing in the
    // project; they are dropped.
    virtual std::vector<std::string> FitOptionLists(db::CTMGDB& db, ControlStates& states) const {
        return {};
    }

    // Runs in an open project (ctx.db): confirms, writes its log through the run frame,
    // walks and writes (under Log Only the table layer drops the writes). Errors propagate to
    // the caller's frame.
    virtual void Run(RunContext& ctx, const ControlStates& options) = 0;
};

// The functions this build has, found by key or by panel index.
class FunctionRegistry {
public:
    void Add(std::unique_ptr<MaintenanceFunction> function);
    MaintenanceFunction* FindByKey(std::string_view key) const;
    MaintenanceFunction* FindByIndex(int index) const;
    const std::vector<std::unique_ptr<MaintenanceFunction>>& All() const { return functions_; }

private:
    std::vector<std::unique_ptr<MaintenanceFunction>> functions_;
};

} // namespace hk
