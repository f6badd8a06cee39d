// The dialogs and the log window as the Qt user interface shows them: error dialog, the
// yes/no/to-all question, the dataset choice, the flag filter dialog, and the log window's
// loading, saving and closing.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "gui/flag_value_dialog.h"
#include "gui/log_window.h"
#include "gui/qt_user_interface.h"
#include "gui_test_support.h"
#include "run/yes_no.h"

using namespace hk;
using namespace hk::test;

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void errorDialogTextCanBeCopied() {
        QtUserInterface ui;
        QString shown;
        DialogScript script;
        script.Then([&](QWidget* dialog) {
            auto* text = dialog->findChild<QPlainTextEdit*>("txtMessage");
            QVERIFY(text->isReadOnly());
            shown = text->toPlainText();
            dialog->findChild<QPushButton*>("cmdCopyText")->click();
            dialog->findChild<QPushButton*>("cmdOK")->click();
        });
        ui.ShowErrorDialog("Hearthkit Error",
                           "Error -1 from [CTMGDB.OpenTable]\r\nDuplicate Alias: g");
        QCOMPARE(script.Answered(), 1);
        QCOMPARE(script.Titles().front(), QString("Hearthkit Error"));
        QCOMPARE(shown, QString("Error -1 from [CTMGDB.OpenTable]\nDuplicate Alias: g"));
        QCOMPARE(QApplication::clipboard()->text(), shown);
    }

    void toAllAnswersLastForTheRun() {
        QtUserInterface ui;
        CYesNo question(ui);
        DialogScript script;
        script.Then(Press("Yes to All"));
        QCOMPARE(question.AskYesNo("Add a marriage for #12 and #13?"), MsgAnswer::Yes);
        // Remembered: no dialog the second time.
        QCOMPARE(question.AskYesNo("Add a marriage for #14 and #15?"), MsgAnswer::Yes);
        QCOMPARE(script.Answered(), 1);
        QCOMPARE(script.Titles().front(), QString("Confirm"));

        question.Reset();
        DialogScript no;
        no.Then(Press("No")).Then(Press("No to All"));
        QCOMPARE(question.AskYesNo("again?"), MsgAnswer::No);
        QCOMPARE(question.AskYesNo("and again?"), MsgAnswer::No);
        QCOMPARE(question.AskYesNo("once more?"), MsgAnswer::No);
        QCOMPARE(no.Answered(), 2);
    }

    void datasetChoiceListsEveryDataset() {
        QtUserInterface ui;
        std::vector<DatasetChoice> datasets = {{1, "Main"}, {2, "Second", true}, {8, "Imported"}};
        QStringList entries;
        QString offered;
        DialogScript script;
        script.Then([&](QWidget* dialog) {
            auto* combo = dialog->findChild<QComboBox*>("cmbDataSets");
            offered = combo->currentText(); // the one chosen last time
            for (int i = 0; i < combo->count(); ++i)
                entries << combo->itemText(i);
            combo->setCurrentIndex(2);
            FindButton(dialog, "OK")->click();
        });
        QCOMPARE(ui.ChooseDataset(datasets), 8L);
        QCOMPARE(entries, (QStringList{"1: Main", "2: Second", "8: Imported"}));
        QCOMPARE(offered, QString("2: Second"));
        DialogScript cancel;
        cancel.Then(Press("Cancel"));
        QCOMPARE(ui.ChooseDataset(datasets), -1L);
    }

    void flagValueDialogFollowsItsChoices() {
        std::vector<FlagDefinition> flags = {{"LIVING", "Living", "?YN"}, {"FLAG1", "Print", "NY"}};
        FlagValueDialog dialog;
        CTMGFlagFilter filter;
        filter.SetFilter("FLAGX", false, "N");
        auto message = dialog.Start(flags, filter);
        QVERIFY(message.has_value());
        QCOMPARE(*message, std::string("FLAGX is not a custom flag field in this database."));

        auto* labels = dialog.findChild<QComboBox*>("cmbFlagLabels");
        auto* include = dialog.findChild<QComboBox*>("cmbInclude");
        auto* values = dialog.findChild<QLineEdit*>("txtValues");
        auto* ok = dialog.findChild<QPushButton*>("cmdOK");
        QCOMPARE(labels->currentText(), QString("<No flag field filter>"));
        QCOMPARE(include->currentText(), QString("Exclude"));
        QVERIFY(!values->isEnabled() && !include->isEnabled());
        QVERIFY(ok->isEnabled());

        dialog.show();
        labels->setCurrentIndex(2);
        QCOMPARE(dialog.findChild<QLabel*>("lblValues")->text(), QString("NY"));
        QVERIFY(values->isEnabled());
        values->clear();
        // Turn the values into a new edit: upper-cased as typed, the caret where it was.
        QTest::keyClicks(values, "yn");
        QCOMPARE(values->text(), QString("YN"));
        QCOMPARE(values->cursorPosition(), 2);
        values->setCursorPosition(1);
        QTest::keyClicks(values, "q");
        QCOMPARE(values->text(), QString("YQN"));
        QCOMPARE(values->cursorPosition(), 2);
        QTest::keyClick(values, Qt::Key_Backspace);
        QVERIFY(ok->isEnabled());
        values->selectAll();
        QTest::keyClick(values, Qt::Key_Delete);
        QVERIFY(!ok->isEnabled()); // a flag needs values
        QTest::keyClicks(values, "y");
        include->setCurrentIndex(1);
        ok->click();
        QCOMPARE(dialog.ReturnCode(), 1);
        dialog.ApplyTo(filter);
        QCOMPARE(filter.FlagField(), std::string("FLAG1"));
        QVERIFY(filter.IncludeValues());
        QCOMPARE(filter.FlagValues(), std::string("Y"));
    }

    void logWindowLoadsSavesAndAsksBeforeLosingEdits() {
        TempDir dir;
        std::string path = dir.Write("20240301-100000.log",
                                     std::string("Function=Fix Names\r\nCaf\xE9 R\xE9sum\xE9\r\n"));
        LogWindow log;
        QVERIFY(log.LoadFile(QString::fromStdString(path)));
        QCOMPARE(log.Text(),
                 QString::fromUtf8("Function=Fix Names\nCaf\xC3\xA9 R\xC3\xA9sum\xC3\xA9\n"));
        QVERIFY(log.windowTitle().startsWith("Hearthkit Log - 20240301-100000.log"));
        QVERIFY(!log.IsModified());
        QVERIFY(log.findChild<QPlainTextEdit*>("Text1")->font().fixedPitch() ||
                QFontInfo(log.findChild<QPlainTextEdit*>("Text1")->font()).fixedPitch());

        log.show();
        log.Error("bad value");
        log.Warning(QString::fromUtf8("\xE2\x82\xAC sign"));
        QVERIFY(log.IsModified());

        // Cancel keeps the window and the edits.
        DialogScript cancel;
        cancel.Then(Press("Cancel"));
        log.close();
        QCOMPARE(cancel.Answered(), 1);
        QCOMPARE(cancel.Texts().front(), QString("Save log to '20240301-100000.log'?"));
        QVERIFY(log.isVisible());

        DialogScript yes;
        yes.Then(Press("Yes"));
        log.close();
        QVERIFY(!log.isVisible());
        // Saved as it came: Windows-1252 with CR LF.
        QCOMPARE(hk::test::ReadBytes(path),
                 std::string("Function=Fix Names\r\nCaf\xE9 R\xE9sum\xE9\r\n"
                             "*ERROR* bad value\r\n*Warning* \x80 sign\r\n"));

        // Nothing unsaved: no question.
        log.show();
        DialogScript none;
        none.Then(Press("Yes"));
        log.close();
        QCOMPARE(none.Answered(), 0);
        QVERIFY(!log.LoadFile(QString::fromStdString(dir.Folder() + "missing.log")));
        QVERIFY(log.Text().isEmpty());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
