#include "app/screens/EntryRowDelegate.h"

#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/kit/FocusVisibility.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/presenters/EntryListContent.h"
#include "app/presenters/OneLineText.h"
#include "app/screens/EntryList.h"
#include "app/screens/EntryListModel.h"
#include "app/theme/AppFont.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

namespace {

constexpr int paddingX = 16;
constexpr int paddingY = 8;
constexpr int spacing = 10;
constexpr int checkSide = 14;
constexpr int symbolWidth = 18;
constexpr int ageWidth = 92;
constexpr int sizeWidth = 78;
constexpr int dividerInset = 42;
constexpr int actionsWidth = 2 * (EntryRowDelegate::actionSymbolSize + 8) + 4;

QFont nameFont() { return AppFont::font(13, QFont::Medium); }
QFont pathFont() { return AppFont::font(10, QFont::Normal, FontDesign::monospaced); }
QFont ageFont() { return AppFont::font(10); }
QFont sizeFont() { return AppFont::font(12, QFont::Medium); }

// Where the parts of one row lie.
struct RowGeometry {
    QRect check;
    QRect symbol;
    QRect texts;
    QRect actions;  // the hover buttons, right of the texts
    QRect age;
    QRect size;

    RowGeometry(const QRect& row, int actionsWidth) {
        int left = row.left() + paddingX;
        check = QRect(left, row.center().y() - checkSide / 2, checkSide, checkSide);
        left += checkSide + spacing;
        symbol = QRect(left, row.top(), symbolWidth, row.height());
        left += symbolWidth + spacing;
        int right = row.right() - paddingX + 1;
        size = QRect(right - sizeWidth, row.top(), sizeWidth, row.height());
        right -= sizeWidth + spacing;
        age = QRect(right - ageWidth, row.top(), ageWidth, row.height());
        right -= ageWidth + spacing;
        actions = QRect(right - actionsWidth, row.top(), actionsWidth, row.height());
        // The spacer before the buttons (or the date) is at least 8 wide.
        texts = QRect(left, row.top() + paddingY, std::max(0, right - actionsWidth - 8 - left),
                      row.height() - 2 * paddingY);
    }
};

// Each line holds its font's whole height: the underscores of a path sit at the bottom of it.
int rowHeight() {
    return paddingY + AppFont::lineHeight(nameFont()) + 1 + AppFont::lineHeight(pathFont()) + paddingY + 1;
}

void drawCheck(QPainter& painter, const QRectF& box, bool ticked, const Palette& palette) {
    const QRectF inner = box.adjusted(0.5, 0.5, -0.5, -0.5);
    if (ticked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.accent);
        painter.drawRoundedRect(inner, 3.5, 3.5);
        QPainterPath mark;
        mark.moveTo(box.left() + 3.5, box.center().y() + 0.5);
        mark.lineTo(box.left() + 6, box.bottom() - 3.5);
        mark.lineTo(box.right() - 3, box.top() + 3.5);
        painter.setPen(QPen(palette.isDark ? palette.canvas : QColor(Qt::white), 1.8, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(mark);
    } else {
        painter.setPen(QPen(palette.inkTertiary, 1));
        painter.setBrush(palette.panel);
        painter.drawRoundedRect(inner, 3.5, 3.5);
    }
}

// Name over parent folder, then the age and the size at the right.
void drawTexts(QPainter& painter, const RowGeometry& geometry, const EntryRowContent& content,
               const Palette& palette) {
    const QFontMetrics nameMetrics(nameFont());
    const QFontMetrics pathMetrics(pathFont());
    const QRect name(geometry.texts.left(), geometry.texts.top(), geometry.texts.width(),
                     AppFont::lineHeight(nameFont()));
    const QRect path(geometry.texts.left(), name.bottom() + 2, geometry.texts.width(),
                     AppFont::lineHeight(pathFont()));
    // Names are data: drawn as they are (a newline shows as a symbol, markup as its characters);
    // one cut short keeps its end, where names of a series differ.
    painter.setFont(nameFont());
    painter.setPen(palette.ink);
    painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     nameMetrics.elidedText(QString::fromStdString(oneLineText(content.name)), Qt::ElideMiddle,
                                            name.width()));
    painter.setFont(pathFont());
    painter.setPen(palette.inkTertiary);
    painter.drawText(path, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     pathMetrics.elidedText(QString::fromStdString(oneLineText(content.parent)),
                                            Qt::ElideLeft, path.width()));

    painter.setFont(ageFont());
    painter.drawText(geometry.age, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(content.age));
    painter.setFont(sizeFont());
    painter.setPen(palette.ink);
    painter.drawText(geometry.size, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(content.size));
}

}  // namespace

EntryRowDelegate::EntryRowDelegate(EntryList& list, EntryListModel& model)
    : QStyledItemDelegate(&list), list_(list), model_(model) {}

QSize EntryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {200, rowHeight()};
}

QRect EntryRowDelegate::hoverActionsRect(const QRect& row) { return RowGeometry(row, actionsWidth).actions; }

void EntryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const Palette& palette = environmentPalette(&list_);
    const EntryRowContent& content = model_.rowContent(index.row());
    const bool hovered = index.row() == list_.hoveredRow();
    const double highlight = list_.hoverLevel(index.row());
    const QRect row = option.rect.adjusted(0, 0, 0, -1);  // the divider takes the last line
    const RowGeometry geometry(row, hovered ? actionsWidth : 0);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (highlight > 0) {
        painter->setOpacity(std::min(highlight, 1.0));
        painter->fillRect(row, palette.hover);
        painter->setOpacity(1);
    }
    if (option.state & QStyle::State_HasFocus && FocusVisibility::shows(*list_.view())) {
        painter->setPen(QPen(palette.accent, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(row).adjusted(0.5, 0.5, -0.5, -0.5));
    }

    if (!content.isOffered()) {
        // Not offered: the mark of "Never touch this", or a lock for what lies in a Trash, stands where
        // the tick would (a bin there would read as the Remove action).
        painter->setFont(symbolFont(12));
        painter->setPen(palette.inkTertiary);
        painter->drawText(geometry.check.adjusted(-2, -2, 2, 2), Qt::AlignCenter,
                          symbolText(content.neverTouched ? "hand.raised" : "lock"));
    } else {
        drawCheck(*painter, QRectF(geometry.check), index.data(Qt::CheckStateRole).toInt() == Qt::Checked,
                  palette);
    }

    painter->setFont(symbolFont(13));
    painter->setPen(palette.inkSecondary);
    painter->drawText(geometry.symbol, Qt::AlignCenter, symbolText(content.symbol));

    drawTexts(*painter, geometry, content, palette);

    painter->fillRect(
        QRect(option.rect.left() + dividerInset, option.rect.bottom(), option.rect.width() - dividerInset, 1),
        palette.hairline);
    painter->restore();
}

bool EntryRowDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const RowGeometry geometry(option.rect, 0);
        // The whole height of the tick's column takes the click.
        const QRect target(option.rect.left(), option.rect.top(), geometry.symbol.left() - option.rect.left(),
                           option.rect.height());
        if (mouse->button() == Qt::LeftButton && target.contains(mouse->position().toPoint())) {
            model_.toggle(index.row());
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select) {
            model_.toggle(index.row());
            return true;
        }
    }
    return false;
}

}  // namespace korvane
