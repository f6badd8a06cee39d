// The main window driven as a user drives it: the catalog, panels, opening generated projects,
// a run with its confirmation and log, options kept per project, the splitter and the recent
// list.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <type_traits>

#include "cli/cli_app.h"
#include "gui/flag_value_dialog.h"
#include "gui/log_window.h"
#include "gui/option_panel.h"
#include "gui/tag_order_list.h"
#include "gui/toolbar_icons.h"
#include "gui_test_support.h"
#include "mktmg/reference_data.h"
#include "qtsettings/qt_settings_store.h"
#include "qtsettings/settings_file_format.h"
#include "run/option_persistence.h"
#include "run/program_info.h"
#include "support/test_project_builder.h"
#include "xbase/table.h"

using namespace hk;
using namespace hk::test;
using namespace hk::mktmg;
namespace fs = std::filesystem;

namespace {

QTreeWidgetItem* FindNode(QTreeWidget* tv, const QString& caption) {
    auto found = tv->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Clicks a node as the user does.
void ClickNode(QTreeWidget* tv, const QString& caption) {
    QTreeWidgetItem* item = FindNode(tv, caption);
    QVERIFY2(item != nullptr, qPrintable(caption));
    tv->scrollToItem(item);
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(item).center());
}

// "Category/Function" for every node under the root, in display order.
QStringList Paths(QTreeWidgetItem* node, const QString& prefix = {}) {
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        QString path = prefix.isEmpty() ? child->text(0) : prefix + "/" + child->text(0);
        out << path << Paths(child, path);
    }
    return out;
}

template <typename T> T* Child(QWidget* w, const QString& name) {
    T* found = w->findChild<T*>(name);
    if (found == nullptr)
        qWarning("no child %s", qPrintable(name));
    return found;
}

QWidget* CurrentPage(MainWindow& w) {
    return Child<QStackedWidget>(&w, "frmFunctions")->currentWidget();
}

// Opens a project whose single dataset needs no answer.
void OpenProject(WindowHarness& h, const std::string& pjc) {
    QVERIFY(h.window->OpenChosenProject(pjc));
}

// Opens a project of several datasets, choosing one in the dataset dialog.
void OpenDataset(WindowHarness& h, const std::string& pjc, int dsid) {
    DialogScript script;
    script.Then([dsid](QWidget* dialog) {
        auto* datasets = dialog->findChild<QComboBox*>("cmbDataSets");
        datasets->setCurrentIndex(datasets->findData(qlonglong(dsid)));
        FindButton(dialog, "OK")->click();
    });
    QVERIFY(h.window->OpenChosenProject(pjc));
    QCOMPARE(script.Answered(), 1);
    QCOMPARE(script.Titles().front(), QString("Choose TMG Dataset from Project"));
}

QString ReadLogAsShown(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    // The log is Windows-1252; the tests write only ASCII into it.
    return QString::fromLatin1(bytes).replace("\r\n", "\n");
}

QStringList LogFiles(const WindowHarness& h) {
    QStringList out;
    for (const auto& e : fs::directory_iterator(h.LogFolder()))
        if (e.path().extension() == ".log")
            out << QString::fromStdString(e.path().string());
    out.sort();
    return out;
}

// The log of a Log Only run of the command line, in-process over the window's settings and
// functions, as ReadLogAsShown gives it.
QString CliLog(WindowHarness& h, std::vector<std::string> args) {
    static int runs = 0;
    std::istringstream in;
    std::ostringstream out, err;
    cli::CliEnvironment env{
        h.functions, *h.store, in, out, err, h.ProgramFolder(), h.dir.Folder() + "docs"};
    env.clock = &h.clock;
    const std::string logs = h.dir.Folder() + "clilogs" + std::to_string(++runs);
    args.insert(args.end(), {"--yes", "--log-only", "--log-dir", logs});
    if (cli::RunCli(args, env) != 0)
        return QString::fromStdString("hearthkit-cli failed: " + err.str());
    QString log;
    for (const auto& e : fs::directory_iterator(logs))
        log = ReadLogAsShown(QString::fromStdString(e.path().string()));
    return log;
}

// A log with its times of day left out, for logs of two runs to compare byte for byte.
QString WithoutTimes(QString log) {
    static const QRegularExpression times("\n(Started at|Finished at|Elapsed Time=)[^\n]*");
    return log.replace(times, "\n<time>");
}

// A regular date in a year.
std::string InYear(int year) {
    char b[32];
    std::snprintf(b, sizeof b, "1%04d0000030000000000", year);
    return b;
}

// The value of a "label=value" line of a log as shown; "<none>" when there is no such line.
QString Total(const QString& log, const QString& label) {
    for (const QString& line : log.split('\n'))
        if (line.startsWith(label + "="))
            return line.mid(label.size() + 1);
    return "<none>";
}

// One field of every record of a table, trimmed, in record order.
std::vector<std::string> Column(const std::string& tablePath, const std::string& field) {
    std::vector<std::string> values;
    auto t = db::Table::Open(tablePath, {.writable = false});
    int f = t->FieldIndex(field);
    for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
        values.push_back(t->GetTrimmed(f));
    return values;
}

// The tag order lines of a Set Sort Dates log: "Name+" for a checked entry, "Name-" otherwise.
QStringList LoggedTagOrder(const QString& log) {
    QStringList out;
    QStringList lines = log.split('\n');
    for (qsizetype i = lines.indexOf("  Seq Type R/W Name") + 1; i > 0 && i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            break;
        out << lines[i].mid(15) + (lines[i].mid(11, 3) == " Y " ? "+" : "-");
    }
    return out;
}

// The tag order list as shown, in the same form.
QStringList ShownTagOrder(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return out;
}

// What is wrong with the layout of `area` as shown: a visible control that reaches outside
// it, is smaller than it needs to be, or covers another control. Empty when all is well.
QStringList LayoutFaults(QWidget* area) {
    QStringList faults;
    QList<QWidget*> controls;
    for (QWidget* w : area->findChildren<QWidget*>()) {
        bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                       qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                       qobject_cast<QAbstractItemView*>(w);
        if (control && w->isVisibleTo(area))
            controls << w;
    }
    auto name = [](QWidget* w) {
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        return QString("%1 %2 '%3'").arg(w->metaObject()->className(), w->objectName(), text);
    };
    auto rectOf = [area](QWidget* w) { return QRect(w->mapTo(area, QPoint(0, 0)), w->size()); };
    for (QWidget* w : controls) {
        QRect r = rectOf(w);
        if (!area->rect().contains(r))
            faults << name(w) + " reaches outside";
        QSize needed = w->minimumSizeHint();
        auto* label = qobject_cast<QLabel*>(w);
        if (label != nullptr && label->wordWrap())
            needed = QSize(0, label->heightForWidth(w->width()));
        if (w->width() < needed.width() || w->height() < needed.height())
            faults << name(w) + " is cut short";
        for (QWidget* other : controls)
            if (other < w && !w->isAncestorOf(other) && !other->isAncestorOf(w) &&
                r.intersects(rectOf(other)))
                faults << name(w) + " covers " + name(other);
    }
    return faults;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void catalogHasCategoriesAndFunctionsInOrder() {
        WindowHarness h;
        auto* tv = Child<QTreeWidget>(h.window.get(), "tv");
        QCOMPARE(tv->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tv->topLevelItem(0);
        QCOMPARE(root->text(0), QString("Functions"));
        // Each category, then its functions in order; "A/B" is function B under function A.
        const std::vector<QStringList> catalog = {
            {"People", "Set Birth Order", "Set Living=N", "Set Person Field",
             "Set Reference by Name", "Adjust Birth and Death", "Select DNA Descendants"},
            {"Names", "Add Married Names", "Add Standard Names", "Change Name Type",
             "Change Name Style", "Change Name Parts", "Capitalize Names", "Fix Names"},
            {"Events", "Add Events", "Add Marriages", "Change Event Type", "Fix Sort Dates",
             "Make P1 Male", "Set Year Only Dates"},
            {"Tags", "Set Sort Dates", "Delete Tags by Type"},
            {"Places", "Change Place Style", "Change Place Parts"},
            {"Styles", "Optimize Styles"},
            {"Sources", "Make Source Page"},
            {"Citations", "Change Citation Parts", "Set One-Citation Surety", "Exclude Citations",
             "Exclude Citations/... by Tag Type", "Exclude Citations/... by Source"},
            {"Exhibits", "Export Images", "Verify Exhibit Paths", "Edit Image Map"},
            {"Sentences", "Copy Custom Sentences"},
            {"Roles", "Assign Principal Role", "Change Role", "Show Role Usage"},
            {"Reports", "Person and Source"},
            {"Other", "Find And Replace", "Export Data", "Check Project"},
        };
        QStringList expected;
        for (const QStringList& category : catalog) {
            expected << category[0];
            for (const QString& function : category.mid(1))
                expected << category[0] + "/" + function;
        }
        QCOMPARE(Paths(root), expected);
        // Function nodes carry their panel index; categories none.
        QCOMPARE(FindNode(tv, "Set Living=N")->data(0, Qt::UserRole).toString(), QString("11"));
        QCOMPARE(FindNode(tv, "Check Project")->data(0, Qt::UserRole).toString(), QString("14"));
        QVERIFY(FindNode(tv, "Tags")->data(0, Qt::UserRole).toString().isEmpty());
        QCOMPARE(h.window->CurrentFunction(), -1);

        // The command-line switch adds Show Database as the last entry under Other.
        WindowHarness withSwitch([](MainWindowSetup& s) { s.withShowDatabase = true; });
        QStringList paths =
            Paths(Child<QTreeWidget>(withSwitch.window.get(), "tv")->topLevelItem(0));
        QCOMPARE(paths.size(), expected.size() + 1);
        QCOMPARE(paths.last(), QString("Other/Show Database"));
    }

    void functionsNotInThisBuildAreGreyedWithATip() {
        WindowHarness h;
        auto* tv = Child<QTreeWidget>(h.window.get(), "tv");
        const QColor normal = tv->palette().color(QPalette::Active, QPalette::Text);
        int greyed = 0;
        for (QTreeWidgetItem* item : tv->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive)) {
            QString tag = item->data(0, Qt::UserRole).toString();
            if (tag.isEmpty())
                continue; // a category
            // Its own function, or one its panel hosts (Capitalize Places on Capitalize Names).
            bool runs = h.functions.FindByIndex(tag.toInt()) != nullptr;
            for (const auto& f : h.functions.All())
                runs = runs || HostPanelOf(f->Index()) == tag.toInt();
            bool grey =
                item->foreground(0).color() != normal && item->foreground(0).style() != Qt::NoBrush;
            QVERIFY2(grey == !runs, qPrintable(item->text(0)));
            QCOMPARE(item->toolTip(0).contains("not available in this version"), !runs);
            greyed += grey ? 1 : 0;
        }
        QVERIFY(greyed > 0);
    }

    void selectingACategoryKeepsThePanel() {
        WindowHarness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        auto* tv = Child<QTreeWidget>(h.window.get(), "tv");

        // Without a project every choice shows the no-database panel.
        ClickNode(tv, "Set Living=N");
        QCOMPARE(h.window->CurrentFunction(), 11);
        QCOMPARE(CurrentPage(*h.window)->objectName(), QString("picNoDatabase"));
        QCOMPARE(qobject_cast<QLabel*>(CurrentPage(*h.window))->text(),
                 QString("No database is open."));

        OpenProject(h, GenerateTestProject(h.dir.Folder(), "Gen", 1));
        QCOMPARE(CurrentPage(*h.window)->objectName(), QString("frmFunctions(11)"));
        ClickNode(tv, "People");
        ClickNode(tv, "Exclude Citations");
        QCOMPARE(h.window->CurrentFunction(), 11);
        QCOMPARE(CurrentPage(*h.window)->objectName(), QString("frmFunctions(11)"));

        // Keyboard: moving down from a function to the next selects it.
        tv->setFocus();
        tv->setCurrentItem(FindNode(tv, "Set Living=N"));
        QTest::keyClick(tv, Qt::Key_Down);
        QCOMPARE(h.window->CurrentFunction(), 17);
        QCOMPARE(qobject_cast<QLabel*>(Child<QLabel>(CurrentPage(*h.window), "lblUnavailable"))
                     ->isVisible(),
                 true);

        // A function without a node of its own has its button on a related panel.
        ClickNode(tv, "Capitalize Names");
        QVERIFY(Child<QPushButton>(CurrentPage(*h.window), "cmds(7)") != nullptr);
        QVERIFY(Child<QPushButton>(CurrentPage(*h.window), "cmds(7)")->isEnabled());

        h.window->CloseDatabaseCommand();
        QCOMPARE(CurrentPage(*h.window)->objectName(), QString("picNoDatabase"));
        QCOMPARE(h.window->windowTitle(), QString("Hearthkit"));
    }

    void openingAProjectShowsThePanelAndFillsItsLists() {
        WindowHarness h;
        std::string pjc = GenerateTestProject(h.dir.Folder(), "Gen", 2);
        h.window->SelectFunction(2);
        OptionPanel* panel = h.window->Panel(2);
        auto* from = Child<QComboBox>(panel, "cmbCEEventTags1");
        auto* to = Child<QComboBox>(panel, "cmbCEEventTags2");
        QCOMPARE(from->count(), 1); // the leading entry only, before a project opens
        // The flag filter button follows the function, with or without a project.
        auto* filter = Child<QPushButton>(h.window.get(), "cmdSetFlagFilter");
        QVERIFY(filter->isEnabled());
        QCOMPARE(filter->text(), QString("Set Flag Filter..."));

        OpenDataset(h, pjc, 2);
        QVERIFY2(h.window->windowTitle().startsWith("Hearthkit - Gen:2 ("),
                 qPrintable(h.window->windowTitle()));
        QCOMPARE(CurrentPage(*h.window), static_cast<QWidget*>(panel));

        // Tag types of the project in name order, each with its number.
        QCOMPARE(from->itemText(0), QString("<Choose 'from' Event>"));
        QVERIFY(from->count() > 20);
        for (int i = 2; i < from->count(); ++i)
            QVERIFY2(from->itemText(i - 1).compare(from->itemText(i), Qt::CaseInsensitive) <= 0,
                     qPrintable(from->itemText(i)));
        int birth = from->findText("Birth");
        QVERIFY(birth > 0);
        QCOMPARE(from->itemData(birth).toLongLong(), 2LL);

        // Lists of the second dataset: its flag and its style are offered.
        OptionPanel* names = h.window->Panel(0);
        auto* nameTags = Child<QComboBox>(names, "cmbAMNNameTags");
        QVERIFY(nameTags->findText("Name-Var") > 0);
        QCOMPARE(nameTags->findText("Birth"), -1);
        QVERIFY(Child<QComboBox>(names, "cmbFlags")->findText("Checked") > 0);
        QVERIFY(Child<QComboBox>(names, "cmbAMNStyle")->findData(9LL) >= 0);
        QCOMPARE(Child<QComboBox>(names, "cmbAMNStyle")->findData(1LL), -1); // a place style
        auto* language = Child<QComboBox>(names, "cmbLanguage");
        QStringList languages;
        for (int i = 0; i < language->count(); ++i)
            languages << language->itemText(i);
        QCOMPARE(languages.mid(0, 4),
                 (QStringList{"<Choose a language>", "<All Languages>", "ENGLISH", "DUTCH"}));

        // The command button waits for both event types, and for two different ones.
        auto* cmd = Child<QPushButton>(panel, "cmds(2)");
        QVERIFY(!cmd->isEnabled());
        from->setCurrentIndex(birth);
        QVERIFY(!cmd->isEnabled());
        to->setCurrentIndex(to->findText("Birth"));
        QVERIFY(!cmd->isEnabled());
        to->setCurrentIndex(to->findText("Death"));
        QVERIFY(cmd->isEnabled());

        QVERIFY(filter->isEnabled());
        h.window->SelectFunction(12);
        QVERIFY(!filter->isEnabled());
        QCOMPARE(filter->text(), QString("<Filter Unavailable>"));

        // Cancelling the dataset choice leaves the project closed but recent.
        DialogScript cancel;
        cancel.Then(Press("Cancel"));
        QVERIFY(!h.window->OpenChosenProject(pjc));
        QCOMPARE(CurrentPage(*h.window)->objectName(), QString("picNoDatabase"));
        QCOMPARE(h.recent->Item(1).fullPath, pjc);
        QCOMPARE(from->count(), 1);
    }

    void setLivingRunsAfterItsConfirmationAndShowsItsLog() {
        WindowHarness h;
        h.window->show();
        // People with Living "?" and a birth, death, marriage or burial of their own before 1900
        // are the ones to mark; the others are there to be left alone.
        struct Someone {
            char living;
            int tag; // 0: no event
            int year;
        };
        const std::vector<Someone> people = {{'?', kTagBirth, 1850},    {'?', kTagBirth, 1950},
                                             {'Y', kTagBirth, 1800},    {'?', kTagDeath, 1899},
                                             {'?', kTagDeath, 1900},    {'N', kTagBirth, 1700},
                                             {'?', kTagMarriage, 1880}, {'?', kTagCensus, 1800},
                                             {'?', kTagBurial, 1890},   {'?', 0, 0},
                                             {'?', kTagBirth, 1777}};
        TestProjectBuilder b(h.dir.Folder() + "proj", "Gen");
        std::vector<std::string> expected; // Living of each person after the run
        long unknown = 0, marked = 0;
        for (const Someone& someone : people) {
            int p = b.Person('F', "Some", "One");
            b.PersonRecord(p).living = someone.living;
            if (someone.tag != 0)
                b.Event(someone.tag, p, 0, InYear(someone.year));
            bool bmdb = someone.tag == kTagBirth || someone.tag == kTagDeath ||
                        someone.tag == kTagMarriage || someone.tag == kTagBurial;
            bool mark = someone.living == '?' && bmdb && someone.year < 1900;
            unknown += someone.living == '?' ? 1 : 0;
            marked += mark ? 1 : 0;
            expected.push_back(mark ? "N" : std::string(1, someone.living));
        }
        const std::string pjc = b.Write();
        const std::string peopleTable = b.TablePath("$");
        const std::string folder = h.dir.Folder() + "proj";
        QVERIFY(marked >= 4 && marked < unknown);
        const auto before = Snapshot(folder);

        OpenProject(h, pjc);
        h.window->SelectFunction(11);
        OptionPanel* panel = h.window->Panel(11);
        auto* cmd = Child<QPushButton>(panel, "cmds(11)");
        auto* year = Child<QLineEdit>(panel, "txtSLFYear");
        QVERIFY(!cmd->isEnabled());
        QTest::keyClicks(year, "19x");
        QVERIFY(!cmd->isEnabled()); // not a year
        year->clear();
        QTest::keyClicks(year, "1900");
        QVERIFY(cmd->isEnabled());

        // Cancel: nothing is written.
        DialogScript cancel;
        cancel.Then(Press("Cancel"));
        cmd->click();
        QCOMPARE(cancel.Answered(), 1);
        QCOMPARE(cancel.Titles().front(), QString("Confirm"));
        QCOMPARE(cancel.Texts().front(), QString("Click [OK] to set Living=N for all people with "
                                                 "LIVING=? and BMDB events before 1900."));
        QVERIFY(LogFiles(h).isEmpty());
        QVERIFY(!h.window->Log()->isVisible());

        // Log Only: the whole log, no file touched.
        auto* logOnly = Child<QCheckBox>(h.window.get(), "chkLogOnly");
        logOnly->setChecked(true);
        // The panel shows the run's progress with its text while it goes on.
        auto* progress = Child<QProgressBar>(h.window.get(), "pbPanel");
        QStringList shown;
        connect(progress, &QProgressBar::valueChanged, progress, [&] {
            if (progress->isVisible())
                shown << progress->text();
        });
        DialogScript first;
        first.Then(Press("OK"));
        cmd->click();
        QCOMPARE(first.Answered(), 1);
        QVERIFY(!shown.isEmpty());
        QVERIFY2(shown.last().contains(QRegularExpression("^\\d+ of \\d+ records$")),
                 qPrintable(shown.join(" | ")));
        QVERIFY(!progress->isVisible());
        QStringList logs = LogFiles(h);
        QCOMPARE(logs.size(), 1);
        QString text = ReadLogAsShown(logs.first());
        QVERIFY(text.contains("\nLog Only=True\n"));
        QCOMPARE(Total(text, "Set Living 'N'"), QString::number(marked));
        h.window->CloseDatabaseCommand();
        QVERIFY(Snapshot(folder) == before); // neither the cancelled run nor Log Only wrote

        // The command line builds the same run request for the same executor.
        QCOMPARE(WithoutTimes(CliLog(h, {"run", "setliving", pjc, "--opt", "MaxYear=1900"})),
                 WithoutTimes(text));
        QVERIFY(Snapshot(folder) == before);

        // The run: the switch was kept for the project and is turned off again.
        OpenProject(h, pjc);
        QVERIFY(logOnly->isChecked());
        QCOMPARE(year->text(), QString("1900"));
        logOnly->setChecked(false);
        DialogScript ok;
        ok.Then(Press("OK"));
        cmd->click();
        QCOMPARE(ok.Answered(), 1);
        logs = LogFiles(h);
        QCOMPARE(logs.size(), 2);
        text = ReadLogAsShown(logs.last());
        QVERIFY(text.startsWith(QString::fromStdString(ProgramTitleAndVersion()) + "\n"));
        QVERIFY(text.contains("\nFunction=Set Living=N\n"));
        QVERIFY(text.contains("\nProject=Gen_ (" + QString::fromStdString(folder) + "/Gen_)\n"));
        QVERIFY(text.contains("\nLog Only=False\n"));
        QVERIFY(text.contains("\n  Before Year: 1900\n"));
        QCOMPARE(Total(text, "People"), QString::number(people.size()));
        QCOMPARE(Total(text, "People with Living '?'"), QString::number(unknown));
        QCOMPARE(Total(text, "Changed flag; event before 1900"), QString::number(marked));
        QCOMPARE(Total(text, "Set Living 'N'"), QString::number(marked));

        // The log window shows the file just written.
        LogWindow* log = h.window->Log();
        QVERIFY(log->isVisible());
        QCOMPARE(log->Text(), text);
        QCOMPARE(log->FileName(), logs.last());
        QVERIFY(log->windowTitle().contains(QFileInfo(logs.last()).fileName()));
        // The progress bar ran over the people's records and is put away after the run.
        auto* pb = Child<QProgressBar>(h.window.get(), "pb");
        QCOMPARE(pb->maximum(), static_cast<int>(people.size()));
        QCOMPARE(pb->value(), -1);
        QVERIFY(!pb->isVisible());

        h.window->CloseDatabaseCommand();
        QCOMPARE(Column(peopleTable, "LIVING"), expected);

        // File > Undo Last Run names the run, asks, and puts the project back as it was.
        QAction* undo = nullptr;
        for (QAction* a : h.window->findChildren<QAction*>())
            if (a->text() == "&Undo Last Run...")
                undo = a;
        QVERIFY(undo != nullptr);
        QVERIFY(!undo->isEnabled()); // no project open
        OpenProject(h, pjc);
        QVERIFY(undo->isEnabled());
        DialogScript undoing;
        undoing.Then(Press("OK")).Then(Press("OK"));
        undo->trigger();
        QCOMPARE(undoing.Answered(), 2);
        QVERIFY2(undoing.Texts().front().startsWith("Undo the run of Set Living=N started "),
                 qPrintable(undoing.Texts().front()));
        QVERIFY(undoing.Texts().back().contains("was undone"));
        QVERIFY(!undo->isEnabled()); // the only run is undone
        h.window->CloseDatabaseCommand();
        QVERIFY(Snapshot(folder) == before);
    }

    void optionsAndLogOnlyAreKeptPerProject() {
        TempDir settingsDir;
        const QString file = QString::fromStdString(settingsDir.Folder() + "Hearthkit.conf");
        WindowHarness h({}, std::make_unique<QtSettingsStore>(file));
        std::string a = GenerateTestProject(h.dir.Folder() + "a/", "Alpha", 1);
        std::string b = GenerateTestProject(h.dir.Folder() + "b/", "Beta", 1);
        auto* logOnly = Child<QCheckBox>(h.window.get(), "chkLogOnly");
        OptionPanel* living = h.window->Panel(11);
        OptionPanel* names = h.window->Panel(0);

        OpenProject(h, a);
        logOnly->setChecked(true);
        Child<QLineEdit>(living, "txtSLFYear")->setText("1850");
        Child<QCheckBox>(living, "chkUseParents")->setChecked(true);
        Child<QListWidget>(names, "lstAMNParts")->item(1)->setCheckState(Qt::Checked);
        OpenProject(h, b); // saves Alpha's values first
        logOnly->setChecked(false);
        Child<QLineEdit>(living, "txtSLFYear")->setText("1920");
        h.window->CloseDatabaseCommand();

        OpenProject(h, a);
        QVERIFY(logOnly->isChecked());
        QCOMPARE(Child<QLineEdit>(living, "txtSLFYear")->text(), QString("1850"));
        QVERIFY(Child<QCheckBox>(living, "chkUseParents")->isChecked());
        QCOMPARE(Child<QListWidget>(names, "lstAMNParts")->item(1)->checkState(), Qt::Checked);
        OpenProject(h, b);
        QVERIFY(!logOnly->isChecked());
        QCOMPARE(Child<QLineEdit>(living, "txtSLFYear")->text(), QString("1920"));
        h.window->CloseDatabaseCommand();

        // The file as another program (the command line) reads it: typed values per project.
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QSettings::SettingsMap map;
        QVERIFY(ReadTypedSettings(raw, map));
        QCOMPARE(map.value("File Preferences/Alpha_/Logging/Log Only"), QVariant(1u));
        QCOMPARE(map.value("File Preferences/Beta_/Logging/Log Only"), QVariant(0u));
        QCOMPARE(map.value("File Preferences/Alpha_/SetLiving/MaxYear"), QVariant("1850"));
        QCOMPARE(map.value("File Preferences/Alpha_/AddMarriedNames/Parts/001"),
                 QVariant("OtherName|1|0"));
        QtSettingsStore other(file);
        Settings settings(other);
        QCOMPARE(settings.GetSettingLong(kSettingsRoot, "File Preferences\\Alpha_\\Logging",
                                         "Log Only", -1),
                 1L);
    }

    void listsAFunctionFillsItselfFollowTheDatasetAndKeepTheirValues() {
        WindowHarness h;
        std::string pjc = GenerateTestProject(h.dir.Folder(), "Gen", 2);
        auto open = [&](int dsid) { OpenDataset(h, pjc, dsid); };
        auto texts = [](auto* control) {
            QStringList out;
            for (int i = 0; i < control->count(); ++i)
                if constexpr (std::is_same_v<decltype(control), QComboBox*>)
                    out << control->itemText(i);
                else
                    out << control->item(i)->text();
            return out;
        };
        OptionPanel* panel = h.window->Panel(15);
        auto* combo = Child<QComboBox>(panel, "cmbCNTHook");
        auto* list = Child<QListWidget>(panel, "lstCNTHook");
        QCOMPARE(texts(combo), QStringList{"<Choose>"});
        QCOMPARE(list->count(), 0);

        open(2);
        QCOMPARE(texts(combo), (QStringList{"<Choose>", "Dataset 2"}));
        QCOMPARE(combo->itemData(1).toLongLong(), 2LL);
        QCOMPARE(texts(list), (QStringList{"Gen_", "Dataset 2"}));
        list->item(1)->setCheckState(Qt::Checked);
        h.window->CloseDatabaseCommand();
        QCOMPARE(texts(combo), QStringList{"<Choose>"});
        QCOMPARE(list->count(), 0);

        // The kept check mark is restored onto the items the function gives.
        open(2);
        QCOMPARE(list->item(1)->checkState(), Qt::Checked);
        QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
        h.window->CloseDatabaseCommand();
        open(1);
        QCOMPARE(texts(combo), (QStringList{"<Choose>", "Dataset 1"}));
        QCOMPARE(texts(list), (QStringList{"Gen_", "Dataset 1"}));
        QCOMPARE(list->item(1)->checkState(), Qt::Unchecked);
    }

    void tagOrderIsFilledBySetSortDatesAndKeptPerProject() {
        WindowHarness h;
        TestProjectBuilder b(h.dir.Folder() + "proj", "Fam");
        b.Datasets({1, 2});
        TagTypeRec own; // a tag type of the second dataset only
        own.number = 3001;
        own.dsid = 2;
        own.name = "Aardvark";
        b.Add(own);
        int adam = b.Person('M', "Adam", "Undated");
        int birth = b.Event(kTagBirth, adam);
        int census = b.Event(kTagCensus, adam);
        const std::string pjc = b.Write();
        // Kept by an older version: a check mark and the name; then today's form.
        const std::string key =
            std::string(kSettingsRoot) + "\\" + ProjectFileKey("Fam_") + "\\Tags";
        h.store->SaveValue(key, "Count", SettingValue::Dword(2));
        h.store->SaveValue(key, "000", SettingValue::String("1Census"));
        h.store->SaveValue(key, "001", SettingValue::String("Birth|0|2"));

        auto open = [&](int dsid) { OpenDataset(h, pjc, dsid); };
        open(1);
        h.window->SelectFunction(12);
        OptionPanel* panel = h.window->Panel(12);
        auto* order = panel->findChild<TagOrderList*>();
        QVERIFY(order != nullptr);
        QCOMPARE(panel->findChildren<QListWidget*>("lstTags").size(), 1);
        auto* list = Child<QListWidget>(panel, "lstTags");
        // The kept entries, then the usual ones and the rest, checked as they are added.
        QStringList shown = ShownTagOrder(list);
        QCOMPARE(shown.mid(0, 4), (QStringList{"Census+", "Birth-", "Name-Var+", "Baptism+"}));
        QVERIFY(shown.size() > 20);
        QCOMPARE(shown.filter(QRegularExpression("-$")), QStringList{"Birth-"});
        QVERIFY(!shown.contains("Aardvark+"));
        QVERIFY(!shown.contains("Father-Bio+"));
        // The command button needs nothing more.
        QVERIFY(Child<QPushButton>(panel, "cmds(12)")->isEnabled());

        auto* up = Child<QPushButton>(order, "cmdUpDown(0)");
        auto* down = Child<QPushButton>(order, "cmdUpDown(1)");
        list->setCurrentRow(0);
        QVERIFY(!up->isEnabled() && down->isEnabled()); // the first entry cannot go up
        list->setCurrentRow(list->count() - 1);
        QVERIFY(up->isEnabled() && !down->isEnabled());
        list->setCurrentRow(1);
        up->click();
        QCOMPARE(list->currentRow(), 0); // the moved entry stays selected
        Child<QPushButton>(order, "cmdCheckAll(1)")->click();
        list->item(0)->setCheckState(Qt::Checked);
        auto states = panel->States();
        QCOMPARE(states.at("lstTags").items[0].text, std::string("Birth"));
        QCOMPARE(states.at("lstTags").items[0].data, 2L);
        const int count = list->count();
        h.window->CloseDatabaseCommand();
        QCOMPARE(list->count(), 0);
        QCOMPARE(h.store->QueryValue(key, "Count")->dword, static_cast<uint32_t>(count));

        // Another dataset: its own tag type joins the list, after what was kept.
        open(2);
        shown = ShownTagOrder(list);
        QCOMPARE(shown.mid(0, 3), (QStringList{"Birth+", "Census-", "Name-Var-"}));
        QVERIFY(shown.size() > count);
        QVERIFY(shown.mid(count).contains("Aardvark+"));
        h.window->CloseDatabaseCommand();

        // The run takes the order as the list shows it: Birth alone may be dated.
        open(1);
        DialogScript ok;
        ok.Then(Press("OK"));
        Child<QPushButton>(panel, "cmds(12)")->click();
        QCOMPARE(ok.Answered(), 1);
        QStringList logs = LogFiles(h);
        QCOMPARE(logs.size(), 1);
        QString text = ReadLogAsShown(logs.first());
        QCOMPARE(LoggedTagOrder(text), ShownTagOrder(list));
        QCOMPARE(Total(text, "Tags changed"), QString("1"));
        h.window->CloseDatabaseCommand();
        auto recNos = Column(b.TablePath("g"), "RECNO");
        auto srtDates = Column(b.TablePath("g"), "SRTDATE");
        auto srtDateOf = [&](int event) {
            auto at = std::find(recNos.begin(), recNos.end(), std::to_string(event));
            return at == recNos.end() ? std::string("<missing>") : srtDates[at - recNos.begin()];
        };
        QCOMPARE(srtDateOf(birth), std::string("101000101030000000000")); // 1 January 100
        QCOMPARE(srtDateOf(census), std::string());
    }

    void flagFilterIsChosenInItsDialogAndKept() {
        WindowHarness h;
        h.window->show();
        std::string pjc = GenerateTestProject(h.dir.Folder(), "Gen", 1);
        OpenProject(h, pjc);
        h.window->SelectFunction(34);
        auto* text = Child<QLineEdit>(h.window.get(), "txtFlagFilter");
        QCOMPARE(text->text(), QString("<No Filter>"));

        DialogScript script;
        script.Then([](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("frmTMGFlagValue"));
            auto* labels = dialog->findChild<QComboBox*>("cmbFlagLabels");
            auto* ok = dialog->findChild<QPushButton*>("cmdOK");
            labels->setCurrentIndex(labels->findText("Living"));
            QVERIFY(!ok->isEnabled());
            QTest::keyClicks(dialog->findChild<QLineEdit*>("txtValues"), "y");
            QCOMPARE(dialog->findChild<QLineEdit*>("txtValues")->text(), QString("Y"));
            ok->click();
        });
        Child<QPushButton>(h.window.get(), "cmdSetFlagFilter")->click();
        QCOMPARE(script.Answered(), 1);
        QCOMPARE(text->text(), QString("Living = 'Y'"));

        // Set Birth Order runs with the filter and says so in its log.
        Child<QCheckBox>(h.window.get(), "chkLogOnly")->setChecked(true);
        DialogScript ok;
        ok.Then(Press("OK"));
        Child<QPushButton>(h.window->Panel(34), "cmds(34)")->click();
        QCOMPARE(ok.Answered(), 1);
        QStringList logs = LogFiles(h);
        QCOMPARE(logs.size(), 1);
        const QString log = ReadLogAsShown(logs.first());
        QVERIFY(log.contains("\n  Flag Filter: Living = 'Y'\n"));

        h.window->CloseDatabaseCommand();
        QCOMPARE(text->text(), QString("<No Filter>"));
        // The command line runs the same request with the filter kept for the project.
        QCOMPARE(WithoutTimes(CliLog(h, {"run", "setbirthorder", pjc})), WithoutTimes(log));
        OpenProject(h, pjc);
        QCOMPARE(text->text(), QString("Living = 'Y'"));
        QCOMPARE(h.window->FlagFilter().FlagField(), std::string("LIVING"));
    }

    void everyPanelFitsTheWindowFrom1024x768() {
        WindowHarness h;
        OpenProject(h, GenerateTestProject(h.dir.Folder(), "Gen", 1));
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        auto* tv = Child<QTreeWidget>(h.window.get(), "tv");
        QList<int> indexes;
        for (QTreeWidgetItem* item : tv->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive))
            if (!item->data(0, Qt::UserRole).toString().isEmpty())
                indexes << item->data(0, Qt::UserRole).toInt();
        QCOMPARE(indexes.size(), 40);
        // The first size is the one the window starts with on a 1024x768 screen.
        for (QSize size :
             {QSize(960, 700), QSize(1024, 768), QSize(1280, 1024), QSize(1920, 1080)}) {
            h.window->resize(size);
            QCOMPARE(h.window->size(), size);
            for (int index : indexes) {
                h.window->SelectFunction(index);
                QApplication::processEvents();
                QWidget* panel = CurrentPage(*h.window);
                QCOMPARE(panel->objectName(), QString("frmFunctions(%1)").arg(index));
                QStringList faults = LayoutFaults(panel);
                QVERIFY2(faults.isEmpty(), qPrintable(QString("%1x%2 panel %3: %4")
                                                          .arg(size.width())
                                                          .arg(size.height())
                                                          .arg(index)
                                                          .arg(faults.join("; "))));
            }
            // The run switches below the panels, and the tree with every caption whole.
            QStringList faults = LayoutFaults(h.window->centralWidget());
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
            for (QTreeWidgetItem* item : tv->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive))
                QVERIFY2(tv->visualItemRect(item).right() < tv->viewport()->width() ||
                             !tv->visualItemRect(item).isValid(),
                         qPrintable(item->text(0)));
        }
    }

    void datasetDialogOffersTheDatasetChosenLastTime() {
        WindowHarness h;
        std::string pjc = GenerateTestProject(h.dir.Folder(), "Gen", 3);
        OpenDataset(h, pjc, 2);
        h.window->CloseDatabaseCommand();
        QString offered;
        DialogScript script;
        script.Then([&](QWidget* dialog) {
            offered = dialog->findChild<QComboBox*>("cmbDataSets")->currentText();
            FindButton(dialog, "OK")->click();
        });
        QVERIFY(h.window->OpenChosenProject(pjc));
        QVERIFY2(offered.startsWith("2: "), qPrintable(offered));
        QVERIFY2(h.window->windowTitle().contains(":2 ("), qPrintable(h.window->windowTitle()));
    }

    void runRowIsNeverCutAndTheWindowHasAMinimumThatFitsIt() {
        WindowHarness h;
        OpenProject(h, GenerateTestProject(h.dir.Folder(), "Gen", 1));
        h.window->SelectFunction(11); // a panel with the flag filter
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        auto* splitter = Child<QSplitter>(h.window.get(), "picSplitter");
        for (QSize size : {QSize(640, 480), QSize(300, 200)}) {
            h.window->resize(size);
            QApplication::processEvents();
            QVERIFY(h.window->width() >= h.window->minimumWidth());
            QVERIFY(h.window->minimumWidth() <= 640); // a 640x480 screen still takes it
            // The tree pulled as far right as it goes leaves the run row whole.
            splitter->setSizes({10000, 1});
            QApplication::processEvents();
            for (const char* name : {"chkLogOnly", "cmdSetFlagFilter"}) {
                auto* w = Child<QWidget>(h.window.get(), name);
                QVERIFY2(w->width() >= w->sizeHint().width(),
                         qPrintable(QString("%1 at %2: %3 < %4")
                                        .arg(name)
                                        .arg(h.window->width())
                                        .arg(w->width())
                                        .arg(w->sizeHint().width())));
                QRect r(w->mapTo(h.window.get(), QPoint(0, 0)), w->size());
                QVERIFY2(h.window->rect().contains(r),
                         qPrintable(QString("%1 at %2x%3: %4,%5 %6x%7")
                                        .arg(name)
                                        .arg(h.window->width())
                                        .arg(h.window->height())
                                        .arg(r.x())
                                        .arg(r.y())
                                        .arg(r.width())
                                        .arg(r.height())));
            }
        }
    }

    void splitterStopsAtItsMargins() {
        WindowHarness h;
        h.window->resize(1024, 768);
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        auto* splitter = Child<QSplitter>(h.window.get(), "picSplitter");
        QSplitterHandle* handle = splitter->handle(1);
        const int margin = h.window->TwipsToPixels(500);

        auto drag = [&](int toX) {
            QPoint start = handle->rect().center();
            QTest::mousePress(handle, Qt::LeftButton, {}, start);
            QPoint target = splitter->mapToGlobal(QPoint(toX, start.y()));
            QMouseEvent move(QEvent::MouseMove, handle->mapFromGlobal(target), target, Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(handle, &move);
            QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(target));
        };
        drag(-400);
        QCOMPARE(splitter->sizes().at(0), margin);
        drag(splitter->width() + 400);
        // The panel side stops at its margin or at the width of its run row, the wider.
        QCOMPARE(splitter->sizes().at(1), std::max(margin, splitter->widget(1)->minimumWidth()));
        drag(300);
        QVERIFY(std::abs(splitter->sizes().at(0) - 300) <= handle->width());

        QVERIFY(h.window->minimumWidth() >= h.window->TwipsToPixels(3000));
        h.window->resize(50, 600);
        QCOMPARE(h.window->width(), h.window->minimumWidth());
    }

    void recentListDropsTheTenthEntry() {
        WindowHarness h;
        std::string first = GenerateTestProject(h.dir.Folder() + "p0/", "Gen", 1);
        std::vector<std::string> paths{first};
        for (int i = 1; i < 10; ++i) {
            std::string folder = h.dir.Folder() + "p" + std::to_string(i);
            fs::copy(h.dir.Path() / "p0", folder, fs::copy_options::recursive);
            paths.push_back(folder + "/Gen__.pjc");
        }
        for (const std::string& p : paths)
            OpenProject(h, p);

        QList<QAction*> items;
        for (QAction* a : h.window->menuBar()->actions().first()->menu()->actions())
            if (a->objectName().startsWith("mnuRecent"))
                items << a;
        QCOMPARE(items.size(), 9);
        QVERIFY(items.first()->text().startsWith("&1 "));
        QVERIFY(items.first()->text().endsWith("p9/Gen__.pjc"));
        QVERIFY(items.last()->text().startsWith("&9 "));
        QVERIFY(items.last()->text().endsWith("p1/Gen__.pjc"));
        for (QAction* a : items)
            QVERIFY(!a->text().contains("/p0/"));

        // A recent project that no longer opens leaves the list.
        fs::remove_all(h.dir.Path() / "p5");
        DialogScript script;
        script.Then(Press("OK"));
        QVERIFY(!h.window->OpenRecentFile(5));
        QCOMPARE(script.Titles().front(), QString("Hearthkit Error"));
        QCOMPARE(h.recent->Count(), 8);
        for (int i = 1; i <= h.recent->Count(); ++i)
            QVERIFY(h.recent->Item(i).fullPath.find("/p5/") == std::string::npos);
        // One that opens moves to the top.
        QVERIFY(h.window->OpenRecentFile(4));
        QVERIFY(h.recent->Item(1).fullPath.find("/p6/") != std::string::npos);
    }

    void recentListHasOneEntryPerProjectHoweverItIsNamed() {
        WindowHarness h;
        std::string pjc = GenerateTestProject(h.dir.Folder() + "one/", "Gen", 1);
        OpenProject(h, pjc);
        OpenProject(h, h.dir.Folder() + "one");                   // its folder
        OpenProject(h, h.dir.Folder() + "one/../one//Gen__.pjc"); // another spelling
        QCOMPARE(h.recent->Count(), 1);
        QCOMPARE(h.recent->Item(1).fullPath, fs::weakly_canonical(pjc).string());
    }

    void helpOpensTheContentsOrTheCurrentPage() {
        WindowHarness local;
        // F1 and the toolbar's Help button are Help > Current Window.
        QAction* f1 = nullptr;
        for (QAction* a : local.window->findChildren<QAction*>())
            if (a->shortcut() == QKeySequence(Qt::Key_F1))
                f1 = a;
        QVERIFY(f1 != nullptr);
        QAction* button = local.window->findChild<QAction*>(QStringLiteral("Help"));
        QVERIFY(button != nullptr);
        // Our own icons, whatever the theme: they paint, and Open and Help differ.
        QAction* open = local.window->findChild<QAction*>(QStringLiteral("Open"));
        QVERIFY(open != nullptr);
        auto opaque = [](const QIcon& icon) {
            QImage image = icon.pixmap(24, 24).toImage();
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
            return n;
        };
        QVERIFY(opaque(button->icon()) > 150);
        QVERIFY(opaque(open->icon()) > 150);
        QCOMPARE(button->icon().pixmap(24, 24).toImage(), HelpIcon().pixmap(24, 24).toImage());
        QCOMPARE(open->icon().pixmap(24, 24).toImage(), OpenProjectIcon().pixmap(24, 24).toImage());
        button->trigger();
        QCOMPARE(local.opened.size(), size_t{1});
        f1->trigger();
        QCOMPARE(local.opened.back(), QUrl::fromLocalFile(QString::fromStdString(
                                          local.ProgramFolder() + "help/toc.htm")));
        local.window->SelectFunction(11);
        local.window->HelpCurrentWindow(); // no project: the contents
        QCOMPARE(local.opened.back(), QUrl::fromLocalFile(QString::fromStdString(
                                          local.ProgramFolder() + "help/toc.htm")));
        OpenProject(local, GenerateTestProject(local.dir.Folder(), "Gen", 1));
        local.window->HelpCurrentWindow();
        QCOMPARE(local.opened.back(), QUrl::fromLocalFile(QString::fromStdString(
                                          local.ProgramFolder() + "help/setliving.htm")));
        QVERIFY(QFile::exists(local.opened.back().toLocalFile()));
        local.window->HelpContents();
        QVERIFY(local.opened.back().toLocalFile().endsWith("/help/toc.htm"));
    }

    void failuresToOpenAPageOrTheLogFolderAreShown() {
        WindowHarness h;
        h.openSucceeds = false; // no program on the desktop shows it
        DialogScript script;
        script.Then(Press("OK")).Then(Press("OK"));
        h.window->HelpContents();
        QAction* logFolder = nullptr;
        for (QAction* a : h.window->findChildren<QAction*>())
            if (a->text() == QStringLiteral("Open &Log Folder"))
                logFolder = a;
        QVERIFY(logFolder != nullptr);
        logFolder->trigger();
        QCOMPARE(script.Answered(), 2);
        QVERIFY(script.Texts()[0].startsWith("Cannot open " +
                                             QString::fromStdString(h.ProgramFolder()) +
                                             "help/toc.htm: no program"));
        QVERIFY(
            script.Texts()[1].startsWith("Cannot open " + QString::fromStdString(h.LogFolder())));

        // A folder that is gone is named without asking the desktop.
        h.openSucceeds = true;
        std::filesystem::remove_all(h.LogFolder());
        size_t asked = h.opened.size();
        DialogScript gone;
        gone.Then(Press("OK"));
        logFolder->trigger();
        QCOMPARE(gone.Answered(), 1);
        QVERIFY(gone.Texts()[0].endsWith(": it does not exist."));
        QCOMPARE(h.opened.size(), asked);
    }

    void placementIsKeptBetweenRuns() {
        auto store = std::make_unique<MemorySettingsStore>();
        MemorySettingsStore* kept = store.get();
        QRect geometry;
        {
            WindowHarness h({}, std::move(store));
            h.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
            h.window->setGeometry(60, 50, 900, 640);
            geometry = h.window->geometry();
            h.window->close();
            Settings s(*kept);
            QCOMPARE(s.GetSettingLong(kSettingsRoot, "Windows\\Main", "Window\\Width", 0),
                     static_cast<long>(
                         std::lround(geometry.width() * 1440.0 / h.window->logicalDpiX())));
            // The harness gives its store back for the next start.
            store.reset(static_cast<MemorySettingsStore*>(h.store.release()));
        }
        WindowHarness again({}, std::move(store));
        QCOMPARE(again.window->geometry(), geometry);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
