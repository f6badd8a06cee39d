#pragma once
// CTMGSourceElements: the source element names ("[AUTHOR]", ...) of the project with their
// element groups, and the elements a source template uses.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tmgdb/ctmgdb.h"

namespace hk {

// Element groups the source output does not take from a source's INFO, or fills in.
enum SourceElementGroup : long {
    kElementPublisher = 15,
    kElementPublisherLocation = 16,
    kElementRepository = 22,
    kElementRepositoryLocation = 23, // "Repository Info/Location"
    kElementRepositoryReference = 24,
    kElementCitationDetail = 29,
    kElementCitationReference = 30,
    kElementCitationMemo = 31,
    kElementRepositoryMemo = 32,
};

// The length of the element written at `pos` of a template: "[" name "]", the name made of
// letters, digits, blanks and hyphens; 0 when no element starts there.
std::size_t ElementLengthAt(std::string_view text, std::size_t pos);

struct TemplateElement {
    std::string name; // without brackets
    long group = 0;   // 0 when unknown
};

class CTMGSourceElements {
public:
    // Every row of the element table of dataset 0 or the current one; a row may list several
    // names, one per line.
    void Load(db::CTMGDB& db);
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
