#include "run/option_items.h"

#include <algorithm>

#include "support/text.h"

namespace hk {
namespace {

// Name order as TMG's name indexes have it: without regard to case, then as stored.
template <typename T> std::vector<const T*> ByName(const std::vector<T>& all, auto keep) {
    std::vector<const T*> out;
    for (const T& item : all)
        if (keep(item))
            out.push_back(&item);
    std::stable_sort(out.begin(), out.end(), [](const T* a, const T* b) {
        std::string ua = Cp1252UpperStr(Utf8ToCp1252(a->name));
        std::string ub = Cp1252UpperStr(Utf8ToCp1252(b->name));
        return ua < ub;
    });
    return out;
}

} // namespace

bool FilledFromProject(const OptionDecl& decl) {
    return decl.source != ListSource::None && decl.source != ListSource::Fixed;
}

std::vector<ListItem> OptionItems(const OptionDecl& decl, const ProjectLists* lists) {
    std::vector<ListItem> items;
    for (const auto& text : decl.items)
        items.push_back({text, false, 0});
    if (lists == nullptr)
        return items;

    switch (decl.source) {
    case ListSource::None:
    case ListSource::Fixed:
        break;
    case ListSource::TagTypes:
        for (const TagTypeChoice* t : ByName(lists->tagTypes, [&](const TagTypeChoice& t) {
                 return !t.name.empty() && (decl.tagGroup == 0 || t.group == decl.tagGroup);
             }))
            items.push_back({t->name, false, t->number});
        break;
    case ListSource::Styles:
        for (const StyleChoice* s : ByName(
                 lists->styles, [&](const StyleChoice& s) { return s.group == decl.styleGroup; }))
            items.push_back({s->name, false, s->id});
        break;
    case ListSource::Flags:
        for (std::size_t i = 0; i < lists->flags.size(); ++i)
            items.push_back({lists->flags[i].label, false, static_cast<long>(i + 1)});
        break;
    case ListSource::Languages:
        for (std::size_t i = 0; i < lists->languages.size(); ++i)
            items.push_back({lists->languages[i], false, static_cast<long>(i + 1)});
        break;
    }
    return items;
}

int FindItem(const std::vector<ListItem>& items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (Cp1252UpperStr(Utf8ToCp1252(items[i].text)) == Cp1252UpperStr(Utf8ToCp1252(text)))
            return static_cast<int>(i);
    return -1;
}

} // namespace hk
