#pragma once
// ProjectSession: the open project as a front end sees it: open it from its ".PJC" file (with
// the version check and the dataset choice), close it, name it, and hand out the lists the
// option panels offer (tag types, styles, flags, languages).
#include <functional>
#include <string>
#include <vector>

#include "formats/flag_filter.h"
#include "run/run_context.h"
#include "run/user_interface.h"

namespace hk {

// A tag type as the option lists offer it.
struct TagTypeChoice {
    long number = 0;
    std::string name; // trimmed
    long group = 0;   // the tag-type group (Admin)
    bool operator==(const TagTypeChoice&) const = default;
};

// A name or place style as the option lists offer it.
struct StyleChoice {
    long id = 0;
    std::string name;
    char group = 'N'; // 'N' name style, 'P' place style
    bool operator==(const StyleChoice&) const = default;
};

// What the option panels' lists are filled from when a project opens.
struct ProjectLists {
    std::vector<TagTypeChoice> tagTypes; // of the current dataset
    std::vector<StyleChoice> styles;
    std::vector<FlagDefinition> flags; // the custom person flags
    std::vector<std::string> languages;
};

// What the open step tells its caller while it goes on.
struct OpenHooks {
    // The window caption: "Hearthkit - Family", then with the dataset.
    std::function<void(const std::string&)> setCaption;
};

// Failed: the project could not be opened or was refused (the reason has been shown).
// Cancelled: the user cancelled the dataset choice; the project is a recent one all the same.
enum class OpenResult { Opened, Failed, Cancelled };

class ProjectSession {
public:
    virtual ~ProjectSession() = default;

    // Opens the project file and chooses its dataset. Errors, refusals and questions go
    // through `ui`. The caller closes an open project first.
    virtual OpenResult Open(const std::string& pjcPath, UserInterface& ui,
                            const OpenHooks& hooks) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Prefix, folder and dataset name, as the log header names them.
    virtual ProjectInfo Info() const = 0;
    // "Hearthkit - Family:1 (Dataset 1)" while open.
    virtual std::string Caption() const = 0;
    // The lists of the open project; `languageChoices` is the "||"-joined language list of
    // hearthkit.ini that the project's languages are merged into.
    virtual ProjectLists Lists(const std::string& languageChoices) = 0;
    // The project object a run works on (null when the session has none).
    virtual db::CTMGDB* Database() = 0;
    // The shared loaders for the next run (null when the session keeps none).
    virtual CFactory* Factory() { return nullptr; }
    // After every run: drop what a run may have cached.
    virtual void AfterRun() {}
};

} // namespace hk
