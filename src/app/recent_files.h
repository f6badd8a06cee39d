#pragma once
// CRecentFiles: the recently opened projects shown in the File menu, most recent first, kept
// in the settings under "File List" as values "File 1", "File 2", ... Positions are 1-based,
// as the menu shows them.
#include <functional>
#include <string>
#include <vector>

#include "support/settings_store.h"

namespace hk {

struct CRecentFile {
    std::string fullPath;
    std::string shortPath; // fullPath shortened to MaxLength for the menu
};

class CRecentFiles {
public:
    // Persists to `store` under RegKey (by default the settings root's "File List").
    explicit CRecentFiles(SettingsStore& store);

    int MaxEntries() const { return maxEntries_; }
    void SetMaxEntries(int n); // "Must be positive integer." below 1
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);
    // The folder the open-file dialog starts in: that of the last file selected or loaded.
    const std::string& LastFolder() const { return lastFolder_; }
    void SetLastFolder(const std::string& folder); // "The path is invalid." when blank
    const std::string& RegKey() const { return regKey_; }
    // An empty key keeps the list in memory only.
    void SetRegKey(std::string key) { regKey_ = std::move(key); }

    // Replaces the list with the stored one (empty values skipped, at most MaxEntries).
    void LoadFromKey();
    // Puts the path at the top, moving it up when it is in the list already; the entry past
    // MaxEntries drops off the end.
    void SelectFile(const std::string& path);
    void RemoveEntry(int index);
    const CRecentFile& Item(int index) const;
    void Clear();
    int Count() const { return static_cast<int>(entries_.size()); }
    // The entry's path with leading folders replaced by "..." to fit MaxLength.
    std::string ShortHand(int index) const;
    // Drops entries whose file `exists` denies, from the last to the first.
    void RemoveMissing(const std::function<bool(const std::string&)>& exists);

private:
    void SetTopItem(int index);
    void InsertEntry(const std::string& path, int level);
    void Save();
    void CheckIndex(int index, const char* source) const;

    SettingsStore& store_;
    std::string regKey_;
    std::string lastFolder_;
    int maxEntries_ = 9;
    int maxLength_ = 60;
    std::vector<CRecentFile> entries_;
};

// `path` shortened to at most `maxLength` characters by replacing leading folders with "...".
std::string ShortenPath(const std::string& path, int maxLength);

} // namespace hk
