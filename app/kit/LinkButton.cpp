#include "app/kit/LinkButton.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/ButtonLook.h"

namespace korvane {

LinkButton::LinkButton(const QString& title, const QFont& font, QWidget* parent)
    : QPushButton(parent), title_(title) {
    // The accessible name comes from text(), which reads "&&" as "&".
    setText(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
    setFont(font);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(title_) + 4, metrics.height() + 2};
}

void LinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor color = environmentPalette(this).accent;
    if (!isEnabled())
        color = withOpacity(color, 0.4);
    else if (isDown())
        color = withOpacity(color, 0.7);
    // Keyboard focus shows as an underline; there is no frame to ring.
    QFont shown = font();
    shown.setUnderline(hasFocus());
    painter.setPen(color);
    painter.setFont(shown);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, title_);
}

}  // namespace korvane
