#include "gui/option_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <type_traits>

#include "run/option_items.h"

namespace hk {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void FillCombo(QComboBox* combo, const std::vector<ListItem>& items) {
    combo->clear();
    for (const ListItem& item : items)
        combo->addItem(Q(item.text), QVariant::fromValue<qlonglong>(item.data));
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
}

void FillList(QListWidget* list, const std::vector<ListItem>& items) {
    list->clear();
    for (const ListItem& entry : items) {
        auto* item = new QListWidgetItem(Q(entry.text), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.selected ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(entry.data));
    }
}

template <typename Control> QString ItemText(Control* control, int i) {
    if constexpr (std::is_same_v<Control, QComboBox>)
        return control->itemText(i);
    else
        return control->item(i)->text();
}

// True when the control lists exactly these texts, in this order.
template <typename Control> bool SameTexts(Control* control, const std::vector<ListItem>& items) {
    if (control->count() != static_cast<int>(items.size()))
        return false;
    for (int i = 0; i < control->count(); ++i)
        if (ItemText(control, i) != Q(items[static_cast<std::size_t>(i)].text))
            return false;
    return true;
}

} // namespace

OptionPanel::OptionPanel(int index, const std::string& caption,
                         std::vector<MaintenanceFunction*> functions, QWidget* parent)
    : QWidget(parent), index_(index), functions_(std::move(functions)) {
    setObjectName(QStringLiteral("frmFunctions(%1)").arg(index));

    auto* title = new QLabel(Q(caption), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    title->setFont(font);

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    bool own = std::any_of(functions_.begin(), functions_.end(),
                           [index](const MaintenanceFunction* f) { return f->Index() == index; });
    if (!own) {
        auto* note =
            new QLabel(tr("This function is not part of this version of Hearthkit."), content);
        note->setObjectName(QStringLiteral("lblUnavailable"));
        note->setWordWrap(true);
        contentLayout->addWidget(note);
    }
    bool grows = false;
    for (MaintenanceFunction* f : functions_) {
        std::size_t partsBefore = parts_.size();
        QWidget* section = BuildSection(f, functions_.size() > 1 || f->Index() != index);
        // A hand-made list takes the room the panel has; other sections keep to the top.
        bool hasPart = parts_.size() > partsBefore;
        contentLayout->addWidget(section, hasPart ? 1 : 0);
        grows = grows || hasPart;
    }
    if (!grows)
        contentLayout->addStretch(1);

    // Long panels scroll instead of pushing the window past a small screen.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(scroll, 1);
}

QWidget* OptionPanel::BuildSection(MaintenanceFunction* function, bool titled) {
    QWidget* section;
    if (titled)
        section = new QGroupBox(Q(function->Caption()));
    else
        section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    if (!titled)
        layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    layout->addLayout(form);

    std::vector<PanelPart*> parts = MakeHandMadeParts(function->Key(), section);
    std::set<std::string> handMade;
    for (PanelPart* part : parts)
        for (const std::string& control : part->Controls())
            handMade.insert(control);
    for (const OptionDecl& decl : function->Options()) {
        decls_.push_back(decl);
        if (handMade.count(decl.control) != 0)
            continue;
        QWidget* control = BuildControl(decl, section);
        controls_[decl.control] = control;
        if (decl.kind == OptionKind::CheckBox) {
            form->addRow(control);
        } else if (decl.kind == OptionKind::ListBox) {
            auto* label = new QLabel(Q(decl.caption), section);
            label->setBuddy(control);
            form->addRow(label);
            form->addRow(control);
        } else {
            auto* label = new QLabel(Q(decl.caption), section);
            label->setBuddy(control);
            label->setWordWrap(true);
            form->addRow(label, control);
        }
    }

    for (PanelPart* part : parts) {
        parts_.push_back(part);
        layout->addWidget(part, 1);
        connect(part, &PanelPart::Changed, this, &OptionPanel::OptionChanged);
    }

    auto* button = new QPushButton(QStringLiteral("&") + Q(function->Caption()), section);
    button->setObjectName(QStringLiteral("cmds(%1)").arg(function->Index()));
    button->setEnabled(false);
    int functionIndex = function->Index();
    connect(button, &QPushButton::clicked, this,
            [this, functionIndex] { emit RunRequested(functionIndex); });
    buttons_[functionIndex] = button;
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    layout->addLayout(row);
    return section;
}

QWidget* OptionPanel::BuildControl(const OptionDecl& decl, QWidget* parent) {
    auto changed = [this] {
        if (!filling_)
            emit OptionChanged();
    };
    switch (decl.kind) {
    case OptionKind::CheckBox: {
        auto* box = new QCheckBox(Q(decl.caption), parent);
        box->setObjectName(Q(decl.control));
        connect(box, &QCheckBox::stateChanged, this, changed);
        return box;
    }
    case OptionKind::TextBox: {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(Q(decl.control));
        connect(edit, &QLineEdit::textChanged, this, changed);
        return edit;
    }
    case OptionKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(Q(decl.control));
        combo->setMinimumContentsLength(20);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        FillCombo(combo, OptionItems(decl, nullptr));
        connect(combo, &QComboBox::currentIndexChanged, this, changed);
        return combo;
    }
    case OptionKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setObjectName(Q(decl.control));
        list->setMinimumHeight(100);
        FillList(list, OptionItems(decl, nullptr));
        connect(list, &QListWidget::itemChanged, this, changed);
        return list;
    }
    }
    return nullptr;
}

bool OptionPanel::UsesFlagFilter() const {
    for (MaintenanceFunction* f : functions_)
        if (f->UsesFlagFilter())
            return true;
    return false;
}

std::vector<OptionDecl> OptionPanel::Declarations() const {
    return decls_;
}

ControlStates OptionPanel::States() const {
    ControlStates states;
    for (const OptionDecl& decl : decls_) {
        auto found = controls_.find(decl.control);
        if (found == controls_.end())
            continue; // a hand-made part's, added below
        ControlState& state = states[decl.control];
        QWidget* control = found->second;
        if (auto* box = qobject_cast<QCheckBox*>(control)) {
            state.value = box->checkState() == Qt::Checked            ? 1
                          : box->checkState() == Qt::PartiallyChecked ? 2
                                                                      : 0;
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            state.text = edit->text().toStdString();
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            for (int i = 0; i < combo->count(); ++i)
                state.items.push_back({combo->itemText(i).toStdString(), i == combo->currentIndex(),
                                       static_cast<long>(combo->itemData(i).toLongLong())});
            state.listIndex = combo->currentIndex();
            state.text = combo->currentText().toStdString();
        } else if (auto* list = qobject_cast<QListWidget*>(control)) {
            for (int i = 0; i < list->count(); ++i) {
                const QListWidgetItem* item = list->item(i);
                state.items.push_back({item->text().toStdString(),
                                       item->checkState() == Qt::Checked,
                                       static_cast<long>(item->data(Qt::UserRole).toLongLong())});
            }
            state.listIndex = list->currentRow();
        }
    }
    for (PanelPart* part : parts_)
        part->AddStates(states);
    return states;
}

void OptionPanel::ApplyStates(const ControlStates& states) {
    filling_ = true;
    for (const auto& [name, state] : states) {
        auto it = controls_.find(name);
        if (it == controls_.end())
            continue;
        QWidget* control = it->second;
        if (auto* box = qobject_cast<QCheckBox*>(control)) {
            if (state.value == 2)
                box->setTristate(true);
            box->setCheckState(state.value == 1   ? Qt::Checked
                               : state.value == 2 ? Qt::PartiallyChecked
                                                  : Qt::Unchecked);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(Q(state.text));
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (!state.items.empty() && !SameTexts(combo, state.items))
                FillCombo(combo, state.items);
            if (state.listIndex >= 0 && state.listIndex < combo->count())
                combo->setCurrentIndex(state.listIndex);
        } else if (auto* list = qobject_cast<QListWidget*>(control)) {
            QSignalBlocker block(list);
            // Items a function filled from the project replace the list; otherwise only
            // the kept check marks are set.
            if (!state.items.empty() && !SameTexts(list, state.items)) {
                FillList(list, state.items);
                continue;
            }
            for (std::size_t i = 0; i < state.items.size() && static_cast<int>(i) < list->count();
                 ++i) {
                QListWidgetItem* item = list->item(static_cast<int>(i));
                if (item->text().toStdString() != state.items[i].text)
                    continue;
                item->setCheckState(state.items[i].selected ? Qt::Checked : Qt::Unchecked);
                item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(state.items[i].data));
            }
        }
    }
    for (PanelPart* part : parts_)
        part->ApplyStates(states);
    filling_ = false;
    emit OptionChanged();
}

void OptionPanel::FillLists(const ProjectLists* lists) {
    filling_ = true;
    if (lists == nullptr)
        for (PanelPart* part : parts_)
            part->ProjectClosed();
    for (const OptionDecl& decl : decls_) {
        // Lists without a declared source are filled by their function's own hook; they go
        // back to their declared entries when the project closes.
        bool own = lists == nullptr && decl.source == ListSource::None;
        auto found = controls_.find(decl.control);
        if ((!FilledFromProject(decl) && !own) || found == controls_.end())
            continue;
        QWidget* control = found->second;
        if (auto* combo = qobject_cast<QComboBox*>(control))
            FillCombo(combo, OptionItems(decl, lists));
        else if (auto* list = qobject_cast<QListWidget*>(control))
            FillList(list, OptionItems(decl, lists));
    }
    filling_ = false;
}

void OptionPanel::UpdateEnabled(bool open) {
    ControlStates states = open ? States() : ControlStates{};
    for (MaintenanceFunction* f : functions_)
        buttons_.at(f->Index())->setEnabled(open && f->CanRun(states));
}

QPushButton* OptionPanel::CommandButton(int functionIndex) const {
    auto it = buttons_.find(functionIndex);
    return it == buttons_.end() ? nullptr : it->second;
}

} // namespace hk
