#pragma once
// FlagValueDialogModel: what the "Set Flag Value Filter" dialog shows and allows (label
// list, include / exclude choice, values, which controls are enabled), without widgets, so
// that the window only mirrors it.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/flag_filter.h"

namespace hk {

class FlagValueDialogModel {
public:
    static constexpr std::string_view kNoFilterEntry = "<No flag field filter>";
    static constexpr int kReturnOk = 1;
    static constexpr int kReturnCancel = 2;

    // The two entries of the include choice: "Exclude" (0) and "Include" (1).
    static std::vector<std::string> IncludeEntries();

    // "<No flag field filter>" and then the flags' labels; selects the first entry.
    void SetFlagFields(std::span<const FlagDefinition> flags);
    const std::vector<std::string>& LabelEntries() const { return labels_; }

    int SelectedIndex() const { return selected_; }
    // The label choice; out-of-range indexes select "<No flag field filter>".
    void Select(int index);

    // Field name of the chosen label; empty for "<No flag field filter>".
    std::string FlagField() const;
    // Selects the label of that field (without regard to case); an empty name selects
    // "<No flag field filter>". An unknown name does too and returns the message to show.
    std::optional<std::string> SetFlagField(std::string_view field);

    bool IncludeValues() const { return include_; }
    void SetIncludeValues(bool include) { include_ = include; }
    int IncludeIndex() const { return include_ ? 1 : 0; }

    const std::string& FlagValues() const { return values_; }
    // Every edit is upper-cased; the number of characters stays, so the caret and the
    // selection stay where they were. Returns the text the box is to show.
    const std::string& SetFlagValues(std::string_view text);

    // Control states for the current choice.
    bool IncludeEnabled() const { return selected_ > 0; }
    bool ValuesEnabled() const { return selected_ > 0; }
    bool OkEnabled() const;
    // The chosen flag's allowed values, shown beside the values box.
    std::string AllowedValues() const;

    void Ok() { returnCode_ = kReturnOk; }
    void Cancel() { returnCode_ = kReturnCancel; }
    int ReturnCode() const { return returnCode_; }

    // The main window's use: start from the project's flags and the current filter
    // (returns the unknown-field message, if any), and after OK set the filter.
    std::optional<std::string> Start(std::span<const FlagDefinition> flags,
                                     const CTMGFlagFilter& filter);
    void ApplyTo(CTMGFlagFilter& filter) const;

private:
    std::vector<FlagDefinition> flags_;
    std::vector<std::string> labels_{std::string(kNoFilterEntry)};
    int selected_ = 0;
    bool include_ = true;
    std::string values_;
    int returnCode_ = 0;
};

} // namespace hk
