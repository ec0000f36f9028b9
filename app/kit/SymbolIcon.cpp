#include "app/kit/SymbolIcon.h"

#include <QPainter>
#include <QPixmap>

#include "app/theme/SymbolGlyph.h"

namespace korvane {

QIcon symbolIcon(std::string_view name, const QColor& color, int size) {
    // Drawn at twice the size so it stays sharp on dense screens.
    QPixmap pixmap(size * 2, size * 2);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(symbolFont(size * 2 * 0.85));
        painter.setPen(color);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, symbolText(name));
    }
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

}  // namespace korvane
