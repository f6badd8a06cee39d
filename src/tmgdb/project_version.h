#pragma once
// The TMG structure version of a project: where it is read from (the "_.tmg" stamp of old
// projects, the configuration file of newer ones), how its text becomes three numbers, and the
// check against the versions a program release supports (compatibility.ini).
#include <string>
#include <string_view>

#include "xbase/file.h"

namespace hk::db {

struct ProjectVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    std::string text; // as read, after clean-up

    // The three numbers each as "000", joined by "." (008.000.001): versions compare as text.
    std::string String() const;
};

// "7.04" -> 7.4.0, "4.0d" -> 4.0.4 (letters a to d stand for patch 1 to 4), "8,01" -> 8.1.0.
ProjectVersion ParseVersionText(std::string_view text);

// Reads the version of the project `folder` + `prefix` (folder ends with "/"): the first line
// of prefix + "_.tmg" without the words TMG and VERSION; otherwise the configuration file's
// [Stamp] PjcVersion (or [PjcVersion] Stamp), where a major number below 5 is moved up one
// place (1.2 -> 5.1.2). Files are found without regard to case.
ProjectVersion ReadProjectVersion(FileSystem& fs, const std::string& folder,
                                  const std::string& prefix);

// Compatibility of a project version with a program release: 0 project too old, 1 supported,
// 2 project newer than supported. The release's section of `compatibilityIni` is named by its
// version as "000.000.000"; a section lacking TMG-Low or TMG-High falls back to lower
// revisions, down to 0. Without any, nothing is supported.
int CheckVersionCompatibility(const std::string& versionString, const std::string& compatibilityIni,
                              int programMajor, int programMinor, int programRevision);

std::string FormatVersionString(int major, int minor, int patch);

} // namespace hk::db
