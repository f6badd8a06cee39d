#include "run/program_info.h"

#include <cstdlib>

#ifndef HK_VERSION
#error "HK_VERSION must be defined by the build"
#endif

namespace hk {

const std::string& ProgramTitle() {
    static const std::string title = "Hearthkit";
    return title;
}

ProgramVersion ParseProgramVersion(const std::string& text) {
    int parts[3] = {0, 0, 0};
    std::size_t pos = 0;
    for (int i = 0; i < 3 && pos <= text.size(); ++i) {
        auto dot = text.find('.', pos);
        std::string part =
            text.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        parts[i] = std::atoi(part.c_str());
        if (dot == std::string::npos)
            break;
        pos = dot + 1;
    }
    return {parts[0], parts[1], parts[2]};
}

ProgramVersion GetProgramVersion() {
    return ParseProgramVersion(HK_VERSION);
}

std::string ProgramTitleAndVersion() {
    ProgramVersion v = GetProgramVersion();
    return ProgramTitle() + " v" + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
           std::to_string(v.revision);
}

const std::string& LegalNotice() {
    static const std::string notice =
        "Copyright (C) Ravelstone. Maintenance tool for TMG projects; use it only while TMG is "
        "closed and keep a backup.";
    return notice;
}

const std::string& SupportWebAddress() {
    static const std::string address = "https://hearthkit.example.org/support/";
    return address;
}

} // namespace hk
