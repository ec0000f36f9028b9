#include "app/kit/SafetyTag.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"
#include "app/theme/SafetyTagLook.h"

namespace korvane {

SafetyTag::SafetyTag(SafetyLevel safety, QWidget* parent)
    : QWidget(parent), safety_(safety), symbol_(new SymbolView({}, 9, this)), title_(new QLabel(this)) {
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(AppFont::font(10, QFont::Medium));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(7, 3, 7, 3);
    row->setSpacing(4);
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void SafetyTag::setSafety(SafetyLevel safety) {
    safety_ = safety;
    restyle();
}

void SafetyTag::restyle() {
    const SafetyTagLook look = safetyTagLook(safety_, environmentPalette(this));
    symbol_->setSymbol(std::string(look.symbol));
    symbol_->setColor(look.tint);
    title_->setText(QString::fromUtf8(look.title.data(), static_cast<qsizetype>(look.title.size())));
    styleLabel(title_, title_->font(), look.tint);
    update();
}

void SafetyTag::paintEvent(QPaintEvent*) {
    const SafetyTagLook look = safetyTagLook(safety_, environmentPalette(this));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.background);
    const double radius = height() / 2.0;
    painter.drawRoundedRect(rect(), radius, radius);
}

}  // namespace korvane
