#pragma once
// The program's icon for its windows, drawn to match data/hearthkit.svg (a hearth with its
// flame), so that no image plugin is needed to show it.
#include <QIcon>

namespace hk {

QIcon AppIcon();

} // namespace hk
