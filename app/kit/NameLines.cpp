#include "app/kit/NameLines.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/canvases/layout/LabelFit.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

// A wide name asks for no more than this; its column decides the rest.
constexpr int preferredWidth = 200;

}  // namespace

NameLines::NameLines(const QString& text, int maxLines, QWidget* parent)
    : QLabel(parent), maxLines_(std::max(maxLines, 1)) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setToolTip(QStringLiteral("<qt>%1</qt>").arg(text.toHtmlEscaped()));
    setAccessibleName(text);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList NameLines::shownLines(int width) const {
    if (laidOut_.width == width && laidOut_.text == text() && laidOut_.font == font().key())
        return laidOut_.lines;
    const QFontMetricsF metrics(font());
    laidOut_ = {width, text(), font().key(),
                middleCutLines(text(), std::max(width, 1), maxLines_,
                               [&metrics](const QString& line) { return metrics.horizontalAdvance(line); })};
    return laidOut_.lines;
}

int NameLines::heightForWidth(int width) const {
    const auto lines = static_cast<int>(std::max<qsizetype>(shownLines(width).size(), 1));
    return lines * AppFont::lineHeight(font());
}

QSize NameLines::sizeHint() const {
    const int whole = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    const int width = std::min(whole, preferredWidth);
    return {width, heightForWidth(width)};
}

QSize NameLines::minimumSizeHint() const { return {1, AppFont::lineHeight(font())}; }

void NameLines::paintEvent(QPaintEvent*) {
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
