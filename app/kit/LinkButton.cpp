#include "app/kit/LinkButton.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/FocusRing.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

LinkButton::LinkButton(const QString& title, const QFont& font, QWidget* parent)
    : QPushButton(parent), title_(title) {
    // The accessible name comes from text(), which reads "&&" as "&".
    setText(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
    setFont(font);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    // Focus comes from Tab, not from a click: Return stays with what had the keyboard.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
    const QFontMetrics metrics(font());
    // Room around the title for the focus ring.
    return {metrics.horizontalAdvance(title_) + 10, metrics.height() + 4};
}

void LinkButton::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    if (FocusVisibility::shows(*this)) FocusRing::paint(painter, rect(), 4, palette, palette.canvas);
    QColor color = palette.accent;
    if (!isEnabled())
        color = withOpacity(color, 0.4);
    else if (isDown())
        color = withOpacity(color, 0.7);
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, title_);
}

}  // namespace korvane
