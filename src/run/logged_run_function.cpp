#include "run/logged_run_function.h"

#include "loaders/format_tables.h"
#include "run/run_frame.h"
#include "support/error.h"
#include "support/text.h"

namespace hk {

void WriteOptionLines(CLogFile& log, const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    log.LogLine("Options:");
    for (const std::string& line : lines)
        log.LogLine("  " + line);
    log.LogBlankLine();
}

const CTMGTagTypes& RunScope::TagTypes() {
    if (!tagTypes_) {
        auto tagTypes = std::make_unique<CTMGTagTypes>();
        LoadTagTypes(Db(), *tagTypes);
        tagTypes_ = std::move(tagTypes);
    }
    return *tagTypes_;
}

const CTMGCrossIndex& RunScope::PersonIds() {
    if (!personIds_) {
        auto ids = std::make_unique<CTMGCrossIndex>();
        ids->BuildPersonIDs(Db());
        personIds_ = std::move(ids);
    }
    return *personIds_;
}

std::string RunScope::EventLine(long tagType, long per1, long per2) {
    return std::string(Trim(TagTypes().NameOf(tagType))) + ", " + PersonIds().PersonLabel(per1) +
           ", " + PersonIds().PersonLabel(per2);
}

void RunScope::StartProgress(const LoaderTable& walked) {
    walked_ = &walked;
    ctx_.ui.SetProgressRange(static_cast<long>(walked.Tbl().RecCount()));
}

void RunScope::CountRecord() {
    if (++counted_ % progressEvery_ == 0 && walked_ != nullptr)
        ctx_.ui.SetProgress(static_cast<long>(walked_->RecNo()));
}

LoggedRunFunction::LoggedRunFunction(std::string_view key, long progressEvery)
    : progressEvery_(progressEvery) {
    const CatalogEntry* entry = FindCatalogEntry(std::string(key));
    if (entry == nullptr)
        throw Error(-1, ErrorSource("LoggedRunFunction", "LoggedRunFunction"),
                    "No catalog entry for the function " + std::string(key));
    entry_ = *entry;
}

void LoggedRunFunction::Run(RunContext& ctx, const ControlStates& options) {
    std::unique_ptr<LoggedRun> run = Prepare(ctx, options);
    if (!run || !ctx.ui.Confirm(run->confirmText))
        return;
    CLogFile& log = StartLog(ctx, LogTitle());
    WriteOptionLines(log, run->optionLines);
    if (!run->columnHeading.empty())
        log.LogLine(run->columnHeading);
    RunScope scope(ctx, progressEvery_);
    RunWalk(ctx, [&] { run->Walk(scope); });
    EndLog(ctx);
    ctx.ui.ResetProgress();
    run->WriteTotals(scope);
    FinishRun(ctx, run->ChangesData());
}

} // namespace hk
