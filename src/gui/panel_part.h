#pragma once
// A hand-made part of an option panel, for what the declared options cannot say (the tag
// order of Set Sort Dates). It fills itself when a project opens, keeps its own settings, and
// adds its values to the states the function runs with.
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "shell/option_decl.h"
#include "shell/project_session.h"
#include "support/settings_store.h"

namespace hk {

class PanelPart : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // `keyPath` is the project's key under the settings root ("...\File Preferences\<prefix>").
    virtual void ProjectOpened(const ProjectLists& lists, const SettingsStore& store,
                               const std::string& keyPath) = 0;
    virtual void SaveForProject(SettingsStore& store, const std::string& keyPath) const = 0;
    virtual void ProjectClosed() = 0;
    virtual void AddStates(ControlStates& states) const = 0;

signals:
    // The part's values changed: the panel re-checks its command buttons.
    void Changed();
};

// The hand-made parts of a function's panel, by function key (none for most).
std::vector<PanelPart*> MakeHandMadeParts(const std::string& functionKey, QWidget* parent);

} // namespace hk
