#include "tmgdb/project_version.h"

#include <cstdio>
#include <vector>

#include "support/ini_file.h"
#include "support/text.h"
#include "xbase/file.h"

namespace hk::db {

std::string FormatVersionString(int major, int minor, int patch) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%03d.%03d.%03d", major, minor, patch);
    return buf;
}

std::string ProjectVersion::String() const {
    return FormatVersionString(major, minor, patch);
}

namespace {

void ReplaceAll(std::string& s, std::string_view from, std::string_view to, bool noCase) {
    std::string hay = noCase ? AsciiUpper(s) : s;
    std::string needle = noCase ? AsciiUpper(from) : std::string(from);
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t at = hay.find(needle, pos);
        if (at == std::string::npos)
            break;
        out.append(s, pos, at - pos);
        out.append(to);
        pos = at + needle.size();
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
}

// "0" & part converted to a number: leading digits count, anything after them is ignored, and
// an empty part is 0.
int PartNumber(std::string_view part) {
    part = Trim(part);
    long value = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 999999)
            break;
    }
    return static_cast<int>(value);
}

} // namespace

ProjectVersion ParseVersionText(std::string_view text) {
    ProjectVersion v;
    v.text = std::string(Trim(text));
    std::string s = v.text;
    ReplaceAll(s, "a", ".1", true);
    ReplaceAll(s, "b", ".2", true);
    ReplaceAll(s, "c", ".3", true);
    ReplaceAll(s, "d", ".4", true);
    ReplaceAll(s, ",", ".", false);
    s = std::string(Trim(s));
    // At most three parts: the last one keeps any further dots.
    std::vector<std::string> parts;
    size_t pos = 0;
    while (parts.size() < 2) {
        size_t dot = s.find('.', pos);
        if (dot == std::string::npos)
            break;
        parts.push_back(s.substr(pos, dot - pos));
        pos = dot + 1;
    }
    parts.push_back(s.substr(pos));
    parts.resize(3);
    v.major = PartNumber(parts[0]);
    v.minor = PartNumber(parts[1]);
    v.patch = PartNumber(parts[2]);
    return v;
}

ProjectVersion ReadProjectVersion(FileSystem& fs, const std::string& folder,
                                  const std::string& prefix) {
    if (auto stamp = FindFileNoCase(fs, folder + prefix + "_.tmg")) {
        std::string bytes = ReadWholeFile(fs, *stamp).value_or(std::string());
        std::string line = bytes.substr(0, bytes.find('\n'));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string text = Cp1252UpperStr(line);
        ReplaceAll(text, "TMG", "", false);
        ReplaceAll(text, "VERSION", "", false);
        return ParseVersionText(Cp1252ToUtf8(Trim(text)));
    }
    auto config = FindFileNoCase(fs, folder + prefix + "_.pjc");
    if (!config)
        return ParseVersionText("");
    IniFile ini = IniFile::Parse(ReadWholeFile(fs, *config).value_or(std::string()));
    // TMG itself writes [Stamp] PjcVersion; the other form is accepted as well.
    const std::string* stamp = ini.Find("Stamp", "PjcVersion");
    if (!stamp)
        stamp = ini.Find("PjcVersion", "Stamp");
    ProjectVersion v = ParseVersionText(stamp ? *stamp : std::string());
    if (v.major < 5) {
        int oldMajor = v.major;
        v.patch = v.minor;
        v.minor = oldMajor;
        v.major = 5;
        v.text = "5." + std::to_string(oldMajor);
    }
    return v;
}

int CheckVersionCompatibility(const std::string& versionString, const std::string& compatibilityIni,
                              int programMajor, int programMinor, int programRevision) {
    IniFile ini = IniFile::Load(compatibilityIni);
    std::string low = "999.999.999", high = "000.000.000";
    for (int revision = programRevision; revision >= 0; --revision) {
        std::string section = FormatVersionString(programMajor, programMinor, revision);
        std::string l = GetIniString(ini, section, "TMG-Low", "");
        std::string h = GetIniString(ini, section, "TMG-High", "");
        if (!l.empty() && !h.empty()) {
            low = l;
            high = h;
            break;
        }
    }
    if (versionString > high)
        return 2;
    if (versionString < low)
        return 0;
    return 1;
}

} // namespace hk::db
