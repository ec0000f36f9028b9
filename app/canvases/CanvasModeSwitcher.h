#pragma once

#include <vector>

#include "app/kit/PillGroup.h"
#include "app/state/AppState.h"

namespace korvane {

class PillButton;

// The row of ten canvas modes: an icon each, the current one filled and
// named. Each button's tooltip is its mode's title.
class CanvasModeSwitcher : public PillGroup {
    Q_OBJECT
public:
    explicit CanvasModeSwitcher(AppState& state, QWidget* parent = nullptr);

    PillButton* button(AppState::CanvasMode mode) const;

private:
    void follow();

    AppState& state_;
    std::vector<PillButton*> buttons_;
};

}  // namespace korvane
