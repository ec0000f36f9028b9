#include "app/screens/ScanningView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kit/ByteHeadline.h"
#include "app/kit/ColorDot.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/LinearProgress.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SlideReveal.h"
#include "app/kit/SymbolView.h"
#include "app/state/DeveloperState.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

namespace {

constexpr int columnWidth = 300;

}  // namespace

ScanningView::ScanningView(DeveloperState& developer, QWidget* parent)
    : QWidget(parent),
      developer_(developer),
      heading_(plainLabel(QStringLiteral("Analysing your development environment"), Qt::AlignCenter)),
      headline_(new ByteHeadline(0, 40, 17)),
      foundSoFar_(plainLabel(QStringLiteral("found so far"), Qt::AlignCenter)),
      progress_(new LinearProgress),
      phase_(plainLabel({}, Qt::AlignCenter)),
      rows_(new QWidget),
      rowsLayout_(new QVBoxLayout(rows_)),
      cancel_(new LinkButton(QStringLiteral("Cancel"), AppFont::caption())) {
    setAutoFillBackground(true);
    headline_->setMotion(AppMotion::scanningHeadline);
    progress_->setFixedWidth(columnWidth);
    progress_->setAccessibleName(QStringLiteral("Scan progress"));
    rows_->setFixedWidth(columnWidth);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(5);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 22);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(heading_, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(headline_, 0, Qt::AlignHCenter);
    column->addWidget(foundSoFar_, 0, Qt::AlignHCenter);
    column->addSpacing(24);
    column->addWidget(progress_, 0, Qt::AlignHCenter);
    column->addSpacing(9);
    column->addWidget(phase_, 0, Qt::AlignHCenter);
    column->addSpacing(20);
    column->addWidget(rows_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    column->addWidget(cancel_, 0, Qt::AlignHCenter);

    connect(cancel_, &QPushButton::clicked, &developer_, &DeveloperState::cancelDeveloperScan);
    connect(&developer_, &DeveloperState::scanProgressChanged, this, &ScanningView::refresh);
    restyleOnPaletteChange(*this, [this] {
        restyle();
        rebuildRows(true);
    });
    restyle();
    refresh();
}

void ScanningView::refresh() {
    ScanningContent content = scanningContent(developer_.scanProgress());
    const bool rowsChanged = content.rows != content_.rows;
    content_ = std::move(content);
    headline_->setBytes(content_.foundSoFar);
    progress_->setFraction(content_.fraction);
    phase_->setText(QString::fromStdString(content_.phase));
    if (rowsChanged || rowsLayout_->isEmpty()) rebuildRows();
}

std::vector<SlideReveal*> ScanningView::rowSlots() const {
    std::vector<SlideReveal*> holders;
    for (int i = 0; i < rowsLayout_->count(); ++i)
        if (auto* slot = qobject_cast<SlideReveal*>(rowsLayout_->itemAt(i)->widget()))
            if (!slot->property("leaving").toBool()) holders.push_back(slot);
    return holders;
}

QWidget* ScanningView::makeRow(const ScanningRow& entry) const {
    const Palette& palette = environmentPalette(this);
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(7);
    line->addWidget(new ColorDot(palette.colorForCategory(entry.category), 6), 0, Qt::AlignVCenter);
    auto* symbol = new SymbolView(entry.symbol, 9);
    symbol->setColor(palette.inkSecondary);
    symbol->setFixedWidth(12);
    line->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* title = new ElidedLabel(QString::fromStdString(entry.title));
    styleLabel(title, AppFont::caption(), palette.ink);
    line->addWidget(title, 1);
    auto* bytes = new QLabel(QString::fromStdString(entry.bytes));
    bytes->setTextFormat(Qt::PlainText);
    styleLabel(bytes, AppFont::font(11), palette.inkSecondary);
    line->addWidget(bytes);
    return row;
}

void ScanningView::rebuildRows(bool restyled) {
    // Rows already shown stay; a row new to the list slides in from above,
    // and one no longer listed slides up and fades where it stood.
    const bool animate = !restyled && isVisible() && !AppMotion::jumpsToEnd();
    std::vector<SlideReveal*> kept;
    std::vector<ScanningRow> keptRows;
    for (SlideReveal* slot : rowSlots()) {
        const auto index = static_cast<std::size_t>(slot->property("row").toInt());
        const auto same = [&](const ScanningRow& row) { return row == shownRows_[index]; };
        if (!restyled && std::find_if(content_.rows.begin(), content_.rows.end(), same) != content_.rows.end()) {
            kept.push_back(slot);
            keptRows.push_back(shownRows_[index]);
        }
    }
    std::vector<SlideReveal*> leaving;
    while (QLayoutItem* item = rowsLayout_->takeAt(0)) {
        auto* slot = qobject_cast<SlideReveal*>(item->widget());
        delete item;
        if (std::find(kept.begin(), kept.end(), slot) != kept.end()) continue;
        if (!animate || !slot) {
            delete slot;
            continue;
        }
        if (!slot->property("leaving").toBool()) {
            slot->setProperty("leaving", true);
            connect(slot->animation(), &QAbstractAnimation::finished, slot, &QObject::deleteLater);
            slot->setRevealed(false);
        }
        leaving.push_back(slot);
    }
    for (SlideReveal* slot : leaving) rowsLayout_->addWidget(slot);
    for (std::size_t i = 0; i < content_.rows.size(); ++i) {
        const ScanningRow& entry = content_.rows[i];
        SlideReveal* slot = nullptr;
        if (const auto at = std::find(keptRows.begin(), keptRows.end(), entry); at != keptRows.end()) {
            slot = kept[static_cast<std::size_t>(at - keptRows.begin())];
        } else {
            slot = new SlideReveal(makeRow(entry), SlideReveal::Edge::top, AppMotion::scanningRows);
            if (animate) slot->setRevealed(true);
            else slot->jumpRevealed(true);
        }
        slot->setProperty("row", static_cast<int>(i));
        rowsLayout_->addWidget(slot);
    }
    shownRows_ = content_.rows;
}

void ScanningView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(heading_, AppFont::body(), palette.inkSecondary);
    headline_->setColor(palette.accent);
    styleLabel(foundSoFar_, AppFont::caption(), palette.inkTertiary);
    styleLabel(phase_, AppFont::caption(), palette.inkSecondary);
}

}  // namespace korvane
