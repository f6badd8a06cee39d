// CTMGCitationLoader's source output: what the source exporters write of the loaded source.
#include <algorithm>
#include <array>

#include "loaders/citation_loader.h"

namespace hk {
namespace {

const std::string& FirstNotEmpty(const std::string& a, const std::string& b, const std::string& c) {
    return !a.empty() ? a : !b.empty() ? b : c;
}

template <typename Range> std::string JoinNotEmpty(const Range& parts, std::string_view separator) {
    std::string out;
    for (const std::string& p : parts) {
        if (p.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += p;
    }
    return out;
}

std::string RepositoryName(std::string_view packed, const CTMGStyleFormatter& styles,
                           const FormatSettings& settings, long nameStyle) {
    // A repository without a given name is not a person of unknown name.
    FormatSettings plain = settings;
    plain.SetUnknownNamePlaceholder({});
    NameParts parts;
    parts.DecodePackedName(packed, plain);
    if (styles.HasStyle(nameStyle, StyleGroup::Name))
        return styles.FormatName(parts, nullptr, nameStyle, StyleTemplate::Output);
    std::array<std::string, 4> shown = {parts.PartValue(kNameTitle), parts.PartValue(kNameGiven),
                                        parts.PartValue(kNameSurname),
                                        parts.PartValue(kNameSuffix)};
    return JoinNotEmpty(shown, " ");
}

std::string RepositoryAddress(long placeNumber, CTMGPlaceLoader& places,
                              const CTMGStyleFormatter& styles) {
    if (placeNumber <= 0 || !places.SeekPlace(placeNumber))
        return {};
    long style = places.StyleID();
    if (styles.HasStyle(style, StyleGroup::Place))
        return styles.FormatPlace(places.Parts(), style, StyleTemplate::Output);
    return JoinNotEmpty(places.Parts().DisplayTexts(), ", ");
}

} // namespace

SourceTexts CTMGCitationLoader::SourceTemplates(const SourceTypeValues& type) const {
    const SourceValues& s = source_;
    return {FirstNotEmpty(s.fForm, type.custFoot, type.foot),
            FirstNotEmpty(s.sForm, type.custShort, type.shortForm),
            FirstNotEmpty(s.bForm, type.custBib, type.bib)};
}

std::vector<SourceElementValue>
CTMGCitationLoader::SourceElementValues(const SourceTypeValues& type) const {
    SourceTexts templates = SourceTemplates(type);
    std::vector<SourceElementValue> out;
    for (const std::string* t :
         {&templates.footnote, &templates.shortFootnote, &templates.bibliography}) {
        for (TemplateElement& e : elements_.TemplateElements(*t)) {
            if (e.group <= 0 || std::any_of(out.begin(), out.end(), [&](const auto& known) {
                    return known.group == e.group;
                }))
                continue;
            std::string value = ElementValue(e.name);
            out.push_back({std::move(e.name), e.group, std::move(value)});
        }
    }
    return out;
}

std::vector<SourceRepository>
CTMGCitationLoader::GetSourceRepositories(CTMGRepositoryLoader& repositories,
                                          CTMGPlaceLoader& places, const CTMGStyleFormatter& styles,
                                          const FormatSettings& settings, long nameStyle) const {
    std::vector<SourceRepository> out;
    for (RepositoryValues& r : repositories.ForSource(source_.majNum)) {
        SourceRepository repo;
        repo.name = RepositoryName(r.name, styles, settings, nameStyle);
        repo.address = RepositoryAddress(r.address, places, styles);
        repo.stored = std::move(r);
        out.push_back(std::move(repo));
    }
    std::stable_partition(out.begin(), out.end(),
                          [](const SourceRepository& r) { return r.stored.primary; });
    return out;
}

SourceTexts CTMGCitationLoader::FormatSource(const SourceTypeValues& type,
                                             const std::vector<SourceRepository>& repositories,
                                             bool withCitation) const {
    SourceElementInputs inputs;
    inputs.info = source_.info;
    auto primary = std::find_if(repositories.begin(), repositories.end(),
                                [](const SourceRepository& r) { return r.stored.primary; });
    if (primary != repositories.end())
        inputs.repository = *primary;
    if (withCitation)
        inputs.citation =
            CitationElementValues{citation_.detail, citation_.reference, citation_.memo};
    CTMGSourceFormatter formatter(elements_, inputs);
    SourceTexts templates = SourceTemplates(type);
    return {formatter.Format(templates.footnote), formatter.Format(templates.shortFootnote),
            formatter.Format(templates.bibliography)};
}

} // namespace hk
