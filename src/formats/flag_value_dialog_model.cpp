#include "formats/flag_value_dialog_model.h"

#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {

std::vector<std::string> FlagValueDialogModel::IncludeEntries() {
    return {"Exclude", "Include"};
}

void FlagValueDialogModel::SetFlagFields(std::span<const FlagDefinition> flags) {
    flags_.assign(flags.begin(), flags.end());
    labels_.assign(1, std::string(kNoFilterEntry));
    for (const FlagDefinition& f : flags_)
        labels_.push_back(f.label);
    selected_ = 0;
}

void FlagValueDialogModel::Select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(labels_.size()) ? index : 0;
}

std::string FlagValueDialogModel::FlagField() const {
    return selected_ > 0 ? flags_[static_cast<std::size_t>(selected_ - 1)].field : std::string();
}

std::optional<std::string> FlagValueDialogModel::SetFlagField(std::string_view field) {
    std::string_view name = Trim(field);
    for (std::size_t i = 0; i < flags_.size() && !name.empty(); ++i)
        if (EqualsNoCase(flags_[i].field, name)) {
            Select(static_cast<int>(i) + 1);
            return std::nullopt;
        }
    Select(0);
    if (name.empty())
        return std::nullopt;
    return std::string(field) + " is not a custom " + "flag field in this database.";
}

const std::string& FlagValueDialogModel::SetFlagValues(std::string_view text) {
    values_ = UpperText(text);
    return values_;
}

bool FlagValueDialogModel::OkEnabled() const {
    return selected_ == 0 || !Trim(values_).empty();
}

std::string FlagValueDialogModel::AllowedValues() const {
    return selected_ > 0 ? flags_[static_cast<std::size_t>(selected_ - 1)].values : std::string();
}

std::optional<std::string> FlagValueDialogModel::Start(std::span<const FlagDefinition> flags,
                                                       const CTMGFlagFilter& filter) {
    SetFlagFields(flags);
    std::optional<std::string> message = SetFlagField(filter.FlagField());
    SetIncludeValues(filter.IncludeValues());
    SetFlagValues(filter.FlagValues());
    returnCode_ = 0;
    return message;
}

void FlagValueDialogModel::ApplyTo(CTMGFlagFilter& filter) const {
    filter.SetFilter(FlagField(), include_, values_);
}

} // namespace hk
