#include "app/kit/EmptyStateView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"

namespace korvane {

EmptyStateView::EmptyStateView(std::string symbol, double symbolSize, SymbolTone tone, const QString& title,
                               double titleSize, const QString& message, QWidget* parent)
    : QWidget(parent),
      tone_(tone),
      titleSize_(titleSize),
      symbol_(new SymbolView(std::move(symbol), symbolSize)),
      title_(new QLabel(title)),
      message_(new QLabel(message)),
      column_(new QVBoxLayout) {
    for (QLabel* label : {title_, message_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
    }
    message_->setWordWrap(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addStretch(1);
    outer->addLayout(column_);
    outer->addStretch(1);
    column_->setSpacing(6);
    column_->addWidget(symbol_, 0, Qt::AlignHCenter);
    column_->addWidget(title_, 0, Qt::AlignHCenter);
    // Centred by stretches, not by an alignment flag: an aligned label gets its
    // hinted width, wraps into more lines than the height it was given, and is cut.
    message_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* messageLine = new QHBoxLayout;
    messageLine->addStretch();
    messageLine->addWidget(message_);
    messageLine->addStretch();
    column_->addLayout(messageLine);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void EmptyStateView::setTitle(const QString& title) { title_->setText(title); }
void EmptyStateView::setSymbol(std::string symbol) { symbol_->setSymbol(std::move(symbol)); }
void EmptyStateView::setMessage(const QString& message) { message_->setText(message); }
QString EmptyStateView::title() const { return title_->text(); }
QString EmptyStateView::message() const { return message_->text(); }

void EmptyStateView::addButton(QWidget* button, int topSpacing) {
    column_->addSpacing(topSpacing);
    column_->addWidget(button, 0, Qt::AlignHCenter);
}

void EmptyStateView::setMessageWidth(int width) { message_->setMaximumWidth(width); }

void EmptyStateView::restyle() {
    const Palette& palette = environmentPalette(this);
    symbol_->setColor(tone_ == SymbolTone::accent ? palette.accent : palette.inkTertiary);
    styleLabel(title_, AppFont::font(titleSize_, QFont::Medium), palette.ink);
    styleLabel(message_, AppFont::caption(), palette.inkSecondary);
}

}  // namespace korvane
