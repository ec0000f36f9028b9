#include "app/frame/TitledSheet.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"

namespace korvane {

TitledSheet::TitledSheet(const QString& title, QWidget* content, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(title)),
      done_(new KitButton(KitButton::Style::outline, QStringLiteral("Done"))) {
    setAutoFillBackground(true);
    title_->setTextFormat(Qt::PlainText);
    done_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 14, 14, 14);
    header->addWidget(title_);
    header->addStretch(1);
    header->addWidget(done_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(new Hairline(Qt::Horizontal));
    column->addWidget(content, 1);
    connect(done_, &QPushButton::clicked, this, &TitledSheet::closeRequested);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void TitledSheet::restyle() {
    styleLabel(title_, AppFont::font(15, QFont::DemiBold), environmentPalette(this).ink);
}

}  // namespace korvane
