#pragma once
// A hand-made part of an option panel, for what a generated control cannot do (the tag order
// of Set Sort Dates with its buttons). It shows declared options in place of the generated
// controls: the panel hands it their states, whoever filled them, and asks it for their values.
#include <QWidget>
#include <string>
#include <vector>

#include "run/option_decl.h"

namespace hk {

class PanelPart : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The declared controls the part shows (the panel builds none for them).
    virtual std::vector<std::string> Controls() const = 0;
    // Sets the part's controls named in `states`; others are left as they are.
    virtual void ApplyStates(const ControlStates& states) = 0;
    virtual void AddStates(ControlStates& states) const = 0;
    // The project closed: what came from it goes.
    virtual void ProjectClosed() = 0;

signals:
    // The part's values changed: the panel re-checks its command buttons.
    void Changed();
};

// The hand-made parts of a function's panel, by function key (none for most).
std::vector<PanelPart*> MakeHandMadeParts(const std::string& functionKey, QWidget* parent);

} // namespace hk
