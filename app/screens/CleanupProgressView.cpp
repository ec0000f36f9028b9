#include "app/screens/CleanupProgressView.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/ByteHeadline.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/LinearProgress.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/state/DeveloperState.h"

namespace korvane {

CleanupProgressView::CleanupProgressView(DeveloperState& developer, QWidget* parent)
    : QWidget(parent),
      developer_(developer),
      headline_(new ByteHeadline(0, 40, 17)),
      reclaimed_(plainLabel(QStringLiteral("reclaimed"), Qt::AlignCenter)),
      progress_(new LinearProgress),
      current_(new ElidedLabel),
      count_(plainLabel({}, Qt::AlignCenter)),
      stop_(new LinkButton(QStringLiteral("Stop"), AppFont::caption())) {
    setAutoFillBackground(true);
    headline_->setMotion(AppMotion::cleanupHeadline);
    progress_->setFixedWidth(columnWidth);
    progress_->setAccessibleName(QStringLiteral("Cleanup progress"));
    current_->setFixedWidth(columnWidth);
    current_->setAlignment(Qt::AlignCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 22);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(headline_, 0, Qt::AlignHCenter);
    column->addWidget(reclaimed_, 0, Qt::AlignHCenter);
    column->addSpacing(22);
    column->addWidget(progress_, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(current_, 0, Qt::AlignHCenter);
    column->addWidget(count_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    column->addWidget(stop_, 0, Qt::AlignHCenter);

    connect(stop_, &QPushButton::clicked, &developer_, &DeveloperState::cancelCleanup);
    connect(&developer_, &DeveloperState::changed, this, &CleanupProgressView::refresh);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
}

void CleanupProgressView::refresh() {
    CleanupProgressContent content = cleanupProgressContent(developer_.cleanupProgress());
    // Every field of the developer state publishes here; only a new progress changes the screen.
    if (content == content_) return;
    content_ = std::move(content);
    headline_->setBytes(content_.freedSoFar);
    progress_->setFraction(content_.fraction);
    current_->setText(QString::fromStdString(content_.currentTitle));
    count_->setText(QString::fromStdString(content_.count));
}

void CleanupProgressView::restyle() {
    const Palette& palette = environmentPalette(this);
    headline_->setColor(palette.accent);
    styleLabel(reclaimed_, AppFont::body(), palette.inkSecondary);
    styleLabel(current_, AppFont::caption(), palette.inkSecondary);
    styleLabel(count_, AppFont::small(), palette.inkTertiary);
}

}  // namespace korvane
