#include "app/kit/PopupFrame.h"

#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/platform/Compositor.h"

namespace korvane {

// The card with its shadow, under the content.
class PopupFrame::Body : public QWidget {
public:
    explicit Body(PopupFrame& frame) : QWidget(&frame), frame_(frame) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        frame_.surface_.paint(painter, rect(), environmentPalette(this), frame_.cardRadius());
    }

private:
    PopupFrame& frame_;
};

PopupFrame::PopupFrame(QWidget* parent, int padding)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      surface_(Compositor::current().isComposited()),
      body_(new Body(*this)),
      column_(new QVBoxLayout(body_)) {
    surface_.prepare(this);
    setAttribute(Qt::WA_WindowPropagation);
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(body_);
    column_->setContentsMargins(surface_.margins() + QMargins(padding, padding, padding, padding));
    column_->setSpacing(0);
}

double PopupFrame::cardRadius() const { return environmentPalette(this).radius; }

}  // namespace korvane
