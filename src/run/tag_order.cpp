#include "run/tag_order.h"

#include <cstdio>
#include <unordered_set>

#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "support/ini_file.h"
#include "support/text.h"

namespace hk {

StoredTag ParseStoredTag(std::string_view value) {
    StoredTag tag;
    auto bar = value.find('|');
    if (bar == std::string_view::npos) {
        // The older form: the check mark first, then the name.
        if (!value.empty()) {
            tag.checked = value[0] == '1';
            tag.name = std::string(Trim(value.substr(1)));
        }
        return tag;
    }
    tag.name = std::string(Trim(value.substr(0, bar)));
    std::string_view rest = value.substr(bar + 1);
    tag.checked = rest.substr(0, rest.find('|')) == "1";
    return tag;
}

std::vector<StoredTag> ReadStoredTagOrder(const SettingsStore& store, std::string_view keyPath) {
    std::vector<StoredTag> out;
    std::string key = JoinKeyPath(keyPath, kTagOrderSetting);
    auto count = store.QueryValue(key, "Count");
    if (!count)
        return out;
    long n = 0;
    if (count->type == SettingType::Dword)
        n = static_cast<int32_t>(count->dword);
    else if (count->type != SettingType::String || !ParseLong(count->data, n))
        return out;
    for (long i = 0; i < n; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "%03ld", i);
        auto value = store.QueryValue(key, name);
        if (!value || value->type != SettingType::String)
            continue;
        StoredTag tag = ParseStoredTag(value->data);
        if (!tag.name.empty())
            out.push_back(std::move(tag));
    }
    return out;
}

const std::vector<std::string>& DefaultTagOrderNames() {
    static const std::vector<std::string> names = {
        "Name-Var",  "Birth",     "Baptism",    "Adoption", "Education", "Graduation",
        "Milit-Beg", "Milit-End", "Occupation", "Marriage", "Name-Marr", "Divorce",
        "Census",    "Residence", "Will",       "Death",    "Burial",    "Note"};
    return names;
}

std::vector<ListItem> BuildTagOrder(const std::vector<StoredTag>& first,
                                    const CTMGTagTypes& tagTypes, const std::vector<long>& byName) {
    std::vector<ListItem> items;
    std::unordered_set<long> listed;
    auto add = [&](long number, bool checked) {
        if (number == 0 || !listed.insert(number).second)
            return;
        items.push_back({tagTypes.NameOf(number), checked, number});
    };
    for (const StoredTag& tag : first)
        add(tagTypes.FindByName(tag.name), tag.checked);
    // What the kept order does not name yet may be rewritten until the user says otherwise.
    for (const std::string& name : DefaultTagOrderNames())
        add(tagTypes.FindByName(name), true);
    for (long number : byName) {
        long group = tagTypes.GroupOf(number);
        if (group == kGroupFather || group == kGroupMother || group == kGroupParent)
            continue;
        if (Trim(tagTypes.NameOf(number)).empty())
            continue;
        add(number, true);
    }
    return items;
}

std::vector<long> TagTypesByName(db::CTMGDB& db) {
    std::vector<long> out;
    LoaderTable t;
    t.Open(db, "T");
    t.AcceptSharedDataset(true);
    t.SelectTag("EVTBYNAM");
    const int number = t.Field("ETypeNum");
    for (bool ok = t.First(); ok; ok = t.Next())
        out.push_back(t.Long(number));
    return out;
}

std::vector<StoredTag> StoredTagsOf(const std::vector<ListItem>& items) {
    std::vector<StoredTag> out;
    out.reserve(items.size());
    for (const ListItem& item : items)
        out.push_back({std::string(Trim(item.text)), item.selected});
    return out;
}

std::vector<ListItem> ProjectTagOrder(db::CTMGDB& db, const CTMGTagTypes& tagTypes,
                                      const std::vector<StoredTag>& first) {
    return BuildTagOrder(first, tagTypes, TagTypesByName(db));
}

OptionDecl TagOrderOption() {
    OptionDecl tags;
    tags.control = kTagOrderControl;
    tags.kind = OptionKind::ListBox;
    tags.caption = "Tag Order";
    tags.dataField = std::string("r:<file>\\") + kTagOrderSetting;
    return tags;
}

void FillTagOrderList(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                      std::string_view fileKey, ControlStates& states) {
    if (fileKey.empty())
        return;
    CTMGTagTypes tagTypes;
    LoadTagTypes(db, tagTypes);
    auto stored = ReadStoredTagOrder(settings.Store(), JoinKeyPath(regRoot, fileKey));
    states[kTagOrderControl].items = ProjectTagOrder(db, tagTypes, stored);
}

std::vector<std::string> FitTagOrderList(db::CTMGDB& db, ControlStates& states) {
    auto it = states.find(kTagOrderControl);
    if (it == states.end())
        return {};
    CTMGTagTypes tagTypes;
    LoadTagTypes(db, tagTypes);
    std::vector<StoredTag> given = StoredTagsOf(it->second.items);
    std::vector<std::string> unknown;
    for (const StoredTag& tag : given)
        if (tagTypes.FindByName(tag.name) == 0)
            unknown.push_back(tag.name);
    it->second.items = ProjectTagOrder(db, tagTypes, given);
    return unknown;
}

} // namespace hk
