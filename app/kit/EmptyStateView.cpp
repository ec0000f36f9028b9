#include "app/kit/EmptyStateView.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

constexpr int messageWidth = 340;

}  // namespace

EmptyStateView::EmptyStateView(const EmptyStateText& text, QWidget* parent)
    : QWidget(parent), symbol_(new SymbolView(text.symbol, 26)), title_(new QLabel), message_(new QLabel) {
    for (QLabel* label : {title_, message_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    message_->setWordWrap(true);
    message_->setMaximumWidth(messageWidth);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(7);
    column->addStretch(1);
    column->addWidget(symbol_, 0, Qt::AlignHCenter);
    column->addWidget(title_, 0, Qt::AlignHCenter);
    column->addWidget(message_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    setText(text);
    restyle();
}

void EmptyStateView::setText(const EmptyStateText& text) {
    text_ = text;
    symbol_->setSymbol(text.symbol);
    title_->setText(QString::fromStdString(text.title));
    message_->setText(QString::fromStdString(text.message));
}

void EmptyStateView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

void EmptyStateView::restyle() {
    const Palette& palette = environmentPalette(this);
    symbol_->setColor(palette.inkTertiary);
    styleLabel(title_, AppFont::font(14, QFont::Medium), palette.ink);
    styleLabel(message_, AppFont::caption(), palette.inkSecondary);
}

}  // namespace korvane
