#include "run/run_frame.h"

#include <cmath>
#include <filesystem>
#include <new>
#include <system_error>

#include "run/program_info.h"
#include "support/error.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

CLogFile& StartLog(RunContext& ctx, std::string_view functionCaption) {
    LocalTime now = ctx.clock.Now();
    auto log = std::make_unique<CLogFile>(&ctx.clock);
    log->OpenNew(ctx.logFolder + FormatLogStamp(now));
    ctx.log = std::move(log);
    CLogFile& out = *ctx.log;
    out.LogLine(ProgramTitleAndVersion());
    out.LogLine(LegalNotice());
    out.LogBlankLine();
    out.LogLine("Function=" + std::string(functionCaption));
    out.LogLine("Project=" + ctx.project.prefix + " (" + ctx.project.folder + ctx.project.prefix +
                ")");
    out.LogLine("Dataset=" + ctx.project.datasetName);
    out.LogLine(std::string("Log Only=") + (ctx.logOnly ? "True" : "False"));
    out.LogLine("Started at " + FormatTimeOfDay(now));
    out.LogBlankLine();
    ctx.runStartTime = now;
    return out;
}

void EndLog(RunContext& ctx) {
    LocalTime now = ctx.clock.Now();
    ctx.log->LogBlankLine();
    ctx.log->LogLine("Finished at " + FormatTimeOfDay(now));
    ctx.log->LogLine("Elapsed Time=" + ElapsedTimeText(ctx.runStartTime, now));
}

void FinishRun(RunContext& ctx, bool changesData) {
    CLogFile& log = *ctx.log;
    log.LogCounts(3);
    if (changesData && ctx.logOnly) {
        log.LogBlankLine();
        log.LogLine(kLogOnlyNote);
    }
    log.Close();

    std::error_code ec;
    auto size = std::filesystem::file_size(log.FileName(), ec);
    long long bytes = ec ? 0 : static_cast<long long>(size);

    bool open = bytes >= 1;
    if (bytes > kLargeLogBytes) {
        auto kilobytes = std::llround(static_cast<double>(bytes) / 1024.0);
        open = ctx.ui.AskYesNo("The log file is quite large (" + FormatThousands(kilobytes) +
                                   "k).\r\n\r\nOpen it anyway?",
                               "Open Log File");
        if (!open)
            ctx.ui.Message("The log file is too large to be edited by this program.\r\n"
                           "Use another text editor to view it. The file is\r\n" +
                           log.FileName() + ".");
    }
    if (open)
        ctx.ui.ShowLog(log.FileName());
}

std::string ErrorText(long number, std::string_view source, std::string_view description,
                      long subLoc) {
    std::string text = "Error " + std::to_string(number);
    if (!source.empty())
        text += " from " + std::string(source);
    if (subLoc != 0)
        text += " (SubLoc=" + std::to_string(subLoc) + ")";
    return text + "\r\n" + std::string(description);
}

std::string ErrorText(const std::exception& e, long subLoc) {
    if (const auto* err = dynamic_cast<const Error*>(&e))
        return ErrorText(err->Number(), err->Source(), err->Description(), subLoc);
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr)
        return ErrorText(7, "", "Out of memory", subLoc);
    return ErrorText(-1, "", e.what(), subLoc);
}

std::string ShowError(UserInterface& ui, const std::exception& e, long subLoc) {
    std::string text = ErrorText(e, subLoc);
    ui.ShowErrorDialog(ProgramTitle() + " Error", text);
    return text;
}

void ShowError(RunContext& ctx, const std::exception& e, long subLoc) {
    ctx.lastErrorText = ShowError(ctx.ui, e, subLoc);
}

void ShowMessage(UserInterface& ui, std::string_view text) {
    ui.ShowErrorDialog(ProgramTitle(), text);
}

bool RunWalk(RunContext& ctx, const std::function<void()>& walk) {
    try {
        walk();
        return true;
    } catch (const std::exception& e) {
        ShowError(ctx, e, 0);
        if (ctx.log && ctx.log->IsOpen())
            ctx.log->LogError(ctx.lastErrorText);
        return false;
    }
}

bool DispatchCommand(RunContext& ctx, const std::function<void(RunContext&)>& function,
                     const std::function<void()>& afterRun) {
    bool ok = true;
    // Log Only lives in the table layer: for this run every table of the project writes
    // nothing, whatever the function does.
    // Every tag the run seeks in is spot-checked first, so a misread index stops the run
    // before it writes.
    if (ctx.db) {
        ctx.db->SetLogOnly(ctx.logOnly);
        ctx.db->SetCheckTags(true);
    }
    try {
        // A run that may change the project keeps every other copy out until it ends; while
        // another copy has the project open it is refused before it starts its log.
        if (ctx.db && !ctx.logOnly && ctx.writesProject)
            ctx.db->LockForWriting();
        function(ctx);
    } catch (const std::exception& e) {
        ShowError(ctx, e, 0);
        ok = false;
    }
    if (ctx.db) {
        ctx.db->SetLogOnly(false);
        ctx.db->SetCheckTags(false);
        try {
            ctx.db->UnlockWriting();
        } catch (const std::exception& e) {
            ShowError(ctx, e, 0);
            ok = false;
        }
    }
    // A function that failed before FinishRun must not leave its log open for the next run.
    if (ctx.log && ctx.log->IsOpen()) {
        try {
            ctx.log->Close();
        } catch (const std::exception&) {
        }
    }
    if (afterRun)
        afterRun();
    return ok;
}

} // namespace hk
