#pragma once
// CTMGName: one name as a value (nine parts) with its display forms; CTMGNames: the names of
// one person, primary first, as the name loader hands them over.
#include <string>
#include <string_view>
#include <vector>

#include "formats/format_settings.h"
#include "formats/name_parts.h"

namespace hk {

class CTMGName {
public:
    // Creating a name sets the unknown-name placeholder to "(?)" unless it was set before.
    explicit CTMGName(FormatSettings& settings);

    const NameParts& Parts() const { return parts_; }
    const std::string& Part(int id) const { return parts_.PartValue(id); }
    // With StripHidden on, hidden text is removed from each part as it is set.
    void SetPart(int id, std::string text);
    bool StripHidden() const { return stripHidden_; }
    void SetStripHidden(bool on) { stripHidden_ = on; }

    // The nine parts as a packed value (each part followed by "$!&"); decoding keeps at
    // most nine parts, and parts a shorter value lacks become empty.
    std::string PackedValue() const { return parts_.PackedParts(); }
    void SetPackedValue(std::string_view packed);

    // "Smith, (Dr.) John, Jr.": surname (or the placeholder), title in parentheses, given
    // names (or the placeholder), suffix; every part cleaned of excluded text.
    std::string DisplaySurnameFirst() const;
    // "Dr. John |van Smith| Jr.": the surname with its pre-surname between "|" marks, for
    // formatters that treat the surname specially; RemoveSurnameMarks gives the plain text.
    std::string DisplayGivenFirst() const;
    // The parts with the surname between "|" marks (unchanged when the surname is empty).
    NameParts MarkedParts() const;
    static std::string RemoveSurnameMarks(std::string_view text);

private:
    std::string Cleaned(int id) const;
    std::string CleanedOrPlaceholder(int id) const;

    const FormatSettings* settings_;
    NameParts parts_;
    bool stripHidden_ = false;
};

// One name record of a person: its parts and the record's numbers.
struct NameEntry {
    NameParts parts;
    long recNo = 0;
    long nameType = 0; // the name's tag type (AlType)
    long styleId = 0;
};

class CTMGNames {
public:
    void Clear() { entries_.clear(); }
    // The loader adds the person's primary name first.
    void Add(NameEntry entry) { entries_.push_back(std::move(entry)); }
    int Count() const { return static_cast<int>(entries_.size()); }
    // Out-of-range entries read as an empty name.
    const NameEntry& Entry(int index) const;
    const std::string& PartValue(int index, int partId) const {
        return Entry(index).parts.PartValue(partId);
    }
    std::string FullSurname(int index) const { return Entry(index).parts.FullSurname(); }

private:
    std::vector<NameEntry> entries_;
};

} // namespace hk
