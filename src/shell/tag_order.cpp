#include "shell/tag_order.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "formats/tag_types.h"
#include "shell/option_persistence.h"
#include "support/ini_file.h"
#include "support/text.h"

namespace hk {
namespace {

std::string Folded(std::string_view name) {
    return Cp1252UpperStr(Utf8ToCp1252(Trim(name)));
}

std::optional<long> StoredCount(const SettingsStore& store, const std::string& key) {
    auto value = store.QueryValue(key, "Count");
    if (!value)
        return std::nullopt;
    if (value->type == SettingType::Dword)
        return static_cast<int32_t>(value->dword);
    long n = 0;
    if (value->type == SettingType::String && ParseLong(value->data, n))
        return n;
    return std::nullopt;
}

} // namespace

const std::vector<std::string>& DefaultTagOrderNames() {
    static const std::vector<std::string> names = {
        "Name-Var",  "Birth",     "Baptism",    "Adoption", "Education", "Graduation",
        "Milit-Beg", "Milit-End", "Occupation", "Marriage", "Name-Marr", "Divorce",
        "Census",    "Residence", "Will",       "Death",    "Burial",    "Note"};
    return names;
}

std::vector<ListItem> ReadStoredTagOrder(const SettingsStore& store, std::string_view keyPath) {
    std::string key = JoinKeyPath(keyPath, kTagOrderSubKey);
    std::vector<ListItem> items;
    auto count = StoredCount(store, key);
    for (long i = 0; count && i < *count; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "%03ld", i);
        auto value = store.QueryValue(key, name);
        if (!value || value->type != SettingType::String || value->data.empty())
            continue;
        const std::string& text = value->data;
        ListItem item;
        auto bar = text.find('|');
        if (bar == std::string::npos) {
            item.selected = text[0] == '1';
            item.text = text.substr(1);
        } else {
            item.text = text.substr(0, bar);
            auto rest = text.substr(bar + 1);
            item.selected = !rest.empty() && rest[0] == '1';
            auto bar2 = rest.find('|');
            long data = 0;
            if (bar2 != std::string::npos && ParseLong(rest.substr(bar2 + 1), data))
                item.data = data;
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ListItem> BuildTagOrder(const std::vector<ListItem>& stored,
                                    const std::vector<TagTypeChoice>& tagTypes) {
    std::vector<ListItem> order;
    std::vector<bool> listed(tagTypes.size(), false);
    auto find = [&](std::string_view name) -> int {
        std::string folded = Folded(name);
        if (folded.empty())
            return -1;
        for (std::size_t i = 0; i < tagTypes.size(); ++i)
            if (Folded(tagTypes[i].name) == folded)
                return static_cast<int>(i);
        return -1;
    };
    auto add = [&](int i, bool checked) {
        if (i < 0 || listed[static_cast<std::size_t>(i)])
            return;
        listed[static_cast<std::size_t>(i)] = true;
        const TagTypeChoice& t = tagTypes[static_cast<std::size_t>(i)];
        order.push_back({std::string(Trim(t.name)), checked, t.number});
    };

    for (const ListItem& item : stored)
        add(find(item.text), item.selected);
    for (const std::string& name : DefaultTagOrderNames())
        add(find(name), true);

    std::vector<int> rest;
    for (std::size_t i = 0; i < tagTypes.size(); ++i) {
        long g = tagTypes[i].group;
        if (!listed[i] && !Folded(tagTypes[i].name).empty() && g != kGroupFather &&
            g != kGroupMother && g != kGroupParent)
            rest.push_back(static_cast<int>(i));
    }
    std::stable_sort(rest.begin(), rest.end(), [&](int a, int b) {
        return Folded(tagTypes[static_cast<std::size_t>(a)].name) <
               Folded(tagTypes[static_cast<std::size_t>(b)].name);
    });
    for (int i : rest)
        add(i, true);
    return order;
}

void SaveTagOrder(SettingsStore& store, std::string_view keyPath,
                  const std::vector<ListItem>& items) {
    SaveListBox(store, keyPath, kTagOrderSubKey, items);
}

} // namespace hk
