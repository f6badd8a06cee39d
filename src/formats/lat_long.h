#pragma once
// CTMGLatLong: a geographic position read from TMG's packed 15-character form
// ("403000N0740000W") or from decimal degrees ("40.5, -74.25"), written without regard to
// the locale's decimal separator.
#include <string>
#include <string_view>

namespace hk {

class CTMGLatLong {
public:
    void Reset();
    // True when a position was read. A leading "-" (TMG's exclusion mark) is dropped; "--"
    // means no position. Positions outside ±90 / ±180 degrees are not read.
    bool Parse(std::string_view text);
    bool IsValid() const { return valid_; }

    double Latitude() const { return latitude_; }   // degrees, south negative
    double Longitude() const { return longitude_; } // degrees, west negative
    // Whole degrees (with the sign), minutes and seconds, truncated.
    int LatDegrees() const { return latDeg_; }
    int LatMinutes() const { return latMin_; }
    int LatSeconds() const { return latSec_; }
    int LongDegrees() const { return longDeg_; }
    int LongMinutes() const { return longMin_; }
    int LongSeconds() const { return longSec_; }

    // "#0.0#######": at least one and at most eight decimals, "." as decimal separator.
    std::string LatitudeText() const { return DegreesText(latitude_); }
    std::string LongitudeText() const { return DegreesText(longitude_); }
    // "{'y':40.5,'x':-74.0}"
    std::string MapPoint() const;

    static std::string DegreesText(double degrees);

private:
    bool ParsePacked(std::string_view text);
    bool ParseDecimal(std::string_view text);
    bool Set(double latitude, double longitude);

    bool valid_ = false;
    double latitude_ = 0;
    double longitude_ = 0;
    int latDeg_ = 0, latMin_ = 0, latSec_ = 0;
    int longDeg_ = 0, longMin_ = 0, longSec_ = 0;
};

} // namespace hk
