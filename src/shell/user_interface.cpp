#include "shell/user_interface.h"

namespace hk {

bool UserInterface::Confirm(std::string_view text, std::string_view title) {
    return MessageBox(text, title, MsgButtons::OkCancel, MsgIcon::Question) == MsgAnswer::Ok;
}

bool UserInterface::AskYesNo(std::string_view text, std::string_view title) {
    return MessageBox(text, title, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

void UserInterface::Message(std::string_view text, std::string_view title, MsgIcon icon) {
    MessageBox(text, title, MsgButtons::Ok, icon);
}

} // namespace hk
