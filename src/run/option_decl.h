#pragma once
// What a maintenance function declares about each of its options, as data: the window builds
// its panel from it, the command line maps --opt NAME=VALUE onto it, and the per-project
// persistence reads and writes the values it names.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

enum class OptionKind { CheckBox, TextBox, ListBox, ComboBox };

// Where the items of a list or combo box come from when a project opens.
enum class ListSource {
    None,
    Fixed,     // OptionDecl::items
    TagTypes,  // tag types, of OptionDecl::tagGroup when it is not 0
    Flags,     // the project's flag fields
    Languages, // the language list
    Styles,    // name or place styles
};

struct OptionDecl {
    std::string control; // "chkSLUseParents"
    OptionKind kind = OptionKind::CheckBox;
    std::string caption;
    // "r:<file>\<Function>\<Setting>" for an option kept per project; empty when not kept.
    std::string dataField;
    ListSource source = ListSource::None;
    std::vector<std::string> items; // the fixed items, or the leading "<Choose ...>" entry
    int tagGroup = 0;
    char styleGroup = 'N'; // ListSource::Styles: 'N' name styles, 'P' place styles
};

// "r:<file>\" function "\" setting: the data field of an option kept per project.
std::string ProjectDataField(std::string_view function, std::string_view setting);

// The run frame's own option: the "Log Only" check box, kept per project.
inline OptionDecl LogOnlyOption() {
    OptionDecl d;
    d.control = "chkLogOnly";
    d.kind = OptionKind::CheckBox;
    d.caption = "Log &Only";
    d.dataField = ProjectDataField("Logging", "Log Only");
    return d;
}

// Where a data field's value lives for a given file key (empty at start-up, "File
// Preferences\<prefix>" while a project is open). Nothing when the field does not start with
// "r:", or when it is per project ("<file>") and there is no file key, or global and there is.
struct DataFieldTarget {
    std::string subKey; // under the settings root
    std::string valueName;
};
std::optional<DataFieldTarget> ResolveDataField(std::string_view dataField,
                                                std::string_view fileKey);

// One item of a list box or combo box.
struct ListItem {
    std::string text;
    bool selected = false;
    long data = 0;
    bool operator==(const ListItem&) const = default;
};

// The current value of one control: a check box's value (0, 1 or 2), a text box's text, a
// list's items, a combo's selected index.
struct ControlState {
    int value = 0;
    std::string text;
    std::vector<ListItem> items;
    int listIndex = -1;
};

// The values of a form's controls by control name.
using ControlStates = std::map<std::string, ControlState>;

} // namespace hk
