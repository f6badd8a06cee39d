#include "app/window_placement.h"

#include "support/error.h"

namespace hk {
namespace {

struct Field {
    const char* name;
    long WindowPlacement::*member;
};

constexpr Field kFields[] = {
    {"Window\\Left", &WindowPlacement::left},
    {"Window\\Top", &WindowPlacement::top},
    {"Window\\Width", &WindowPlacement::width},
    {"Window\\Height", &WindowPlacement::height},
    {"Window\\WindowState", &WindowPlacement::windowState},
};

} // namespace

bool CSizeAndPosition::RestorePosition(WindowPlacement& placement) {
    if (regKey_.empty())
        throw Error(-1, "CSizeAndPosition:RestorePosition", "Registry Key not set");
    bool any = false;
    for (const auto& f : kFields) {
        long value = settings_.GetSettingLong(regKey_, {}, f.name, placement.*f.member);
        if (settings_.SettingMissing())
            continue;
        placement.*f.member = value;
        any = true;
    }
    return any;
}

void CSizeAndPosition::SavePosition(const WindowPlacement& placement) {
    if (regKey_.empty())
        throw Error(-1, "CSizeAndPosition:SavePosition", "Registry Key not set");
    for (const auto& f : kFields)
        settings_.SaveSettingLong(regKey_, {}, f.name, placement.*f.member);
}

} // namespace hk
