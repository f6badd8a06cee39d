#include "gui/qt_user_interface.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>

#include "gui/dataset_dialog.h"
#include "gui/error_dialog.h"
#include "gui/log_window.h"
#include "gui/yes_no_dialog.h"
#include "run/program_info.h"

namespace hk {
namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Dialogs show the normal arrow, whatever the program was doing.
class ArrowCursor {
public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

QString Title(std::string_view title) {
    return title.empty() ? QString::fromStdString(ProgramTitle()) : Q(title);
}

} // namespace

QString QtFileFilter(std::string_view filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& variant : {p, p.toLower(), p.toUpper()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

QUrl DocumentUrl(const std::string& target) {
    QString t = QString::fromStdString(target);
    if (t.contains(QLatin1String("://")))
        return QUrl(t);
    return QUrl::fromLocalFile(t);
}

QtUserInterface::QtUserInterface(QWidget* parent)
    : parent_(parent), openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

MsgAnswer QtUserInterface::ShowMessageBox(std::string_view text, std::string_view title,
                                          MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(Title(title));
    box.setText(Q(text));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    ArrowCursor arrow;
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        // Closing the box counts as its way out: Cancel, or No where there is no Cancel.
        return buttons == MsgButtons::YesNo ? MsgAnswer::No
               : buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                            : MsgAnswer::Cancel;
    }
}

void QtUserInterface::ShowErrorDialog(std::string_view caption, std::string_view text) {
    ErrorDialog dialog(Q(caption), Q(text), parent_);
    ArrowCursor arrow;
    dialog.exec();
}

YesNoAllAnswer QtUserInterface::AskYesNoAll(std::string_view message) {
    YesNoDialog dialog(Q(message), parent_);
    ArrowCursor arrow;
    dialog.exec();
    return dialog.Answer();
}

std::optional<std::string> QtUserInterface::InputBox(std::string_view prompt,
                                                     std::string_view title,
                                                     std::string_view defaultText) {
    bool ok = false;
    ArrowCursor arrow;
    QString text = QInputDialog::getText(parent_, Title(title), Q(prompt), QLineEdit::Normal,
                                         Q(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtUserInterface::ChooseOpenFile(std::string_view title,
                                                           std::string_view filter,
                                                           std::string_view startFolder) {
    ArrowCursor arrow;
    QString path =
        QFileDialog::getOpenFileName(parent_, Title(title), Q(startFolder), QtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtUserInterface::ChooseSaveFile(std::string_view title,
                                                           std::string_view filter,
                                                           std::string_view startFolder,
                                                           std::string_view defaultName) {
    QString start = Q(startFolder);
    if (!defaultName.empty())
        start = start.isEmpty() ? Q(defaultName) : start + QLatin1Char('/') + Q(defaultName);
    ArrowCursor arrow;
    QString path = QFileDialog::getSaveFileName(parent_, Title(title), start, QtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

long QtUserInterface::ChooseDataset(const std::vector<DatasetChoice>& datasets) {
    DatasetDialog dialog(datasets, parent_);
    ArrowCursor arrow;
    dialog.exec();
    return dialog.ChosenDsid();
}

void QtUserInterface::SetProgressRange(long maximum) {
    for (QProgressBar* bar : {progress_.data(), panelProgress_.data()}) {
        if (bar == nullptr)
            continue;
        bar->reset();
        bar->setVisible(true);
        bar->setRange(0, static_cast<int>(std::max(0L, maximum)));
    }
    sinceRepaint_.invalidate();
    SetProgress(0);
}

void QtUserInterface::SetProgress(long value) {
    for (QProgressBar* bar : {progress_.data(), panelProgress_.data()})
        if (bar != nullptr)
            bar->setValue(static_cast<int>(std::min<long>(value, bar->maximum())));
    // Runs do not return to the event loop until they end: a few times a second the window
    // paints now (what a closed dialog uncovered, the bars). No events are handled meanwhile,
    // so nothing can close the project under the run.
    if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= 100) {
        sinceRepaint_.start();
        for (QProgressBar* bar : {panelProgress_.data(), progress_.data()})
            if (bar != nullptr && bar->window()->isVisible()) {
                bar->window()->repaint();
                break;
            }
    }
}

void QtUserInterface::ResetProgress() {
    for (QProgressBar* bar : {progress_.data(), panelProgress_.data()}) {
        if (bar == nullptr)
            continue;
        bar->reset();
        // Shown only while a run goes on.
        bar->setVisible(false);
    }
}

void QtUserInterface::SetStatusText(std::string_view text) {
    if (status_) {
        status_->showMessage(Q(text));
        status_->repaint();
    }
}

void QtUserInterface::ShowLog(const std::string& path) {
    if (!log_)
        return;
    log_->LoadFile(QString::fromStdString(path));
    log_->show();
    log_->raise();
    log_->activateWindow();
}

void QtUserInterface::OpenDocument(const std::string& target) {
    QUrl url = DocumentUrl(target);
    // A failure shows in the window, not only on a terminal nobody reads.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        Message("Cannot open " + target + ": it does not exist.", {}, MsgIcon::Exclamation);
    else if (!openUrl_(url))
        Message("Cannot open " + target +
                    ": no program to show it was found. Open it yourself from a file manager "
                    "or a browser.",
                {}, MsgIcon::Exclamation);
}

} // namespace hk
