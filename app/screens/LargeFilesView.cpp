#include "app/screens/LargeFilesView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/kit/EmptyStateView.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/screens/EntryList.h"
#include "app/screens/PageEmptyState.h"
#include "app/state/FolderScanState.h"
#include "app/theme/AppFont.h"

namespace korvane {

LargeFilesView::LargeFilesView(FolderScanState& folderScan, DeveloperState& developer,
                               const DesktopActions& desktop, const Clock& clock, QWidget* parent)
    : QWidget(parent),
      folderScan_(folderScan),
      title_(plainLabel(QStringLiteral("Large files"))),
      subtitle_(plainLabel(QString::fromStdString(largeFilesContent(false, {}).subtitle))),
      total_(plainLabel()),
      body_(new QStackedWidget),
      list_(new EntryList(developer, desktop, clock)),
      empty_(makePageEmptyState()) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 14, 16, 14);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    header->addLayout(titles);
    header->addStretch(1);
    total_->setAccessibleName(QStringLiteral("Total"));
    header->addWidget(total_);
    column->addLayout(header);
    column->addWidget(new Hairline(Qt::Horizontal));
    body_->addWidget(list_);
    body_->addWidget(empty_);
    column->addWidget(body_, 1);

    connect(&folderScan_, &FolderScanState::changed, this, &LargeFilesView::refresh);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
}

void LargeFilesView::refresh() {
    // Only a new scan result changes the list.
    const auto result = folderScan_.sharedGeneralResult();
    if (result == shown_) return;
    shown_ = result;
    const std::vector<FileTreeScanner::Entry> largest = folderScan_.largestFiles();
    content_ = largeFilesContent(result && result->has_value(), largest);
    subtitle_->setText(QString::fromStdString(content_.subtitle));
    total_->setVisible(content_.total.has_value());
    total_->setText(QString::fromStdString(content_.total.value_or("")));
    // Read as "Total" with its figure, not the bare name.
    total_->setAccessibleName(QStringLiteral("Total ") + total_->text());
    list_->keepTicksWithin(largest);
    list_->setEntries(largest);
    if (content_.emptyState) {
        showPageEmptyState(*empty_, *content_.emptyState);
        body_->setCurrentWidget(empty_);
    } else {
        body_->setCurrentWidget(list_);
    }
}

void LargeFilesView::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), environmentPalette(this).canvas); }

void LargeFilesView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(title_, AppFont::font(17, QFont::DemiBold), palette.ink);
    styleLabel(subtitle_, AppFont::caption(), palette.inkSecondary);
    styleLabel(total_, AppFont::font(15, QFont::DemiBold), palette.accent);
}

}  // namespace korvane
