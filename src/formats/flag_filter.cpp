#include "formats/flag_filter.h"

#include "support/text.h"

namespace hk {
namespace {

// The table entry of a value: the Windows-1252 code of its first character, 0 when empty.
std::size_t PassIndex(std::string_view value) {
    if (value.empty())
        return 0;
    std::size_t n = 1;
    while (n < value.size() && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80)
        ++n;
    std::string ansi = Utf8ToCp1252(value.substr(0, n));
    return static_cast<unsigned char>(ansi[0]);
}

} // namespace

std::optional<FlagDefinition> FindFlag(std::span<const FlagRow> rows, std::string_view field,
                                       long dsid) {
    std::string wanted = AsciiUpper(Trim(field));
    for (const FlagRow& row : rows) {
        if (row.deleted || (row.dsid != 0 && row.dsid != dsid))
            continue;
        if (AsciiUpper(Trim(row.flagField)) == wanted)
            return FlagDefinition{std::string(Trim(row.flagField)),
                                  std::string(Trim(row.flagLabel)),
                                  std::string(Trim(row.flagValue))};
    }
    return std::nullopt;
}

std::vector<FlagDefinition> ProjectFlags(std::span<const FlagRow> rows, long dsid) {
    std::vector<FlagDefinition> out;
    for (const FlagRow& row : rows) {
        if (row.deleted || (row.dsid != 0 && row.dsid != dsid) || Trim(row.flagField).empty())
            continue;
        bool seen = false;
        for (const FlagDefinition& d : out)
            seen = seen || EqualsNoCase(d.field, Trim(row.flagField));
        if (!seen)
            out.push_back(*FindFlag(rows, row.flagField, dsid));
    }
    return out;
}

void CTMGFlagFilter::SetFilter(std::string field, bool include, std::string values) {
    field_ = std::move(field);
    include_ = include;
    values_ = std::move(values);
    pass_.fill(!include_);
    for (unsigned char c : Utf8ToCp1252(values_))
        pass_[c] = include_;
}

bool CTMGFlagFilter::Passes(std::string_view value) const {
    return pass_[PassIndex(value)];
}

bool CTMGFlagFilter::PassesBoth(std::string_view value1, std::string_view value2) const {
    if (value1.empty() && value2.empty())
        return false;
    return (value1.empty() || Passes(value1)) && (value2.empty() || Passes(value2));
}

std::string CTMGFlagFilter::Description(std::span<const std::string> fieldNames,
                                        std::span<const std::string> labels) const {
    const std::string* label = nullptr;
    for (std::size_t i = 0; i < fieldNames.size() && i < labels.size(); ++i)
        if (!field_.empty() && EqualsNoCase(fieldNames[i], field_)) {
            label = &labels[i];
            break;
        }
    if (!label)
        return kNoFlagFilter;
    std::string out = *label + (include_ ? " = " : " <> ");
    std::string ansi = Utf8ToCp1252(values_);
    std::string quoted;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        if (i > 0)
            quoted += " or ";
        quoted += "'" + Cp1252ToUtf8(ansi.substr(i, 1)) + "'";
    }
    return ansi.size() > 1 ? out + "(" + quoted + ")" : out + quoted;
}

std::string CTMGFlagFilter::Description(std::span<const FlagDefinition> flags) const {
    std::vector<std::string> fields, labels;
    for (const FlagDefinition& f : flags) {
        fields.push_back(f.field);
        labels.push_back(f.label);
    }
    return Description(fields, labels);
}

} // namespace hk
