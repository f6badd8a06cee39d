#include "formats/format_settings.h"

#include "formats/excluded_text.h"

namespace hk {

const std::string& FormatSettings::UnknownNamePlaceholder() const {
    static const std::string kNone;
    return placeholder_ ? *placeholder_ : kNone;
}

void FormatSettings::EnsureUnknownNamePlaceholder() {
    if (!placeholder_)
        placeholder_ = "(?)";
}

std::string FormatSettings::CleanExcludedText(std::string_view text) const {
    return hk::CleanExcludedText(text, exclusionMode_);
}

std::string FormatSettings::CleanExcludedAlternatives(std::string_view text) const {
    return hk::CleanExcludedAlternatives(text, exclusionMode_);
}

} // namespace hk
