#pragma once
// FormatSettings: the program-wide switches of the value formats (exclusion mode, unknown-name
// placeholder). One object is owned by the application and handed to whoever formats values.
#include <optional>
#include <string>
#include <string_view>

namespace hk {

class FormatSettings {
public:
    // How excluded text is cleaned (see CleanExcludedText); 4 leaves text unchanged.
    int ExclusionMode() const { return exclusionMode_; }
    void SetExclusionMode(int mode) { exclusionMode_ = mode; }

    // Stands in for a missing given name or surname. Empty until the first name object is
    // created, which sets "(?)"; once a function has set it (even to empty) it stays so.
    const std::string& UnknownNamePlaceholder() const;
    void SetUnknownNamePlaceholder(std::string text) { placeholder_ = std::move(text); }
    void EnsureUnknownNamePlaceholder();

    std::string CleanExcludedText(std::string_view text) const;
    std::string CleanExcludedAlternatives(std::string_view text) const;

private:
    int exclusionMode_ = 4;
    std::optional<std::string> placeholder_;
};

// Sets the exclusion mode for a scope (an export run) and restores it afterwards.
class ExclusionModeScope {
public:
    ExclusionModeScope(FormatSettings& settings, int mode)
        : settings_(settings), saved_(settings.ExclusionMode()) {
        settings.SetExclusionMode(mode);
    }
    ~ExclusionModeScope() { settings_.SetExclusionMode(saved_); }
    ExclusionModeScope(const ExclusionModeScope&) = delete;
    ExclusionModeScope& operator=(const ExclusionModeScope&) = delete;

private:
    FormatSettings& settings_;
    int saved_;
};

} // namespace hk
