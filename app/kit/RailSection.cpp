#include "app/kit/RailSection.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/ElidedLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"

namespace korvane {

RailSection::RailSection(const QString& title, std::optional<QString> trailing, QWidget* content,
                         QWidget* parent)
    : QWidget(parent), title_(new ElidedLabel(title.toUpper(), this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(title_, 1);
    if (trailing) {
        trailing_ = new QLabel(*trailing, this);
        trailing_->setTextFormat(Qt::PlainText);
        header->addWidget(trailing_);
    }
    column->addLayout(header);
    if (content != nullptr) column->addWidget(content);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void RailSection::setTrailing(const QString& trailing) {
    if (trailing_ != nullptr) trailing_->setText(trailing);
}

void RailSection::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(title_, AppFont::font(10, QFont::DemiBold, palette.fontDesign, palette.tracking + 0.6),
               palette.inkTertiary);
    if (trailing_ != nullptr) styleLabel(trailing_, AppFont::font(10), palette.inkTertiary);
}

}  // namespace korvane
