#pragma once
// PlaceParts: the ten parts of a TMG place (addressee ... temple) with their link markers,
// embedded positions and display texts, as the place loader fills and reads them.
#include <array>
#include <string>
#include <string_view>

#include "formats/format_settings.h"
#include "formats/lat_long.h"

namespace hk {

enum PlacePartId : int {
    kPlaceAddressee = 0,
    kPlaceDetail = 1,
    kPlaceCity = 2,
    kPlaceCounty = 3,
    kPlaceState = 4,
    kPlaceCountry = 5,
    kPlacePostal = 6,
    kPlacePhone = 7,
    kPlaceLatLong = 8,
    kPlaceTemple = 9,
};

// One part as loaded: the text as stored, after marker handling (raw) and as displayed.
struct PlacePart {
    std::string stored;
    std::string raw;
    std::string display;
    bool styleUses = true;       // the place's style shows this part
    bool placeMapLink = false;   // "[:PLACE-MAP-LINK:]" was present
    bool noPlaceMapLink = false; // "[:NO-PLACE-MAP-LINK:]" was present
    CTMGLatLong position;        // from a "[GEO-PLACE:]" block
};

class PlaceParts {
public:
    static constexpr int kPartCount = 10;
    using Texts = std::array<std::string, kPartCount>;

    // "addressee" ... "temple" for ids 0-9; the template tokens "l1" ... "l10" name them too.
    static std::string_view PartToken(int id);

    // Display text of part 0-9 (empty for other ids); setting it sets the raw text too.
    const std::string& PartValue(int id) const;
    void SetPartValue(int id, std::string text);
    const PlacePart& Part(int id) const;
    Texts DisplayTexts() const;

    long StyleID() const { return styleId_; }
    void SetStyleID(long id) { styleId_ = id; }
    // Which parts the style shows; a part it does not show keeps an empty display text.
    void SetStyleUses(int id, bool on);

    // Marker handling off keeps texts with "[" exactly as stored.
    bool MarkerHandling() const { return markerHandling_; }
    void SetMarkerHandling(bool on) { markerHandling_ = on; }

    void CopyPlaceParts(const PlaceParts& other) { parts_ = other.parts_; }
    void Clear();

    // The display texts, each followed by "$!&".
    std::string PackedParts() const;

    // Loading, older projects: the packed Place field, at most ten parts.
    void DecodePackedPlace(std::string_view packed, const FormatSettings& settings);
    // Loading, TMG 5 and later: Clear, then one SetPartFromRow per part-value row.
    void SetPartFromRow(long type, std::string_view value, const FormatSettings& settings);

    // Marker handling of one part text: link markers set the part's flags, a GEO-PLACE
    // block is read as the part's position, braced text and hidden blocks are removed.
    std::string CleanPartText(std::string_view text, PlacePart& part) const;

private:
    void Load(int id, std::string_view text, const FormatSettings& settings);

    std::array<PlacePart, kPartCount> parts_;
    long styleId_ = 0;
    bool markerHandling_ = true;
};

} // namespace hk
