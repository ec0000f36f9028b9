#pragma once

#include <string_view>

#include <QColor>

#include "core/model/Categories.h"

namespace korvane {

struct Palette;

// A safety level as a small tag: its symbol, its title and the tint both are drawn in.
struct SafetyTagLook {
    std::string_view symbol;
    std::string_view title;
    QColor tint;
    // The capsule behind them: the tint at 12 %.
    QColor background;
};

SafetyTagLook safetyTagLook(SafetyLevel safety, const Palette& palette);

}  // namespace korvane
