#include "app/canvases/GeneralCanvasPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/canvases/CanvasBlurb.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/canvases/FocusUpKeys.h"
#include "app/canvases/PageHeader.h"
#include "app/kit/CrumbButton.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppFont.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

}  // namespace

GeneralCanvasPage::GeneralCanvasPage(FolderScanState& folderScan, const CanvasParts& parts, QWidget* parent)
    : QWidget(parent),
      folderScan_(folderScan),
      parts_(parts),
      pages_(new QStackedWidget),
      scanning_(new EmptyStateView(
          "hourglass", 24, EmptyStateView::SymbolTone::inkTertiary, QStringLiteral("Scanning"), 13,
          QStringLiteral("Reading directory metadata. This takes a few seconds for a "
                         "home folder."))),
      nothingScanned_(new EmptyStateView("internaldrive", 26, EmptyStateView::SymbolTone::inkTertiary,
                                         QStringLiteral("Nothing scanned yet"), 14,
                                         QString::fromUtf8(platformWords::nothingScannedMessage))),
      unreadable_(new EmptyStateView("exclamationmark.triangle.fill", 24, EmptyStateView::SymbolTone::inkTertiary, {},
                                     14, {})) {
    nothingScanned_->setMessageWidth(340);
    unreadable_->setMessageWidth(340);
    auto* scanHome = new KitButton(KitButton::Style::solid, QStringLiteral("Scan Home folder"));
    scanHome->setFixedWidth(170);
    // A folder scan only: this page already is the explore section of the explore route.
    connect(scanHome, &QPushButton::clicked, this, [this] { folderScan_.scanFolder(Paths::home()); });
    nothingScanned_->addButton(scanHome, 6);

    pages_->addWidget(makeTreePage());
    pages_->addWidget(scanning_);
    pages_->addWidget(nothingScanned_);
    pages_->addWidget(unreadable_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(pages_);
    // Its canvases mark the developer selection.
    followChanges(*this, {&parts_.navigation, &folderScan_, &parts_.developer}, [this] { refresh(); });
    addFocusUpKeys(this, parts_.navigation);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
}

QWidget* GeneralCanvasPage::makeTreePage() {
    treePage_ = new QWidget;
    auto* column = new QVBoxLayout(treePage_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    crumbs_ = new QWidget;
    crumbRow_ = new QHBoxLayout(crumbs_);
    crumbRow_->setContentsMargins(0, 0, 0, 2);
    crumbRow_->setSpacing(4);
    auto* header = new PageHeader(crumbs_);
    header_ = header;
    name_ = header->name();
    bytes_ = plainLabel();
    dot_ = plainLabel(QStringLiteral("\u00B7"));
    files_ = plainLabel();
    for (QLabel* label : {bytes_, dot_, files_}) header->addFigure(label);
    column->addWidget(header);

    auto* toolbar = new QHBoxLayout;
    toolbar->setContentsMargins(16, 0, 16, 10);
    toolbar->setSpacing(10);
    toolbar->addWidget(new CanvasModeSwitcher(parts_.navigation));
    blurb_ = new CanvasBlurb;
    toolbar->addWidget(blurb_, 1);
    toolbar->addSpacing(8);
    column->addLayout(toolbar);
    column->addWidget(new Hairline(Qt::Horizontal));

    drawing_ = new CanvasDrawing(parts_);
    auto* frame = new QVBoxLayout;
    frame->setContentsMargins(12, 12, 12, 12);
    frame->addWidget(drawing_);
    column->addLayout(frame, 1);
    return treePage_;
}

void GeneralCanvasPage::refresh() {
    content_ = generalCanvasContent(parts_.navigation, folderScan_);
    switch (content_.body) {
        case GeneralCanvasContent::Body::tree:
            pages_->setCurrentWidget(treePage_);
            break;
        case GeneralCanvasContent::Body::scanning:
            pages_->setCurrentWidget(scanning_);
            break;
        case GeneralCanvasContent::Body::nothingScanned:
            pages_->setCurrentWidget(nothingScanned_);
            break;
        case GeneralCanvasContent::Body::unreadable:
            unreadable_->setTitle(text(content_.unreadableTitle));
            unreadable_->setMessage(text(content_.unreadableMessage));
            pages_->setCurrentWidget(unreadable_);
            break;
    }
    rebuildCrumbs();
    name_->setText(text(content_.name));
    bytes_->setText(text(content_.bytes));
    files_->setText(text(content_.files));
    dot_->setVisible(!content_.files.empty());
    files_->setVisible(!content_.files.empty());
    blurb_->setText(text(content_.blurb));
    // Always follows the state, so the host never holds a node of a replaced tree.
    drawing_->setRoot(content_.root);
}

std::vector<QPushButton*> GeneralCanvasPage::crumbButtons() const { return korvane::crumbButtons(crumbRow_); }

void GeneralCanvasPage::rebuildCrumbs() {
    // Shown or not on every change: an empty row still takes the header's
    // spacing, so the name would stand 10 points right of where it returns to.
    crumbs_->setVisible(!content_.crumbs.empty());
    const auto same = [](const GeneralCanvasContent::Crumb& a, const GeneralCanvasContent::Crumb& b) {
        return a.id == b.id && a.name == b.name;
    };
    if (std::equal(content_.crumbs.begin(), content_.crumbs.end(), shownCrumbs_.begin(), shownCrumbs_.end(),
                   same))
        return;
    shownCrumbs_ = content_.crumbs;
    clearCrumbs(crumbRow_);
    const Palette& palette = environmentPalette(this);
    for (const auto& crumb : content_.crumbs) {
        auto* button = new CrumbButton(text(crumb.name), false);
        // Marked as rich text so that a path holding "<b>" or "&" shows as itself.
        setShownToolTip(*button, text(crumb.help));
        button->setAccessibleDescription(text(crumb.help));
        const std::string id = crumb.id;
        // By id: the node may be gone by the time of the click.
        connect(button, &QPushButton::clicked, this, [this, id] { parts_.navigation.focusOn(id); });
        crumbRow_->addWidget(button);
        crumbRow_->addWidget(crumbChevron(palette.inkTertiary));
    }
}

void GeneralCanvasPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), environmentPalette(this).canvas);
}

void GeneralCanvasPage::restyle() {
    const Palette& palette = environmentPalette(this);
    // Unlike the developer page, the name goes without the theme's tracking.
    styleLabel(name_, AppFont::font(20, palette.displayWeight, palette.fontDesign), palette.ink);
    styleLabel(bytes_, AppFont::font(13, QFont::Medium), palette.ink);
    styleLabel(dot_, AppFont::caption(), palette.inkTertiary);
    styleLabel(files_, AppFont::caption(), palette.inkSecondary);
    styleLabel(blurb_, AppFont::small(), palette.inkTertiary);
    // The chevrons take the new palette's colour.
    shownCrumbs_.clear();
    rebuildCrumbs();
}

}  // namespace korvane
