#pragma once
// The UserInterface of the command line: questions are answered by flags (--yes, --dataset)
// or asked on the terminal; with no terminal and no flag they are refused. Messages go to
// stderr, a progress bar too when stderr is a terminal.
#include <iosfwd>
#include <string>

#include "run/user_interface.h"

namespace hk::cli {

struct TerminalOptions {
    bool assumeYes = false;   // --yes: every confirmation answered OK / Yes / Yes to All
    long dataset = -2;        // --dataset N; -2 when not given
    bool interactive = false; // stdin is a terminal: questions may be asked
    bool progressBar = false; // stderr is a terminal: draw a progress bar
};

class TerminalUserInterface final : public UserInterface {
public:
    TerminalUserInterface(TerminalOptions options, std::istream& in, std::ostream& err);

    MsgAnswer ShowMessageBox(std::string_view text, std::string_view title, MsgButtons buttons,
                             MsgIcon icon) override;
    void ShowErrorDialog(std::string_view caption, std::string_view text) override;
    YesNoAllAnswer AskYesNoAll(std::string_view message) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                              std::string_view startFolder) override;
    std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                              std::string_view startFolder,
                                              std::string_view defaultName) override;
    long ChooseDataset(const std::vector<DatasetChoice>& datasets) override;
    void SetProgressRange(long maximum) override;
    void SetProgress(long value) override;
    void ResetProgress() override;
    void SetStatusText(std::string_view text) override;
    void ShowLog(const std::string& path) override;
    void OpenDocument(const std::string& target) override;

    // The last log shown and whether a question was refused for want of a terminal.
    const std::string& LogPath() const { return logPath_; }
    bool Refused() const { return refused_; }
    const std::string& RefusedWhat() const { return refusedWhat_; }

private:
    std::optional<std::string> Ask(std::string_view prompt);
    void Refuse(std::string_view what);
    void ClearBar();

    TerminalOptions options_;
    std::istream& in_;
    std::ostream& err_;
    long progressMax_ = 0;
    int lastPercent_ = -1;
    bool barShown_ = false;
    std::string logPath_;
    bool refused_ = false;
    std::string refusedWhat_;
};

} // namespace hk::cli
