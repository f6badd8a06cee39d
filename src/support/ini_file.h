#pragma once
// Read-only INI files with the semantics of the Windows private-profile functions: the
// program's own hearthkit.ini and compatibility.ini, and the project configuration file that
// TMG writes (which may hold broken lines, NUL bytes and binary fragments).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

// A parsed INI text. Sections and keys are found without regard to case; the first section
// of a name and the first key of a name within it win, as they do for Windows. Text is
// returned as UTF-8: files are taken as Windows-1252 unless they start with a UTF-8 BOM.
class IniFile {
public:
    IniFile() = default;
    // Parses text as read from disk; never fails: lines that are neither a section header,
    // a key nor a comment are kept as keys without a value, like Windows does.
    static IniFile Parse(std::string_view bytes);
    // A missing or unreadable file gives an empty IniFile.
    static IniFile Load(const std::string& path);

    // The raw value (surrounding blanks and one pair of matching quotes removed), or nothing
    // when the section or the key does not exist. A key line without "=" has an empty value.
    const std::string* Find(std::string_view section, std::string_view key) const;

    std::vector<std::string> SectionNames() const;
    // Keys of the first section of that name, in file order.
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Entry {
        std::string key;
        std::string value;
        bool hasValue = true;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(std::string_view name) const;
    std::vector<Section> sections_;
};

// The buffer the program hands to the private-profile reader: 255 characters including the
// terminating NUL, so at most 254 characters of a value come back.
constexpr std::size_t kIniBufferSize = 255;

// The value of the key (at most kIniBufferSize - 1 characters); `def` when the key is
// missing; an empty string when the key is present with an empty value.
std::string GetIniString(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view def);
// The value as a whole number; `def` when it is empty or not a number.
long GetIniLong(const std::string& file, std::string_view section, std::string_view key, long def);
// `def` when the value is empty; otherwise true exactly for -1, 1, T, TRUE, Y, YES (any case).
bool GetIniBool(const std::string& file, std::string_view section, std::string_view key, bool def);
// A folder: a relative value is put under `basePath`; the result always ends with a separator.
std::string GetIniPath(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view def, std::string_view basePath);
// The choice list `name`: section name + "Choices", keys name + "1", name + "2", ... up to the
// first empty value, joined with "||".
std::string GetIniChoices(const std::string& file, std::string_view name);
// The entries of a "||"-joined choice list (an empty text gives no entries).
std::vector<std::string> SplitChoices(std::string_view choices);

// The same readers over an already parsed file, for callers that read many keys.
std::string GetIniString(const IniFile& ini, std::string_view section, std::string_view key,
                         std::string_view def);
long GetIniLong(const IniFile& ini, std::string_view section, std::string_view key, long def);
bool GetIniBool(const IniFile& ini, std::string_view section, std::string_view key, bool def);

// Whole-number conversion with the leniency of the original: blanks around the number are
// allowed and a decimal fraction is rounded half to even. False when it is not a number or
// does not fit a 32-bit Long.
bool ParseLong(std::string_view text, long& out);

} // namespace hk
