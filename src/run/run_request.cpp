#include "run/run_request.h"

#include "run/run_frame.h"
#include "support/error.h"

namespace hk {

RunOutcome RunExecutor::Execute(const RunRequest& request) const {
    MaintenanceFunction* function = functions_.FindByKey(request.functionKey);
    if (function == nullptr || request.session == nullptr || request.ui == nullptr)
        throw Error(-1, ErrorSource("RunExecutor", "Execute"),
                    "Cannot run the function " + request.functionKey);
    ProjectSession& session = *request.session;
    RunContext ctx(*request.ui, clock_, settings_, request.logFolder);
    ctx.programFolder = request.programFolder;
    ctx.logOnly = request.logOnly;
    ctx.writesProject = function->WritesProject();
    ctx.functionCaption = function->Caption();
    ctx.project = session.Info();
    ctx.db = session.Database();
    ctx.factory = session.Factory();
    if (function->UsesFlagFilter()) {
        ctx.flagFilter = request.flagFilter;
        ctx.flagFilterDescription = request.flagFilterDescription;
    }
    RunOutcome outcome;
    outcome.ok = DispatchCommand(
        ctx, [&](RunContext& c) { function->Run(c, request.options); },
        [&session] { session.AfterRun(); });
    if (ctx.log) {
        outcome.logPath = ctx.log->FileName();
        outcome.errors = ctx.log->ErrorCount();
        outcome.totals = ctx.log->Totals();
    }
    return outcome;
}

} // namespace hk
