#include "vocabulary.h"

#include <string_view>

namespace hk::mktmg {

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kMale[] = {
    "John",     "William", "James",    "George",  "Charles", "Thomas",    "Joseph",   "Henry",
    "Robert",   "Edward",  "Samuel",   "David",   "Richard", "Peter",     "Daniel",   "Benjamin",
    "Isaac",    "Jacob",   "Andrew",   "Michael", "Francis", "Frederick", "Albert",   "Arthur",
    "Walter",   "Harry",   "Ernest",   "Alfred",  "Hugh",    "Patrick",   "Johann",   "Friedrich",
    "Heinrich", "Karl",    "Wilhelm",  "Hans",    "Pieter",  "Jan",       "Willem",   "Lars",
    "Søren",    "José",    "François", "André",   "Étienne", "Matthias",  "Nikolaus", "Ole"};

constexpr std::string_view kFemale[] = {
    "Mary",    "Elizabeth", "Sarah",      "Margaret", "Ann",    "Jane",     "Catherine",
    "Martha",  "Hannah",    "Susan",      "Emma",     "Alice",  "Eliza",    "Ellen",
    "Harriet", "Charlotte", "Frances",    "Rebecca",  "Lydia",  "Rachel",   "Abigail",
    "Louisa",  "Clara",     "Florence",   "Edith",    "Ada",    "Maria",    "Anna",
    "Johanna", "Katharina", "Margarethe", "Greta",    "Ingrid", "Astrid",   "Zoë",
    "Renée",   "Hélène",    "Mårta",      "Brígida",  "Agnes",  "Dorothea", "Wilhelmina"};

constexpr std::string_view kSurnames[] = {
    "Smith",     "Jones",    "Brown",      "Taylor",    "Wilson",     "Davies",   "Evans",
    "Thomas",    "Johnson",  "Roberts",    "Walker",    "Wright",     "Robinson", "Thompson",
    "White",     "Hughes",   "Edwards",    "Green",     "Hall",       "Wood",     "Harris",
    "Lewis",     "Martin",   "Jackson",    "Clarke",    "Clark",      "Turner",   "Hill",
    "Scott",     "Cooper",   "Morris",     "Ward",      "Moore",      "King",     "Watson",
    "Baker",     "Harrison", "Morgan",     "Patel",     "Young",      "Allen",    "Mitchell",
    "Anderson",  "Campbell", "Stewart",    "MacDonald", "O'Brien",    "O'Neill",  "Murphy",
    "Kelly",     "Walsh",    "Byrne",      "Ryan",      "Müller",     "Schmidt",  "Schneider",
    "Fischer",   "Weber",    "Meyer",      "Wagner",    "Becker",     "Schulz",   "Hoffmann",
    "Schäfer",   "Koch",     "Bauer",      "Richter",   "Klein",      "Wolf",     "Schröder",
    "Neumann",   "Schwarz",  "Zimmermann", "Braun",     "Krüger",     "Hofmann",  "Hartmann",
    "Lange",     "Jansen",   "de Vries",   "Bakker",    "Visser",     "Smit",     "Meijer",
    "Mulder",    "Bos",      "Vos",        "Peters",    "Hendriks",   "Dekker",   "Dubois",
    "Lefèvre",   "Moreau",   "Laurent",    "Girard",    "Bonnet",     "Dupont",   "Lambert",
    "Fontaine",  "Rousseau", "Nilsson",    "Larsson",   "Andersson",  "Karlsson", "Eriksson",
    "Jensen",    "Nielsen",  "Hansen",     "Pedersen",  "Kristensen", "García",   "Fernández",
    "López",     "Martínez", "Sánchez",    "Pérez",     "Rossi",      "Russo",    "Ferrari",
    "Esposito",  "Bianchi",  "Romano",     "Colombo",   "Ricci",      "Kowalski", "Nowak",
    "Wiśniewski"};

constexpr PrefixedSurname kPrefixed[] = {
    {"van", "Buren"}, {"van der", "Berg"}, {"de", "Groot"}, {"von", "Ebersberg"},
    {"du", "Pont"},   {"de la", "Cruz"},   {"van", "Dijk"}, {"ten", "Bosch"}};

constexpr std::string_view kTitles[] = {"Dr.", "Rev.", "Capt.", "Col.", "Sir", "Prof."};
constexpr std::string_view kSuffixes[] = {"Jr.", "Sr.", "II", "III", "Esq."};
constexpr std::string_view kNicknames[] = {"Bill",  "Bob",  "Peggy", "Betsy", "Ned",
                                           "Polly", "Hank", "Jack",  "Kate",  "Sally"};
constexpr std::string_view kOccupations[] = {"farmer",   "blacksmith", "carpenter", "schoolteacher",
                                             "weaver",   "miller",     "merchant",  "shoemaker",
                                             "tailor",   "laborer",    "clerk",     "physician",
                                             "minister", "seaman",     "miner"};

constexpr CityDef kUs[] = {{"Springfield", "Sangamon", "Illinois"},
                           {"Peoria", "Peoria", "Illinois"},
                           {"Boston", "Suffolk", "Massachusetts"},
                           {"Salem", "Essex", "Massachusetts"},
                           {"Albany", "Albany", "New York"},
                           {"Buffalo", "Erie", "New York"},
                           {"Lancaster", "Lancaster", "Pennsylvania"},
                           {"York", "York", "Penna."},
                           {"Richmond", "Henrico", "Virginia"},
                           {"Dover", "Kent", "Delaware"},
                           {"", "Kent", "Delaware"},
                           {"Columbus", "Franklin", "Ohio"},
                           {"Savannah", "Chatham", "GA"},
                           {"Charleston", "Charleston", "South Carolina"},
                           {"Hartford", "Hartford", "Connecticut"},
                           {"Jonesborough", "Washington", "Tennessee"},
                           {"San Juan", "", "Puerto Rico"},
                           {"Portland", "Cumberland", "Maine"}};
constexpr CityDef kCanada[] = {{"Toronto", "York", "Ontario"},
                               {"Kingston", "Frontenac", "Ontario"},
                               {"Québec", "", "Québec"},
                               {"Halifax", "Halifax", "Nova Scotia"},
                               {"Calgary", "", "AB"}};
constexpr CityDef kEngland[] = {{"Dover", "Kent", ""},      {"Canterbury", "Kent", ""},
                                {"York", "Yorkshire", ""},  {"Bristol", "Gloucestershire", ""},
                                {"Norwich", "Norfolk", ""}, {"Exeter", "Devon", ""},
                                {"", "Cornwall", ""}};
constexpr CityDef kGermany[] = {{"München", "", "Bayern"},
                                {"Nürnberg", "", "Bayern"},
                                {"Köln", "", "Nordrhein-Westfalen"},
                                {"Hamburg", "", "Hamburg"},
                                {"Leipzig", "", "Sachsen"}};
constexpr CityDef kAustralia[] = {
    {"Sydney", "", "NSW"}, {"Melbourne", "", "Victoria"}, {"Hobart", "", "Tasmania"}};

constexpr CountryDef kCountries[] = {{"USA", kUs, 25.0, 48.0, -123.0, -70.0, 55},
                                     {"Canada", kCanada, 43.0, 55.0, -120.0, -60.0, 10},
                                     {"England", kEngland, 50.0, 55.0, -5.5, 1.5, 17},
                                     {"Deutschland", kGermany, 47.5, 54.5, 6.0, 15.0, 12},
                                     {"Australia", kAustralia, -43.0, -28.0, 115.0, 153.0, 6}};

constexpr std::string_view kDetails[] = {"St. Mary's Church",  "Oak Hill Cemetery",
                                         "County Courthouse",  "First Baptist Church",
                                         "Old North Church",   "St. Mary's Church||St Marys Church",
                                         "Riverside Cemetery", "Town Hall||Rathaus"};

constexpr std::string_view kRepositories[] = {
    "Family History Library", "County Courthouse", "State Archives",    "Public Library",
    "National Archives",      "Diocesan Archives", "Historical Society"};

constexpr std::string_view kIrregular[] = {
    "Third Monday in January",  "in the spring", "shortly after the war", "Michaelmas", "abt 1820s",
    "before the flood of 1862", "Easter Sunday"};

} // namespace

std::span<const std::string_view> MaleGivenNames() {
    return kMale;
}
std::span<const std::string_view> FemaleGivenNames() {
    return kFemale;
}
std::span<const std::string_view> Surnames() {
    return kSurnames;
}
std::span<const PrefixedSurname> PrefixedSurnames() {
    return kPrefixed;
}
std::span<const std::string_view> Titles() {
    return kTitles;
}
std::span<const std::string_view> Suffixes() {
    return kSuffixes;
}
std::span<const std::string_view> Nicknames() {
    return kNicknames;
}
std::span<const std::string_view> Occupations() {
    return kOccupations;
}
std::span<const CountryDef> Countries() {
    return kCountries;
}
std::span<const std::string_view> PlaceDetails() {
    return kDetails;
}
std::span<const std::string_view> RepositoryNames() {
    return kRepositories;
}
std::span<const std::string_view> IrregularDateTexts() {
    return kIrregular;
}

} // namespace hk::mktmg
