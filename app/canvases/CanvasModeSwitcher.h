#pragma once

#include <vector>

#include "app/kit/PillGroup.h"
#include "app/state/ViewChoices.h"

namespace korvane {

class NavigationState;
class PillButton;

// The row of ten canvas modes: an icon each, the current one filled and
// named. Each button's tooltip is its mode's title.
class CanvasModeSwitcher : public PillGroup {
    Q_OBJECT
public:
    explicit CanvasModeSwitcher(NavigationState& navigation, QWidget* parent = nullptr);

    PillButton* button(CanvasMode mode) const;

private:
    void follow();

    NavigationState& navigation_;
    std::vector<PillButton*> buttons_;
};

}  // namespace korvane
