#pragma once
// The tag-order list of Set Sort Dates: tag types in order, each with a check mark when its
// sort dates may be rewritten, with "Check All" / "Check None" and "Move Up" / "Move Down".
// Set Sort Dates fills it from the project (FillOptionLists) and keeps it as its lstTags option.
#include "gui/panel_part.h"

class QListWidget;
class QPushButton;

namespace hk {

class TagOrderList : public PanelPart {
    Q_OBJECT
public:
    explicit TagOrderList(QWidget* parent = nullptr);

    std::vector<std::string> Controls() const override;
    // The list is taken whole: its order is the tag order.
    void ApplyStates(const ControlStates& states) override;
    void AddStates(ControlStates& states) const override;
    void ProjectClosed() override;

    // The list as it stands: name, checked, tag type number.
    std::vector<ListItem> Items() const;
    void SetItems(const std::vector<ListItem>& items);
    void CheckAll(bool checked);
    // Moves the selected entry one place up (-1) or down (+1), keeping it selected.
    void MoveSelected(int step);

private:
    void UpdateButtons();

    QListWidget* lstTags_;
    QPushButton* cmdCheckAll_[2];
    QPushButton* cmdUpDown_[2];
};

} // namespace hk
