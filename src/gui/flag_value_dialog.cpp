#include "gui/flag_value_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace hk {

FlagValueDialog::FlagValueDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTMGFlagValue"));
    setWindowTitle(tr("Set Flag Value Filter"));

    cmbFlagLabels_ = new QComboBox(this);
    cmbFlagLabels_->setObjectName(QStringLiteral("cmbFlagLabels"));
    cmbFlagLabels_->setMinimumContentsLength(24);
    auto* lblLabels = new QLabel(tr("&Flag Labels:"), this);
    lblLabels->setBuddy(cmbFlagLabels_);

    cmbInclude_ = new QComboBox(this);
    cmbInclude_->setObjectName(QStringLiteral("cmbInclude"));
    for (const std::string& entry : FlagValueDialogModel::IncludeEntries())
        cmbInclude_->addItem(QString::fromStdString(entry));

    txtValues_ = new QLineEdit(this);
    txtValues_->setObjectName(QStringLiteral("txtValues"));
    auto* lblTxt = new QLabel(tr("&Values:"), this);
    lblTxt->setBuddy(txtValues_);
    lblValues_ = new QLabel(this);
    lblValues_->setObjectName(QStringLiteral("lblValues"));

    cmdOK_ = new QPushButton(tr("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(tr("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));

    connect(cmbFlagLabels_, &QComboBox::currentIndexChanged, this, &FlagValueDialog::LabelChanged);
    connect(cmbInclude_, &QComboBox::currentIndexChanged, this,
            [this](int i) { model_.SetIncludeValues(i == 1); });
    connect(txtValues_, &QLineEdit::textEdited, this, &FlagValueDialog::ValuesEdited);
    connect(cmdOK_, &QPushButton::clicked, this, [this] {
        model_.Ok();
        accept();
    });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] {
        model_.Cancel();
        reject();
    });

    auto* grid = new QGridLayout;
    grid->addWidget(lblLabels, 0, 0);
    grid->addWidget(cmbFlagLabels_, 0, 1, 1, 2);
    grid->addWidget(cmbInclude_, 1, 1, 1, 2);
    grid->addWidget(lblTxt, 2, 0);
    grid->addWidget(txtValues_, 2, 1);
    grid->addWidget(lblValues_, 2, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    Refresh();
}

std::optional<std::string> FlagValueDialog::Start(std::span<const FlagDefinition> flags,
                                                  const CTMGFlagFilter& filter) {
    auto message = model_.Start(flags, filter);
    filling_ = true;
    {
        QSignalBlocker block(cmbFlagLabels_);
        cmbFlagLabels_->clear();
        for (const std::string& label : model_.LabelEntries())
            cmbFlagLabels_->addItem(QString::fromStdString(label));
        cmbFlagLabels_->setCurrentIndex(model_.SelectedIndex());
    }
    {
        QSignalBlocker block(cmbInclude_);
        cmbInclude_->setCurrentIndex(model_.IncludeIndex());
    }
    txtValues_->setText(QString::fromStdString(model_.FlagValues()));
    filling_ = false;
    Refresh();
    return message;
}

void FlagValueDialog::LabelChanged(int index) {
    if (filling_)
        return;
    model_.Select(index);
    Refresh();
}

void FlagValueDialog::ValuesEdited(const QString& text) {
    int cursor = txtValues_->cursorPosition();
    int selStart = txtValues_->selectionStart();
    int selLength = txtValues_->selectionLength();
    QString upper = QString::fromStdString(model_.SetFlagValues(text.toStdString()));
    if (upper != text) {
        txtValues_->setText(upper);
        if (selStart >= 0 && selLength > 0) {
            // Keep the selection with the caret on the side it was.
            bool caretAtStart = cursor == selStart;
            txtValues_->setSelection(caretAtStart ? selStart + selLength : selStart,
                                     caretAtStart ? -selLength : selLength);
        } else {
            txtValues_->setCursorPosition(cursor);
        }
    }
    Refresh();
}

void FlagValueDialog::Refresh() {
    cmbInclude_->setEnabled(model_.IncludeEnabled());
    txtValues_->setEnabled(model_.ValuesEnabled());
    lblValues_->setText(QString::fromStdString(model_.AllowedValues()));
    cmdOK_->setEnabled(model_.OkEnabled());
}

} // namespace hk
