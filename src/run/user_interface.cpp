#include "run/user_interface.h"

namespace hk {

bool UserInterface::Confirm(std::string_view text, std::string_view title) {
    return ShowMessageBox(text, title, MsgButtons::OkCancel, MsgIcon::Question) == MsgAnswer::Ok;
}

bool UserInterface::AskYesNo(std::string_view text, std::string_view title) {
    return ShowMessageBox(text, title, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

void UserInterface::Message(std::string_view text, std::string_view title, MsgIcon icon) {
    ShowMessageBox(text, title, MsgButtons::Ok, icon);
}

} // namespace hk
