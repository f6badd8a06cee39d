#pragma once
// The toolbar's own icons (open a project, help), drawn here so that they look the same under
// every icon theme and style, and never show a theme's missing-icon mark.
#include <QIcon>

namespace hk {

QIcon OpenProjectIcon();
QIcon HelpIcon();

} // namespace hk
