#include "formats/style_formatter.h"

#include <algorithm>

#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kBuiltInPlace = "<[Addressee], ><[Detail], ><[City], ><[County], "
                                           "><[State], ><[Country], ><[Postal], ><[Phone], "
                                           "><[LatLong], >";
constexpr std::string_view kBuiltInNameDisplay = "[Title] [GivenName] [Surname] [Suffix]";
constexpr std::string_view kBuiltInNameSort = "[SortSurname], [SortGiven] [Suffix] [Title]";
constexpr std::string_view kBuiltInNameSurnameFirst = "[Surname], [GivenName] ([Title]) [Suffix]";

// Where the surname marks of a marked name copy stand while the name is assembled.
constexpr char kSurnameMark = '\x01';

bool UsesTemplate(StyleGroup group, int slot) {
    if (group == StyleGroup::Name)
        return slot < static_cast<int>(StyleTemplate::ShortPlace);
    return slot == static_cast<int>(StyleTemplate::Display) ||
           slot == static_cast<int>(StyleTemplate::Output) ||
           slot == static_cast<int>(StyleTemplate::ShortPlace);
}

// Memo text as a template: line breaks and other control characters go, the ends are trimmed.
std::string NormaliseTemplate(std::string_view memo) {
    std::string out;
    out.reserve(memo.size());
    for (char c : memo)
        if (static_cast<unsigned char>(c) >= 32)
            out += c;
    return std::string(Trim(out));
}

bool EndsWithBlank(const std::string& s) {
    return !s.empty() && s.back() == ' ';
}

bool IsMark(char c) {
    return c == kSurnameMark || c == kStyleCommaMark;
}

// In every run of blanks and surname marks, keeps the marks and only the run's first blank.
std::string ReduceBlanksAroundMarks(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] != ' ' && s[i] != kSurnameMark) {
            out += s[i++];
            continue;
        }
        std::size_t j = i;
        while (j < s.size() && (s[j] == ' ' || s[j] == kSurnameMark))
            ++j;
        std::string_view run(s.data() + i, j - i);
        if (run.find(kSurnameMark) == std::string_view::npos) {
            out.append(run);
        } else {
            bool blankDone = false;
            for (char c : run) {
                if (c == kSurnameMark)
                    out += c;
                else if (!blankDone)
                    out += ' ', blankDone = true;
            }
        }
        i = j;
    }
    return out;
}

// The last character of `s` that is neither a blank nor a surname mark, or 0.
char LastVisible(const std::string& s) {
    for (auto it = s.rbegin(); it != s.rend(); ++it)
        if (*it != ' ' && *it != kSurnameMark)
            return *it;
    return 0;
}

// Template commas become real commas, except one with nothing before it (dropped with the
// blanks after it), one that follows another (dropped with the blanks between) and one
// with nothing after it.
std::string ResolveCommas(const std::string& s) {
    std::string out;
    bool skipBlanks = false;
    for (char c : s) {
        if (skipBlanks && c == ' ')
            continue;
        skipBlanks = false;
        if (c != kStyleCommaMark) {
            out += c;
            continue;
        }
        char last = LastVisible(out);
        if (last == 0) {
            skipBlanks = true;
        } else if (last == kStyleCommaMark) {
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
        } else {
            out += c;
        }
    }
    if (LastVisible(out) == kStyleCommaMark)
        out.erase(out.rfind(kStyleCommaMark), 1);
    std::replace(out.begin(), out.end(), kStyleCommaMark, ',');
    return out;
}

} // namespace

void CTMGStyleFormatter::Reset() {
    tokens_.clear();
    styles_.clear();
    messages_.clear();
    StyleVariables names = StyleVariables::For(StyleGroup::Name);
    StyleVariables places = StyleVariables::For(StyleGroup::Place);
    AddStyle(1, StyleGroup::Place, 0, "[1] (P)", {kBuiltInPlace, kBuiltInPlace, {}, {}, {}, {}, {}},
             places);
    AddStyle(2, StyleGroup::Name, 0, "[2] (N)",
             {kBuiltInNameDisplay,
              kBuiltInNameDisplay,
              kBuiltInNameSort,
              kBuiltInNameSurnameFirst,
              {},
              {},
              {}},
             names);
}

void CTMGStyleFormatter::LoadStyles(const StyleTables& tables) {
    if (tables.versionMajor < 5) {
        Reset();
        return;
    }
    tokens_.clear();
    styles_.clear();
    messages_.clear();
    StyleVariables names = StyleVariables::For(StyleGroup::Name, tables.namePartTypes, tables.dsid);
    StyleVariables places =
        StyleVariables::For(StyleGroup::Place, tables.placePartTypes, tables.dsid);
    for (const StyleRow& row : tables.styles) {
        if (row.deleted || (row.dsid != 0 && row.dsid != tables.dsid))
            continue;
        std::string group = AsciiUpper(Trim(row.group));
        if (group != "N" && group != "P")
            continue;
        auto existing = styles_.find(row.styleId);
        if (existing != styles_.end() && existing->second.dsid == tables.dsid && row.dsid == 0)
            continue;
        StyleGroup g = group == "N" ? StyleGroup::Name : StyleGroup::Place;
        std::string description = "[" + std::to_string(row.styleId) + "] " +
                                  std::string(Trim(row.styleName)) + " (" +
                                  std::string(Trim(row.group)) + ")";
        std::string texts[kStyleTemplateCount] = {NormaliseTemplate(row.stDisplay),
                                                  NormaliseTemplate(row.stOutput),
                                                  NormaliseTemplate(row.srnameSort),
                                                  NormaliseTemplate(row.srnameDisp),
                                                  NormaliseTemplate(row.gvnameSort),
                                                  NormaliseTemplate(row.gvnameDisp),
                                                  NormaliseTemplate(tables.shortPlaceTemplate)};
        Templates views;
        for (int i = 0; i < kStyleTemplateCount; ++i)
            views[i] = texts[i];
        AddStyle(row.styleId, g, row.dsid, description, views,
                 g == StyleGroup::Name ? names : places);
    }
}

void CTMGStyleFormatter::AddStyle(long styleId, StyleGroup group, long dsid,
                                  std::string_view description, const Templates& templates,
                                  const StyleVariables& variables) {
    Style style;
    style.group = group;
    style.dsid = dsid;
    style.first.fill(-1);
    for (int slot = 0; slot < kStyleTemplateCount; ++slot) {
        if (!UsesTemplate(group, slot))
            continue;
        CompiledTemplate compiled = CompileStyleTemplate(templates[slot], group, variables);
        for (const std::string& name : compiled.invalidVariables) {
            messages_ += "\"" + name + "\" is invalid in \"" + std::string(templates[slot]) + "\"";
            if (slot == static_cast<int>(StyleTemplate::ShortPlace))
                messages_ += " (short place template)";
            messages_ += " for style " + std::string(description) + "\n";
        }
        style.first[slot] = AddTokens(compiled);
    }
    styles_[styleId] = style;
}

int CTMGStyleFormatter::AddTokens(const CompiledTemplate& compiled) {
    // The limit counts the tokens as compiled, before folding shrinks them.
    if (tokens_.size() + static_cast<std::size_t>(compiled.rawTokenCount) >
        static_cast<std::size_t>(kMaxTokens))
        throw Error(-1, "Tokens_Add", "Token limit exceeded loading styles");
    int base = static_cast<int>(tokens_.size());
    for (StyleToken t : compiled.tokens) {
        if (t.link >= 0)
            t.link += base;
        tokens_.push_back(std::move(t));
    }
    return base;
}

bool CTMGStyleFormatter::HasStyle(long styleId, StyleGroup group) const {
    auto it = styles_.find(styleId);
    return it != styles_.end() && it->second.group == group;
}

int CTMGStyleFormatter::GetFirstTokenForStyle(long styleId, StyleGroup group,
                                              StyleTemplate which) const {
    auto it = styles_.find(styleId);
    if (it == styles_.end() || it->second.group != group)
        throw Error(-1, "CTMGStyleFormatter.GetFirstTokenForStyle",
                    "Invalid StyleID " + std::to_string(styleId) + " formatting " +
                        (group == StyleGroup::Name ? "name" : "place"));
    return it->second.first[static_cast<std::size_t>(which)];
}

std::string CTMGStyleFormatter::Walk(int first, PartValueFn value, const void* parts) const {
    std::string out;
    std::string pending;
    if (first < 0)
        return out;
    for (std::size_t i = static_cast<std::size_t>(first); i < tokens_.size();) {
        const StyleToken& t = tokens_[i];
        std::size_t next = i + 1;
        const std::string& v = value(parts, t.part);
        switch (t.kind) {
        case kTokenEnd:
            return out;
        case kTokenLiteral:
            out += t.text;
            break;
        case kTokenVariable:
            out += v;
            break;
        case kTokenGroupStart:
            pending.clear();
            break;
        case kTokenGroupVariable:
            if (v.empty()) {
                // Past the group's end: what the group gathered so far is dropped too.
                if (t.link >= 0)
                    next = static_cast<std::size_t>(t.link) + 1;
                break;
            }
            if (!out.empty() && !EndsWithBlank(out) && pending.empty())
                pending += ' ';
            pending += v;
            break;
        case kTokenGroupLiteral:
            pending += t.text;
            break;
        case kTokenGroupEnd:
            out += pending;
            pending.clear();
            if (t.link >= 0)
                next = static_cast<std::size_t>(t.link);
            break;
        case kTokenVariableBlank:
            if (!v.empty()) {
                out += v;
                out += ' ';
            }
            break;
        case kTokenVariableParens:
        case kTokenVariableParensBlank:
            if (!v.empty()) {
                out += '(';
                out += v;
                out += t.kind == kTokenVariableParens ? ")" : ") ";
            }
            break;
        case kTokenVariableComma:
            if (!v.empty()) {
                if (!out.empty() && !EndsWithBlank(out))
                    out += ' ';
                out += v;
                out += ", ";
            }
            break;
        }
        i = next;
    }
    return out;
}

std::string CTMGStyleFormatter::FormatPlace(const PlaceParts::Texts& parts, long styleId,
                                            StyleTemplate which) const {
    auto value = [](const void* texts, int part) -> const std::string& {
        static const std::string kEmpty;
        const auto& t = *static_cast<const PlaceParts::Texts*>(texts);
        return part >= 0 && part < PlaceParts::kPartCount ? t[static_cast<std::size_t>(part)]
                                                          : kEmpty;
    };
    std::string out = Walk(GetFirstTokenForStyle(styleId, StyleGroup::Place, which), value, &parts);
    if (out.ends_with(", "))
        out.resize(out.size() - 2);
    else if (out.ends_with(","))
        out.pop_back();
    return out;
}

std::string CTMGStyleFormatter::FormatName(const NameParts& parts, const NameParts* markedParts,
                                           long styleId, StyleTemplate which,
                                           std::string* leadingPart) const {
    int first = GetFirstTokenForStyle(styleId, StyleGroup::Name, which);
    auto fromParts = [](const void* p, int part) -> const std::string& {
        return static_cast<const NameParts*>(p)->PartValue(part);
    };
    auto fromArray = [](const void* p, int part) -> const std::string& {
        static const std::string kEmpty;
        const auto& values = *static_cast<const std::array<std::string, NameParts::kPartCount>*>(p);
        return part >= 0 && part < NameParts::kPartCount ? values[static_cast<std::size_t>(part)]
                                                         : kEmpty;
    };
    // Parts are copied only to turn "|" into surname marks, or to take out a mark character
    // stored in a name, which must not act as one.
    bool copy = markedParts != nullptr;
    for (int id = 0; id < NameParts::kPartCount && !copy; ++id)
        copy = std::ranges::any_of(parts.PartValue(id), IsMark);
    std::array<std::string, NameParts::kPartCount> values;
    if (copy) {
        for (int id = 0; id < NameParts::kPartCount; ++id) {
            std::string& v = values[static_cast<std::size_t>(id)];
            v = (markedParts ? markedParts : &parts)->PartValue(id);
            std::erase_if(v, IsMark);
            if (markedParts)
                std::replace(v.begin(), v.end(), '|', kSurnameMark);
        }
    }
    std::string text = copy ? Walk(first, fromArray, &values) : Walk(first, fromParts, &parts);
    bool hasMark = text.find(kSurnameMark) != std::string::npos;
    if (hasMark)
        text = ReduceBlanksAroundMarks(text);
    if (text.find(kStyleCommaMark) != std::string::npos)
        text = ResolveCommas(text);
    if (leadingPart) {
        leadingPart->clear();
        std::size_t mark = text.find(kSurnameMark);
        if (mark != std::string::npos &&
            (which == StyleTemplate::Display || which == StyleTemplate::SurnameSort))
            *leadingPart = std::string(TrimLeft(std::string_view(text).substr(0, mark)));
    }
    if (hasMark)
        std::erase(text, kSurnameMark);
    return std::string(Trim(text));
}

} // namespace hk
