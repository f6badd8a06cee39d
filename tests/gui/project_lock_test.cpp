// Two copies on one project, as a user meets them: while the window has a project open, the
// command-line program may read it (info, Log Only) but not change it; once the window closes
// the project, the same run goes through. The window's own run is refused the same way while
// another copy has the project open.
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "gui/error_dialog.h"
#include "gui/option_panel.h"
#include "gui_test_support.h"
#include "tmgdb/ctmgdb.h"

using namespace hk;
using namespace hk::test;

namespace {

struct CliResult {
    int exitCode = -1;
    QString output; // stdout and stderr
};

// The command-line program of this build, run as another process.
CliResult RunCli(const WindowHarness& h, const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(h.dir.Folder() + "home"));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(h.dir.Folder() + "home/.config"));
    env.insert("HEARTHKIT_DATA", QString::fromStdString(h.ProgramFolder()));
    cli.setProcessEnvironment(env);
    cli.setProcessChannelMode(QProcess::MergedChannels);
    cli.start(QStringLiteral(HK_CLI_PATH), args);
    if (!cli.waitForFinished(60000))
        return {};
    return {cli.exitCode(), QString::fromLocal8Bit(cli.readAll())};
}

} // namespace

class ProjectLockTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowKeepsOtherCopiesFromChangingItsProject() {
        WindowHarness h;
        std::filesystem::create_directories(h.dir.Folder() + "home");
        const std::string pjcPath = GenerateTestProject(h.dir.Folder(), "Gen", 1);
        const QString pjc = QString::fromStdString(pjcPath);
        const QString logs = QString::fromStdString(h.dir.Folder() + "clilogs");
        const QStringList run = {"run",   "setliving",    pjc,         "--dataset", "1", "--yes",
                                 "--opt", "MaxYear=1900", "--log-dir", logs};
        QVERIFY(h.window->OpenChosenProject(pjcPath));

        CliResult refused = RunCli(h, run);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.output.contains("Error (-61)"), qPrintable(refused.output));
        QVERIFY2(refused.output.contains("This application can not access TMG data when TMG has "
                                         "the database open. Please close TMG and try opening "
                                         "the dataset or project again."),
                 qPrintable(refused.output));
        QVERIFY(!refused.output.contains("Log: "));

        CliResult logOnly = RunCli(h, QStringList(run) << "--log-only");
        QVERIFY2(logOnly.exitCode == 0, qPrintable(logOnly.output));
        QVERIFY(logOnly.output.contains("Log: "));
        CliResult info = RunCli(h, {"info", pjc});
        QVERIFY2(info.exitCode == 0, qPrintable(info.output));
        QVERIFY(info.output.contains("Datasets:"));
        // Check Project only reads: it takes no write lock and goes through.
        CliResult check = RunCli(h, {"check", pjc, "--dataset", "1", "--log-dir", logs});
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
        QVERIFY(check.output.contains("Faults found=0"));

        h.window->CloseDatabaseCommand();
        CliResult after = RunCli(h, run);
        QVERIFY2(after.exitCode == 0, qPrintable(after.output));
        QVERIFY(after.output.contains("Log: "));

        // The other way round: another copy has the project open, the window's run is refused
        // with the error box before it asks anything, and its Log Only run goes through.
        QVERIFY(h.window->OpenChosenProject(pjcPath));
        db::CTMGDB other;
        other.SetReadOnly(true);
        other.OpenProject(pjcPath);
        h.window->SelectFunction(11);
        OptionPanel* panel = h.window->Panel(11);
        panel->findChild<QLineEdit*>("txtSLFYear")->setText("1900");
        auto* cmd = panel->findChild<QPushButton*>("cmds(11)");
        QString shown;
        DialogScript error;
        error.Then([&](QWidget* dialog) {
            auto* box = qobject_cast<ErrorDialog*>(dialog);
            QVERIFY(box != nullptr);
            shown = box->Text();
            box->accept();
        });
        cmd->click();
        QCOMPARE(error.Answered(), 1);
        QVERIFY2(shown.contains("Error (-61)"), qPrintable(shown));
        QCOMPARE(LogCount(h), 0);

        h.window->findChild<QCheckBox*>("chkLogOnly")->setChecked(true);
        DialogScript ok;
        ok.Then(Press("OK"));
        cmd->click();
        QCOMPARE(ok.Answered(), 1);
        QCOMPARE(LogCount(h), 1);
        h.window->CloseDatabaseCommand();
    }

private:
    static int LogCount(const WindowHarness& h) {
        std::error_code ec;
        int n = 0;
        for (auto it = std::filesystem::directory_iterator(h.LogFolder(), ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            n += it->path().extension() == ".log";
        return n;
    }
};

QTEST_MAIN(ProjectLockTest)
#include "project_lock_test.moc"
