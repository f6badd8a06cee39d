#pragma once
// Reading a function's option values from its control states, and the small texts the run
// logs make of them.
#include <string>
#include <string_view>

#include "run/option_decl.h"

namespace hk {

// A check box is on when it is checked (value 1); a missing control is off.
inline bool CheckedIn(const ControlStates& states, const std::string& control) {
    auto it = states.find(control);
    return it != states.end() && it->second.value == 1;
}

// A text box's text; empty for a missing control.
inline std::string TextIn(const ControlStates& states, const std::string& control) {
    auto it = states.find(control);
    return it == states.end() ? std::string() : it->second.text;
}

// A switch as the run logs show it.
inline std::string TrueFalse(bool on) {
    return on ? "True" : "False";
}

} // namespace hk
