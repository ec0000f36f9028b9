#include "app/kit/WrapLayout.h"

#include <QWidget>
#include <algorithm>

namespace korvane {

WrapLayout::WrapLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent)
    : QLayout(parent), horizontalSpacing_(horizontalSpacing), verticalSpacing_(verticalSpacing) {
    setContentsMargins(0, 0, 0, 0);
}

WrapLayout::~WrapLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void WrapLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* WrapLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* WrapLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int WrapLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

QSize WrapLayout::sizeHint() const {
    // All on one line.
    const QMargins margins = contentsMargins();
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint();
        width += size.width();
        height = std::max(height, size.height());
        ++shown;
    }
    width += horizontalSpacing_ * std::max(shown - 1, 0);
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

QSize WrapLayout::minimumSize() const {
    // As narrow as the widest item, each on its own line.
    const QMargins margins = contentsMargins();
    int width = 0;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty()) width = std::max(width, item->minimumSize().width());
    width += margins.left() + margins.right();
    return {width, heightForWidth(width)};
}

void WrapLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrapLayout::arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int lineHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint().boundedTo(QSize(std::max(area.width(), 1), QWIDGETSIZE_MAX));
        if (x > area.x() && x + size.width() > area.x() + area.width()) {
            x = area.x();
            y += lineHeight + verticalSpacing_;
            lineHeight = 0;
        }
        if (place) item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + horizontalSpacing_;
        lineHeight = std::max(lineHeight, size.height());
    }
    const QMargins margins = contentsMargins();
    return y + lineHeight - rect.y() + margins.bottom();
}

}  // namespace korvane
