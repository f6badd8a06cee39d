#pragma once
// CTMGSourceElements: the source element names ("[AUTHOR]", ...) of the project with their
// element groups, and the elements a source template uses.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/ctmgdb.h"

namespace hk {

struct TemplateElement {
    std::string name; // without brackets
    long group = 0;   // 0 when unknown
};

class CTMGSourceElements {
public:
    // Every row of the element table of dataset 0 or the current one; a row may list several
    // names, one per line.
    void Load(db::CTMGDB &db);
    void Add(std::string_view element, long group);

    // The group of the element written "[" name "]" (without regard to case); 0 when unknown.
    long ElementGroup(std::string_view name) const;
    // The bracketed elements of a template, in order: inside "<...>" groups and standing alone.
    std::vector<TemplateElement> TemplateElements(std::string_view sourceTemplate) const;
    // "unknown NAME" for each element of the template whose group is not known.
    std::vector<std::string> UnknownElements(std::string_view sourceTemplate) const;

private:
    std::unordered_map<std::string, long> groups_; // upper-case "[NAME]" -> group
};

} // namespace hk
