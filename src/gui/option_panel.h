#pragma once
// frmFunctions(index): the option panel of one catalog entry, built from the options its
// function declares (check boxes, text boxes, combo and list boxes), with the hand-made parts
// the function needs and its command button cmds(index). Functions without a catalog entry of
// their own get a section with their own button on a related panel.
#include <QWidget>
#include <map>
#include <vector>

#include "gui/panel_part.h"
#include "run/function_catalog.h"
#include "run/maintenance_function.h"
#include "run/project_session.h"

class QPushButton;

namespace hk {

class OptionPanel : public QWidget {
    Q_OBJECT
public:
    // `functions`: the entry's own function (when this build has it) first, then the hosted
    // ones. A panel without functions says that the function is not available.
    OptionPanel(int index, const std::string& caption, std::vector<MaintenanceFunction*> functions,
                QWidget* parent = nullptr);

    int Index() const { return index_; }
    const std::vector<MaintenanceFunction*>& Functions() const { return functions_; }
    bool UsesFlagFilter() const;

    // Every control's value, the hand-made parts' included.
    ControlStates States() const;
    // Sets the controls named in `states`, the hand-made parts' included; others keep their
    // values. A list or combo box given other items than it shows is refilled with them.
    void ApplyStates(const ControlStates& states);
    // The declared options of every function on the panel (what is restored and saved).
    std::vector<OptionDecl> Declarations() const;

    // Refills the lists that come from the project's lists (null: the project closed; they
    // and the lists a function fills itself keep their declared entries, and the hand-made
    // parts are emptied).
    void FillLists(const ProjectLists* lists);

    // Enables each command button when a project is open and its function's options are filled
    // in.
    void UpdateEnabled(bool open);
    QPushButton* CommandButton(int functionIndex) const;

signals:
    void RunRequested(int functionIndex);
    // An option changed: the window re-checks the buttons.
    void OptionChanged();

private:
    QWidget* BuildSection(MaintenanceFunction* function, bool titled);
    QWidget* BuildControl(const OptionDecl& decl, QWidget* parent);

    int index_;
    std::vector<MaintenanceFunction*> functions_;
    std::vector<OptionDecl> decls_;
    std::map<std::string, QWidget*> controls_; // by control name
    std::map<int, QPushButton*> buttons_;      // by function index
    std::vector<PanelPart*> parts_;
    bool filling_ = false;
};

} // namespace hk
