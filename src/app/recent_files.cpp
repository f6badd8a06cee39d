#include "app/recent_files.h"

#include "support/error.h"
#include "support/paths.h"
#include "support/text.h"

namespace hk {
namespace {

[[noreturn]] void Raise(const char* source, const char* description) {
    throw Error(-1, source, description);
}

bool IsValidPath(const std::string& path) {
    if (Trim(path).empty())
        return false;
    for (unsigned char c : path)
        if (c < 0x20)
            return false;
    return true;
}

std::size_t CountChars(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// The last n characters of UTF-8 text.
std::string RightChars(std::string_view s, std::size_t n) {
    std::size_t i = s.size();
    while (i > 0 && n > 0) {
        --i;
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            --n; // a character starts here
    }
    return std::string(s.substr(i));
}

std::string FolderOf(const std::string& path) {
    auto sep = path.find_last_of("/\\");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

} // namespace

std::string ShortenPath(const std::string& path, int maxLength) {
    std::size_t limit = maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
    if (CountChars(path) <= limit)
        return path;
    char sep =
        path.find('/') == std::string::npos && path.find('\\') != std::string::npos ? '\\' : '/';
    // The root stays: "/", "C:\" or "\\server\share\".
    std::size_t rootLen = 0;
    if (path.starts_with("\\\\") || path.starts_with("//")) {
        auto a = path.find_first_of("/\\", 2);
        auto b = a == std::string::npos ? a : path.find_first_of("/\\", a + 1);
        rootLen = b == std::string::npos ? 0 : b + 1;
    } else if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
        rootLen = 3;
    } else if (path[0] == '/' || path[0] == '\\') {
        rootLen = 1;
    }
    std::string root = path.substr(0, rootLen);
    std::string rest = path.substr(rootLen);
    // Drop leading folders one at a time until the rest fits after "...".
    for (auto pos = rest.find_first_of("/\\"); pos != std::string::npos;
         pos = rest.find_first_of("/\\", pos + 1)) {
        std::string candidate = root + "..." + sep + rest.substr(pos + 1);
        if (CountChars(candidate) <= limit)
            return candidate;
    }
    auto lastSep = path.find_last_of("/\\");
    std::string name = lastSep == std::string::npos ? path : path.substr(lastSep + 1);
    return "..." + RightChars(name, limit > 3 ? limit - 3 : 0);
}

CRecentFiles::CRecentFiles(SettingsStore& store)
    : store_(store), regKey_(JoinKeyPath(kSettingsRoot, "File List")) {}

void CRecentFiles::SetMaxEntries(int n) {
    if (n < 1)
        Raise("CRecentFiles::LetMaxEntries", "Must be positive integer.");
    maxEntries_ = n;
    if (Count() > maxEntries_) {
        entries_.resize(static_cast<std::size_t>(maxEntries_));
        Save();
    }
}

void CRecentFiles::SetMaxLength(int n) {
    if (n < 1)
        Raise("CRecentFiles::LetMaxLength", "Must be positive integer.");
    maxLength_ = n;
    for (auto& e : entries_)
        e.shortPath = ShortenPath(e.fullPath, maxLength_);
}

void CRecentFiles::SetLastFolder(const std::string& folder) {
    if (!IsValidPath(folder))
        Raise("CRecentFiles::LetLastFolder", "The path is invalid.");
    lastFolder_ = folder;
}

void CRecentFiles::LoadFromKey() {
    entries_.clear();
    if (!regKey_.empty()) {
        for (int i = 1; i <= maxEntries_; ++i) {
            auto value = store_.QueryValue(regKey_, "File " + std::to_string(i));
            if (!value || value->type != SettingType::String)
                continue;
            std::string path = TrimPathText(value->data);
            bool known = false;
            for (const auto& e : entries_)
                known = known || e.fullPath == path;
            if (path.empty() || known) // a list edited by hand may repeat a project
                continue;
            entries_.push_back({path, ShortenPath(path, maxLength_)});
        }
    }
    if (!entries_.empty() && lastFolder_.empty())
        lastFolder_ = FolderOf(entries_[0].fullPath);
}

void CRecentFiles::SelectFile(const std::string& path) {
    if (!IsValidPath(path))
        Raise("CRecentFiles::SelectFile", "The path is invalid.");
    int found = 0;
    for (int i = 1; i <= Count() && found == 0; ++i)
        if (entries_[static_cast<std::size_t>(i - 1)].fullPath == path)
            found = i;
    if (found != 0)
        SetTopItem(found);
    else
        InsertEntry(path, 1);
    lastFolder_ = FolderOf(path);
    Save();
}

void CRecentFiles::SetTopItem(int index) {
    if (index < 1 || index > Count())
        Raise("CRecentFiles::SetTopItem", "Item index invalid or out of bounds");
    CRecentFile entry = entries_[static_cast<std::size_t>(index - 1)];
    entries_.erase(entries_.begin() + (index - 1));
    entries_.insert(entries_.begin(), std::move(entry));
}

void CRecentFiles::InsertEntry(const std::string& path, int level) {
    if (level < 1 || level > Count() + 1)
        Raise("CRecentFiles::InsertEntry", "Invalid level parameter");
    entries_.insert(entries_.begin() + (level - 1), {path, ShortenPath(path, maxLength_)});
    if (Count() > maxEntries_)
        entries_.resize(static_cast<std::size_t>(maxEntries_));
}

void CRecentFiles::CheckIndex(int index, const char* source) const {
    if (index < 1 || index > Count())
        Raise(source, "Collection item index is invalid");
}

void CRecentFiles::RemoveEntry(int index) {
    CheckIndex(index, "CRecentFiles::RemoveEntry");
    entries_.erase(entries_.begin() + (index - 1));
    Save();
}

const CRecentFile& CRecentFiles::Item(int index) const {
    CheckIndex(index, "CRecentFiles::Item");
    return entries_[static_cast<std::size_t>(index - 1)];
}

void CRecentFiles::Clear() {
    entries_.clear();
    Save();
}

std::string CRecentFiles::ShortHand(int index) const {
    if (index < 1 || index > Count())
        Raise("CRecentFiles::ShortHand", "Invalid item index parameter.");
    return ShortenPath(entries_[static_cast<std::size_t>(index - 1)].fullPath, maxLength_);
}

void CRecentFiles::RemoveMissing(const std::function<bool(const std::string&)>& exists) {
    bool changed = false;
    for (int i = Count(); i >= 1; --i) {
        if (exists(entries_[static_cast<std::size_t>(i - 1)].fullPath))
            continue;
        entries_.erase(entries_.begin() + (i - 1));
        changed = true;
    }
    if (changed)
        Save();
}

void CRecentFiles::Save() {
    if (regKey_.empty())
        return;
    // The key is rewritten whole, so no stale "File n" outlives a shorter list.
    store_.DeleteKey(regKey_);
    store_.CreateKey(regKey_);
    for (int i = 1; i <= Count(); ++i)
        store_.SaveValue(regKey_, "File " + std::to_string(i),
                         SettingValue::String(entries_[static_cast<std::size_t>(i - 1)].fullPath));
}

} // namespace hk
