#include "run/option_persistence.h"

#include <cstdio>

#include "support/ini_file.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kMarker = "r:";
constexpr std::string_view kFileMarker = "<file>";

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string IndexName(std::size_t i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03zu", i);
    return buf;
}

std::vector<std::string> SplitBar(std::string_view s) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    for (;;) {
        auto bar = s.find('|', pos);
        parts.emplace_back(s.substr(pos, bar == std::string_view::npos ? bar : bar - pos));
        if (bar == std::string_view::npos)
            return parts;
        pos = bar + 1;
    }
}

// A stored whole number: a DWORD, or a string that reads as a number.
std::optional<long> StoredNumber(const SettingsStore& store, const std::string& key,
                                 const std::string& name) {
    auto value = store.QueryValue(key, name);
    if (!value)
        return std::nullopt;
    if (value->type == SettingType::Dword)
        return static_cast<int32_t>(value->dword);
    long n = 0;
    if (value->type == SettingType::String && ParseLong(value->data, n))
        return n;
    return std::nullopt;
}

bool Persisted(OptionKind kind) {
    return kind == OptionKind::CheckBox || kind == OptionKind::TextBox ||
           kind == OptionKind::ListBox;
}

} // namespace

std::string ProjectDataField(std::string_view function, std::string_view setting) {
    return std::string(kMarker) + std::string(kFileMarker) + "\\" + std::string(function) + "\\" +
           std::string(setting);
}

std::optional<DataFieldTarget> ResolveDataField(std::string_view dataField,
                                                std::string_view fileKey) {
    if (!StartsWithNoCase(dataField, kMarker))
        return std::nullopt;
    std::string_view rest = dataField.substr(kMarker.size());
    std::string path;
    if (StartsWithNoCase(rest, kFileMarker)) {
        if (fileKey.empty())
            return std::nullopt;
        path = std::string(fileKey) + std::string(rest.substr(kFileMarker.size()));
    } else {
        if (!fileKey.empty())
            return std::nullopt;
        path = std::string(rest);
    }
    auto sep = path.rfind('\\');
    if (sep == std::string::npos)
        return DataFieldTarget{{}, path};
    return DataFieldTarget{path.substr(0, sep), path.substr(sep + 1)};
}

std::string ProjectFileKey(std::string_view projectPrefix) {
    return "File Preferences\\" + std::string(projectPrefix);
}

std::string FormatListItem(const ListItem& item) {
    std::string text = item.text;
    for (auto& c : text)
        if (c == '|')
            c = ' ';
    return text + "|" + (item.selected ? "1" : "0") + "|" + std::to_string(item.data);
}

void SaveListBox(SettingsStore& store, std::string_view keyPath, std::string_view subKey,
                 const std::vector<ListItem>& items) {
    std::string key = JoinKeyPath(keyPath, subKey);
    store.DeleteKey(key);
    store.SaveValue(key, "Count", SettingValue::Dword(static_cast<uint32_t>(items.size())));
    for (std::size_t i = 0; i < items.size(); ++i)
        store.SaveValue(key, IndexName(i), SettingValue::String(FormatListItem(items[i])));
}

void RestoreListBox(SettingsStore& store, std::string_view keyPath, std::string_view subKey,
                    std::vector<ListItem>& items) {
    std::string key = JoinKeyPath(keyPath, subKey);
    auto count = StoredNumber(store, key, "Count");
    if (!count)
        return;
    for (long i = 0; i < *count; ++i) {
        auto value = store.QueryValue(key, IndexName(static_cast<std::size_t>(i)));
        if (!value || value->type != SettingType::String)
            continue;
        auto fields = SplitBar(value->data);
        for (auto& item : items) {
            if (item.text != fields[0])
                continue;
            item.selected = fields.size() > 1 && fields[1] == "1";
            long data = 0;
            if (fields.size() > 2 && ParseLong(fields[2], data))
                item.data = data;
            break;
        }
    }
}

void RestoreControls(Settings& settings, std::string_view regRoot, std::string_view fileKey,
                     const std::vector<OptionDecl>& declared, ControlStates& states) {
    SettingsStore& store = settings.Store();
    for (const auto& decl : declared) {
        if (!Persisted(decl.kind))
            continue;
        auto target = ResolveDataField(decl.dataField, fileKey);
        if (!target)
            continue;
        std::string key = JoinKeyPath(regRoot, target->subKey);
        ControlState& state = states[decl.control];
        switch (decl.kind) {
        case OptionKind::CheckBox:
            // Only the three values a check box can show; anything else leaves it alone.
            if (auto n = StoredNumber(store, key, target->valueName); n && *n >= 0 && *n <= 2)
                state.value = static_cast<int>(*n);
            break;
        case OptionKind::TextBox: {
            std::string text = settings.GetSettingString(key, {}, target->valueName, {});
            if (!settings.SettingMissing())
                state.text = text;
            break;
        }
        case OptionKind::ListBox:
            RestoreListBox(store, key, target->valueName, state.items);
            break;
        case OptionKind::ComboBox:
            break;
        }
    }
}

void SaveControls(Settings& settings, std::string_view regRoot, std::string_view fileKey,
                  const std::vector<OptionDecl>& declared, const ControlStates& states) {
    for (const auto& decl : declared) {
        if (!Persisted(decl.kind))
            continue;
        auto target = ResolveDataField(decl.dataField, fileKey);
        if (!target)
            continue;
        auto it = states.find(decl.control);
        if (it == states.end())
            continue;
        std::string key = JoinKeyPath(regRoot, target->subKey);
        switch (decl.kind) {
        case OptionKind::CheckBox:
            settings.SaveSettingLong(key, {}, target->valueName, it->second.value);
            break;
        case OptionKind::TextBox:
            settings.SaveSettingString(key, {}, target->valueName, it->second.text);
            break;
        case OptionKind::ListBox:
            SaveListBox(settings.Store(), key, target->valueName, it->second.items);
            break;
        case OptionKind::ComboBox:
            break;
        }
    }
}

} // namespace hk
