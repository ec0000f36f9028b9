#include "app/kit/WrapLayout.h"

#include <QWidget>
#include <algorithm>
#include <vector>

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
    struct Placed {
        QLayoutItem* item;
        QSize size;
    };
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int width = std::max(area.width(), 1);
    std::vector<std::vector<Placed>> lines(1);
    int used = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint().boundedTo(QSize(width, QWIDGETSIZE_MAX));
        if (!lines.back().empty() && used + horizontalSpacing_ + size.width() > width) {
            lines.emplace_back();
            used = 0;
        }
        used += (lines.back().empty() ? 0 : horizontalSpacing_) + size.width();
        lines.back().push_back({item, size});
    }
    int y = area.y();
    for (const auto& line : lines) {
        if (line.empty()) continue;
        int height = 0;
        for (const Placed& placed : line) height = std::max(height, placed.size.height());
        int x = area.x();
        for (const Placed& placed : line) {
            const int room = height - placed.size.height();
            QRect box(QPoint(x, y + (bottomAligned_ ? room : room / 2)), placed.size);
            if (lastAtLineEnd_ && &placed == &lines.back().back())
                box.moveLeft(std::max(x, area.x() + area.width() - placed.size.width()));
            if (place) placed.item->setGeometry(box);
            x += placed.size.width() + horizontalSpacing_;
        }
        y += height + verticalSpacing_;
    }
    if (y > area.y()) y -= verticalSpacing_;
    return y - rect.y() + contentsMargins().bottom();
}

}  // namespace korvane
