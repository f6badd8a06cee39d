#pragma once
// CTMGFlagFilter: limits a function to people whose value in one custom person flag is (or
// is not) one of a set of values; and the project's flag definitions it is chosen from.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

// The description of a filter that limits nothing.
inline constexpr const char* kNoFlagFilter = "<No Filter>";

// One record of the flag table ("C") as the loader reads it.
struct FlagRow {
    std::string flagField; // the person-table field
    std::string flagLabel;
    std::string flagValue; // the allowed values, one character each
    long dsid = 0;
    bool deleted = false;
};

// A custom person flag as the program uses it: label and values trimmed.
struct FlagDefinition {
    std::string field;
    std::string label;
    std::string values;
};

// The definition of a flag field (without regard to case) in dataset 0 or `dsid`; the
// first such row counts.
std::optional<FlagDefinition> FindFlag(std::span<const FlagRow> rows, std::string_view field,
                                       long dsid);
// Every flag of dataset 0 or `dsid`, in table order, one per field.
std::vector<FlagDefinition> ProjectFlags(std::span<const FlagRow> rows, long dsid);

class CTMGFlagFilter {
public:
    CTMGFlagFilter() { SetFilter({}, true, {}); }

    // Include mode: the listed values pass, nothing else (the empty value fails). Exclude
    // mode: the listed values fail, everything else passes. Values are taken as given, so
    // case matters.
    void SetFilter(std::string field, bool include, std::string values);

    const std::string& FlagField() const { return field_; }
    bool IncludeValues() const { return include_; }
    const std::string& FlagValues() const { return values_; }
    bool Active() const { return !field_.empty(); }

    // Lets the empty value pass (until the next SetFilter).
    void AllowEmptyValue() { pass_[0] = true; }
    // Tests the value's first character; an empty value tests as entry 0.
    bool Passes(std::string_view value) const;
    // Two principals: false when both are empty, else every non-empty value must pass.
    bool PassesBoth(std::string_view value1, std::string_view value2) const;

    // `Label = 'Y'`, `Label <> ('N' or '?')`, or "<No Filter>" when the field is not among
    // the given flag fields (compared without regard to case).
    std::string Description(std::span<const std::string> fieldNames,
                            std::span<const std::string> labels) const;
    // The same among the project's flags, as the window shows it and the run logs name it.
    std::string Description(std::span<const FlagDefinition> flags) const;

private:
    std::string field_;
    bool include_ = true;
    std::string values_;
    std::array<bool, 257> pass_{}; // by Windows-1252 code of the first character; 0 = empty
};

} // namespace hk
