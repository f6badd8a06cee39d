#pragma once
// QtUserInterface: the UserInterface port in the window: Qt message boxes and dialogs
// (error dialog, yes/no/to-all, dataset choice, file choice), the main window's progress bar
// and status bar, and the log window.
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QString>
#include <QUrl>
#include <functional>

#include "run/user_interface.h"

#include "gui/log_window.h"

namespace hk {

class QtUserInterface : public UserInterface {
public:
    // Dialogs are owned by `parent` (may be null before the main window exists).
    explicit QtUserInterface(QWidget* parent = nullptr);

    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetProgressBar(QProgressBar* bar) { progress_ = bar; }
    // The bar in the panel area that shows the run's progress with its text ("12 of 40").
    void SetPanelProgressBar(QProgressBar* bar) { panelProgress_ = bar; }
    void SetStatusBar(QStatusBar* bar) { status_ = bar; }
    void SetLogWindow(LogWindow* log) { log_ = log; }
    // How documents and web addresses are opened (QDesktopServices by default).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

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

private:
    QPointer<QWidget> parent_;
    QPointer<QProgressBar> progress_;
    QPointer<QProgressBar> panelProgress_;
    QElapsedTimer sinceRepaint_;
    QPointer<QStatusBar> status_;
    QPointer<LogWindow> log_;
    std::function<bool(const QUrl&)> openUrl_;
};

// "TMG Project|*.PJC" as a Qt file dialog filter, each pattern in both letter cases:
// "TMG Project (*.PJC *.pjc)".
QString QtFileFilter(std::string_view filter);
// A local path as a file URL; a web address ("scheme://...") as it is.
QUrl DocumentUrl(const std::string& target);

} // namespace hk
