#pragma once
// What the GUI tests share: answering modal dialogs as they come up, finding buttons, a
// generated project, and the main window with everything it works with.
#include <QAbstractButton>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "app/tmg_project_session.h"
#include "gui/main_window.h"
#include "support/memory_settings_store.h"
#include "support/temp_dir.h"

namespace hk::test {

// Answers the modal dialogs that come up, in order: each step gets the next new modal widget.
// What the dialogs showed is kept (title and, for message boxes, the text).
class DialogScript {
public:
    DialogScript();
    ~DialogScript();
    DialogScript& Then(std::function<void(QWidget*)> step);
    int Answered() const { return answered_; }
    const std::vector<QString>& Titles() const { return titles_; }
    const std::vector<QString>& Texts() const { return texts_; }

private:
    void Poll();

    QTimer timer_;
    std::deque<std::function<void(QWidget*)>> steps_;
    QPointer<QWidget> last_;
    int answered_ = 0;
    std::vector<QString> titles_, texts_;
};

// The button of `parent` whose text (without "&") is `text`; null when there is none.
QAbstractButton* FindButton(QWidget* parent, const QString& text);
// Steps for DialogScript: press a message box button, or a button by its text.
std::function<void(QWidget*)> Press(const QString& text);

// A clock the test moves on, so that each run gets its own log file.
class SteppingClock : public Clock {
public:
    LocalTime Now() const override;

private:
    mutable int calls_ = 0;
};

// A generated project (people, names, events, tag types, styles, flags) with `datasets`
// datasets, in `folder`; returns its .pjc path.
std::string GenerateTestProject(const std::string& folder, const std::string& name, int datasets,
                                int people = 25);

// The main window over a project session, with the functions of this build and the panel
// stand-ins.
struct WindowHarness {
    // `adjust` changes the setup before the window is made; `store` replaces the memory store.
    explicit WindowHarness(std::function<void(MainWindowSetup&)> adjust = {},
                           std::unique_ptr<SettingsStore> store = nullptr);
    ~WindowHarness();

    TempDir dir;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<CRecentFiles> recent;
    FunctionRegistry functions;
    std::unique_ptr<TmgProjectSession> session;
    SteppingClock clock;
    MainWindowSetup setup;
    std::unique_ptr<MainWindow> window;
    std::vector<QUrl> opened; // documents and web pages the window asked to open
    bool openSucceeds = true; // what the desktop answers to opening one

    std::string ProgramFolder() const;
    std::string LogFolder() const { return setup.folders.logFolder; }
};

} // namespace hk::test
