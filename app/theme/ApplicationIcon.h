#pragma once

#include <QIcon>

namespace korvane {

// The application's own icon at every size it is installed in, from the
// pictures built into the program: the window, the tray and the desktop
// entry show the same drive.
QIcon applicationIcon();

}  // namespace korvane
