#pragma once
// The catalog of maintenance functions as the main window's tree shows it: categories in
// display order, and under each the functions with their key and panel index.
#include <string>
#include <vector>

namespace hk {

struct CatalogCategory {
    std::string caption;
    std::string key;
    std::string parentKey; // "m" (the root "Functions") or another category
};

struct CatalogEntry {
    int index; // panel and command-button index, 0 to 49
    std::string caption;
    std::string key;
    std::string categoryKey;
};

constexpr int kCatalogSize = 50;
inline constexpr const char* kCatalogRootCaption = "Functions";
inline constexpr const char* kCatalogRootKey = "m";
// The command-line text that adds "Show Database" to the catalog.
inline constexpr const char* kShowDatabaseSwitch = "quillbox";

const std::vector<CatalogCategory>& CatalogCategories();
// Every function in display order; "Show Database" only when asked for.
std::vector<CatalogEntry> CatalogEntries(bool withShowDatabase);
const CatalogEntry* FindCatalogEntry(const std::string& key);
// A function's help page: its key without "$", then ".htm".
std::string HelpPageFor(const std::string& key);
// True when the command line holds the switch (case-sensitive, anywhere in the text).
bool CommandLineShowsDatabase(const std::string& commandLine);

} // namespace hk
