#include "app/canvases/PageHeader.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app/kit/ElidedLabel.h"
#include "app/kit/WrapLayout.h"

namespace korvane {

PageHeader::PageHeader(QWidget* lead, QWidget* parent)
    : QWidget(parent), name_(new ElidedLabel({}, nullptr, Qt::ElideMiddle)), figureRow_(new QHBoxLayout) {
    auto* lines = new WrapLayout(10, 2, this);
    lines->setContentsMargins(16, 14, 16, 10);
    // On one line the figures stand on the name's foot, as the lead does.
    lines->setBottomAligned(true);
    if (lead) lines->addWidget(lead);
    lines->addWidget(name_);
    auto* figures = new QWidget;
    figures->setLayout(figureRow_);
    figureRow_->setContentsMargins(0, 0, 0, 0);
    figureRow_->setSpacing(10);
    lines->addWidget(figures);
}

void PageHeader::addFigure(QLabel* figure) { figureRow_->addWidget(figure, 0, Qt::AlignBottom); }

}  // namespace korvane
