#pragma once
// frmMain: the program's main window. The catalog tree `tv` on the left, the option panel of
// the selected function on the right, menus, toolbar, status bar with the progress bar `pb`,
// the "Log Only" switch and the flag filter. It opens and closes projects, keeps their option
// values, and runs the functions in the run frame.
#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "app/folders.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "formats/flag_filter.h"
#include "gui/qt_user_interface.h"
#include "run/clock.h"
#include "run/maintenance_function.h"
#include "run/project_session.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace hk {

class LogWindow;
class OptionPanel;

// What the window works with; everything is owned by the caller and outlives the window.
struct MainWindowSetup {
    Settings* settings = nullptr;
    ProjectSession* session = nullptr;
    const FunctionRegistry* functions = nullptr;
    const Clock* clock = nullptr;
    CRecentFiles* recent = nullptr;
    std::string programFolder;
    ProgramSettings program;
    UserFolders folders;
    std::string languageChoices; // "||"-joined, from hearthkit.ini
    bool withShowDatabase = false;
};

// The panel a function without a catalog entry of its own shows its button on (-1: none).
int HostPanelOf(int functionIndex);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowSetup& setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The catalog: root, categories and functions; then no function selected.
    void BuildCatalog();
    void SelectFunction(int index);
    int CurrentFunction() const { return currentFunction_; }
    // Brings every control in line with the project, the selection and the options.
    void UpdatePanel();

    // File > Open: asks for a ".PJC" file, then OpenChosenProject.
    void OpenDatabaseCommand();
    // Opens a project and, when it opened, puts it at the top of the recent list.
    bool OpenChosenProject(const std::string& path);
    // A recent-file item (position from 1): moved to the top when it opens, dropped when not.
    bool OpenRecentFile(int position);
    // Closes any open project (saving its option values), then opens this one.
    OpenResult OpenProjectFile(const std::string& path);
    // File > Close: saves the option values and closes the project.
    void CloseDatabaseCommand();
    // File > Undo Last Run: names the newest run of the project that can be undone, asks, and
    // puts back what it changed.
    void UndoLastRunCommand();

    // The command button cmds(index): runs the function in the run frame.
    void RunFunction(int index);
    // The flag filter button: the "Set Flag Value Filter" dialog.
    void SetFlagFilterCommand();
    void OpenHelpPage(const std::string& page);
    void HelpContents();
    void HelpCurrentWindow();
    void ShowAbout();

    bool LogOnly() const;
    const CTMGFlagFilter& FlagFilter() const { return flagFilter_; }
    QtUserInterface& Ui() { return ui_; }
    LogWindow* Log() const { return log_; }
    OptionPanel* Panel(int index) const;
    // Screen pixels for a length in twips (1440 to the inch).
    int TwipsToPixels(int twips) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWidgets();
    void RefreshUndoAvailable();
    void BuildMenus();
    void BuildPanels();
    void RebuildRecentMenu();
    void ArrangeControls();
    void TreeSelectionChanged(QTreeWidgetItem* item);

    std::string FileKey() const;
    void RestoreOptions(const std::string& fileKey);
    void SaveOptions();
    void ProjectOpened();
    void ProjectClosed();
    void RestorePlacement();
    void SavePlacement();
    void RefreshFlagFilterText();
    std::string FlagFilterDescription() const;

    MainWindowSetup setup_;
    QtUserInterface ui_;
    int currentFunction_ = -1;
    ProjectLists lists_;
    CTMGFlagFilter flagFilter_;

    QTreeWidget* tv_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QWidget* picNoDatabase_ = nullptr;
    QWidget* picBlank_ = nullptr;
    QCheckBox* chkLogOnly_ = nullptr;
    QPushButton* cmdSetFlagFilter_ = nullptr;
    QLineEdit* txtFlagFilter_ = nullptr;
    QProgressBar* pb_ = nullptr;
    QProgressBar* pbPanel_ = nullptr; // the run's progress with its text, above the run row
    QToolBar* toolbar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    bool undoAvailable_ = false; // the open project has a run that can be undone
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QAction* toolbarAction_ = nullptr;
    QAction* statusBarAction_ = nullptr;
    LogWindow* log_ = nullptr;
    std::map<int, OptionPanel*> panels_; // by panel index
    std::map<int, int> panelOf_;         // function index -> panel index
    std::map<int, std::string> keyOf_;   // panel index -> catalog key
};

} // namespace hk
