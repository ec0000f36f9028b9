#pragma once

#include <QColor>
#include <QIcon>

#include "app/presenters/ApplicationsContent.h"

namespace korvane {

// The desktop entry's icon from the icon theme, then the file it names, then
// what the desktop shows for the application's path; the application symbol
// in the fallback colour when none of them draws.
QIcon appIcon(const InstalledApp& app, const QColor& fallback);

}  // namespace korvane
