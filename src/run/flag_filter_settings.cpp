#include "run/flag_filter_settings.h"

#include <string>

namespace hk {
namespace {

std::string KeyOf(std::string_view fileKey) {
    return JoinKeyPath(JoinKeyPath(kSettingsRoot, fileKey), kFlagFilterSubKey);
}

} // namespace

void SaveFlagFilter(Settings& settings, std::string_view fileKey, const CTMGFlagFilter& filter) {
    std::string key = KeyOf(fileKey);
    settings.SaveSettingString(key, {}, "Field", filter.FlagField());
    settings.SaveSettingLong(key, {}, "Include", filter.IncludeValues() ? 1 : 0);
    settings.SaveSettingString(key, {}, "Values", filter.FlagValues());
}

CTMGFlagFilter RestoreFlagFilter(Settings& settings, std::string_view fileKey) {
    std::string key = KeyOf(fileKey);
    std::string field = settings.GetSettingString(key, {}, "Field", "");
    bool include = settings.GetSettingLong(key, {}, "Include", 1) != 0;
    std::string values = settings.GetSettingString(key, {}, "Values", "");
    CTMGFlagFilter filter;
    filter.SetFilter(field, include, values);
    return filter;
}

} // namespace hk
