#include "gui/yes_no_dialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk {

YesNoDialog::YesNoDialog(const QString& message, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmYesNo"));
    setWindowTitle(tr("Confirm"));

    txtMessage_ = new QPlainTextEdit(this);
    txtMessage_->setObjectName(QStringLiteral("txtMessage"));
    txtMessage_->setReadOnly(true);
    txtMessage_->setPlainText(message);
    txtMessage_->setMinimumSize(380, 100);

    static const char* const kCaptions[4] = {"&Yes", "Yes to &All", "&No", "No to A&ll"};
    static const YesNoAllAnswer kAnswers[4] = {YesNoAllAnswer::Yes, YesNoAllAnswer::YesToAll,
                                               YesNoAllAnswer::No, YesNoAllAnswer::NoToAll};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 4; ++i) {
        cmds_[i] = new QPushButton(tr(kCaptions[i]), this);
        cmds_[i]->setObjectName(QStringLiteral("cmds_%1").arg(i));
        YesNoAllAnswer answer = kAnswers[i];
        connect(cmds_[i], &QPushButton::clicked, this, [this, answer] { Choose(answer); });
        buttons->addWidget(cmds_[i]);
    }
    cmds_[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtMessage_, 1);
    layout->addLayout(buttons);
    cmds_[0]->setFocus();
}

void YesNoDialog::Choose(YesNoAllAnswer answer) {
    answer_ = answer;
    accept();
}

} // namespace hk
