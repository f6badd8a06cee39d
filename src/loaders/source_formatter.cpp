#include "loaders/source_formatter.h"

#include "formats/packed_field.h"

namespace hk {

CTMGSourceFormatter::CTMGSourceFormatter(const CTMGSourceElements& elements,
                                         const SourceElementInputs& inputs)
    : elements_(elements), inputs_(inputs), info_(SplitPacked(inputs.info)) {}

std::string CTMGSourceFormatter::GroupValue(long group) const {
    const std::optional<SourceRepository>& repo = inputs_.repository;
    const std::optional<CitationElementValues>& cit = inputs_.citation;
    switch (group) {
    case kElementRepository:
        return repo ? repo->name : std::string();
    case kElementRepositoryLocation:
        return repo ? repo->address : std::string();
    case kElementRepositoryReference:
        return repo ? repo->stored.reference : std::string();
    case kElementRepositoryMemo:
        return repo ? repo->stored.note : std::string();
    case kElementCitationDetail:
        return cit ? cit->detail : std::string();
    case kElementCitationReference:
        return cit ? cit->reference : std::string();
    case kElementCitationMemo:
        return cit ? cit->memo : std::string();
    default:
        if (group >= 1 && static_cast<std::size_t>(group) <= info_.size())
            return info_[static_cast<std::size_t>(group - 1)];
        return {};
    }
}

std::string CTMGSourceFormatter::Format(std::string_view sourceTemplate) const {
    // Fills the elements of a piece of template; `stored` tells whether one had a value.
    auto fill = [this](std::string_view text, bool& stored) {
        std::string out;
        for (std::size_t i = 0; i < text.size();) {
            std::size_t n = ElementLengthAt(text, i);
            long group = n > 0 ? elements_.ElementGroup(text.substr(i + 1, n - 2)) : 0;
            if (group <= 0) {
                out.append(text.substr(i, n > 0 ? n : 1));
                i += n > 0 ? n : 1;
                continue;
            }
            std::string value = GroupValue(group);
            if (!value.empty())
                stored = true;
            else if (group == kElementPublisher)
                value = kSourceNoPublisher;
            else if (group == kElementPublisherLocation)
                value = kSourceNoPlace;
            out += value;
            i += n;
        }
        return out;
    };

    std::string out;
    std::string_view s = sourceTemplate;
    std::size_t literalStart = 0;
    bool ignored = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '<')
            continue;
        std::size_t close = s.find('>', i + 1);
        if (close == std::string_view::npos || close == i + 1)
            continue;
        out += fill(s.substr(literalStart, i - literalStart), ignored);
        bool stored = false;
        std::string segment = fill(s.substr(i + 1, close - i - 1), stored);
        if (stored)
            out += segment;
        literalStart = close + 1;
        i = close;
    }
    out += fill(s.substr(literalStart), ignored);
    return out;
}

} // namespace hk
