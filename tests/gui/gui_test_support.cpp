#include "gui_test_support.h"

#include <QApplication>
#include <QMessageBox>

#include "functions/register_functions.h"
#include "mktmg/generator.h"
#include "test_functions.h"

namespace hk::test {

DialogScript::DialogScript() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
}

DialogScript::~DialogScript() {
    timer_.stop();
}

DialogScript& DialogScript::Then(std::function<void(QWidget*)> step) {
    steps_.push_back(std::move(step));
    timer_.start();
    return *this;
}

void DialogScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == last_.data() || steps_.empty())
        return;
    last_ = modal;
    titles_.push_back(modal->windowTitle());
    auto* box = qobject_cast<QMessageBox*>(modal);
    texts_.push_back(box != nullptr ? box->text() : QString());
    auto step = std::move(steps_.front());
    steps_.pop_front();
    if (steps_.empty())
        timer_.stop();
    ++answered_;
    step(modal);
}

QAbstractButton* FindButton(QWidget* parent, const QString& text) {
    for (QAbstractButton* b : parent->findChildren<QAbstractButton*>())
        if (b->text().remove(QLatin1Char('&')) == text)
            return b;
    return nullptr;
}

std::function<void(QWidget*)> Press(const QString& text) {
    return [text](QWidget* dialog) {
        if (QAbstractButton* b = FindButton(dialog, text))
            b->click();
        else
            dialog->close();
    };
}

LocalTime SteppingClock::Now() const {
    LocalTime t{2024, 3, 1, 10, 0, 0};
    int n = calls_++;
    t.minute = n / 60;
    t.second = n % 60;
    return t;
}

std::string GenerateTestProject(const std::string& folder, const std::string& name, int datasets,
                                int people) {
    mktmg::GeneratorOptions o;
    o.pjcPath = folder + name + "__.pjc";
    o.people = people;
    o.seed = 11;
    o.datasets = datasets;
    mktmg::GenerateProject(o);
    return o.pjcPath;
}

WindowHarness::WindowHarness(std::function<void(MainWindowSetup&)> adjust,
                             std::unique_ptr<SettingsStore> givenStore) {
    store = givenStore ? std::move(givenStore) : std::make_unique<MemorySettingsStore>();
    settings = std::make_unique<Settings>(*store);
    recent = std::make_unique<CRecentFiles>(*store);
    recent->LoadFromKey();
    RegisterAllFunctions(functions);
    RegisterPanelStandIns(functions);
    session = std::make_unique<TmgProjectSession>(*settings, ProgramFolder());

    dir.Write("Logs/.keep", "");
    setup.settings = settings.get();
    setup.session = session.get();
    setup.functions = &functions;
    setup.clock = &clock;
    setup.recent = recent.get();
    setup.programFolder = ProgramFolder();
    setup.folders.dataFolder = dir.Folder();
    setup.folders.logFolder = dir.Folder() + "Logs/";
    setup.languageChoices = "ENGLISH||DUTCH";
    if (adjust)
        adjust(setup);
    window = std::make_unique<MainWindow>(setup);
    window->Ui().SetUrlOpener([this](const QUrl& url) {
        opened.push_back(url);
        return openSucceeds;
    });
}

WindowHarness::~WindowHarness() {
    window.reset();
}

std::string WindowHarness::ProgramFolder() const {
    return std::string(HK_SOURCE_DIR) + "/data/";
}

} // namespace hk::test
