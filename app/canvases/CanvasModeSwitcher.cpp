#include "app/canvases/CanvasModeSwitcher.h"

#include "app/kit/PillButton.h"

namespace korvane {

namespace {

QString text(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

}  // namespace

CanvasModeSwitcher::CanvasModeSwitcher(AppState& state, QWidget* parent) : PillGroup(8, parent), state_(state) {
    for (const auto mode : allCanvasModes()) {
        auto* button = new PillButton(std::string(symbolName(mode)), text(title(mode)));
        button->setShowsTitleOnlyWhenActive(true);
        button->setShape(10, 8, 6);
        button->setToolTip(text(title(mode)));
        // The mode already shown is set again: its identity stays, so nothing is replaced.
        connect(button, &QAbstractButton::clicked, this, [this, mode] { state_.navigation().setCanvasMode(mode); });
        addPill(button);
        buttons_.push_back(button);
    }
    connect(&state_, &AppState::changed, this, &CanvasModeSwitcher::follow);
    follow();
}

PillButton* CanvasModeSwitcher::button(AppState::CanvasMode mode) const {
    return buttons_[static_cast<std::size_t>(mode)];
}

void CanvasModeSwitcher::follow() {
    for (const auto mode : allCanvasModes()) button(mode)->setActive(mode == state_.navigation().canvasMode());
}

}  // namespace korvane
