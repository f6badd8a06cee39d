#pragma once
// NameParts: the nine parts of a TMG name (title, given, surname, sort forms, ...) plus the
// primary given name and surname of the person it belongs to (set by the caller, so that
// rules can refer to them), as the name loader reads and writes them.
#include <array>
#include <string>
#include <string_view>

#include "formats/format_settings.h"

namespace hk {

// Part ids; the part-value table stores them as type id + 1.
enum NamePartId : int {
    kNameTitle = 0,
    kNamePrefix = 1,
    kNameGiven = 2,
    kNamePreSurname = 3,
    kNameSurname = 4,
    kNameSuffix = 5,
    kNameOtherName = 6,
    kNameSortSurname = 7,
    kNameSortGiven = 8,
    kNamePrimaryGiven = 9,   // read only through PartValue
    kNamePrimarySurname = 10 // read only through PartValue
};

class NameParts {
public:
    static constexpr int kPartCount = 9;

    static int PartCount() { return kPartCount; }
    // "Title", "Prefix", ... for ids 0-8; empty for any other id.
    static std::string_view PartName(int id);

    // Parts 0-8, the primary given name (9) and primary surname (10); empty for other ids.
    const std::string& PartValue(int id) const;
    // Sets parts 0-8; other ids are ignored.
    void SetPartValue(int id, std::string text);
    const std::string& PrimaryGiven() const { return primaryGiven_; }
    void SetPrimaryGiven(std::string text) { primaryGiven_ = std::move(text); }
    const std::string& PrimarySurname() const { return primarySurname_; }
    void SetPrimarySurname(std::string text) { primarySurname_ = std::move(text); }

    // The nine parts only; the primary names stay.
    void CopyNameParts(const NameParts& other) { parts_ = other.parts_; }
    void Clear();

    // The nine parts, each followed by "$!&".
    std::string PackedParts() const;
    // Parts 0-7 each followed by ",", then part 8: a key for comparing whole names.
    std::string PartsKey() const;
    // PreSurname, a blank and Surname, or Surname alone.
    std::string FullSurname() const;

    // Loading, older projects: the packed Name field holds surname, title, given, suffix.
    // Parts are cleaned of excluded text; a missing surname or given name is the placeholder;
    // the sort parts copy surname and given name.
    void DecodePackedName(std::string_view packed, const FormatSettings& settings);
    // Loading, TMG 5 and later: StartPartRows, then one SetPartFromRow per part-value row.
    void StartPartRows(const FormatSettings& settings);
    // A row's part type (1-9) and its dictionary value; other types are ignored.
    void SetPartFromRow(long type, std::string_view value, const FormatSettings& settings);

    bool operator==(const NameParts&) const = default;

private:
    std::array<std::string, kPartCount> parts_;
    std::string primaryGiven_;
    std::string primarySurname_;
};

} // namespace hk
