#include <gtest/gtest.h>

#include "formats/country.h"
#include "formats/lat_long.h"
#include "formats/place_parts.h"

using namespace hk;

namespace {
PlaceParts::Texts Parts(const char* city, const char* county, const char* state) {
    PlaceParts::Texts t;
    t[kPlaceCity] = city;
    t[kPlaceCounty] = county;
    t[kPlaceState] = state;
    return t;
}
} // namespace

TEST(PlaceParts, Markers) {
    PlaceParts places;
    PlacePart part;
    EXPECT_EQ(places.CleanPartText("Springfield[:PLACE-MAP-LINK:]", part), "Springfield");
    EXPECT_TRUE(part.placeMapLink);
    EXPECT_FALSE(part.noPlaceMapLink);
    part = PlacePart();
    EXPECT_EQ(places.CleanPartText("[:NO-PLACE-MAP-LINK:]Town", part), "Town");
    EXPECT_TRUE(part.noPlaceMapLink);
    EXPECT_FALSE(part.placeMapLink);

    part = PlacePart();
    EXPECT_EQ(places.CleanPartText("Farm [GEO-PLACE:]403000N0740000W[:GEO-PLACE] east", part),
              "Farm  east");
    ASSERT_TRUE(part.position.IsValid());
    EXPECT_DOUBLE_EQ(part.position.Latitude(), 40.5);
    EXPECT_DOUBLE_EQ(part.position.Longitude(), -74.0);
    part = PlacePart();
    EXPECT_EQ(places.CleanPartText("Farm [GEO-PLACE:]40.5 -74", part), "Farm [GEO-PLACE:]40.5 -74");
    EXPECT_FALSE(part.position.IsValid());

    // Companion markers go and their text stays; hidden blocks go whatever their case;
    // braced text goes when the text has markers; a marker without partner stays.
    EXPECT_EQ(places.CleanPartText("A[QX:]B[:qx]C", part), "ABC");
    EXPECT_EQ(places.CleanPartText("x[HID:]hidden[:HID]y[hid:]h[:hid]z", part), "xyz");
    EXPECT_EQ(places.CleanPartText("Kent {old}[HID:]", part), "Kent [HID:]");
    EXPECT_EQ(places.CleanPartText("Kent {old}", part), "Kent {old}");

    places.SetMarkerHandling(false);
    part = PlacePart();
    EXPECT_EQ(places.CleanPartText("Springfield[:PLACE-MAP-LINK:]", part),
              "Springfield[:PLACE-MAP-LINK:]");
    EXPECT_FALSE(part.placeMapLink);
}

TEST(PlaceParts, DecodingPackedPlaces) {
    FormatSettings settings;
    settings.SetExclusionMode(1);
    PlaceParts place;
    place.SetStyleUses(kPlaceCounty, false);
    place.DecodePackedPlace(
        "$!&-Lot 4||-East half$!&Springfield[:PLACE-MAP-LINK:]$!&Sangamon$!&-Illinois$!&USA$!&"
        "$!&$!&[GEO-PLACE:]39.8, -89.6[:GEO-PLACE]$!&$!&Extra$!&",
        settings);
    EXPECT_EQ(place.PartValue(kPlaceDetail), "Lot 4||East half");
    EXPECT_EQ(place.PartValue(kPlaceCity), "Springfield");
    EXPECT_TRUE(place.Part(kPlaceCity).placeMapLink);
    EXPECT_EQ(place.PartValue(kPlaceCounty), ""); // the style does not show it
    EXPECT_EQ(place.Part(kPlaceCounty).raw, "Sangamon");
    EXPECT_EQ(place.PartValue(kPlaceState), "Illinois");
    EXPECT_EQ(place.Part(kPlaceState).raw, "-Illinois");
    EXPECT_EQ(place.PartValue(kPlaceLatLong), "");
    EXPECT_DOUBLE_EQ(place.Part(kPlaceLatLong).position.Longitude(), -89.6);
    EXPECT_EQ(place.Part(kPlaceCity).stored, "Springfield[:PLACE-MAP-LINK:]");
    EXPECT_EQ(place.PackedParts(),
              "$!&Lot 4||East half$!&Springfield$!&$!&Illinois$!&USA$!&$!&$!&$!&$!&");
    EXPECT_EQ(place.PartValue(10), "");

    // A shorter place clears what the longer one left behind; flags do not linger.
    place.DecodePackedPlace("$!&$!&Dover", settings);
    EXPECT_EQ(place.PartValue(kPlaceState), "");
    EXPECT_FALSE(place.Part(kPlaceCity).placeMapLink);
    EXPECT_EQ(place.PartValue(kPlaceCity), "Dover");

    place.Clear();
    place.SetPartFromRow(10, "Salt Lake", settings);
    place.SetPartFromRow(11, "nothing", settings);
    EXPECT_EQ(place.PartValue(kPlaceTemple), "Salt Lake");
    PlaceParts copy;
    copy.CopyPlaceParts(place);
    EXPECT_EQ(copy.PackedParts(), place.PackedParts());
    EXPECT_EQ(PlaceParts::PartToken(kPlaceLatLong), "latlong");
}

TEST(PlaceParts, DeriveCountry) {
    // State, country, derived. "CA" is Californian: the United States table comes first.
    const char* cases[][3] = {{"Penna.", "", ""},
                              {"Pennsylvania", "", "USA"},
                              {"", "United States of America", "USA"},
                              {"AB", "", "CANADA"},
                              {"Puerto Rico", "", "USA"},
                              {"CA", "", "USA"},
                              {"Ontario", "Ca", "CANADA"},
                              {"Commonwealth of Massachusetts", "", "USA"},
                              {"District of Columbia", "", "USA"},
                              {"Qu\u00E9bec", "", "CANADA"},
                              {"Nouvelle-\u00C9cosse", "", "CANADA"},
                              {"N.S.W.", "", "AUSTRALIA"},
                              {"Kent", "Great Britain", "UK"},
                              {"Texas", "New Zealand", "NEWZEALAND"},
                              {"Ala", "", "USA"},
                              {"LA BAMA", "", ""}};
    for (const auto& [state, country, derived] : cases)
        EXPECT_EQ(DeriveCountry(state, country), derived) << state << "/" << country;
}

TEST(PlaceParts, GetDerivedCountry) {
    EXPECT_EQ(GetDerivedCountry("L3L4+L5+DC", Parts("", "Kent", "Delaware"), "USA"),
              "Kent, Delaware, USA");
    EXPECT_EQ(GetDerivedCountry("L3L4+L5+DC", Parts("Dover", "Kent", "Delaware"), "USA"),
              "Dover, Delaware, USA");
    EXPECT_EQ(GetDerivedCountry("L3L4+L5+DC", Parts("Dover", "Kent", "Delaware"), "UK"),
              "Dover, Kent, Delaware, UK");
    PlaceParts::Texts t = Parts("Dover", "", "");
    t[kPlaceTemple] = "Logan";
    t[kPlaceAddressee] = "Home";
    EXPECT_EQ(GetDerivedCountry("l1 + L10+L11+dc+LX", t, ""), "Home, Logan");
    EXPECT_EQ(GetDerivedCountry("L3+L3+L3+L3+L3+L3+L3+L3+L3+L3+L3+L3+L1", t, ""),
              "Dover, Dover, Dover, Dover, Dover, Dover, Dover, Dover, Dover, Dover, Dover, "
              "Dover");
}

TEST(LatLong, Parsing) {
    CTMGLatLong p;
    ASSERT_TRUE(p.Parse("403000N0740000W"));
    EXPECT_DOUBLE_EQ(p.Latitude(), 40.5);
    EXPECT_DOUBLE_EQ(p.Longitude(), -74.0);
    EXPECT_EQ(p.LatMinutes(), 30);
    EXPECT_EQ(p.LongDegrees(), -74);
    ASSERT_TRUE(p.Parse("335130S1511236E"));
    EXPECT_NEAR(p.Latitude(), -(33 + 51 / 60.0 + 30 / 3600.0), 1e-12);
    EXPECT_NEAR(p.Longitude(), 151 + 12 / 60.0 + 36 / 3600.0, 1e-12);

    ASSERT_TRUE(p.Parse("40.5, -74.25"));
    EXPECT_DOUBLE_EQ(p.Latitude(), 40.5);
    EXPECT_DOUBLE_EQ(p.Longitude(), -74.25);
    EXPECT_EQ(p.LongDegrees(), -74);
    EXPECT_EQ(p.LongMinutes(), 15);
    EXPECT_EQ(p.LongSeconds(), 0);
    ASSERT_TRUE(p.Parse("-51.5~ 0.1275\\"));
    EXPECT_DOUBLE_EQ(p.Latitude(), 51.5); // the leading dash is TMG's mark, not a sign

    for (const char* bad : {"", "--40.5 -74", "40.5", "40.5 -74 3", "40,5 -74,25",
                            "403000X0740000W", "4030a0N0740000W", "403000N074000W", "95.0 10",
                            "10.0 -181", "406000N0740000W", "abc.def ghi"}) {
        EXPECT_FALSE(p.Parse(bad)) << bad;
        EXPECT_FALSE(p.IsValid()) << bad;
    }
}

TEST(LatLong, LocaleFreeText) {
    CTMGLatLong p;
    ASSERT_TRUE(p.Parse("40.5 -74"));
    EXPECT_EQ(p.LatitudeText(), "40.5");
    EXPECT_EQ(p.LongitudeText(), "-74.0");
    EXPECT_EQ(p.MapPoint(), "{'y':40.5,'x':-74.0}");
    EXPECT_EQ(CTMGLatLong::DegreesText(40.123456789), "40.12345679");
    EXPECT_EQ(CTMGLatLong::DegreesText(0.000000001), "0.0");
    EXPECT_EQ(CTMGLatLong::DegreesText(-0.000000001), "0.0");
    EXPECT_EQ(CTMGLatLong::DegreesText(10.10), "10.1");
}
