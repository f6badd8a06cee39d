#include "formats/tag_types.h"

#include <algorithm>

#include "formats/sentence_keywords.h"
#include "formats/tmg_sentences.h"
#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kSource = "[CTMGTagTypes.LoadTags]";

// One "[RL=...]" entry of a labels block with its labels by language.
struct LabelEntry {
    std::string id;
    bool backslashed = false;
    std::vector<std::pair<std::string, std::string>> labels; // language, label
};

std::vector<LabelEntry> ParseLabelsBlock(std::string_view memo) {
    constexpr std::string_view kStart = "[LABELS:]";
    constexpr std::string_view kEnd = "[:LABELS]";
    std::vector<LabelEntry> out;
    std::size_t start = memo.find(kStart);
    if (start == std::string_view::npos)
        return out;
    start += kStart.size();
    std::size_t end = memo.find(kEnd, start);
    std::string block = RemoveControlCharacters(
        memo.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    std::string_view text = block;
    std::optional<KeywordEntry> role = FindKeywordEntry(text, "RL");
    while (role) {
        std::optional<KeywordEntry> nextRole = FindKeywordEntry(text, "RL", role->end);
        std::string_view content =
            text.substr(role->end, (nextRole ? nextRole->begin : text.size()) - role->end);
        LabelEntry entry;
        entry.id = std::string(role->value);
        if (entry.id.starts_with('\\')) {
            entry.id.erase(0, 1);
            entry.backslashed = true;
        }
        std::optional<KeywordEntry> label = FindKeywordEntry(content, "L");
        while (label) {
            std::optional<KeywordEntry> nextLabel = FindKeywordEntry(content, "L", label->end);
            std::size_t stop = nextLabel ? nextLabel->begin : content.size();
            entry.labels.emplace_back(
                std::string(label->value),
                std::string(Trim(content.substr(label->end, stop - label->end))));
            label = nextLabel;
        }
        out.push_back(std::move(entry));
        role = nextRole;
    }
    return out;
}

// The value of key "_" language "=" value in a properties memo (lines ended by CR).
std::optional<std::string> PropertyValue(std::string_view properties, std::string_view key,
                                         std::string_view language) {
    std::string wanted = UpperText(std::string(key) + "_" + std::string(language));
    std::string text(properties);
    std::erase(text, '\n');
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t cr = rest.find('\r');
        std::string_view line = rest.substr(0, cr);
        rest = cr == std::string_view::npos ? std::string_view() : rest.substr(cr + 1);
        std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && UpperText(line.substr(0, eq)) == wanted)
            return std::string(Trim(line.substr(eq + 1)));
    }
    return std::nullopt;
}

bool IsNumeric(std::string_view s) {
    s = Trim(s);
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void NameMapping::Set(std::string_view section, std::string_view key, std::string value) {
    values_[UpperText(section) + "\n" + UpperText(key)] = std::move(value);
}

const std::string* NameMapping::Find(std::string_view section, std::string_view key) const {
    auto it = values_.find(UpperText(section) + "\n" + UpperText(key));
    return it == values_.end() ? nullptr : &it->second;
}

std::string_view CTMGTagTypes::SentenceField(std::string_view versionString) {
    return versionString > std::string_view("004.000.000") ? "TSentence" : "Sentence";
}

std::string_view CTMGTagTypes::GroupName(long group) {
    switch (group) {
    case kGroupName:
        return "Name";
    case kGroupFather:
        return "Father";
    case kGroupMother:
        return "Mother";
    case kGroupBirth:
        return "Birth";
    case kGroupDeath:
        return "Death";
    case kGroupMarriage:
        return "Marriage";
    case kGroupDivorce:
        return "Divorce";
    case kGroupHistory:
        return "History";
    case kGroupBurial:
        return "Burial";
    case kGroupAddress:
        return "Address";
    case kGroupParent:
        return "Parent";
    case kGroupOther:
        return "Other";
    default:
        return {};
    }
}

void CTMGTagTypes::Reset() {
    entries_.clear();
    byNumber_.clear();
}

void CTMGTagTypes::LoadTags(std::span<const TagTypeRow> rows, long dsid,
                            const NameMapping* nameMapping, std::string_view language) {
    Reset();
    try {
        for (const TagTypeRow& row : rows) {
            if (row.deleted || (row.dsid && *row.dsid != dsid && *row.dsid != 0))
                continue;
            if (entries_.size() >= static_cast<std::size_t>(kMaxEntries))
                throw Error(-1, std::string(kSource), "Too many tag types");
            Entry entry;
            entry.number = row.eTypeNum;
            entry.group = row.admin;
            entry.name = std::string(Trim(row.eTypeName));
            entry.sentence = std::string(Trim(row.sentence));
            if (!language.empty() && !row.properties.empty()) {
                std::optional<std::string> label = PropertyValue(row.properties, "l", language);
                if (label && !label->empty())
                    entry.name = std::move(*label);
            }
            LoadRoles(entry, nameMapping, language);
            entries_.push_back(std::move(entry));
        }
    } catch (const Error& e) {
        throw Error(e.Number(), std::string(kSource), e.Description());
    }
    for (std::size_t i = 0; i < entries_.size(); ++i)
        byNumber_.emplace(entries_[i].number, i); // the first of a repeated number wins
}

void CTMGTagTypes::LoadRoles(Entry& entry, const NameMapping* nameMapping,
                             std::string_view language) const {
    std::string wanted = UpperText(language);
    std::unordered_map<std::string, int> takenLabels; // before mapping, for "#2", "#3", ...
    for (LabelEntry& labels : ParseLabelsBlock(entry.sentence)) {
        const std::string* chosen = nullptr;
        for (const auto& [lang, text] : labels.labels)
            if (UpperText(lang) == wanted) {
                chosen = &text;
                break;
            }
        if (!chosen)
            for (const auto& [lang, text] : labels.labels)
                if (UpperText(lang) == kEnglishLanguage) {
                    chosen = &text;
                    break;
                }
        // A role without any usable label is shown by its id.
        std::string base = chosen && !chosen->empty() ? *chosen : labels.id;
        std::string label = base;
        for (int n = 2; takenLabels.contains(UpperText(label)); ++n)
            label = base + "#" + std::to_string(n);
        takenLabels.emplace(UpperText(label), 0);
        if (nameMapping) {
            const std::string* mapped = nameMapping->Find("RoleNames", entry.name + "." + label);
            if (!mapped)
                mapped = nameMapping->Find("RoleNames", label);
            if (mapped)
                label = *mapped;
        }
        std::string folded = UpperText(label);
        if (entry.roles.Contains(labels.id) || entry.labels.contains(folded))
            throw Error(kErrDuplicateKey, std::string(kSource),
                        "Duplicate key loading role information, tag type=" + entry.name +
                            ", language=" + std::string(language));
        entry.labels.emplace(folded, entry.roles.Count());
        entry.roles.Add(labels.id, TagRole{labels.id, label, labels.backslashed});
    }
}

const CTMGTagTypes::Entry* CTMGTagTypes::Find(long number) const {
    auto it = byNumber_.find(number);
    return it == byNumber_.end() ? nullptr : &entries_[it->second];
}

long CTMGTagTypes::NumberAt(int slot) const {
    return slot >= 1 && slot < Count() ? entries_[static_cast<std::size_t>(slot - 1)].number : 0;
}

long CTMGTagTypes::GroupOf(long number) const {
    const Entry* e = Find(number);
    return e ? e->group : 0;
}

const std::string& CTMGTagTypes::NameOf(long number) const {
    static const std::string kEmpty;
    const Entry* e = Find(number);
    return e ? e->name : kEmpty;
}

const std::string& CTMGTagTypes::SentenceOf(long number) const {
    static const std::string kEmpty;
    const Entry* e = Find(number);
    return e ? e->sentence : kEmpty;
}

long CTMGTagTypes::FindByName(std::string_view name) const {
    std::string wanted = UpperText(Trim(name));
    for (const Entry& e : entries_)
        if (UpperText(e.name) == wanted)
            return e.number;
    return 0;
}

std::string CTMGTagTypes::RoleName(long number, std::string_view roleId) const {
    if (!IsNumeric(roleId))
        return std::string(roleId);
    const Entry* e = Find(number);
    const TagRole* role = e ? e->roles.Find(Trim(roleId)) : nullptr;
    return role ? role->label : std::string();
}

std::string CTMGTagTypes::RoleID(long number, std::string_view roleLabel) const {
    const Entry* e = Find(number);
    if (!e)
        return {};
    auto it = e->labels.find(UpperText(roleLabel));
    return it == e->labels.end() ? std::string() : e->roles.At(it->second).id;
}

int CTMGTagTypes::RoleCount(long number) const {
    const Entry* e = Find(number);
    return e ? e->roles.Count() : 0;
}

const TagRole* CTMGTagTypes::RoleAt(long number, int index) const {
    const Entry* e = Find(number);
    if (!e || index < 1 || index > e->roles.Count())
        return nullptr;
    return &e->roles.At(index - 1);
}

std::string CTMGTagTypes::RoleLabelAt(long number, int index) const {
    const TagRole* r = RoleAt(number, index);
    return r ? r->label : std::string();
}

std::string CTMGTagTypes::RoleIDAt(long number, int index) const {
    const TagRole* r = RoleAt(number, index);
    return r ? r->id : std::string();
}

bool CTMGTagTypes::HasRoleID(long number, std::string_view roleId) const {
    const Entry* e = Find(number);
    return e && e->roles.Contains(Trim(roleId));
}

} // namespace hk
