#include "app/theme/SafetyTagLook.h"

#include "app/theme/ButtonLook.h"
#include "app/theme/Palette.h"

namespace korvane {

SafetyTagLook safetyTagLook(SafetyLevel safety, const Palette& palette) {
    SafetyTagLook look;
    look.title = title(safety);
    switch (safety) {
        case SafetyLevel::safe:
            look.symbol = "checkmark.circle.fill";
            look.tint = palette.accent;
            break;
        case SafetyLevel::caution:
            look.symbol = "exclamationmark.triangle.fill";
            look.tint = palette.amber();
            break;
        case SafetyLevel::dangerous:
            look.symbol = "lock.fill";
            look.tint = palette.red();
            break;
    }
    look.background = withOpacity(look.tint, 0.12);
    return look;
}

}  // namespace korvane
