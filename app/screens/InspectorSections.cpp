#include "app/screens/InspectorSections.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/kit/ColorDot.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/SafetyTag.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/FocusRing.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

namespace {

constexpr double barHeight = 3;

QLabel* plainLabel(const QString& text, bool wraps = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    return label;
}

QLabel* sectionTitle(const QString& text, const Palette& palette) {
    QLabel* title = plainLabel(text);
    styleLabel(title, AppFont::font(10, QFont::DemiBold, FontDesign::default_, 0.5), palette.inkTertiary);
    return title;
}

// The restore hint: monospaced, selectable, on a rounded hover-coloured box.
// A command is one long word: it wraps where it must, even inside a word,
// so that it never runs past the column, and a copied selection is the
// command as written.
class HintBox : public QTextEdit {
public:
    static constexpr int padding = 5;

    HintBox(const QString& text, const Palette& palette) {
        setReadOnly(true);
        setPlainText(text);
        setAccessibleName(text);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        setTabChangesFocus(true);
        document()->setDocumentMargin(padding);
        setFont(AppFont::mono());
        QPalette colours = this->palette();
        colours.setColor(QPalette::Text, palette.ink);
        colours.setColor(QPalette::Base, Qt::transparent);
        setPalette(colours);
        viewport()->setAutoFillBackground(false);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const std::unique_ptr<QTextDocument> laidOut(document()->clone());
        laidOut->setDefaultFont(font());
        laidOut->setTextWidth(width);
        return static_cast<int>(std::ceil(laidOut->size().height()));
    }
    // Never wider than its column wants: the text wraps instead.
    QSize sizeHint() const override {
        const int width = std::max(this->width(), 60);
        return {60, heightForWidth(width)};
    }
    QSize minimumSizeHint() const override { return {40, heightForWidth(std::max(width(), 40))}; }

protected:
    // It never scrolls: the wheel scrolls the inspector.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
    void resizeEvent(QResizeEvent* event) override {
        QTextEdit::resizeEvent(event);
        // The height follows the width the column gave it.
        if (height() != heightForWidth(width())) updateGeometry();
    }
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(viewport());
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(environmentPalette(this).hover);
            painter.drawRoundedRect(QRectF(viewport()->rect()), 5, 5);
        }
        QTextEdit::paintEvent(event);
    }
};

}  // namespace

LargestInsideRowView::LargestInsideRowView(const LargestInsideRow& row, const Palette& palette, QWidget* parent)
    : QAbstractButton(parent),
      row_(row),
      color_(palette.colorForCategory(row.colorCategory)),
      name_(new ElidedLabel(QString::fromStdString(row.name), nullptr, Qt::ElideMiddle)),
      bytes_(plainLabel(QString::fromStdString(row.bytes))) {
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QString::fromStdString(row.name + ", " + row.bytes));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(new ColorDot(color_, 6), 0, Qt::AlignVCenter);
    line->addWidget(name_, 1);
    line->addSpacing(4);
    line->addWidget(bytes_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addLayout(line);
    // The bar is painted in the room left below the line.
    column->addSpacing(static_cast<int>(barHeight));
    for (QWidget* child : std::initializer_list<QWidget*>{name_, bytes_})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    styleLabel(name_, AppFont::caption(), palette.ink);
    styleLabel(bytes_, AppFont::font(10), palette.inkSecondary);
}

void LargestInsideRowView::paintEvent(QPaintEvent*) {
    const double width = largestInsideBarWidth(row_, this->width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (FocusVisibility::shows(*this)) {
        // The row has no margin to ring: the hover fill marks it as well.
        const Palette& palette = environmentPalette(this);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.hover);
        painter.drawRoundedRect(QRectF(rect()), 4, 4);
        FocusRing::paint(painter, rect(), 4, palette, palette.hover);
    }
    if (width <= 0) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(color_, 0.45));
    painter.drawRoundedRect(QRectF(0, height() - barHeight, width, barHeight), 1.5, 1.5);
}

QWidget* makeReasonSection(const InspectorReason& reason, const Palette& palette) {
    auto* panel = new Panel(12);
    QVBoxLayout* column = panel->contentLayout();
    column->setSpacing(7);
    if (reason.safety) column->addWidget(new SafetyTag(*reason.safety), 0, Qt::AlignLeft);
    QLabel* text = plainLabel(QString::fromStdString(reason.reason), true);
    styleLabel(text, AppFont::caption(), palette.inkSecondary);
    column->addWidget(text);
    if (reason.restoreHint) {
        column->addWidget(new Hairline(Qt::Horizontal));
        auto* hint = new QVBoxLayout;
        hint->setSpacing(3);
        hint->addWidget(sectionTitle(QStringLiteral("HOW IT COMES BACK"), palette));
        hint->addWidget(new HintBox(QString::fromStdString(*reason.restoreHint), palette));
        column->addLayout(hint);
    }
    return panel;
}

QWidget* makeDetailsSection(const std::vector<InspectorDetailRow>& rows, const Palette& palette) {
    auto* panel = new Panel(12);
    QVBoxLayout* column = panel->contentLayout();
    column->setSpacing(0);
    column->addWidget(sectionTitle(QStringLiteral("DETAILS"), palette));
    column->addSpacing(7);
    for (const InspectorDetailRow& row : rows) {
        QLabel* label = plainLabel(QString::fromStdString(row.label));
        styleLabel(label, AppFont::caption(), palette.inkSecondary);
        QLabel* value = plainLabel(QString::fromStdString(row.value), true);
        value->setAlignment(Qt::AlignRight | Qt::AlignTop);
        styleLabel(value, AppFont::font(11, QFont::Medium), palette.ink);
        auto* line = new QHBoxLayout;
        line->setContentsMargins(0, 3, 0, 3);
        line->addWidget(label, 0, Qt::AlignTop);
        line->addSpacing(8);
        line->addWidget(value, 1);
        column->addLayout(line);
    }
    return panel;
}

QWidget* makeLargestInsideSection(const LargestInside& largest, const Palette& palette,
                                  const std::function<void(const std::string&)>& choose) {
    auto* panel = new Panel(12);
    QVBoxLayout* column = panel->contentLayout();
    column->setSpacing(6);
    auto* header = new QHBoxLayout;
    header->addWidget(sectionTitle(QStringLiteral("LARGEST INSIDE"), palette));
    header->addStretch(1);
    QLabel* count = plainLabel(QString::fromStdString(largest.count));
    styleLabel(count, AppFont::small(), palette.inkTertiary);
    header->addWidget(count);
    column->addLayout(header);
    for (const LargestInsideRow& row : largest.rows) {
        auto* view = new LargestInsideRowView(row, palette, panel);
        QObject::connect(view, &QAbstractButton::clicked, view, [choose, id = row.id] { choose(id); });
        column->addWidget(view);
    }
    return panel;
}

}  // namespace korvane
