#include "app/settings/AboutTab.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SymbolView.h"
#include "app/presenters/SettingsContent.h"

namespace korvane {

namespace {

QLabel* plainLabel(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

AboutTab::AboutTab(QWidget* parent)
    : SettingsTabPage(parent),
      drive_(new SymbolView("internaldrive", 36)),
      title_(plainLabel(settingsText::aboutTitle)),
      tagline_(plainLabel(settingsText::aboutTagline)),
      shield_(new SymbolView("lock.shield", 11)),
      privacy_(plainLabel(settingsText::aboutPrivacy)) {
    auto* stack = new QWidget;
    stack->setMaximumWidth(380);
    auto* column = new QVBoxLayout(stack);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(drive_, 0, Qt::AlignHCenter);
    column->addWidget(title_, 0, Qt::AlignHCenter);
    column->addWidget(tagline_, 0, Qt::AlignHCenter);
    auto* divider = new QVBoxLayout;
    divider->setContentsMargins(0, 6, 0, 6);
    divider->addWidget(new Hairline(Qt::Horizontal));
    column->addLayout(divider);
    // The note wraps onto as many lines as it needs; it is never cut.
    privacy_->setWordWrap(true);
    privacy_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* note = new QHBoxLayout;
    note->setSpacing(6);
    note->addWidget(shield_, 0, Qt::AlignTop);
    note->addWidget(privacy_, 1);
    column->addLayout(note);

    // As wide as the tab allows up to 380 points, centred.
    auto* across = new QHBoxLayout;
    across->addStretch(1);
    across->addWidget(stack, 1000);
    across->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 24, 24, 24);
    page->addStretch(1);
    page->addLayout(across);
    page->addStretch(1);
    restyle();
}

void AboutTab::restyle() {
    const Palette& palette = environmentPalette(this);
    drive_->setColor(palette.accent);
    styleLabel(title_, AppFont::font(18, QFont::DemiBold), palette.ink);
    styleLabel(tagline_, AppFont::font(12), palette.inkSecondary);
    shield_->setColor(palette.inkSecondary);
    styleLabel(privacy_, AppFont::font(11), palette.inkSecondary);
}

}  // namespace korvane
