#pragma once
// CSizeAndPosition: a window's size, position and state kept in the settings between runs
// (values "Window\Left", "Window\Top", "Window\Width", "Window\Height", "Window\WindowState").
// The window code maps them to and from its widgets.
#include <string>

#include "support/settings_store.h"

namespace hk {

struct WindowPlacement {
    long left = 0;
    long top = 0;
    long width = 0;
    long height = 0;
    long windowState = 0; // 0 normal, 1 minimized, 2 maximized
    bool operator==(const WindowPlacement&) const = default;
};

class CSizeAndPosition {
public:
    explicit CSizeAndPosition(Settings& settings) : settings_(settings) {}

    // The key, e.g. the settings root's "Windows\Main".
    const std::string& RegKey() const { return regKey_; }
    void SetRegKey(std::string key) { regKey_ = std::move(key); }

    // Overwrites the fields that are stored; true when any was. Throws "Registry Key not set"
    // when RegKey is empty.
    bool RestorePosition(WindowPlacement& placement);
    void SavePosition(const WindowPlacement& placement);

private:
    Settings& settings_;
    std::string regKey_;
};

} // namespace hk
