#include "app/kit/NameLines.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/kit/ShownToolTip.h"
#include "app/presenters/LabelFit.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

// A wide name asks for no more than this; its column decides the rest.
constexpr int preferredWidth = 200;

}  // namespace

NameLines::NameLines(const QString& text, int maxLines, QWidget* parent)
    : QLabel(parent), whole_(text), maxLines_(std::max(maxLines, 1)) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setShownToolTip(*this, text);
    setAccessibleName(text);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList NameLines::shownLines(int width) const {
    if (laidOut_.width == width && laidOut_.text == whole_ && laidOut_.font == font().key())
        return laidOut_.lines;
    const QFontMetricsF metrics(font());
    laidOut_ = {width, whole_, font().key(),
                middleCutLines(whole_, std::max(width, 1), maxLines_,
                               [&metrics](const QString& line) { return metrics.horizontalAdvance(line); })};
    return laidOut_.lines;
}

int NameLines::heightForWidth(int width) const {
    const auto lines = static_cast<int>(std::max<qsizetype>(shownLines(width).size(), 1));
    return lines * AppFont::lineHeight(font());
}

QSize NameLines::sizeHint() const {
    const int whole = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(whole_)));
    const int width = std::min(whole, preferredWidth);
    return {width, heightForWidth(width)};
}

QSize NameLines::minimumSizeHint() const { return {1, AppFont::lineHeight(font())}; }

void NameLines::setSelectable(bool selectable) {
    selectable_ = selectable;
    setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                       : Qt::NoTextInteraction);
    // Reached by a click, not by Tab: it is text, not a control.
    setFocusPolicy(selectable ? Qt::ClickFocus : Qt::NoFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    showLines();
}

void NameLines::showLines() {
    if (!selectable_) return;
    const QString shown = shownLines(width()).join(QLatin1Char('\n'));
    if (shown != text()) setText(shown);
}

QString NameLines::copiedText() const {
    QString selected = selectedText();
    if (selected.isEmpty()) return {};
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    // All of it is the whole text, also where the middle was cut for want of room.
    if (selected == text()) return whole_;
    return selected.remove(QLatin1Char('\n'));
}

void NameLines::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showLines();
}

void NameLines::keyPressEvent(QKeyEvent* event) {
    if (selectable_ && event->matches(QKeySequence::Copy) && hasSelectedText()) {
        QGuiApplication::clipboard()->setText(copiedText());
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void NameLines::contextMenuEvent(QContextMenuEvent* event) {
    if (!selectable_) return QLabel::contextMenuEvent(event);
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copy"));
    copy->setEnabled(hasSelectedText());
    connect(copy, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(copiedText()); });
    QAction* all = menu.addAction(QStringLiteral("Select All"));
    connect(all, &QAction::triggered, this, [this] { setSelection(0, static_cast<int>(text().size())); });
    menu.exec(event->globalPos());
}

void NameLines::paintEvent(QPaintEvent* event) {
    if (selectable_) return QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const int lineHeight = AppFont::lineHeight(font());
    int y = 0;
    for (const QString& line : shownLines(width())) {
        painter.drawText(QRect(0, y, width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineHeight;
    }
}

}  // namespace korvane
