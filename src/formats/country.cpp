#include "formats/country.h"

#include <array>

#include "formats/utf8_case.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kUnitedStates =
    "|ALABAMA|ALA|AL|ALASKA|AK|ARIZONA|ARIZ|AZ|ARKANSAS|ARK|AR|CALIFORNIA|CALIF|CA|COLORADO|"
    "COLO|CO|CONNECTICUT|CONN|CT|DELAWARE|DEL|DE|DISTRICTOFCOLUMBIA|DC|FLORIDA|FLA|FL|GEORGIA|"
    "GA|HAWAII|HI|IDAHO|ID|ILLINOIS|ILL|IL|INDIANA|IND|IN|IOWA|IA|KANSAS|KANS|KS|KENTUCKY|KY|"
    "LOUISIANA|LA|MAINE|ME|MARYLAND|MD|MASSACHUSETTS|MASS|MA|MICHIGAN|MICH|MI|MINNESOTA|MINN|"
    "MN|MISSISSIPPI|MISS|MS|MISSOURI|MO|MONTANA|MONT|MT|NEBRASKA|NEBR|NE|NEVADA|NEV|NV|"
    "NEWHAMPSHIRE|NH|NEWJERSEY|NJ|NEWMEXICO|NM|NEWYORK|NY|NORTHCAROLINA|NC|NORTHDAKOTA|ND|"
    "OHIO|OH|OKLAHOMA|OKLA|OK|OREGON|ORE|OR|PENNSYLVANIA|PA|PUERTORICO|PR|RHODEISLAND|RI|"
    "SOUTHCAROLINA|SC|SOUTHDAKOTA|SD|TENNESSEE|TENN|TN|TEXAS|TEX|TX|UTAH|UT|VERMONT|VT|"
    "VIRGINIA|VA|VIRGINISLANDS|VI|WASHINGTON|WASH|WA|WESTVIRGINIA|WVA|WV|WISCONSIN|WIS|WI|"
    "WYOMING|WYO|WY|";

constexpr std::string_view kCanada =
    "|AB|ALBERTA|BC|BRITISHCOLUMBIA|COLOMBIEBRITANNIQUE|MB|MANITOBA|NB|NEWBRUNSWICK|NL|"
    "NEWFOUNDLANDANDLABRADOR|NEWFOUNDLAND|LABRADOR|TERRENEUVEETLABRADOR|TERRENEUVE|NS|"
    "NOVASCOTIA|NOUVELLE\xC3\x89"
    "COSSE|NT|NORTHWESTTERRITORIES|TERRITOIRESDUNORDOUEST|NU|"
    "NUNAVUT|ON|ONTARIO|PE|PEI|PRINCEEDWARDISLAND|\xC3\x8E"
    "LEDUPRINCE\xC3\x89"
    "DOUARD|QC|"
    "QUEBEC|QU\xC3\x89"
    "BEC|SK|SASKATCHEWAN|YT|YTA|YUKON|";

constexpr std::string_view kAustralia =
    "|NEWSOUTHWALES|NSW|QUEENSLAND|QLD|SOUTHAUSTRALIA|SA|TASMANIA|TAS|VICTORIA|VIC|"
    "WESTERNAUSTRALIA|";

struct CountryName {
    std::string_view name;
    std::string_view result;
};
constexpr std::array<CountryName, 19> kCountries = {{
    {"USA", "USA"},
    {"AMERICA", "USA"},
    {"UNITEDSTATES", "USA"},
    {"UNITEDSTATESAMERICA", "USA"},
    {"US", "USA"},
    {"CAN", "CANADA"},
    {"CANADA", "CANADA"},
    {"CA", "CANADA"},
    {"UNITEDKINGDOM", "UK"},
    {"UK", "UK"},
    {"GB", "UK"},
    {"GREATBRITAIN", "UK"},
    {"BRITAIN", "UK"},
    {"AUS", "AUSTRALIA"},
    {"AUSTRALIA", "AUSTRALIA"},
    {"AU", "AUSTRALIA"},
    {"MEX", "MEXICO"},
    {"MEXICO", "MEXICO"},
    {"MX", "MEXICO"},
}};

void ReplaceAll(std::string& s, std::string_view what, std::string_view with) {
    for (std::size_t at = s.find(what); at != std::string::npos;
         at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
}

void RemoveChars(std::string& s, std::string_view chars) {
    std::erase_if(s, [chars](char ch) { return chars.find(ch) != std::string_view::npos; });
}

} // namespace

std::string DeriveCountry(std::string_view state, std::string_view country) {
    std::string c = UpperText(country);
    RemoveChars(c, ".-");
    ReplaceAll(c, " OF ", " ");
    RemoveChars(c, " ");
    if (!c.empty()) {
        for (const CountryName& known : kCountries)
            if (c == known.name)
                return std::string(known.result);
    } else {
        std::string s = UpperText(state);
        ReplaceAll(s, "COMMONWEALTH OF", "");
        RemoveChars(s, "-. ");
        if (!s.empty()) {
            const std::string key = "|" + s + "|";
            if (kUnitedStates.find(key) != std::string_view::npos)
                return "USA";
            if (kCanada.find(key) != std::string_view::npos)
                return "CANADA";
            if (kAustralia.find(key) != std::string_view::npos)
                return "AUSTRALIA";
        }
    }
    if (c.starts_with('-'))
        c.erase(0, 1);
    return c;
}

std::string GetDerivedCountry(std::string_view templ, const PlaceParts::Texts& parts,
                              std::string_view country) {
    std::string t = AsciiUpper(templ);
    ReplaceAll(t, "L3L4", country == "USA" ? "L0" : "L3+L4");
    std::string out;
    auto add = [&out](std::string_view text) {
        if (text.empty())
            return;
        if (!out.empty())
            out += ", ";
        out += text;
    };
    std::size_t start = 0;
    for (int n = 0; n < 12 && start <= t.size(); ++n) {
        std::size_t plus = t.find('+', start);
        const std::string_view token = Trim(
            std::string_view(t).substr(start, plus == std::string::npos ? plus : plus - start));
        if (token == "DC") {
            add(country);
        } else if (token == "L0") {
            add(parts[kPlaceCity].empty() ? parts[kPlaceCounty] : parts[kPlaceCity]);
        } else if (token.size() >= 2 && token.size() <= 3 && token[0] == 'L') {
            int id = 0;
            bool digits = true;
            for (char ch : token.substr(1)) {
                digits = digits && ch >= '0' && ch <= '9';
                id = id * 10 + (ch - '0');
            }
            if (digits && id >= 1 && id <= PlaceParts::kPartCount)
                add(parts[id - 1]);
        }
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    return out;
}

} // namespace hk
