#include "app/kit/TextureOverlay.h"

#include <QPainter>

#include "app/theme/TextureMarks.h"

namespace korvane {

TextureOverlay::TextureOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void TextureOverlay::setTexture(Texture texture, const QColor& ink) {
    if (texture == texture_ && ink == ink_) return;
    texture_ = texture;
    ink_ = ink;
    cache_ = {};
    update();
}

void TextureOverlay::paintEvent(QPaintEvent*) {
    if (texture_ == Texture::none) return;
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || cache_.deviceIndependentSize() != QSizeF(size())) {
        cache_ = QPixmap(size() * ratio);
        cache_.setDevicePixelRatio(ratio);
        cache_.fill(Qt::transparent);
        QPainter painter(&cache_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (const TextureMark& mark : textureMarks(texture_, QSizeF(size()))) {
            QColor color = ink_;
            color.setAlphaF(static_cast<float>(mark.opacity));
            painter.fillRect(mark.rect, color);
        }
    }
    QPainter(this).drawPixmap(0, 0, cache_);
}

}  // namespace korvane
