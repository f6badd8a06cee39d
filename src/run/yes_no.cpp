#include "run/yes_no.h"

namespace hk {

MsgAnswer CYesNo::AskYesNo(std::string_view message) {
    if (remembered_)
        return *remembered_;
    switch (ui_.AskYesNoAll(message)) {
    case YesNoAllAnswer::Yes:
        return MsgAnswer::Yes;
    case YesNoAllAnswer::YesToAll:
        remembered_ = MsgAnswer::Yes;
        return MsgAnswer::Yes;
    case YesNoAllAnswer::NoToAll:
        remembered_ = MsgAnswer::No;
        return MsgAnswer::No;
    case YesNoAllAnswer::No:
        break;
    }
    return MsgAnswer::No;
}

} // namespace hk
