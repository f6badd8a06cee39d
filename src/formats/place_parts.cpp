#include "formats/place_parts.h"

#include <algorithm>

#include "formats/packed_field.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::array<std::string_view, PlaceParts::kPartCount> kTokens = {
    "addressee", "detail", "city",  "county",  "state",
    "country",   "postal", "phone", "latlong", "temple"};

// Removes every occurrence of marker; true when there was one.
bool Remove(std::string& s, std::string_view marker) {
    bool found = false;
    for (std::size_t at = s.find(marker); at != std::string::npos; at = s.find(marker, at)) {
        s.erase(at, marker.size());
        found = true;
    }
    return found;
}

std::size_t FindNoCase(std::string_view s, std::string_view what, std::size_t from = 0) {
    if (what.empty() || s.size() < what.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + what.size() <= s.size(); ++i)
        if (EqualsNoCase(s.substr(i, what.size()), what))
            return i;
    return std::string_view::npos;
}

// Braced text, companion markers and hidden blocks. The companion markers "[QX:]" and
// "[:QX]" are dropped and the text between them kept; "[HID:]"..."[:HID]" blocks go,
// markers without a partner stay as text.
std::string CleanCompanionMarkers(std::string s) {
    for (std::size_t open = s.find('{'); open != std::string::npos; open = s.find('{', open)) {
        std::size_t close = s.find('}', open + 1);
        if (close == std::string::npos)
            break;
        s.erase(open, close - open + 1);
    }
    for (std::string_view marker : {std::string_view("[QX:]"), std::string_view("[:QX]")})
        for (std::size_t at = FindNoCase(s, marker); at != std::string::npos;
             at = FindNoCase(s, marker, at))
            s.erase(at, marker.size());
    for (std::size_t at = FindNoCase(s, "[HID:]"); at != std::string::npos;
         at = FindNoCase(s, "[HID:]", at)) {
        std::size_t end = FindNoCase(s, "[:HID]", at + 6);
        if (end == std::string::npos)
            break;
        s.erase(at, end + 6 - at);
    }
    return s;
}

} // namespace

std::string_view PlaceParts::PartToken(int id) {
    return id >= 0 && id < kPartCount ? kTokens[id] : std::string_view();
}

const std::string& PlaceParts::PartValue(int id) const {
    static const std::string kEmpty;
    return id >= 0 && id < kPartCount ? parts_[id].display : kEmpty;
}

void PlaceParts::SetPartValue(int id, std::string text) {
    if (id < 0 || id >= kPartCount)
        return;
    parts_[id].raw = text;
    parts_[id].stored = text;
    parts_[id].display = std::move(text);
}

const PlacePart& PlaceParts::Part(int id) const {
    static const PlacePart kEmpty;
    return id >= 0 && id < kPartCount ? parts_[id] : kEmpty;
}

PlaceParts::Texts PlaceParts::DisplayTexts() const {
    Texts texts;
    for (int i = 0; i < kPartCount; ++i)
        texts[i] = parts_[i].display;
    return texts;
}

void PlaceParts::SetStyleUses(int id, bool on) {
    if (id >= 0 && id < kPartCount)
        parts_[id].styleUses = on;
}

void PlaceParts::Clear() {
    for (PlacePart& p : parts_) {
        const bool uses = p.styleUses;
        p = PlacePart();
        p.styleUses = uses;
    }
}

std::string PlaceParts::PackedParts() const {
    std::string out;
    for (const PlacePart& p : parts_) {
        out += p.display;
        out += kPackedSeparator;
    }
    return out;
}

void PlaceParts::DecodePackedPlace(std::string_view packed, const FormatSettings& settings) {
    Clear();
    std::vector<std::string> texts = SplitPacked(packed, kPartCount);
    for (std::size_t i = 0; i < texts.size(); ++i)
        Load(static_cast<int>(i), texts[i], settings);
}

void PlaceParts::SetPartFromRow(long type, std::string_view value, const FormatSettings& settings) {
    if (type >= 1 && type <= kPartCount)
        Load(static_cast<int>(type - 1), value, settings);
}

void PlaceParts::Load(int id, std::string_view text, const FormatSettings& settings) {
    PlacePart& part = parts_[id];
    part.stored.assign(text);
    part.raw = CleanPartText(text, part);
    if (!part.styleUses)
        part.display.clear();
    else if (id == kPlaceDetail)
        part.display = settings.CleanExcludedAlternatives(part.raw);
    else
        part.display = settings.CleanExcludedText(part.raw);
}

std::string PlaceParts::CleanPartText(std::string_view text, PlacePart& part) const {
    std::string s(text);
    if (!markerHandling_ || s.find('[') == std::string::npos)
        return s;
    if (Remove(s, "[:NO-PLACE-MAP-LINK:]"))
        part.noPlaceMapLink = true;
    if (Remove(s, "[:PLACE-MAP-LINK:]"))
        part.placeMapLink = true;
    static constexpr std::string_view kGeoOpen = "[GEO-PLACE:]";
    static constexpr std::string_view kGeoClose = "[:GEO-PLACE]";
    if (std::size_t open = s.find(kGeoOpen); open != std::string::npos) {
        std::size_t inner = open + kGeoOpen.size();
        if (std::size_t close = s.find(kGeoClose, inner); close != std::string::npos) {
            part.position.Parse(Trim(std::string_view(s).substr(inner, close - inner)));
            s = s.substr(0, open) + s.substr(close + kGeoClose.size());
        }
    }
    if (s.find_first_of("[{") != std::string::npos)
        s = CleanCompanionMarkers(std::move(s));
    return s;
}

} // namespace hk
