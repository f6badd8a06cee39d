#include "formats/name_parts.h"

#include "formats/packed_field.h"

namespace hk {
namespace {

constexpr std::array<std::string_view, NameParts::kPartCount> kPartNames = {
    "Title",  "Prefix",    "Given",       "PreSurname", "Surname",
    "Suffix", "OtherName", "SortSurname", "SortGiven"};

} // namespace

std::string_view NameParts::PartName(int id) {
    return id >= 0 && id < kPartCount ? kPartNames[id] : std::string_view();
}

const std::string& NameParts::PartValue(int id) const {
    static const std::string kEmpty;
    if (id >= 0 && id < kPartCount)
        return parts_[id];
    if (id == kNamePrimaryGiven)
        return primaryGiven_;
    if (id == kNamePrimarySurname)
        return primarySurname_;
    return kEmpty;
}

void NameParts::SetPartValue(int id, std::string text) {
    if (id >= 0 && id < kPartCount)
        parts_[id] = std::move(text);
}

void NameParts::Clear() {
    for (auto& p : parts_)
        p.clear();
    primaryGiven_.clear();
    primarySurname_.clear();
}

std::string NameParts::PackedParts() const {
    return JoinPacked(parts_);
}

std::string NameParts::PartsKey() const {
    std::string key;
    for (int i = 0; i < kPartCount - 1; ++i) {
        key += parts_[i];
        key += ',';
    }
    key += parts_[kPartCount - 1];
    return key;
}

std::string NameParts::FullSurname() const {
    const std::string& pre = parts_[kNamePreSurname];
    return pre.empty() ? parts_[kNameSurname] : pre + " " + parts_[kNameSurname];
}

void NameParts::DecodePackedName(std::string_view packed, const FormatSettings& settings) {
    for (auto& p : parts_)
        p.clear();
    const std::string& placeholder = settings.UnknownNamePlaceholder();
    parts_[kNameSurname] = placeholder;
    parts_[kNameGiven] = placeholder;
    static constexpr std::array<int, 4> kOrder = {kNameSurname, kNameTitle, kNameGiven,
                                                  kNameSuffix};
    std::vector<std::string> fields = SplitPacked(packed, kOrder.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        // An empty surname or given name is as missing as an absent one.
        if (fields[i].empty())
            continue;
        parts_[kOrder[i]] = settings.CleanExcludedText(fields[i]);
    }
    parts_[kNameSortSurname] = parts_[kNameSurname];
    parts_[kNameSortGiven] = parts_[kNameGiven];
}

void NameParts::StartPartRows(const FormatSettings& settings) {
    for (auto& p : parts_)
        p.clear();
    const std::string& placeholder = settings.UnknownNamePlaceholder();
    for (int id : {kNameGiven, kNameSurname, kNameSortSurname, kNameSortGiven})
        parts_[id] = placeholder;
}

void NameParts::SetPartFromRow(long type, std::string_view value, const FormatSettings& settings) {
    if (type >= 1 && type <= kPartCount)
        parts_[static_cast<std::size_t>(type - 1)] = settings.CleanExcludedText(value);
}

} // namespace hk
