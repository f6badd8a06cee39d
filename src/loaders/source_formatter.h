#pragma once
// CTMGSourceFormatter: fills a TMG source template ("[AUTHOR], <[PUBLISHER], >[DATE]") with
// the element values of one source, its primary repository and, when given, a citation.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "loaders/repository_loader.h"
#include "loaders/source_elements.h"

namespace hk {

// What a template shows for an empty Publisher and an empty Publisher Location.
inline constexpr std::string_view kSourceNoPublisher = "n.pub.";
inline constexpr std::string_view kSourceNoPlace = "n.p.";

// A repository of a source as the source output shows it.
struct SourceRepository {
    RepositoryValues stored;
    std::string name;    // the packed name through a name style
    std::string address; // the address place through its place style
};

// One element a source's templates use, with the source's value for it.
struct SourceElementValue {
    std::string name; // as the template writes it, without brackets
    long group = 0;
    std::string value;
};

struct SourceTexts {
    std::string footnote, shortFootnote, bibliography;
};

// The citation values the citation elements show.
struct CitationElementValues {
    std::string detail, reference, memo;
};

// Everything the elements of one source are filled from.
struct SourceElementInputs {
    std::string info; // the source's INFO memo: one "$!&" value per element group
    std::optional<SourceRepository> repository; // the primary one
    std::optional<CitationElementValues> citation;
};

class CTMGSourceFormatter {
public:
    CTMGSourceFormatter(const CTMGSourceElements& elements, const SourceElementInputs& inputs);

    // The stored value of an element group: repository groups from the repository, citation
    // groups from the citation, every other group from INFO. Empty when there is none.
    std::string GroupValue(long group) const;
    // "[NAME]" gives its value (a known name in any case); an empty Publisher or Publisher
    // Location gives "n.pub." or "n.p."; unknown names and codes stay as written. A "<...>"
    // segment is written only when one of its elements has a stored value.
    std::string Format(std::string_view sourceTemplate) const;

private:
    const CTMGSourceElements& elements_;
    const SourceElementInputs& inputs_;
    std::vector<std::string> info_;
};

} // namespace hk
