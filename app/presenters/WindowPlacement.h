#pragma once

#include <vector>

#include <QMargins>
#include <QRect>
#include <QSize>

namespace korvane::windowPlacement {

// The size the window asks for at its first launch.
inline constexpr QSize preferredSize{1180, 760};
// Room kept around the content for a window manager's frame and title bar.
inline constexpr QMargins frameAllowance{8, 40, 8, 8};

// Where the content opens on a screen with this available area: the
// preferred size, shrunk to what the area holds with the frame around it
// (never below the minimum unless the area itself is smaller), centred.
QRect firstPlacement(QSize preferred, QSize minimum, QRect available);

// Whether a restored content rectangle lies wholly inside one of the
// screens' available areas and is no smaller than the minimum.
bool fitsAScreen(QRect content, QSize minimum, const std::vector<QRect>& availableAreas);

// Where a popup panel of `size` opens from an anchor (the tray icon's corner):
// its card (the frame less `room`, the shadow's margins) starts at the anchor,
// below it, or above it where the screen ends; the whole frame kept inside
// the available area as far as it fits.
QRect popupPlacement(QPoint anchor, QSize size, QMargins room, QRect available);

}  // namespace korvane::windowPlacement
