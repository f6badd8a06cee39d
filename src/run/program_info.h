#pragma once
// Who the program says it is: title, version and legal notice for the run log header, the
// About box and message captions. Everything comes from here; the version from HK_VERSION.
#include <string>

namespace hk {

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

const std::string& ProgramTitle();  // "Hearthkit"
ProgramVersion GetProgramVersion(); // parsed from the build's HK_VERSION
// Title, " v", and the three version numbers joined by "." ("Hearthkit v0.1.0").
std::string ProgramTitleAndVersion();
const std::string& LegalNotice();
// The support page named in the message about unsupported project versions.
const std::string& SupportWebAddress();

// "1.2.3" -> {1, 2, 3}; missing or non-numeric parts are 0.
ProgramVersion ParseProgramVersion(const std::string& text);

} // namespace hk
