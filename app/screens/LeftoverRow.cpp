#include "app/screens/LeftoverRow.h"

#include <QLabel>
#include <algorithm>

#include "app/kit/ElidedLabel.h"

namespace korvane {

namespace {

constexpr int horizontalMargin = 13;
constexpr int verticalMargin = 7;
// The tag's column, so the paths of the rows start at one edge.
constexpr int tagColumn = 116;
constexpr int tagToPath = 10;
constexpr int pathToBytes = 6;
constexpr int lineGap = 4;

}  // namespace

LeftoverRow::LeftoverRow(QLabel* tag, ElidedLabel* path, QLabel* bytes, QWidget* parent)
    : QWidget(parent), tag_(tag), path_(path), bytes_(bytes) {
    for (QWidget* child :
         {static_cast<QWidget*>(tag_), static_cast<QWidget*>(path_), static_cast<QWidget*>(bytes_)})
        child->setParent(this);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int LeftoverRow::lineHeight() const {
    return std::max({tag_->sizeHint().height(), path_->sizeHint().height(), bytes_->sizeHint().height()});
}

bool LeftoverRow::pathBelow(int width) const {
    const int beside =
        width - 2 * horizontalMargin - tagColumn - tagToPath - pathToBytes - bytes_->sizeHint().width();
    return beside < minimumPathBeside;
}

int LeftoverRow::heightForWidth(int width) const {
    const int top = pathBelow(width) ? std::max(tag_->sizeHint().height(), bytes_->sizeHint().height()) +
                                           lineGap + path_->sizeHint().height()
                                     : lineHeight();
    return top + 2 * verticalMargin;
}

QSize LeftoverRow::sizeHint() const {
    const int width = 2 * horizontalMargin + tagColumn + tagToPath + path_->sizeHint().width() + pathToBytes +
                      bytes_->sizeHint().width();
    return {width, heightForWidth(width)};
}

QSize LeftoverRow::minimumSizeHint() const {
    // The tag and the size on one line, the path under them.
    const int width =
        2 * horizontalMargin + tag_->sizeHint().width() + pathToBytes + bytes_->sizeHint().width();
    return {width, heightForWidth(width)};
}

void LeftoverRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void LeftoverRow::place() {
    const int inner = std::max(0, width() - 2 * horizontalMargin);
    const QSize tag = tag_->sizeHint();
    const QSize bytes = bytes_->sizeHint();
    const int right = horizontalMargin + inner;
    if (pathBelow(width())) {
        const int top = std::max(tag.height(), bytes.height());
        tag_->setGeometry(horizontalMargin, verticalMargin + (top - tag.height()) / 2,
                          std::min(tag.width(), std::max(0, inner - bytes.width() - pathToBytes)),
                          tag.height());
        bytes_->setGeometry(right - bytes.width(), verticalMargin + (top - bytes.height()) / 2, bytes.width(),
                            bytes.height());
        path_->setGeometry(horizontalMargin, verticalMargin + top + lineGap, inner,
                           path_->sizeHint().height());
        return;
    }
    const int line = lineHeight();
    const auto centred = [line](int height) { return verticalMargin + (line - height) / 2; };
    tag_->setGeometry(horizontalMargin, centred(tag.height()), std::min(tag.width(), tagColumn),
                      tag.height());
    bytes_->setGeometry(right - bytes.width(), centred(bytes.height()), bytes.width(), bytes.height());
    const int pathLeft = horizontalMargin + tagColumn + tagToPath;
    const int pathRight = right - bytes.width() - pathToBytes;
    path_->setGeometry(pathLeft, centred(path_->sizeHint().height()), std::max(0, pathRight - pathLeft),
                       path_->sizeHint().height());
}

}  // namespace korvane
