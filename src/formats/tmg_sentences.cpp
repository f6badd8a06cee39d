#include "formats/tmg_sentences.h"

#include "formats/sentence_keywords.h"
#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kDuplicateKeyText =
    "This key is already associated with an element of this collection";
constexpr std::string_view kLabelsEnd = "[:LABELS]";
constexpr std::string_view kPackedSeparator = "$!&";

bool IsEnglish(std::string_view language) {
    return UpperText(language) == kEnglishLanguage;
}

// Past a "[C=...]" marker at the start of `text`, or npos when there is none.
std::size_t ConsistencyMarkerEnd(std::string_view text) {
    if (!text.starts_with("[C="))
        return std::string_view::npos;
    std::size_t close = text.find(']');
    return close == std::string_view::npos ? close : close + 1;
}

} // namespace

void CTMGSentenceRole::LoadRole(std::string_view role, std::string_view sectionText) {
    role_ = std::string(role);
    consistency_.clear();
    std::string_view rest = sectionText;
    if (!role.empty())
        rest = rest.substr(std::min(rest.size(), role.size() + 4)); // "[R=" role "]"
    rest = Trim(rest);
    if (std::size_t end = ConsistencyMarkerEnd(rest); end != std::string_view::npos) {
        consistency_ = std::string(rest.substr(0, end));
        rest = TrimLeft(rest.substr(end));
        while ((end = ConsistencyMarkerEnd(rest)) != std::string_view::npos)
            rest = TrimLeft(rest.substr(end));
    }
    rest = Trim(rest);
    if (rest.ends_with(kPackedSeparator))
        rest.remove_suffix(kPackedSeparator.size());
    sentence_ = std::string(rest);
}

void CTMGSentenceRole::CopyFrom(const CTMGSentenceRole& other) {
    role_ = other.role_;
    consistency_ = other.consistency_;
    sentence_ = other.sentence_;
}

std::string CTMGSentenceRole::Definition() const {
    std::string out;
    if (!role_.empty())
        out += "[R=" + role_ + "]";
    if (IsEnglish(language_))
        out += consistency_;
    out += sentence_;
    return out;
}

std::string CTMGSentenceRole::DebugText(std::string_view indent) const {
    std::string in(indent);
    return in + "Role=" + role_ + "\n" + in + "Consistency='" + consistency_ + "'\n" + in +
           "Sentence='" + sentence_ + "'\n";
}

void CTMGSentenceLanguage::LoadLanguage(std::string_view language, std::string_view sectionText,
                                        std::string_view roleFilter) {
    name_ = std::string(language);
    roles_.Clear();
    std::string_view roleName;
    try {
        auto load = [&](std::string_view role, std::string_view text) {
            roleName = role;
            if (!roleFilter.empty() && UpperText(roleFilter) != UpperText(role))
                return;
            CTMGSentenceRole r;
            r.SetLanguage(name_);
            r.LoadRole(role, text);
            if (!roles_.Add(role, std::move(r)))
                throw Error(kErrDuplicateKey, "", std::string(kDuplicateKeyText));
        };
        std::optional<KeywordEntry> entry = FindKeywordEntry(sectionText, "R");
        if (!entry)
            load({}, sectionText);
        while (entry) {
            std::optional<KeywordEntry> next = FindKeywordEntry(sectionText, "R", entry->end);
            std::size_t stop = next ? next->begin : sectionText.size();
            load(entry->value, sectionText.substr(entry->begin, stop - entry->begin));
            entry = next;
        }
    } catch (const Error& e) {
        throw Error(e.Number(), "[CTMGSentenceLanguage.LoadLanguage]",
                    e.Description() + " Role=" + std::string(roleName) +
                        " Language=" + std::string(language));
    }
}

void CTMGSentenceLanguage::SetName(std::string name) {
    name_ = std::move(name);
    for (int i = 0; i < roles_.Count(); ++i)
        roles_.At(i).SetLanguage(name_);
}

const std::string& CTMGSentenceLanguage::SentenceOf(std::string_view role) const {
    static const std::string kEmpty;
    const CTMGSentenceRole* r = roles_.Find(role);
    return r ? r->Sentence() : kEmpty;
}

bool CTMGSentenceLanguage::AddRole(const CTMGSentenceRole& role) {
    CTMGSentenceRole copy;
    copy.CopyFrom(role);
    copy.SetLanguage(name_);
    std::string key = copy.Role(); // not a view into what the move empties
    return roles_.Add(key, std::move(copy));
}

std::string CTMGSentenceLanguage::Definition() const {
    std::string out = "[L=" + name_ + "]";
    for (const auto& [key, role] : roles_)
        out += role.Definition();
    return out;
}

std::string CTMGSentenceLanguage::DebugText(std::string_view indent) const {
    std::string out = std::string(indent) + "Language=" + name_ + "\n";
    std::string inner = std::string(indent) + " ";
    for (const auto& [key, role] : roles_)
        out += role.DebugText(inner);
    return out;
}

void CTMGSentences::LoadSentences(std::string_view memoText, std::string_view roleFilter) {
    languages_.Clear();
    labelsBlock_.clear();
    std::string_view rest = memoText;
    if (std::size_t labels = memoText.find(kLabelsEnd); labels != std::string_view::npos) {
        std::size_t end = labels + kLabelsEnd.size();
        while (end < memoText.size() && (memoText[end] == '\r' || memoText[end] == '\n'))
            ++end;
        labelsBlock_ = std::string(memoText.substr(0, end));
        rest = memoText.substr(end);
    }
    sectionSeparator_ = rest.find_first_of("\r\n") == std::string_view::npos ? "" : "\r\n";
    std::string text = RemoveLineBreaks(rest);
    std::string_view language;
    try {
        std::optional<KeywordEntry> entry = FindKeywordEntry(text, "L");
        while (entry) {
            std::optional<KeywordEntry> next = FindKeywordEntry(text, "L", entry->end);
            std::size_t stop = next ? next->begin : text.size();
            std::string_view section = std::string_view(text).substr(entry->end, stop - entry->end);
            language = entry->value;
            if (!Trim(section).empty()) {
                CTMGSentenceLanguage lang;
                lang.LoadLanguage(language, section, roleFilter);
                if (!languages_.Add(language, std::move(lang)))
                    throw Error(kErrDuplicateKey, "", std::string(kDuplicateKeyText));
            }
            entry = next;
        }
    } catch (const Error& e) {
        std::string description = e.Description() + "\n" + std::string(memoText);
        if (e.Number() == kErrDuplicateKey)
            description += ", Key=" + UpperText(language);
        throw Error(e.Number(), "[CTMGSentences.LoadSentences]", description);
    }
}

CTMGSentenceLanguage& CTMGSentences::Language(std::string_view name) {
    if (!languages_.Contains(kEnglishLanguage)) {
        CTMGSentenceLanguage english;
        english.SetName(std::string(kEnglishLanguage));
        languages_.Add(kEnglishLanguage, std::move(english));
    }
    if (!languages_.Contains(name)) {
        CTMGSentenceLanguage copy = *languages_.Find(kEnglishLanguage);
        copy.SetName(std::string(name));
        languages_.Add(name, std::move(copy));
    }
    CTMGSentenceLanguage& lang = *languages_.Find(name);
    if (fillFromEnglish_ && !IsEnglish(name)) {
        const CTMGSentenceLanguage& english = *languages_.Find(kEnglishLanguage);
        for (int i = 0; i < english.RoleCount(); ++i) {
            const CTMGSentenceRole& role = english.RoleAt(i);
            if (!role.Sentence().empty() && !lang.HasRole(role.Role()))
                lang.AddRole(role);
        }
    }
    return lang;
}

KeyedList<std::string> CTMGSentences::GetSentencesByRole(std::string_view language) {
    const CTMGSentenceLanguage& lang = AddLanguage(language);
    KeyedList<std::string> out;
    for (int i = 0; i < lang.RoleCount(); ++i)
        out.Add(lang.RoleAt(i).Role(), lang.RoleAt(i).Sentence());
    return out;
}

CTMGSentenceLanguage& CTMGSentences::AddLanguage(std::string_view name) {
    if (!languages_.Contains(name)) {
        CTMGSentenceLanguage lang;
        lang.SetName(std::string(name));
        languages_.Add(name, std::move(lang));
    }
    return *languages_.Find(name);
}

bool CTMGSentences::RenameLanguage(std::string_view from, std::string_view to) {
    CTMGSentenceLanguage* lang = languages_.Find(from);
    if (!lang || !languages_.Rekey(from, to))
        return false;
    lang->SetName(std::string(to));
    return true;
}

std::string CTMGSentences::Definition() const {
    std::string out = labelsBlock_;
    bool first = true;
    for (const auto& [key, lang] : languages_) {
        if (lang.RoleCount() == 0)
            continue; // an empty section would be dropped when read again anyway
        if (!first)
            out += sectionSeparator_;
        out += lang.Definition();
        first = false;
    }
    return out;
}

std::string CTMGSentences::DebugText(std::string_view indent) const {
    std::string out = std::string(indent) + "Changed=" + (changed_ ? "True" : "False") + "\n";
    std::string inner = std::string(indent) + " ";
    for (const auto& [key, lang] : languages_)
        out += lang.DebugText(inner);
    return out;
}

} // namespace hk
