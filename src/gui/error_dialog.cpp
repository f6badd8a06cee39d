#include "gui/error_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace hk {

ErrorDialog::ErrorDialog(const QString& caption, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmErrorMessage"));
    setWindowTitle(caption);

    auto* icon = new QLabel(this);
    int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);

    txtMessage_ = new QPlainTextEdit(this);
    txtMessage_->setObjectName(QStringLiteral("txtMessage"));
    txtMessage_->setReadOnly(true);
    txtMessage_->setPlainText(text);
    txtMessage_->setMinimumSize(420, 140);

    cmdCopyText_ = new QPushButton(tr("&Copy Text to Clipboard"), this);
    cmdCopyText_->setObjectName(QStringLiteral("cmdCopyText"));
    cmdCopyText_->setAutoDefault(false);
    cmdOK_ = new QPushButton(tr("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    connect(cmdCopyText_, &QPushButton::clicked, this, &ErrorDialog::CopyText);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(txtMessage_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopyText_);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_);
    cmdOK_->setFocus();
}

QString ErrorDialog::Text() const {
    return txtMessage_->toPlainText();
}

void ErrorDialog::CopyText() {
    QApplication::clipboard()->setText(Text());
    status_->showMessage(tr("The text is on the clipboard."));
}

} // namespace hk
