#pragma once
// CYesNo: the per-record question with Yes / Yes to All / No / No to All. A function keeps
// one for its whole run, so a "to all" answer holds until the run ends (or Reset).
#include <optional>
#include <string_view>

#include "run/user_interface.h"

namespace hk {

class CYesNo {
public:
    explicit CYesNo(UserInterface& ui) : ui_(ui) {}

    // Yes or No; asks only while no "to all" answer is remembered.
    MsgAnswer AskYesNo(std::string_view message);
    // Forgets a remembered "to all" answer.
    void Reset() { remembered_.reset(); }

private:
    UserInterface& ui_;
    std::optional<MsgAnswer> remembered_;
};

} // namespace hk
