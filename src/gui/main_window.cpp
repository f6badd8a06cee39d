#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include "app/window_placement.h"
#include "gui/about_box.h"
#include "gui/app_icon.h"
#include "gui/log_window.h"
#include "gui/option_panel.h"
#include "gui/toolbar_icons.h"
#include "run/function_catalog.h"
#include "run/program_info.h"

namespace hk {
namespace {

constexpr int kTagRole = Qt::UserRole;     // a function node's index as text
constexpr int kKeyRole = Qt::UserRole + 1; // the node's key
constexpr int kSplitterMarginTwips = 500;  // the splitter keeps this far from either edge
constexpr int kMinimumWidthTwips = 3000;   // the window is never narrower

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

int HostPanelOf(int functionIndex) {
    switch (functionIndex) {
    case 7:
        return 6; // Capitalize Places beside Capitalize Names
    case 13:
        return 34; // Set Group Number with the other people functions
    case 18:       // sentence export, import and language renaming beside Copy
    case 21:       // Custom Sentences
    case 25:
        return 22;
    default:
        return -1;
    }
}

MainWindow::MainWindow(const MainWindowSetup& setup, QWidget* parent)
    : QMainWindow(parent), setup_(setup), ui_(this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Q(ProgramTitle()));
    setWindowIcon(AppIcon());

    log_ = new LogWindow(this);
    log_->setWindowFlag(Qt::Window);
    log_->setWindowIcon(AppIcon());

    BuildWidgets();
    BuildMenus();
    BuildPanels();
    ui_.SetProgressBar(pb_);
    ui_.SetPanelProgressBar(pbPanel_);
    ui_.SetStatusBar(statusBar());
    ui_.SetLogWindow(log_);

    BuildCatalog();
    // Options kept for the program rather than a project (the window has none of its own yet).
    RestoreOptions({});
    RebuildRecentMenu();
    RestorePlacement();
    RefreshFlagFilterText();
    UpdatePanel();
    // Never narrower than the tree's margin and the whole run row beside it.
    setMinimumWidth(std::max(TwipsToPixels(kMinimumWidthTwips), minimumSizeHint().width()));
}

MainWindow::~MainWindow() = default;

int MainWindow::TwipsToPixels(int twips) const {
    return qRound(twips * logicalDpiX() / 1440.0);
}

void MainWindow::BuildWidgets() {
    tv_ = new QTreeWidget;
    tv_->setObjectName(QStringLiteral("tv"));
    tv_->setHeaderHidden(true);
    tv_->setColumnCount(1);
    tv_->setRootIsDecorated(true);
    tv_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tv_->header()->setStretchLastSection(false);
    tv_->setMinimumWidth(TwipsToPixels(kSplitterMarginTwips));
    connect(tv_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { TreeSelectionChanged(item); });
    connect(tv_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { TreeSelectionChanged(item); });

    stack_ = new QStackedWidget;
    stack_->setObjectName(QStringLiteral("frmFunctions"));
    auto* noDatabase = new QLabel(tr("No database is open."));
    noDatabase->setObjectName(QStringLiteral("picNoDatabase"));
    noDatabase->setAlignment(Qt::AlignCenter);
    picNoDatabase_ = noDatabase;
    auto* blank = new QLabel(tr("Choose a function in the list on the left."));
    blank->setObjectName(QStringLiteral("picBlank"));
    blank->setAlignment(Qt::AlignCenter);
    picBlank_ = blank;
    stack_->addWidget(picNoDatabase_);
    stack_->addWidget(picBlank_);

    chkLogOnly_ = new QCheckBox(tr("Log &Only (change nothing, write the log)"));
    chkLogOnly_->setObjectName(QStringLiteral("chkLogOnly"));
    cmdSetFlagFilter_ = new QPushButton(tr("<Filter Unavailable>"));
    cmdSetFlagFilter_->setObjectName(QStringLiteral("cmdSetFlagFilter"));
    connect(cmdSetFlagFilter_, &QPushButton::clicked, this, &MainWindow::SetFlagFilterCommand);
    txtFlagFilter_ = new QLineEdit;
    txtFlagFilter_->setObjectName(QStringLiteral("txtFlagFilter"));
    txtFlagFilter_->setReadOnly(true);
    txtFlagFilter_->setFocusPolicy(Qt::NoFocus);

    auto* runRow = new QHBoxLayout;
    runRow->addWidget(chkLogOnly_);
    runRow->addStretch(1);
    runRow->addWidget(cmdSetFlagFilter_);
    runRow->addWidget(txtFlagFilter_, 1);

    auto* right = new QWidget;
    right->setObjectName(QStringLiteral("picPanels"));
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(stack_, 1);
    pbPanel_ = new QProgressBar;
    pbPanel_->setObjectName(QStringLiteral("pbPanel"));
    pbPanel_->setFormat(tr("%v of %m records"));
    pbPanel_->setTextVisible(true);
    pbPanel_->setVisible(false);
    rightLayout->addWidget(pbPanel_);
    rightLayout->addLayout(runRow);
    // The run row is never cut ("Log On"): the button is as wide as its wider text, and the
    // panel side, and with it the window, never narrower than the row.
    int buttonWidth = cmdSetFlagFilter_->sizeHint().width();
    cmdSetFlagFilter_->setText(tr("Set Flag Filter..."));
    buttonWidth = std::max(buttonWidth, cmdSetFlagFilter_->sizeHint().width());
    cmdSetFlagFilter_->setMinimumWidth(buttonWidth);
    chkLogOnly_->setMinimumWidth(chkLogOnly_->sizeHint().width());
    QMargins margins = rightLayout->contentsMargins();
    right->setMinimumWidth(
        std::max(TwipsToPixels(kSplitterMarginTwips),
                 runRow->minimumSize().width() + margins.left() + margins.right()));

    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setObjectName(QStringLiteral("picSplitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tv_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    pb_ = new QProgressBar;
    pb_->setObjectName(QStringLiteral("pb"));
    pb_->setMaximumWidth(TwipsToPixels(3000));
    pb_->setTextVisible(false);
    pb_->setRange(0, 100);
    pb_->reset();
    statusBar()->addPermanentWidget(pb_);
    pb_->setVisible(false);
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));

    // Tab order: tree, the panel, then the run switches.
    setTabOrder(tv_, stack_);
    setTabOrder(stack_, chkLogOnly_);
    setTabOrder(chkLogOnly_, cmdSetFlagFilter_);
}

void MainWindow::BuildMenus() {
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    QAction* open = fileMenu_->addAction(OpenProjectIcon(), tr("&Open..."), QKeySequence::Open,
                                         this, &MainWindow::OpenDatabaseCommand);
    closeAction_ = fileMenu_->addAction(tr("&Close"), this, &MainWindow::CloseDatabaseCommand);
    undoAction_ =
        fileMenu_->addAction(tr("&Undo Last Run..."), this, &MainWindow::UndoLastRunCommand);
    fileMenu_->addAction(tr("Open &Log Folder"), this,
                         [this] { ui_.OpenDocument(setup_.folders.logFolder); });
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addSeparator();
    fileMenu_->addAction(tr("E&xit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    toolbarAction_ = view->addAction(tr("&Toolbar"));
    toolbarAction_->setCheckable(true);
    toolbarAction_->setChecked(true);
    statusBarAction_ = view->addAction(tr("Status &Bar"));
    statusBarAction_->setCheckable(true);
    statusBarAction_->setChecked(true);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Contents"), this, &MainWindow::HelpContents);
    QAction* current =
        help->addAction(HelpIcon(), tr("Current &Window"), QKeySequence::HelpContents, this,
                        &MainWindow::HelpCurrentWindow);
    help->addSeparator();
    help->addAction(tr("&About..."), this, &MainWindow::ShowAbout);

    toolbar_ = addToolBar(tr("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("tbToolBar"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* openButton = toolbar_->addAction(open->icon(), tr("Open"));
    openButton->setObjectName(QStringLiteral("Open"));
    connect(openButton, &QAction::triggered, this, &MainWindow::OpenDatabaseCommand);
    QAction* helpButton = toolbar_->addAction(current->icon(), tr("Help"));
    helpButton->setObjectName(QStringLiteral("Help"));
    connect(helpButton, &QAction::triggered, this, &MainWindow::HelpCurrentWindow);

    connect(toolbarAction_, &QAction::toggled, this, [this](bool on) {
        toolbar_->setVisible(on);
        ArrangeControls();
    });
    connect(statusBarAction_, &QAction::toggled, this, [this](bool on) {
        statusBar()->setVisible(on);
        ArrangeControls();
    });
}

void MainWindow::BuildPanels() {
    std::map<int, std::vector<MaintenanceFunction*>> onPanel;
    std::map<int, std::string> captions;
    for (const CatalogEntry& entry : CatalogEntries(setup_.withShowDatabase)) {
        onPanel[entry.index];
        captions[entry.index] = entry.caption;
        keyOf_[entry.index] = entry.key;
    }
    if (setup_.functions != nullptr) {
        // The catalog entry's own function first, then the ones it hosts.
        for (const auto& f : setup_.functions->All())
            if (onPanel.count(f->Index()) != 0)
                onPanel[f->Index()].push_back(f.get());
        for (const auto& f : setup_.functions->All()) {
            if (onPanel.count(f->Index()) != 0 && captions.count(f->Index()) != 0)
                continue;
            int host = HostPanelOf(f->Index());
            if (host < 0 || captions.count(host) == 0) {
                // Reachable only by its index, as the original's panel 5 was.
                host = f->Index();
                captions[host] = f->Caption();
            }
            onPanel[host].push_back(f.get());
        }
    }
    for (auto& [index, functions] : onPanel) {
        auto* panel = new OptionPanel(index, captions[index], functions);
        for (MaintenanceFunction* f : functions)
            panelOf_[f->Index()] = index;
        panels_[index] = panel;
        stack_->addWidget(panel);
        connect(panel, &OptionPanel::RunRequested, this, &MainWindow::RunFunction);
        connect(panel, &OptionPanel::OptionChanged, this, [this, panel] {
            if (panel->Index() == currentFunction_)
                UpdatePanel();
        });
    }
}

void MainWindow::BuildCatalog() {
    tv_->clear();
    std::map<std::string, QTreeWidgetItem*> nodes;
    auto* root = new QTreeWidgetItem(tv_, {tr(kCatalogRootCaption)});
    root->setData(0, kKeyRole, QString::fromLatin1(kCatalogRootKey));
    nodes[kCatalogRootKey] = root;
    // Each category with its functions, in display order: a sub-category follows the
    // functions of its parent.
    const std::vector<CatalogEntry> entries = CatalogEntries(setup_.withShowDatabase);
    // A catalog entry runs when a function of this build sits on its panel.
    std::set<int> runnable;
    for (const auto& [function, panel] : panelOf_)
        runnable.insert(panel);
    for (const CatalogCategory& c : CatalogCategories()) {
        auto* node = new QTreeWidgetItem(nodes.at(c.parentKey), {Q(c.caption)});
        node->setData(0, kKeyRole, Q(c.key));
        nodes[c.key] = node;
        for (const CatalogEntry& e : entries) {
            // An index past the panels is refused, as AddFunction did.
            if (e.categoryKey != c.key || e.index < 0 || e.index >= kCatalogSize)
                continue;
            auto* item = new QTreeWidgetItem(node, {Q(e.caption)});
            item->setData(0, kKeyRole, Q(e.key));
            item->setData(0, kTagRole, QString::number(e.index));
            if (runnable.count(e.index) == 0) {
                // Shown, so that the catalog stays whole, but not like the ones that work.
                item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
                item->setToolTip(0,
                                 tr("%1 is not available in this version yet.").arg(Q(e.caption)));
            }
        }
    }
    tv_->expandAll();
    // Wide enough for the longest caption, so that none is cut short.
    int wanted = static_cast<QAbstractItemView*>(tv_)->sizeHintForColumn(0) +
                 2 * tv_->frameWidth() + tv_->verticalScrollBar()->sizeHint().width() + 4;
    QList<int> sizes = splitter_->sizes();
    int total = sizes.value(0) + sizes.value(1);
    if (total > 0)
        splitter_->setSizes(
            {wanted, std::max(total - wanted, TwipsToPixels(kSplitterMarginTwips))});
    else
        splitter_->setSizes({wanted, 3 * wanted});
    SelectFunction(-1);
}

void MainWindow::TreeSelectionChanged(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    QString tag = item->data(0, kTagRole).toString();
    // A category node leaves the panel as it is.
    if (!tag.isEmpty() && tag.toInt() != currentFunction_)
        SelectFunction(tag.toInt());
}

void MainWindow::SelectFunction(int index) {
    currentFunction_ = index;
    UpdatePanel();
}

OptionPanel* MainWindow::Panel(int index) const {
    auto it = panels_.find(index);
    return it == panels_.end() ? nullptr : it->second;
}

void MainWindow::UpdatePanel() {
    bool open = setup_.session != nullptr && setup_.session->IsOpen();
    OptionPanel* panel = Panel(currentFunction_);
    if (!open)
        stack_->setCurrentWidget(picNoDatabase_);
    else if (panel != nullptr)
        stack_->setCurrentWidget(panel);
    else
        stack_->setCurrentWidget(picBlank_);

    if (panel != nullptr)
        panel->UpdateEnabled(open);

    // The flag filter follows the function alone, whether a project is open or not.
    bool filter = panel != nullptr && panel->UsesFlagFilter();
    cmdSetFlagFilter_->setEnabled(filter);
    cmdSetFlagFilter_->setText(filter ? tr("Set Flag Filter...") : tr("<Filter Unavailable>"));
    chkLogOnly_->setEnabled(open);
    closeAction_->setEnabled(open);
    undoAction_->setEnabled(open && undoAvailable_);
}

void MainWindow::ArrangeControls() {
    // The layouts place tree, splitter and panels; only the splitter's limits need keeping
    // when the client area changes.
    QList<int> sizes = splitter_->sizes();
    int margin = TwipsToPixels(kSplitterMarginTwips);
    int total = sizes.value(0) + sizes.value(1);
    if (sizes.size() == 2 && total > 2 * margin) {
        int left = std::clamp(sizes[0], margin, total - margin);
        splitter_->setSizes({left, total - left});
    }
}

void MainWindow::RebuildRecentMenu() {
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    if (setup_.recent == nullptr)
        return;
    QAction* before =
        fileMenu_->actions().value(fileMenu_->actions().indexOf(recentSeparator_) + 1);
    for (int i = 1; i <= setup_.recent->Count(); ++i) {
        QString text =
            QStringLiteral("&%1 ").arg(i) +
            Q(setup_.recent->ShortHand(i)).replace(QLatin1Char('&'), QLatin1String("&&"));
        auto* action = new QAction(text, fileMenu_);
        action->setObjectName(QStringLiteral("mnuRecent%1").arg(i));
        connect(action, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        fileMenu_->insertAction(before, action);
        recentActions_.append(action);
    }
}

void MainWindow::RestorePlacement() {
    // Room for the panels on a 1024x768 screen, unless a placement was stored.
    QRect available = screen() != nullptr ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    QSize size(std::min(960, available.width()), std::min(700, available.height()));
    resize(size);
    move(available.center() - rect().center());

    CSizeAndPosition placement(*setup_.settings);
    placement.SetRegKey(std::string(kSettingsRoot) + "\\Windows\\Main");
    WindowPlacement stored;
    if (!placement.RestorePosition(stored))
        return;
    QRect wanted(TwipsToPixels(stored.left), TwipsToPixels(stored.top), TwipsToPixels(stored.width),
                 TwipsToPixels(stored.height));
    // A placement from a screen that is gone would leave the window out of sight.
    bool visible = false;
    for (QScreen* s : QGuiApplication::screens())
        visible = visible || s->availableGeometry().intersects(wanted);
    if (wanted.width() > 0 && wanted.height() > 0 && visible)
        setGeometry(wanted);
    if (stored.windowState == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::SavePlacement() {
    QRect g = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (!g.isValid())
        g = geometry();
    auto twips = [this](int pixels) { return qRound(pixels * 1440.0 / logicalDpiX()); };
    WindowPlacement p;
    p.left = twips(g.left());
    p.top = twips(g.top());
    p.width = twips(g.width());
    p.height = twips(g.height());
    p.windowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    CSizeAndPosition placement(*setup_.settings);
    placement.SetRegKey(std::string(kSettingsRoot) + "\\Windows\\Main");
    placement.SavePosition(p);
}

void MainWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SavePlacement();
    log_->close();
    if (log_->isVisible()) {
        // The user kept the log window open to save its edits first.
        event->ignore();
        return;
    }
    if (setup_.session != nullptr && setup_.session->IsOpen()) {
        SaveOptions();
        setup_.session->Close();
    }
    setup_.settings->Store().Flush();
    event->accept();
}

} // namespace hk
