#include "run/run_frame.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "run/program_info.h"
#include "run/undo_records.h"
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
    if (ctx.db) {
        if (const auto& recovered = ctx.db->RecoveredRun()) {
            out.LogLine("*NOTE* " + db::CTMGDB::RecoveredRunMessage(*recovered));
            out.LogBlankLine();
            ctx.db->ClearRecoveredRun();
        }
        if (ctx.db->RunArmed())
            ctx.db->SetRunInfo({.function = ctx.functionCaption.empty()
                                                ? std::string(functionCaption)
                                                : ctx.functionCaption,
                                .startedAt = FormatDateTime(now),
                                .logFile = out.FileName()});
    }
    return out;
}

void EndLog(RunContext& ctx) {
    LocalTime now = ctx.clock.Now();
    ctx.log->LogBlankLine();
    ctx.log->LogLine("Finished at " + FormatTimeOfDay(now));
    ctx.log->LogLine("Elapsed Time=" + ElapsedTimeText(ctx.runStartTime, now));
    if (ctx.db && ctx.db->RunArmed()) {
        char megabytes[32];
        std::snprintf(megabytes, sizeof megabytes, "%.1f",
                      static_cast<double>(ctx.db->RunJournalBytes()) / (1024.0 * 1024.0));
        ctx.log->LogLine(std::string("Journal=") + megabytes + " MB");
    }
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

namespace {

// Shows an error of a run and logs it while the log is open; a journaled run then writes
// nothing more, is noted as undone, and is put back when the run frame ends it.
void ReportRunError(RunContext& ctx, const std::exception& e, bool journaled) {
    ShowError(ctx, e, 0);
    const bool logged = ctx.log && ctx.log->IsOpen();
    if (logged)
        ctx.log->LogError(ctx.lastErrorText);
    if (journaled) {
        ctx.db->Journal().Abort();
        if (logged)
            ctx.log->LogLine(std::string(kRunUndoneNote));
    }
}

// Commits the run and keeps its undo record, or, after a failure, puts the project back. A
// failure here is shown; the journal then stays for the next open to roll back.
void EndJournaledRun(RunContext& ctx, bool& ok) {
    db::CTMGDB& db = *ctx.db;
    try {
        if (!ok || db.Journal().Aborted()) {
            db.RollBackRun();
            return;
        }
        db::JournalInfo info = db.CommitRun();
        // A run that only made scratch files (private indexes) and removed them changed
        // nothing that could be undone.
        if (info.complete && !info.after.empty())
            KeepUndoRecord(db, info, ctx.logFolder);
        else if (info.complete)
            db.BaseFs().Remove(db.JournalPath());
    } catch (const std::exception& e) {
        ShowError(ctx, e, 0);
        ok = false;
        try {
            if (db.RunArmed())
                db.RollBackRun();
        } catch (const std::exception& again) {
            ShowError(ctx, again, 0);
        }
    }
}

} // namespace

bool RunWalk(RunContext& ctx, const std::function<void()>& walk) {
    bool journaled = ctx.db && ctx.db->RunArmed();
    try {
        walk();
        // What the tables hold back reaches the disk now, so that a failing disk is reported
        // (and the run taken back) while the log is still open.
        if (journaled)
            ctx.db->FlushRun();
        return true;
    } catch (const std::exception& e) {
        ReportRunError(ctx, e, journaled);
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
    bool journaled = false;
    try {
        // A run that may change the project keeps every other copy out until it ends; while
        // another copy has the project open it is refused before it starts its log. What it
        // overwrites is journaled, so that it can be taken back.
        if (ctx.db && !ctx.logOnly && ctx.writesProject) {
            ctx.db->LockForWriting();
            ctx.db->BeginRun({});
            journaled = true;
        }
        function(ctx);
    } catch (const std::exception& e) {
        ok = false;
        ReportRunError(ctx, e, journaled && ctx.db->RunArmed());
    }
    // A function that failed before FinishRun must not leave its log open for the next run.
    if (ctx.log && ctx.log->IsOpen()) {
        try {
            ctx.log->Close();
        } catch (const std::exception&) {
        }
    }
    // The loaders close their tables first: only then has every page reached the files. A
    // close that fails makes the run one to take back.
    if (afterRun) {
        try {
            afterRun();
        } catch (const std::exception& e) {
            ShowError(ctx, e, 0);
            ok = false;
        }
    }
    if (journaled && ctx.db->RunArmed())
        EndJournaledRun(ctx, ok);
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
    return ok;
}

} // namespace hk
