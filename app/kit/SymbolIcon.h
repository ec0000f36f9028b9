#pragma once

#include <QColor>
#include <QIcon>
#include <string_view>

namespace korvane {

// A symbol as an icon, for stock widgets that take one (picker entries).
QIcon symbolIcon(std::string_view name, const QColor& color, int size = 14);

}  // namespace korvane
