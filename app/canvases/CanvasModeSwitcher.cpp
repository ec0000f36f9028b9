#include "app/canvases/CanvasModeSwitcher.h"

#include "app/kit/PillButton.h"
#include "app/kit/ShownToolTip.h"
#include "app/state/NavigationState.h"

namespace korvane {

namespace {

QString text(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

}  // namespace

CanvasModeSwitcher::CanvasModeSwitcher(NavigationState& navigation, QWidget* parent)
    : PillGroup(8, parent), navigation_(navigation) {
    setAccessibleName(QStringLiteral("Canvas"));
    for (const auto mode : allCanvasModes()) {
        auto* button = new PillButton(std::string(symbolName(mode)), text(title(mode)));
        button->setShowsTitleOnlyWhenActive(true);
        button->setShape(10, 8, 6);
        setShownToolTip(*button, text(title(mode)));
        // The mode already shown is set again: its identity stays, so nothing is replaced.
        connect(button, &QAbstractButton::clicked, this, [this, mode] { navigation_.setCanvasMode(mode); });
        addPill(button);
        buttons_.push_back(button);
    }
    connect(&navigation_, &NavigationState::changed, this, &CanvasModeSwitcher::follow);
    follow();
}

PillButton* CanvasModeSwitcher::button(CanvasMode mode) const {
    return buttons_[static_cast<std::size_t>(mode)];
}

void CanvasModeSwitcher::follow() {
    for (const auto mode : allCanvasModes()) button(mode)->setActive(mode == navigation_.canvasMode());
}

}  // namespace korvane
