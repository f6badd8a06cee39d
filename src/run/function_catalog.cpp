#include "run/function_catalog.h"

#include <algorithm>

namespace hk {

const std::vector<CatalogCategory>& CatalogCategories() {
    static const std::vector<CatalogCategory> categories = {
        {"People", "p", "m"},     {"Names", "n", "m"},     {"Events", "e", "m"},
        {"Tags", "de", "m"},      {"Places", "pl", "m"},   {"Styles", "st", "m"},
        {"Sources", "ss", "m"},   {"Citations", "c", "m"}, {"Exclude Citations", "x", "c"},
        {"Exhibits", "exh", "m"}, {"Sentences", "s", "m"}, {"Roles", "r", "m"},
        {"Reports", "reps", "m"}, {"Other", "o", "m"},
    };
    return categories;
}

namespace {

const std::vector<CatalogEntry>& AllEntries() {
    static const std::vector<CatalogEntry> entries = {
        {34, "Set Birth Order", "setbirthorder", "p"},
        {11, "Set Living=N", "setliving", "p"},
        {17, "Set Person Field", "setpersonfield", "p"},
        {10, "Set Reference by Name", "setrefbyname", "p"},
        {42, "Adjust Birth and Death", "adjustbirthdeath", "p"},
        {44, "Select DNA Descendants", "selectdnadescendants", "p"},
        {0, "Add Married Names", "addmarriednames", "n"},
        {1, "Add Standard Names", "addstandardnames", "n"},
        {15, "Change Name Type", "changenametype", "n"},
        {39, "Change Name Style", "chgnamestyle", "n"},
        {40, "Change Name Parts", "changenameparts", "n"},
        {6, "Capitalize Names", "capitalizenames", "n"},
        {8, "Fix Names", "fixnames", "n"},
        {32, "Add Events", "addevents", "e"},
        {26, "Add Marriages", "addmarriages", "e"},
        {2, "Change Event Type", "changeevents", "e"},
        {31, "Fix Sort Dates", "fixsortdates", "e"},
        {3, "Make P1 Male", "makep1male", "e"},
        {43, "Set Year Only Dates", "yearonlydates", "e"},
        {12, "Set Sort Dates", "sortdates", "de"},
        {29, "Delete Tags by Type", "deltagbytype", "de"},
        {38, "Change Place Style", "chgplacestyle", "pl"},
        {47, "Change Place Parts", "changeplaceparts", "pl"},
        {46, "Optimize Styles", "optimizestyles", "st"},
        {4, "Make Source Page", "sourcepage", "ss"},
        {48, "Change Citation Parts", "changecitationparts", "c"},
        {33, "Set One-Citation Surety", "set1citesurety", "c"},
        {19, "... by Tag Type", "exccitbytype", "x"},
        {28, "... by Source", "exccitbysrc", "x"},
        {37, "Export Images", "exportimages", "exh"},
        {36, "Verify Exhibit Paths", "verifyexhibitpaths", "exh"},
        {41, "Edit Image Map", "editimagemap", "exh"},
        {22, "Copy Custom Sentences", "sentcopy", "s"},
        {24, "Assign Principal Role", "prinrole", "r"},
        {35, "Change Role", "changerole", "r"},
        {27, "Show Role Usage", "showroleusage", "r"},
        {30, "Person and Source", "personandsource", "reps"},
        {9, "Find And Replace", "findandreplace", "o"},
        {45, "Export Data", "exportdata", "o"},
        {14, "Check Project", "checkproject", "o"},
        {16, "Show Database", "showdatabase", "o"},
    };
    return entries;
}

} // namespace

std::vector<CatalogEntry> CatalogEntries(bool withShowDatabase) {
    std::vector<CatalogEntry> out;
    for (const CatalogEntry& e : AllEntries())
        if (withShowDatabase || e.key != "showdatabase")
            out.push_back(e);
    return out;
}

const CatalogEntry* FindCatalogEntry(const std::string& key) {
    const auto& all = AllEntries();
    auto it =
        std::find_if(all.begin(), all.end(), [&](const CatalogEntry& e) { return e.key == key; });
    return it == all.end() ? nullptr : &*it;
}

std::string HelpPageFor(const std::string& key) {
    std::string page;
    for (char c : key)
        if (c != '$')
            page += c;
    return page + ".htm";
}

bool CommandLineShowsDatabase(const std::string& commandLine) {
    return commandLine.find(kShowDatabaseSwitch) != std::string::npos;
}

} // namespace hk
