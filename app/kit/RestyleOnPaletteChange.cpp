#include "app/kit/RestyleOnPaletteChange.h"

#include <QEvent>
#include <QWidget>

namespace korvane {

namespace {

// A child of the widget, so it goes with it.
class PaletteChangeFilter : public QObject {
public:
    PaletteChangeFilter(QWidget& widget, std::function<void()> restyle)
        : QObject(&widget), widget_(widget), restyle_(std::move(restyle)) {
        widget_.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::PaletteChange) restyle_();
        return false;
    }

private:
    QWidget& widget_;
    std::function<void()> restyle_;
};

}  // namespace

void restyleOnPaletteChange(QWidget& widget, std::function<void()> restyle) {
    new PaletteChangeFilter(widget, std::move(restyle));
}

}  // namespace korvane
