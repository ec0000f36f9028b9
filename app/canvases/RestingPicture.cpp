#include "app/canvases/RestingPicture.h"

#include <QPainter>

namespace korvane {

bool RestingPicture::onlyViewMoved(const Key& key) const {
    Key sameView = key;
    sameView.view = key_.view;
    return draws_ > 0 && key.view != key_.view && sameView == key_;
}

const QImage* RestingPicture::get(const Key& key, const std::function<void(QPainter&)>& draw) {
    if (!image_.isNull() && key == key_) return &image_;
    if (onlyViewMoved(key)) {
        key_ = key;
        image_ = {};
        return nullptr;
    }
    const QSize pixels = (QSizeF(key.size) * key.ratio).toSize();
    if (image_.size() != pixels) image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(key.ratio);
    image_.fill(Qt::transparent);
    {
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        draw(painter);
    }
    key_ = key;
    ++draws_;
    return &image_;
}

}  // namespace korvane
