#include "app/screens/AppRowDelegate.h"

#include <QPainter>
#include <algorithm>

#include "app/kit/FocusVisibility.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/screens/AppListModel.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/FocusRing.h"

namespace korvane {

namespace {

constexpr int sidePadding = 14;
constexpr int iconSize = 28;
constexpr int iconGap = 10;
constexpr int figureGap = 5;
constexpr int ageGap = 4;
constexpr int paddingY = 8;
constexpr int textLeft = sidePadding + iconSize + iconGap;

QFont nameFont() { return AppFont::font(13, QFont::Medium); }
QFont totalFont() { return AppFont::font(11); }

int advance(const QFont& font, const std::string& text) {
    return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
}

// The age at the right end and the gap before it.
int ageRoom(const AppRowContent& row) { return (row.age ? advance(AppFont::small(), *row.age) : 0) + ageGap; }

}  // namespace

AppRowDelegate::AppRowDelegate(QWidget& owner, AppListModel& model, Highlight highlight)
    : QStyledItemDelegate(&owner), owner_(owner), model_(model), highlight_(std::move(highlight)) {}

int AppRowDelegate::widthNeeded(const AppRowContent& row, bool stacked) {
    const int total = advance(totalFont(), row.total);
    const int leftBehind = row.leftBehind ? advance(AppFont::small(), *row.leftBehind) : 0;
    // Stacked, what is left behind has the whole line under the icon.
    const int figures = !row.leftBehind ? textLeft + total
                        : stacked       ? std::max(textLeft + total, sidePadding + leftBehind)
                                        : textLeft + total + figureGap + leftBehind;
    // The right edge is the row's last pixel.
    return figures + ageRoom(row) + sidePadding + 1;
}

AppRowDelegate::TextBoxes AppRowDelegate::textBoxes(const QRect& rect, const AppRowContent& row) const {
    TextBoxes boxes;
    int right = rect.right() - sidePadding;
    if (row.age) {
        const int width = advance(AppFont::small(), *row.age);
        boxes.age = QRect(right - width, rect.top(), width + 1, rect.height());
        right -= width;
    }
    right -= ageGap;
    const int left = rect.left() + textLeft;
    // Whole lines, so that no descender is cut off below.
    const int nameHeight = AppFont::lineHeight(nameFont());
    const int lineHeight = AppFont::lineHeight(totalFont());
    const int smallHeight = AppFont::lineHeight(AppFont::small());
    const bool third = stacked_ && row.leftBehind;
    const int upper = nameHeight + 1 + lineHeight;
    const int height = third ? std::max(upper, iconSize) + 1 + smallHeight : upper;
    const int top = rect.center().y() - height / 2;
    // The icon stands beside the name and the total.
    boxes.icon = QRect(rect.left() + sidePadding, top + (upper - iconSize) / 2, iconSize, iconSize);
    boxes.name = QRect(left, top, right - left, nameHeight);
    const int second = top + nameHeight + 1;
    const int totalWidth = advance(totalFont(), row.total);
    boxes.total = QRect(left, second, totalWidth + 1, lineHeight);
    if (third) {
        const int under = std::max(second + lineHeight, boxes.icon.bottom() + 1) + 1;
        boxes.leftBehind = QRect(boxes.icon.left(), under, right - boxes.icon.left(), smallHeight);
    } else if (row.leftBehind) {
        const int at = left + totalWidth + figureGap;
        boxes.leftBehind = QRect(at, second, std::max(0, right - at), lineHeight);
    }
    return boxes;
}

QSize AppRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // As wide as the narrowest list: a row fills the list however wide it is.
    const int twoLines = paddingY + iconSize + paddingY + 4;
    const int threeLines =
        paddingY +
        std::max(AppFont::lineHeight(nameFont()) + 1 + AppFont::lineHeight(totalFont()), iconSize) + 1 +
        AppFont::lineHeight(AppFont::small()) + paddingY;
    return {static_cast<int>(appListMinimumWidth), stacked_ ? std::max(twoLines, threeLines) : twoLines};
}

void AppRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const Palette& palette = environmentPalette(&owner_);
    const AppRowContent& row = model_.row(index.row());
    const QRect rect = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    const double highlight = highlight_(index.row());
    if (highlight > 0) painter->fillRect(rect, withOpacity(palette.hover, highlight));
    const bool selected = highlight >= 0.5;
    // The keyboard's row, while the list has the focus.
    if ((option.state & QStyle::State_HasFocus) && option.widget && FocusVisibility::shows(*option.widget))
        FocusRing::paint(*painter, rect.adjusted(2, 1, -2, -1), 6, palette,
                         selected ? palette.hover : palette.canvas);
    const TextBoxes boxes = textBoxes(rect, row);
    model_.icon(index.row(), palette.inkTertiary).paint(painter, boxes.icon);
    const auto draw = [painter](const QRect& box, const QFont& font, const QColor& color,
                                const std::string& text, Qt::Alignment alignment = Qt::AlignLeft) {
        painter->setFont(font);
        painter->setPen(color);
        painter->drawText(
            box, alignment | Qt::AlignVCenter | Qt::TextSingleLine,
            QFontMetrics(font).elidedText(QString::fromStdString(text), Qt::ElideRight, box.width()));
    };
    if (row.age) draw(boxes.age, AppFont::small(), palette.inkTertiary, *row.age, Qt::AlignRight);
    draw(boxes.name, nameFont(), palette.ink, row.name);
    draw(boxes.total, totalFont(), palette.inkSecondary, row.total);
    if (row.leftBehind) draw(boxes.leftBehind, AppFont::small(), palette.amber(), *row.leftBehind);
    painter->restore();
}

}  // namespace korvane
