#include "gui/dataset_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk {

QString DatasetEntry(const DatasetChoice& dataset) {
    return QString::number(dataset.dsid) + QStringLiteral(": ") +
           QString::fromStdString(dataset.name);
}

DatasetDialog::DatasetDialog(const std::vector<DatasetChoice>& datasets, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmDataSets"));
    setWindowTitle(tr("Choose TMG Dataset from Project"));

    cmbDataSets_ = new QComboBox(this);
    cmbDataSets_->setObjectName(QStringLiteral("cmbDataSets"));
    for (const DatasetChoice& d : datasets) {
        cmbDataSets_->addItem(DatasetEntry(d), QVariant::fromValue<qlonglong>(d.dsid));
        if (d.lastChosen)
            cmbDataSets_->setCurrentIndex(cmbDataSets_->count() - 1);
    }
    cmbDataSets_->setMinimumContentsLength(30);
    auto* label = new QLabel(tr("&Dataset:"), this);
    label->setBuddy(cmbDataSets_);

    cmdOK_ = new QPushButton(tr("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(tr("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QHBoxLayout;
    form->addWidget(label);
    form->addWidget(cmbDataSets_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    cmbDataSets_->setFocus();
}

long DatasetDialog::ChosenDsid() const {
    if (result() != QDialog::Accepted || cmbDataSets_->currentIndex() < 0)
        return -1;
    return static_cast<long>(cmbDataSets_->currentData().toLongLong());
}

} // namespace hk
