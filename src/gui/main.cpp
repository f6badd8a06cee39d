// hearthkit: the desktop program. Start-up steps, then the main window until it closes.
#include <QApplication>
#include <QFileInfo>
#include <QStringList>

#include <iostream>

#include "app/folders.h"
#include "app/startup.h"
#include "app/tmg_project_session.h"
#include "functions/register_functions.h"
#include "gui/about_box.h"
#include "gui/app_icon.h"
#include "gui/main_window.h"
#include "qtsettings/qt_settings_store.h"
#include "run/function_catalog.h"
#include "run/program_info.h"
#include "support/error.h"
#include "support/find_and_replace.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ravelstone"));
    QApplication::setApplicationName(QString::fromStdString(hk::ProgramTitle()));
    QApplication::setWindowIcon(hk::AppIcon());

    hk::QtSettingsStore store;
    hk::Settings settings(store);
    hk::CRecentFiles recent(store);

    hk::StartupOptions options;
    options.programFolder = hk::FindProgramFolder();
    options.regexSelfTest = [] {
        if (auto problem = hk::RegExpSelfTest())
            throw hk::Error(-1, "Check Windows Script", *problem);
    };
    hk::QtUserInterface startupUi;
    if (options.programFolder.empty()) {
        // Without hearthkit.ini and compatibility.ini no project can be judged: say where the
        // folder was looked for and stop.
        const std::string text = hk::ProgramFolderNotFoundText(hk::ProgramFolderCandidates());
        std::cerr << "hearthkit: " << text << "\n";
        startupUi.Message(text, {}, hk::MsgIcon::Critical);
        return 2;
    }
    hk::StartupResult started = hk::RunStartup(options, startupUi, recent);
    if (!started.ok)
        return 1;

    hk::FunctionRegistry functions;
    hk::RegisterAllFunctions(functions);
    hk::TmgProjectSession session(settings, options.programFolder);
    hk::SystemClock clock;

    hk::MainWindowSetup setup;
    setup.settings = &settings;
    setup.session = &session;
    setup.functions = &functions;
    setup.clock = &clock;
    setup.recent = &recent;
    setup.programFolder = options.programFolder;
    setup.program = started.program;
    setup.folders = started.folders;
    setup.languageChoices = started.languageChoices;
    setup.withShowDatabase = hk::CommandLineShowsDatabase(
        QApplication::arguments().join(QLatin1Char(' ')).toStdString());

    hk::MainWindow window(setup);
    window.show();
    // The greeting of every start: the About box, closing by itself.
    (new hk::AboutBox(&window))->ShowBriefly(2500);
    // A project named on the command line (as the desktop file passes it), or the folder
    // holding one, opens at once.
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        if (args[i].endsWith(QLatin1String(".pjc"), Qt::CaseInsensitive) ||
            QFileInfo(args[i]).isDir()) {
            window.OpenChosenProject(args[i].toStdString());
            break;
        }
    int status = app.exec();
    store.Flush();
    return status;
}
