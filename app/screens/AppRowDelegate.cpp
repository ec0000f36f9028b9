#include "app/screens/AppRowDelegate.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/screens/AppListModel.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/FocusRing.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

AppRowDelegate::AppRowDelegate(QWidget& owner, AppListModel& model, Highlight highlight)
    : QStyledItemDelegate(&owner), owner_(owner), model_(model), highlight_(std::move(highlight)) {}

QSize AppRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // As wide as the narrowest list: a row fills the list however wide it is.
    return {static_cast<int>(appListMinimumWidth), 8 + 28 + 8 + 4};
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
    const QRect icon(rect.left() + 14, rect.center().y() - 14, 28, 28);
    model_.icon(index.row(), palette.inkTertiary).paint(painter, icon);

    int right = rect.right() - 14;
    if (row.age) {
        painter->setFont(AppFont::small());
        const int width = QFontMetrics(AppFont::small()).horizontalAdvance(QString::fromStdString(*row.age));
        painter->setPen(palette.inkTertiary);
        painter->drawText(QRect(right - width, rect.top(), width + 1, rect.height()),
                          Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(*row.age));
        right -= width;
    }
    right -= 4;
    const int left = icon.right() + 1 + 10;
    const QFont nameFont = AppFont::font(13, QFont::Medium);
    const QFont totalFont = AppFont::font(11);
    // Whole lines, so that no descender is cut off below.
    const int nameHeight = AppFont::lineHeight(nameFont);
    const int lineHeight = AppFont::lineHeight(totalFont);
    const int top = rect.center().y() - (nameHeight + 1 + lineHeight) / 2;
    painter->setFont(nameFont);
    painter->setPen(palette.ink);
    painter->drawText(
        QRect(left, top, right - left, nameHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(nameFont).elidedText(QString::fromStdString(row.name), Qt::ElideRight, right - left));
    const QString total = QString::fromStdString(row.total);
    const int totalWidth = QFontMetrics(totalFont).horizontalAdvance(total);
    painter->setFont(totalFont);
    painter->setPen(palette.inkSecondary);
    const int second = top + nameHeight + 1;
    painter->drawText(QRect(left, second, totalWidth + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      total);
    if (row.leftBehind) {
        const int at = left + totalWidth + 5;
        painter->setFont(AppFont::small());
        painter->setPen(palette.amber());
        painter->drawText(
            QRect(at, second, std::max(0, right - at), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            QFontMetrics(AppFont::small())
                .elidedText(QString::fromStdString(*row.leftBehind), Qt::ElideRight, right - at));
    }
    painter->restore();
}

}  // namespace korvane
