#include "support/ini_file.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>

#include "support/paths.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view TrimBlanks(std::string_view s) {
    auto b = s.find_first_not_of(kBlanks);
    if (b == std::string_view::npos)
        return {};
    auto e = s.find_last_not_of(kBlanks);
    return s.substr(b, e - b + 1);
}

// The private-profile reader removes one pair of matching quotes around a value.
std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// At most n characters of UTF-8 text (whole code points).
std::string_view LeftChars(std::string_view s, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            continue; // continuation byte
        if (count == n)
            return s.substr(0, i);
        ++count;
    }
    return s;
}

bool IsTrue(std::string_view value) {
    std::string v = AsciiUpper(value);
    return v == "-1" || v == "1" || v == "T" || v == "TRUE" || v == "Y" || v == "YES";
}

} // namespace

IniFile IniFile::Parse(std::string_view bytes) {
    bool utf8 = bytes.starts_with("\xEF\xBB\xBF");
    if (utf8)
        bytes.remove_prefix(3);
    auto decode = [utf8](std::string_view s) { return utf8 ? std::string(s) : Cp1252ToUtf8(s); };

    IniFile ini;
    ini.sections_.push_back({}); // keys before the first header
    std::size_t pos = 0;
    while (pos <= bytes.size()) {
        // A NUL ends a line like CR and LF do: Windows stops a value at a NUL, and a header
        // that follows binary junk on the same line is still found.
        std::size_t end = bytes.find_first_of(std::string_view("\r\n\0", 3), pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = TrimBlanks(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            auto close = line.rfind(']');
            if (close != std::string_view::npos) {
                ini.sections_.push_back({decode(TrimBlanks(line.substr(1, close - 1))), {}});
                continue;
            }
            // No closing bracket: Windows takes the line as a key of the current section.
        }
        Entry entry;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            // A key without "=" has no value: look-ups of it give the default.
            entry.key = decode(line);
            entry.hasValue = false;
        } else {
            entry.key = decode(TrimBlanks(line.substr(0, eq)));
            entry.value = decode(StripQuotes(TrimBlanks(line.substr(eq + 1))));
        }
        ini.sections_.back().entries.push_back(std::move(entry));
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(bytes);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    name = TrimBlanks(name);
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        // The unnamed block before the first header is only reachable with an empty name.
        if (i > 0 && sections_[i].name.empty() && !name.empty())
            continue;
        if (EqualsNoCase(sections_[i].name, name))
            return &sections_[i];
    }
    return nullptr;
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (s == nullptr)
        return nullptr;
    key = TrimBlanks(key);
    for (const auto& e : s->entries)
        if (EqualsNoCase(e.key, key))
            return e.hasValue ? &e.value : nullptr;
    return nullptr;
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < sections_.size(); ++i)
        names.push_back(sections_[i].name);
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = FindSection(section))
        for (const auto& e : s->entries)
            names.push_back(e.key);
    return names;
}

bool ParseLong(std::string_view text, long& out) {
    text = TrimBlanks(text);
    if (text.empty())
        return false;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    double value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true)
        value = value * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true) {
            value += (text[i] - '0') * scale;
            scale /= 10;
        }
    }
    if (!digits || i != text.size())
        return false;
    if (negative)
        value = -value;
    value = std::nearbyint(value); // default rounding mode: half to even, like CLng
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<long>(value);
    return true;
}

std::string GetIniString(const IniFile& ini, std::string_view section, std::string_view key,
                         std::string_view def) {
    const std::string* value = ini.Find(section, key);
    // Windows copies the default through the same buffer and drops its trailing blanks.
    std::string_view text = value ? std::string_view(*value) : TrimRight(def);
    return std::string(LeftChars(text, kIniBufferSize - 1));
}

long GetIniLong(const IniFile& ini, std::string_view section, std::string_view key, long def) {
    long value = 0;
    return ParseLong(GetIniString(ini, section, key, ""), value) ? value : def;
}

bool GetIniBool(const IniFile& ini, std::string_view section, std::string_view key, bool def) {
    std::string value = GetIniString(ini, section, key, "");
    return value.empty() ? def : IsTrue(value);
}

std::string GetIniString(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view def) {
    return GetIniString(IniFile::Load(file), section, key, def);
}

long GetIniLong(const std::string& file, std::string_view section, std::string_view key, long def) {
    return GetIniLong(IniFile::Load(file), section, key, def);
}

bool GetIniBool(const std::string& file, std::string_view section, std::string_view key, bool def) {
    return GetIniBool(IniFile::Load(file), section, key, def);
}

std::string GetIniPath(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view def, std::string_view basePath) {
    std::string value = GetIniString(file, section, key, def);
    if (!IsAbsolutePathText(value) && !basePath.empty())
        value = AddTrailingSlash(basePath) + value;
    return AddTrailingSlash(value);
}

std::string GetIniChoices(const std::string& file, std::string_view name) {
    IniFile ini = IniFile::Load(file);
    std::string section = std::string(name) + "Choices";
    std::string joined;
    for (int i = 1;; ++i) {
        std::string value = GetIniString(ini, section, std::string(name) + std::to_string(i), "");
        if (value.empty())
            break;
        if (i > 1)
            joined += "||";
        joined += value;
    }
    return joined;
}

std::vector<std::string> SplitChoices(std::string_view choices) {
    std::vector<std::string> items;
    if (choices.empty())
        return items;
    std::size_t pos = 0;
    for (;;) {
        auto sep = choices.find("||", pos);
        items.emplace_back(choices.substr(pos, sep == std::string_view::npos ? sep : sep - pos));
        if (sep == std::string_view::npos)
            break;
        pos = sep + 2;
    }
    return items;
}

} // namespace hk
