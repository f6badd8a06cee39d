#include "gui/panel_part.h"

#include "gui/tag_order_list.h"

namespace hk {

std::vector<PanelPart*> MakeHandMadeParts(const std::string& functionKey, QWidget* parent) {
    if (functionKey == "sortdates")
        return {new TagOrderList(parent)};
    return {};
}

} // namespace hk
