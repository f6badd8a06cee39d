#include "support/settings_store.h"

#include "support/ini_file.h"

namespace hk {

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto sep = path.find('\\', pos);
        if (sep == std::string_view::npos)
            sep = path.size();
        if (sep > pos)
            parts.emplace_back(path.substr(pos, sep - pos));
        pos = sep + 1;
    }
    return parts;
}

std::string JoinKeyPath(std::string_view a, std::string_view b) {
    std::string joined;
    for (const auto& part : SplitKeyPath(a))
        joined += (joined.empty() ? "" : "\\") + part;
    for (const auto& part : SplitKeyPath(b))
        joined += (joined.empty() ? "" : "\\") + part;
    return joined;
}

void SplitValueName(std::string_view keyPath, std::string_view valueName, std::string& outKey,
                    std::string& outName) {
    auto sep = valueName.rfind('\\');
    if (sep == std::string_view::npos) {
        outKey = JoinKeyPath(keyPath, {});
        outName = std::string(valueName);
    } else {
        outKey = JoinKeyPath(keyPath, valueName.substr(0, sep));
        outName = std::string(valueName.substr(sep + 1));
    }
}

std::optional<std::string> Settings::ReadString(const SettingsStore& store,
                                                std::string_view regRoot, std::string_view subKey,
                                                std::string_view valueName) {
    std::string key, name;
    SplitValueName(JoinKeyPath(regRoot, subKey), valueName, key, name);
    auto value = store.QueryValue(key, name);
    if (!value)
        return std::nullopt;
    if (value->type == SettingType::Dword)
        return std::to_string(static_cast<int32_t>(value->dword));
    return value->data;
}

std::string Settings::GetSettingString(std::string_view regRoot, std::string_view subKey,
                                       std::string_view valueName, std::string_view def) {
    auto value = ReadString(user_, regRoot, subKey, valueName);
    settingMissing_ = !value.has_value();
    return value ? *value : std::string(def);
}

long Settings::GetSettingLong(std::string_view regRoot, std::string_view subKey,
                              std::string_view valueName, long def) {
    std::string key, name;
    SplitValueName(JoinKeyPath(regRoot, subKey), valueName, key, name);
    auto value = user_.QueryValue(key, name);
    settingMissing_ = false;
    if (value && value->type == SettingType::Dword)
        return static_cast<int32_t>(value->dword);
    long number = 0;
    if (value && value->type == SettingType::String && ParseLong(value->data, number))
        return number;
    settingMissing_ = true;
    return def;
}

std::string Settings::GetSettingStringAnyRoot(std::string_view regRoot, std::string_view subKey,
                                              std::string_view valueName, std::string_view def) {
    auto value = ReadString(user_, regRoot, subKey, valueName);
    if (!value && machine_ != nullptr)
        value = ReadString(*machine_, regRoot, subKey, valueName);
    settingMissing_ = !value.has_value();
    return value ? *value : std::string(def);
}

void Settings::SaveSettingString(std::string_view regRoot, std::string_view subKey,
                                 std::string_view valueName, std::string_view value) {
    std::string key, name;
    SplitValueName(JoinKeyPath(regRoot, subKey), valueName, key, name);
    user_.SaveValue(key, name, SettingValue::String(std::string(value)));
}

void Settings::SaveSettingLong(std::string_view regRoot, std::string_view subKey,
                               std::string_view valueName, long value) {
    std::string key, name;
    SplitValueName(JoinKeyPath(regRoot, subKey), valueName, key, name);
    user_.SaveValue(key, name, SettingValue::Dword(static_cast<uint32_t>(value)));
}

} // namespace hk
