// The main window's work with a project: open and close, the option values kept per project,
// the flag filter, running a function, and help.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <filesystem>

#include "app/help_location.h"
#include "app/project_path.h"
#include "gui/flag_value_dialog.h"
#include "gui/log_window.h"
#include "gui/main_window.h"
#include "gui/option_panel.h"
#include "run/flag_filter_settings.h"
#include "run/function_catalog.h"
#include "run/option_persistence.h"
#include "run/program_info.h"
#include "run/run_frame.h"
#include "run/run_request.h"
#include "run/undo_records.h"
#include <filesystem>

namespace hk {
namespace {

// The hourglass while the window works without asking anything.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

std::string MainWindow::FileKey() const {
    return ProjectFileKey(setup_.session->Info().prefix);
}

bool MainWindow::LogOnly() const {
    return chkLogOnly_->isChecked();
}

void MainWindow::OpenDatabaseCommand() {
    std::string start = setup_.recent != nullptr ? setup_.recent->LastFolder() : std::string();
    auto path = ui_.ChooseOpenFile("Choose TMG Project:", "TMG Project|*.PJC", start);
    if (path)
        OpenChosenProject(*path);
}

bool MainWindow::OpenChosenProject(const std::string& named) {
    // A folder stands for the project inside it; the recent list keeps the project file.
    // The same project reached by another spelling ("a/../a/x__.pjc", its folder) is one
    // entry of the recent list.
    std::string path = named;
    try {
        std::error_code ec;
        path = LocateProject(named);
        std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            path = canonical.string();
    } catch (const std::exception&) {
        // the open below reports it
    }
    OpenResult result = OpenProjectFile(path);
    if (result != OpenResult::Failed && setup_.recent != nullptr) {
        setup_.recent->SelectFile(path);
        RebuildRecentMenu();
    }
    return result == OpenResult::Opened;
}

bool MainWindow::OpenRecentFile(int position) {
    if (setup_.recent == nullptr || position < 1 || position > setup_.recent->Count())
        return false;
    std::string path = setup_.recent->Item(position).fullPath;
    OpenResult result = OpenProjectFile(path);
    if (result == OpenResult::Failed) {
        setup_.recent->RemoveEntry(position);
        setup_.recent->LoadFromKey();
    } else {
        setup_.recent->SelectFile(path);
    }
    RebuildRecentMenu();
    return result == OpenResult::Opened;
}

OpenResult MainWindow::OpenProjectFile(const std::string& path) {
    if (setup_.session == nullptr)
        return OpenResult::Failed;
    OpenResult result;
    {
        WaitCursor wait;
        if (setup_.session->IsOpen()) {
            SaveOptions();
            setup_.session->Close();
            ProjectClosed();
        }
        OpenHooks hooks;
        hooks.setCaption = [this](const std::string& caption) {
            setWindowTitle(QString::fromStdString(caption));
        };
        result = setup_.session->Open(path, ui_, hooks);
    }
    if (result == OpenResult::Opened)
        ProjectOpened();
    else
        setWindowTitle(QString::fromStdString(ProgramTitle()));
    UpdatePanel();
    return result;
}

void MainWindow::ProjectOpened() {
    WaitCursor wait;
    setWindowTitle(QString::fromStdString(setup_.session->Caption()));
    // A project whose lists cannot be read still opens: its panels keep their leading entries.
    try {
        lists_ = setup_.session->Lists(setup_.languageChoices);
    } catch (const std::exception&) {
        lists_ = {};
    }
    for (auto& [index, panel] : panels_)
        panel->FillLists(&lists_);
    RestoreOptions(FileKey());
    RefreshUndoAvailable();
}

void MainWindow::RefreshUndoAvailable() {
    db::CTMGDB* db = setup_.session != nullptr ? setup_.session->Database() : nullptr;
    undoAvailable_ = false;
    if (db != nullptr && setup_.session->IsOpen()) {
        try {
            undoAvailable_ = !ListUndoRecords(*db, setup_.folders.logFolder).empty();
        } catch (const std::exception&) {
        }
    }
}

void MainWindow::UndoLastRunCommand() {
    db::CTMGDB* db = setup_.session != nullptr ? setup_.session->Database() : nullptr;
    if (db == nullptr || !setup_.session->IsOpen())
        return;
    std::vector<UndoRecord> records = ListUndoRecords(*db, setup_.folders.logFolder);
    if (records.empty()) {
        ui_.Message("There is no run of this project to undo.");
    } else if (ui_.Confirm(UndoQuestion(records.front()), "Undo Last Run")) {
        WaitCursor wait;
        // The loaders let go of their tables before the files under them are put back.
        setup_.session->AfterRun();
        try {
            ui_.Message(UndoLastRun(*db, setup_.folders.logFolder), "Undo Last Run",
                        MsgIcon::Information);
        } catch (const std::exception& e) {
            ShowError(ui_, e, 0);
        }
        setup_.session->AfterRun();
    }
    RefreshUndoAvailable();
    UpdatePanel();
}

void MainWindow::ProjectClosed() {
    lists_ = {};
    undoAvailable_ = false;
    for (auto& [index, panel] : panels_)
        panel->FillLists(nullptr);
    flagFilter_.SetFilter({}, true, {});
    RefreshFlagFilterText();
    setWindowTitle(QString::fromStdString(ProgramTitle()));
}

void MainWindow::CloseDatabaseCommand() {
    if (setup_.session == nullptr || !setup_.session->IsOpen())
        return;
    SaveOptions();
    setup_.session->Close();
    ProjectClosed();
    UpdatePanel();
}

void MainWindow::RestoreOptions(const std::string& fileKey) {
    Settings& settings = *setup_.settings;
    const std::string root(kSettingsRoot);
    db::CTMGDB* db = setup_.session != nullptr && setup_.session->IsOpen()
                         ? setup_.session->Database()
                         : nullptr;
    for (auto& [index, panel] : panels_) {
        ControlStates states = panel->States();
        // The functions fill their own lists from the project first, as the command line has
        // them do, so that the kept values are restored into the same lists.
        if (db != nullptr && !fileKey.empty())
            for (MaintenanceFunction* f : panel->Functions()) {
                try {
                    f->FillOptionLists(*db, settings, root, fileKey, states);
                } catch (const std::exception&) {
                    // A list the project cannot give stays empty; the run reports the fault.
                }
            }
        RestoreControls(settings, root, fileKey, panel->Declarations(), states);
        panel->ApplyStates(states);
    }
    ControlStates logOnly;
    logOnly["chkLogOnly"].value = chkLogOnly_->isChecked() ? 1 : 0;
    RestoreControls(settings, root, fileKey, {LogOnlyOption()}, logOnly);
    chkLogOnly_->setChecked(logOnly["chkLogOnly"].value == 1);

    if (!fileKey.empty()) {
        flagFilter_ = RestoreFlagFilter(settings, fileKey);
        RefreshFlagFilterText();
    }
}

void MainWindow::SaveOptions() {
    Settings& settings = *setup_.settings;
    const std::string root(kSettingsRoot);
    std::string fileKey = FileKey();
    for (auto& [index, panel] : panels_)
        SaveControls(settings, root, fileKey, panel->Declarations(), panel->States());
    ControlStates logOnly;
    logOnly["chkLogOnly"].value = chkLogOnly_->isChecked() ? 1 : 0;
    SaveControls(settings, root, fileKey, {LogOnlyOption()}, logOnly);
    SaveFlagFilter(settings, fileKey, flagFilter_);
    // The command line reads these as soon as the user runs it.
    settings.Store().Flush();
}

std::string MainWindow::FlagFilterDescription() const {
    return flagFilter_.Description(lists_.flags);
}

void MainWindow::RefreshFlagFilterText() {
    txtFlagFilter_->setText(QString::fromStdString(FlagFilterDescription()));
}

void MainWindow::SetFlagFilterCommand() {
    if (setup_.session == nullptr || !setup_.session->IsOpen())
        return;
    FlagValueDialog dialog(this);
    if (auto message = dialog.Start(lists_.flags, flagFilter_))
        ui_.Message(*message);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    QApplication::restoreOverrideCursor();
    if (dialog.ReturnCode() == FlagValueDialogModel::kReturnOk) {
        dialog.ApplyTo(flagFilter_);
        RefreshFlagFilterText();
    }
}

void MainWindow::RunFunction(int index) {
    if (setup_.session == nullptr || !setup_.session->IsOpen() || setup_.functions == nullptr)
        return;
    MaintenanceFunction* function = setup_.functions->FindByIndex(index);
    OptionPanel* panel = Panel(panelOf_.count(index) != 0 ? panelOf_.at(index) : -1);
    if (function == nullptr || panel == nullptr)
        return;
    ControlStates states = panel->States();
    if (!function->CanRun(states))
        return;

    RunRequest request;
    request.session = setup_.session;
    request.functionKey = function->Key();
    request.options = std::move(states);
    request.flagFilter = &flagFilter_;
    request.flagFilterDescription = FlagFilterDescription();
    request.logOnly = LogOnly();
    request.ui = &ui_;
    request.logFolder = setup_.folders.logFolder;
    request.programFolder = setup_.programFolder;
    WaitCursor wait;
    RunExecutor(*setup_.functions, *setup_.clock, *setup_.settings).Execute(request);
    ui_.ResetProgress();
    RefreshUndoAvailable();
    UpdatePanel();
}

void MainWindow::OpenHelpPage(const std::string& page) {
    ui_.OpenDocument(HelpPageLocation(setup_.programFolder, page));
}

void MainWindow::HelpContents() {
    OpenHelpPage(kHelpContentsPage);
}

void MainWindow::HelpCurrentWindow() {
    bool open = setup_.session != nullptr && setup_.session->IsOpen();
    auto it = keyOf_.find(currentFunction_);
    OpenHelpPage(CurrentWindowHelpPage(open, it == keyOf_.end() ? std::string() : it->second));
}

} // namespace hk
