#include "formats/style_template.h"

#include <algorithm>

#include "formats/name_parts.h"
#include "formats/place_parts.h"
#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {

void StyleVariables::Set(std::string_view name, int part) {
    parts_[UpperText(Trim(name))] = part;
}

StyleVariables StyleVariables::For(StyleGroup group, std::span<const PartTypeRow> partTypes,
                                   long dsid) {
    StyleVariables v;
    int partCount = 0;
    if (group == StyleGroup::Name) {
        partCount = NameParts::kPartCount;
        v.Set("title", kNameTitle);
        v.Set("givenname", kNameGiven);
        v.Set("surname", kNameSurname);
        v.Set("suffix", kNameSuffix);
        v.Set("sortsurname", kNameSortSurname);
        v.Set("sortgiven", kNameSortGiven);
    } else {
        partCount = PlaceParts::kPartCount;
        for (int id = 0; id < PlaceParts::kPartCount; ++id) {
            v.Set(PlaceParts::PartToken(id), id);
            v.Set("l" + std::to_string(id + 1), id);
        }
    }
    // Dataset 0 first, so that a row of the current dataset overrides it.
    for (long pass : {0L, dsid}) {
        for (const PartTypeRow& row : partTypes) {
            if (row.deleted || row.dsid != pass || Trim(row.shortValue).empty())
                continue;
            if (row.type >= 1 && row.type <= partCount)
                v.Set(row.shortValue, static_cast<int>(row.type - 1));
        }
        if (dsid == 0)
            break;
    }
    return v;
}

std::optional<int> StyleVariables::Find(std::string_view name) const {
    auto it = parts_.find(UpperText(Trim(name)));
    if (it == parts_.end())
        return std::nullopt;
    return it->second;
}

namespace {

class Compiler {
public:
    Compiler(StyleGroup group, const StyleVariables& variables)
        : group_(group), variables_(variables) {}

    CompiledTemplate Run(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            switch (c) {
            case '(':
            case ')':
                FlushLiteral(LiteralKind());
                Push(LiteralKind(), std::string(1, c));
                break;
            case '<':
                if (inGroup_) {
                    buffer_ += c; // groups do not nest
                    break;
                }
                // The group supplies its own blank when it prints.
                if (!buffer_.empty() && buffer_.back() == ' ')
                    buffer_.pop_back();
                FlushLiteral(kTokenLiteral);
                groupStart_ = Push(kTokenGroupStart, {});
                inGroup_ = true;
                break;
            case '>':
                if (inGroup_)
                    CloseGroup();
                else
                    buffer_ += c;
                break;
            case '[': {
                std::size_t close = text.find(']', i + 1);
                if (close == std::string_view::npos) {
                    buffer_.append(text.substr(i)); // an unclosed "[" is plain text
                    i = text.size();
                    break;
                }
                if (!inGroup_) {
                    FlushLiteral(kTokenLiteral);
                } else if (!buffer_.empty()) {
                    if (std::string_view(".,'\"; ").find(buffer_.front()) == std::string_view::npos)
                        buffer_.insert(buffer_.begin(), ' ');
                    FlushLiteral(kTokenGroupLiteral);
                }
                AddVariable(text.substr(i + 1, close - i - 1));
                i = close;
                break;
            }
            default:
                buffer_ += c;
            }
        }
        if (inGroup_)
            CloseGroup(); // an unclosed group ends with the template
        FlushLiteral(kTokenLiteral);
        Push(kTokenEnd, {});
        out_.rawTokenCount = static_cast<int>(out_.tokens.size());
        Fold();
        return std::move(out_);
    }

private:
    int LiteralKind() const { return inGroup_ ? kTokenGroupLiteral : kTokenLiteral; }

    int Push(int kind, std::string text, int part = -1) {
        out_.tokens.push_back({kind, std::move(text), part, -1});
        return static_cast<int>(out_.tokens.size()) - 1;
    }

    void FlushLiteral(int kind) {
        if (buffer_.empty())
            return;
        Push(kind, std::move(buffer_));
        buffer_.clear();
    }

    void AddVariable(std::string_view name) {
        std::optional<int> part = variables_.Find(name);
        if (!part)
            out_.invalidVariables.emplace_back(name);
        Push(inGroup_ ? kTokenGroupVariable : kTokenVariable, std::string(name), part.value_or(-1));
    }

    void CloseGroup() {
        FlushLiteral(kTokenGroupLiteral);
        int end = Push(kTokenGroupEnd, {});
        for (int k = end - 1; k >= groupStart_; --k)
            if (out_.tokens[k].link == -1)
                out_.tokens[k].link = end;
        inGroup_ = false;
    }

    static bool IsLiteral(const StyleToken& t, std::string_view text) {
        return t.kind == kTokenLiteral && t.text == text;
    }

    // Replaces common token patterns by the single tokens the formatter handles directly.
    void Fold() {
        std::vector<StyleToken>& in = out_.tokens;
        std::vector<StyleToken> folded;
        std::vector<int> newIndex(in.size(), -1);
        auto at = [&in](std::size_t k) -> const StyleToken* {
            return k < in.size() ? &in[k] : nullptr;
        };
        for (std::size_t i = 0; i < in.size();) {
            const StyleToken& t = in[i];
            newIndex[i] = static_cast<int>(folded.size());
            if (group_ == StyleGroup::Place && t.kind == kTokenGroupStart && i + 3 < in.size() &&
                in[i + 1].kind == kTokenGroupVariable && in[i + 2].kind == kTokenGroupLiteral &&
                in[i + 2].text == ", " && in[i + 3].kind == kTokenGroupEnd) {
                folded.push_back({kTokenVariableComma, in[i + 1].text, in[i + 1].part, -1});
                i += 4;
                continue;
            }
            if (group_ == StyleGroup::Name) {
                const StyleToken* v = at(i + 1);
                const StyleToken* close = at(i + 2);
                if (IsLiteral(t, "(") && v && v->kind == kTokenVariable && close &&
                    IsLiteral(*close, ")")) {
                    const StyleToken* blank = at(i + 3);
                    bool withBlank = blank && IsLiteral(*blank, " ");
                    folded.push_back({withBlank ? kTokenVariableParensBlank : kTokenVariableParens,
                                      v->text, v->part, -1});
                    i += withBlank ? 4 : 3;
                    continue;
                }
                if (t.kind == kTokenVariable && v && IsLiteral(*v, " ")) {
                    folded.push_back({kTokenVariableBlank, t.text, t.part, -1});
                    i += 2;
                    continue;
                }
            }
            folded.push_back(t);
            ++i;
        }
        // Links point at group ends, which folding keeps (a folded group takes its links along).
        for (StyleToken& t : folded)
            if (t.link >= 0)
                t.link = newIndex[static_cast<std::size_t>(t.link)];
        if (group_ == StyleGroup::Name)
            for (StyleToken& t : folded)
                if (t.kind == kTokenLiteral || t.kind == kTokenGroupLiteral)
                    std::replace(t.text.begin(), t.text.end(), ',', kStyleCommaMark);
        in = std::move(folded);
    }

    StyleGroup group_;
    const StyleVariables& variables_;
    CompiledTemplate out_;
    std::string buffer_;
    bool inGroup_ = false;
    int groupStart_ = -1;
};

} // namespace

CompiledTemplate CompileStyleTemplate(std::string_view text, StyleGroup group,
                                      const StyleVariables& variables) {
    return Compiler(group, variables).Run(text);
}

} // namespace hk
