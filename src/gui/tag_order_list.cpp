#include "gui/tag_order_list.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "run/tag_order.h"

namespace hk {

TagOrderList::TagOrderList(QWidget* parent) : PanelPart(parent) {
    lstTags_ = new QListWidget(this);
    lstTags_->setObjectName(QString::fromLatin1(kTagOrderControl));
    lstTags_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTags_->setMinimumHeight(180);
    auto* label = new QLabel(tr("&Tag order (checked: sort dates may be set):"), this);
    label->setBuddy(lstTags_);

    static const char* const kCheck[2] = {"Check &All", "Check &None"};
    static const char* const kMove[2] = {"Move &Up", "Move &Down"};
    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        cmdCheckAll_[i] = new QPushButton(tr(kCheck[i]), this);
        cmdCheckAll_[i]->setObjectName(QStringLiteral("cmdCheckAll(%1)").arg(i));
        connect(cmdCheckAll_[i], &QPushButton::clicked, this, [this, i] { CheckAll(i == 0); });
        buttons->addWidget(cmdCheckAll_[i]);
    }
    buttons->addSpacing(12);
    for (int i = 0; i < 2; ++i) {
        cmdUpDown_[i] = new QPushButton(tr(kMove[i]), this);
        cmdUpDown_[i]->setObjectName(QStringLiteral("cmdUpDown(%1)").arg(i));
        connect(cmdUpDown_[i], &QPushButton::clicked, this,
                [this, i] { MoveSelected(i == 0 ? -1 : 1); });
        buttons->addWidget(cmdUpDown_[i]);
    }
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addWidget(lstTags_, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->setColumnStretch(0, 1);

    connect(lstTags_, &QListWidget::itemChanged, this, &PanelPart::Changed);
    connect(lstTags_, &QListWidget::currentRowChanged, this, [this](int) { UpdateButtons(); });
    UpdateButtons();
}

std::vector<ListItem> TagOrderList::Items() const {
    std::vector<ListItem> items;
    for (int i = 0; i < lstTags_->count(); ++i) {
        const QListWidgetItem* item = lstTags_->item(i);
        items.push_back({item->text().toStdString(), item->checkState() == Qt::Checked,
                         static_cast<long>(item->data(Qt::UserRole).toLongLong())});
    }
    return items;
}

void TagOrderList::SetItems(const std::vector<ListItem>& items) {
    {
        QSignalBlocker block(lstTags_);
        lstTags_->clear();
        for (const ListItem& entry : items) {
            auto* item = new QListWidgetItem(QString::fromStdString(entry.text), lstTags_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(entry.selected ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(entry.data));
        }
    }
    UpdateButtons();
    emit Changed();
}

void TagOrderList::CheckAll(bool checked) {
    {
        QSignalBlocker block(lstTags_);
        for (int i = 0; i < lstTags_->count(); ++i)
            lstTags_->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    emit Changed();
}

void TagOrderList::MoveSelected(int step) {
    int row = lstTags_->currentRow();
    int target = row + step;
    if (row < 0 || target < 0 || target >= lstTags_->count())
        return;
    {
        QSignalBlocker block(lstTags_);
        QListWidgetItem* item = lstTags_->takeItem(row);
        lstTags_->insertItem(target, item);
        lstTags_->setCurrentRow(target);
    }
    UpdateButtons();
    emit Changed();
}

void TagOrderList::UpdateButtons() {
    int row = lstTags_->currentRow();
    cmdUpDown_[0]->setEnabled(row > 0);
    cmdUpDown_[1]->setEnabled(row >= 0 && row + 1 < lstTags_->count());
    cmdCheckAll_[0]->setEnabled(lstTags_->count() > 0);
    cmdCheckAll_[1]->setEnabled(lstTags_->count() > 0);
}

std::vector<std::string> TagOrderList::Controls() const {
    return {kTagOrderControl};
}

void TagOrderList::ApplyStates(const ControlStates& states) {
    auto it = states.find(kTagOrderControl);
    if (it == states.end())
        return;
    SetItems(it->second.items);
    if (it->second.listIndex >= 0 && it->second.listIndex < lstTags_->count())
        lstTags_->setCurrentRow(it->second.listIndex);
}

void TagOrderList::AddStates(ControlStates& states) const {
    ControlState& state = states[kTagOrderControl];
    state.items = Items();
    state.listIndex = lstTags_->currentRow();
}

void TagOrderList::ProjectClosed() {
    SetItems({});
}

} // namespace hk
