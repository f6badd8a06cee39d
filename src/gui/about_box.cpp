#include "gui/about_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/app_icon.h"
#include "run/program_info.h"

namespace hk {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About %1").arg(QString::fromStdString(ProgramTitle())));

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setText(QStringLiteral("<b>%1</b>")
                       .arg(QString::fromStdString(ProgramTitleAndVersion()).toHtmlEscaped()));
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblNotice"));
    text->setWordWrap(true);
    text->setText(tr("Maintenance functions for the project databases of The Master "
                     "Genealogist.") +
                  QStringLiteral("\n\n") + QString::fromStdString(LegalNotice()));
    text->setMinimumWidth(340);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* body = new QVBoxLayout;
    body->addWidget(title);
    body->addWidget(text, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(body, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
}

void AboutBox::ShowBriefly(int milliseconds) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    show();
    QTimer::singleShot(milliseconds, this, &QWidget::close);
}

} // namespace hk
