#pragma once
// The frame every maintenance function runs in: the run log's header and footer, the end of a
// run (counts, the Log Only note, showing the log), and the one way errors are shown.
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "run/run_context.h"

namespace hk {

// The largest log that opens in the log window without asking first.
inline constexpr long long kLargeLogBytes = 256000;

inline constexpr std::string_view kLogOnlyNote =
    "No changes were made because the Log Only option is selected.";

// The line after the "*ERROR* " of a run whose changes are taken back.
inline constexpr std::string_view kRunUndoneNote =
    "The changes of this run were undone; the project is as it was before it.";

// Opens a new log named by the start time in ctx.logFolder, writes the header, and sets
// ctx.runStartTime. Returns the log, which ctx.log owns.
CLogFile& StartLog(RunContext& ctx, std::string_view functionCaption);
// The footer: finish time and elapsed time.
void EndLog(RunContext& ctx);
// Counts, the Log Only note when `changesData`, close, then show the log (asking first when it
// is larger than kLargeLogBytes).
void FinishRun(RunContext& ctx, bool changesData);

// "Error " number [" from " source] [" (SubLoc=" n ")"] CR LF description.
std::string ErrorText(long number, std::string_view source, std::string_view description,
                      long subLoc);
// The same for any exception: an hk::Error keeps its number and source; anything else is
// error -1 without a source.
std::string ErrorText(const std::exception& e, long subLoc);
// Shows the error dialog and returns its text (the caller keeps it as LastErrorText).
std::string ShowError(UserInterface& ui, const std::exception& e, long subLoc);
// The same inside a run: the text goes to ctx.lastErrorText.
void ShowError(RunContext& ctx, const std::exception& e, long subLoc);
// The error dialog's box for a long result text the user may want to copy.
void ShowMessage(UserInterface& ui, std::string_view text);

// Runs a function's record walk. An error that escapes it is shown once and logged as an
// "*ERROR* " line; the run then goes on to EndLog, totals and FinishRun. False after an error.
bool RunWalk(RunContext& ctx, const std::function<void()>& walk);
// Runs a command with the project's tables under ctx.logOnly (and back to writing after); a
// run not under Log Only of a function that writes holds the project's exclusive lock, and is
// refused (-61) while another copy has the project open. Errors that escape the function are shown
// with ShowError(0). `afterRun` (replacing the record factory) is called whether the function
// succeeded or not.
bool DispatchCommand(RunContext& ctx, const std::function<void(RunContext&)>& function,
                     const std::function<void()>& afterRun = {});

} // namespace hk
