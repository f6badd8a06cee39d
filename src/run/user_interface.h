#pragma once
// The UserInterface port: every question, message and progress report of the program goes
// through it, so the functions run the same under the window (Qt dialogs), the command line
// (flags and prompts) and tests (a scripted fake).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// The answers of the per-record question with "to all" buttons.
enum class YesNoAllAnswer { Yes, YesToAll, No, NoToAll };

// One dataset of a project, offered by ChooseDataset.
struct DatasetChoice {
    long dsid = 0;
    std::string name;
    bool lastChosen = false; // chosen when the project was opened before: offered first
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A message box. `title` empty means the program title.
    virtual MsgAnswer ShowMessageBox(std::string_view text, std::string_view title,
                                     MsgButtons buttons, MsgIcon icon) = 0;
    // The error dialog: read-only text the user can copy, under `caption`.
    virtual void ShowErrorDialog(std::string_view caption, std::string_view text) = 0;
    // The Yes / Yes to All / No / No to All dialog (caption "Confirm").
    virtual YesNoAllAnswer AskYesNoAll(std::string_view message) = 0;
    // Nothing when the user cancels.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText) = 0;
    // File choice; `filter` is "Description|*.ext" pairs joined by "|". Nothing on cancel.
    virtual std::optional<std::string> ChooseOpenFile(std::string_view title,
                                                      std::string_view filter,
                                                      std::string_view startFolder) = 0;
    virtual std::optional<std::string> ChooseSaveFile(std::string_view title,
                                                      std::string_view filter,
                                                      std::string_view startFolder,
                                                      std::string_view defaultName) = 0;
    // The chosen dataset's DSID, or -1 when the user cancels.
    virtual long ChooseDataset(const std::vector<DatasetChoice>& datasets) = 0;

    // The main window's progress bar and status bar.
    virtual void SetProgressRange(long maximum) = 0;
    virtual void SetProgress(long value) = 0;
    virtual void ResetProgress() = 0;
    virtual void SetStatusText(std::string_view text) = 0;

    // Loads a finished run log into the log window and shows it (not modal).
    virtual void ShowLog(const std::string& path) = 0;
    // Opens a document, folder or web address the way the desktop does.
    virtual void OpenDocument(const std::string& target) = 0;

    // The common shapes of a message box.
    // OK / Cancel with the question icon; true for OK.
    bool Confirm(std::string_view text, std::string_view title = "Confirm");
    // Yes / No with the question icon; true for Yes.
    bool AskYesNo(std::string_view text, std::string_view title);
    // A plain message with an OK button.
    void Message(std::string_view text, std::string_view title = {}, MsgIcon icon = MsgIcon::None);
};

} // namespace hk
