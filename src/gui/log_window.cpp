#include "gui/log_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include "run/program_info.h"
#include "support/text.h"

namespace hk {
namespace {

QString FromDisk(const QByteArray& bytes) {
    std::string utf8 = Cp1252ToUtf8(std::string_view(bytes.constData(), bytes.size()));
    QString text = QString::fromStdString(utf8);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QByteArray ToDisk(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    std::string bytes = Utf8ToCp1252(text.toStdString());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

LogWindow::LogWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Log"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    text1_->setFont(font);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    setCentralWidget(text1_);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { Save(); });
    file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
    file->addAction(tr("&Print..."), QKeySequence::Print, this, &LogWindow::Print);
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Undo"), QKeySequence::Undo, text1_, &QPlainTextEdit::undo);
    edit->addSeparator();
    edit->addAction(tr("Cu&t"), QKeySequence::Cut, text1_, &QPlainTextEdit::cut);
    edit->addAction(tr("&Copy"), QKeySequence::Copy, text1_, &QPlainTextEdit::copy);
    edit->addAction(tr("&Paste"), QKeySequence::Paste, text1_, &QPlainTextEdit::paste);
    edit->addSeparator();
    edit->addAction(tr("Select &All"), QKeySequence::SelectAll, text1_, &QPlainTextEdit::selectAll);

    connect(text1_->document(), &QTextDocument::modificationChanged, this,
            [this](bool) { UpdateCaption(); });
    resize(760, 560);
    UpdateCaption();
}

bool LogWindow::LoadFile(const QString& path) {
    QFile file(path);
    fileName_ = path;
    if (!file.open(QIODevice::ReadOnly)) {
        text1_->clear();
        text1_->document()->setModified(false);
        UpdateCaption();
        return false;
    }
    text1_->setPlainText(FromDisk(file.readAll()));
    text1_->document()->setModified(false);
    UpdateCaption();
    return true;
}

QString LogWindow::Text() const {
    return text1_->toPlainText();
}

bool LogWindow::IsModified() const {
    return text1_->document()->isModified();
}

void LogWindow::Clear() {
    text1_->clear();
}

void LogWindow::Redraw(bool on) {
    text1_->setUpdatesEnabled(on);
}

void LogWindow::TextOut(const QString& text) {
    QTextCursor cursor(text1_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void LogWindow::LineOut(const QString& text) {
    TextOut(text + QLatin1Char('\n'));
}

void LogWindow::NewLine() {
    TextOut(QStringLiteral("\n"));
}

void LogWindow::Error(const QString& text) {
    LineOut(QStringLiteral("*ERROR* ") + text);
}

void LogWindow::Warning(const QString& text) {
    LineOut(QStringLiteral("*Warning* ") + text);
}

bool LogWindow::SaveTo(const QString& path) {
    QSaveFile file(path);
    QByteArray bytes = ToDisk(Text());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        QMessageBox::warning(this, QString::fromStdString(ProgramTitle()),
                             tr("Error saving %1:").arg(path) + QStringLiteral("\r\n") +
                                 file.errorString());
        return false;
    }
    fileName_ = path;
    text1_->document()->setModified(false);
    UpdateCaption();
    return true;
}

bool LogWindow::Save() {
    return fileName_.isEmpty() ? SaveAs() : SaveTo(fileName_);
}

bool LogWindow::SaveAs() {
    QString path = QFileDialog::getSaveFileName(this, tr("Save Log As"), fileName_,
                                                tr("Log files (*.log);;All files (*)"));
    return !path.isEmpty() && SaveTo(path);
}

void LogWindow::Print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        text1_->print(&printer);
}

void LogWindow::closeEvent(QCloseEvent* event) {
    if (IsModified()) {
        QString target = fileName_.isEmpty() ? tr("file")
                                             : QLatin1Char('\'') + QFileInfo(fileName_).fileName() +
                                                   QLatin1Char('\'');
        auto answer = QMessageBox::question(
            this, QString::fromStdString(ProgramTitle()), tr("Save log to %1?").arg(target),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !Save())) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::No)
            text1_->document()->setModified(false);
    }
    event->accept();
}

void LogWindow::UpdateCaption() {
    QString caption = QString::fromStdString(ProgramTitle()) + QStringLiteral(" Log");
    if (!fileName_.isEmpty())
        caption += QStringLiteral(" - ") + QFileInfo(fileName_).fileName();
    setWindowTitle(caption + QStringLiteral("[*]"));
    setWindowModified(IsModified());
}

} // namespace hk
