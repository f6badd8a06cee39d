#include "formats/lat_long.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "support/text.h"

namespace hk {
namespace {

// Digits of text[pos, pos+len) as a number, or -1.
int DigitsAt(std::string_view text, std::size_t pos, std::size_t len) {
    int n = 0;
    for (char ch : text.substr(pos, len)) {
        if (ch < '0' || ch > '9')
            return -1;
        n = n * 10 + (ch - '0');
    }
    return n;
}

bool ReadDouble(std::string_view word, double& out) {
    if (!word.empty() && word[0] == '+')
        word.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return ec == std::errc() && ptr == word.data() + word.size() && std::isfinite(out);
}

void Split(double value, int& deg, int& min, int& sec) {
    const double a = std::fabs(value);
    const int d = static_cast<int>(a);
    const double minutes = (a - d) * 60;
    const int m = static_cast<int>(minutes);
    // A hair of rounding error must not turn 15'00" into 14'59".
    int s = static_cast<int>((minutes - m) * 60 + 1e-7);
    deg = value < 0 ? -d : d;
    min = m;
    sec = s;
}

} // namespace

void CTMGLatLong::Reset() {
    *this = CTMGLatLong();
}

bool CTMGLatLong::Parse(std::string_view text) {
    Reset();
    if (text.empty() || text.starts_with("--"))
        return false;
    if (text.starts_with('-'))
        text.remove_prefix(1);
    if (text.find('.') != std::string_view::npos)
        return ParseDecimal(text);
    if (text.size() == 15)
        return ParsePacked(text);
    return false;
}

bool CTMGLatLong::ParsePacked(std::string_view t) {
    const int latD = DigitsAt(t, 0, 2), latM = DigitsAt(t, 2, 2), latS = DigitsAt(t, 4, 2);
    const int lonD = DigitsAt(t, 7, 3), lonM = DigitsAt(t, 10, 2), lonS = DigitsAt(t, 12, 2);
    const char ns = static_cast<char>(AsciiUpper(t.substr(6, 1))[0]);
    const char ew = static_cast<char>(AsciiUpper(t.substr(14, 1))[0]);
    if (latD < 0 || latM < 0 || latS < 0 || lonD < 0 || lonM < 0 || lonS < 0)
        return false;
    if (latM >= 60 || latS >= 60 || lonM >= 60 || lonS >= 60)
        return false;
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W'))
        return false;
    double lat = latD + (latM + latS / 60.0) / 60.0;
    double lon = lonD + (lonM + lonS / 60.0) / 60.0;
    if (!Set(ns == 'S' ? -lat : lat, ew == 'W' ? -lon : lon))
        return false;
    latDeg_ = ns == 'S' ? -latD : latD;
    latMin_ = latM;
    latSec_ = latS;
    longDeg_ = ew == 'W' ? -lonD : lonD;
    longMin_ = lonM;
    longSec_ = lonS;
    return true;
}

bool CTMGLatLong::ParseDecimal(std::string_view text) {
    std::string s;
    for (char ch : text) {
        if (ch == '\\')
            continue;
        s += (ch == ',' || ch == '~') ? ' ' : ch;
    }
    std::vector<std::string_view> words;
    std::string_view rest = Trim(s);
    while (!rest.empty()) {
        std::size_t blank = rest.find(' ');
        words.push_back(rest.substr(0, blank));
        if (blank == std::string_view::npos)
            break;
        rest = TrimLeft(rest.substr(blank));
    }
    double lat = 0, lon = 0;
    if (words.size() != 2 || !ReadDouble(words[0], lat) || !ReadDouble(words[1], lon))
        return false;
    if (!Set(lat, lon))
        return false;
    Split(lat, latDeg_, latMin_, latSec_);
    Split(lon, longDeg_, longMin_, longSec_);
    return true;
}

bool CTMGLatLong::Set(double latitude, double longitude) {
    if (std::fabs(latitude) > 90 || std::fabs(longitude) > 180)
        return false;
    latitude_ = latitude;
    longitude_ = longitude;
    valid_ = true;
    return true;
}

std::string CTMGLatLong::DegreesText(double degrees) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, degrees, std::chars_format::fixed, 8);
    std::string s(buf, ec == std::errc() ? ptr : buf);
    std::size_t dot = s.find('.');
    if (dot == std::string::npos)
        return s + ".0";
    std::size_t last = s.find_last_not_of('0');
    s.resize(std::max(last + 1, dot + 2));
    if (s == "-0.0")
        s = "0.0";
    return s;
}

std::string CTMGLatLong::MapPoint() const {
    return "{'y':" + LatitudeText() + ",'x':" + LongitudeText() + "}";
}

} // namespace hk
