#include "app/frame/PlaceholderPane.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"

namespace korvane {

PlaceholderPane::PlaceholderPane(const QString& title, Surface surface, QWidget* parent)
    : QWidget(parent), surface_(surface), title_(new QLabel(title)) {
    title_->setTextFormat(Qt::PlainText);
    title_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_, 0, Qt::AlignCenter);
    setAccessibleName(title);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

QString PlaceholderPane::title() const { return title_->text(); }

void PlaceholderPane::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    if (surface_ == Surface::rail) painter.fillRect(rect(), palette.rail);
}

void PlaceholderPane::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(title_, AppFont::font(11, QFont::Medium, palette.fontDesign, palette.tracking),
               palette.inkTertiary);
}

}  // namespace korvane
