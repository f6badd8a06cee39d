#include "formats/tmg_name.h"

#include "formats/excluded_text.h"
#include "formats/packed_field.h"

namespace hk {

CTMGName::CTMGName(FormatSettings& settings) : settings_(&settings) {
    settings.EnsureUnknownNamePlaceholder();
}

void CTMGName::SetPart(int id, std::string text) {
    parts_.SetPartValue(id, stripHidden_ ? StripHiddenText(text) : std::move(text));
}

void CTMGName::SetPackedValue(std::string_view packed) {
    std::vector<std::string> parts = SplitPacked(packed, NameParts::kPartCount);
    parts.resize(NameParts::kPartCount);
    for (int i = 0; i < NameParts::kPartCount; ++i)
        SetPart(i, std::move(parts[i]));
}

std::string CTMGName::Cleaned(int id) const {
    return settings_->CleanExcludedText(parts_.PartValue(id));
}

std::string CTMGName::CleanedOrPlaceholder(int id) const {
    std::string s = Cleaned(id);
    return s.empty() ? settings_->UnknownNamePlaceholder() : s;
}

std::string CTMGName::DisplaySurnameFirst() const {
    std::string out = CleanedOrPlaceholder(kNameSurname);
    out += ", ";
    if (std::string title = Cleaned(kNameTitle); !title.empty())
        out += "(" + title + ") ";
    out += CleanedOrPlaceholder(kNameGiven);
    if (std::string suffix = Cleaned(kNameSuffix); !suffix.empty())
        out += ", " + suffix;
    return out;
}

std::string CTMGName::DisplayGivenFirst() const {
    std::string surname = CleanedOrPlaceholder(kNameSurname);
    if (std::string pre = Cleaned(kNamePreSurname); !pre.empty())
        surname = pre + " " + surname;
    std::string out;
    auto add = [&out](const std::string& s) {
        if (s.empty())
            return;
        if (!out.empty())
            out += ' ';
        out += s;
    };
    add(Cleaned(kNameTitle));
    add(CleanedOrPlaceholder(kNameGiven));
    add("|" + surname + "|");
    add(Cleaned(kNameSuffix));
    return out;
}

NameParts CTMGName::MarkedParts() const {
    NameParts marked = parts_;
    const std::string& surname = parts_.PartValue(kNameSurname);
    if (!surname.empty())
        marked.SetPartValue(kNameSurname, "|" + surname + "|");
    return marked;
}

std::string CTMGName::RemoveSurnameMarks(std::string_view text) {
    std::string out(text);
    std::erase(out, '|');
    return out;
}

const NameEntry& CTMGNames::Entry(int index) const {
    static const NameEntry kEmpty;
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)] : kEmpty;
}

} // namespace hk
