#include "app/canvases/DeveloperCanvasPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/canvases/CanvasBlurb.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/canvases/FocusUpKeys.h"
#include "app/canvases/PageHeader.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/Ground.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ReturnKey.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolView.h"
#include "app/kit/WrapLayout.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "app/state/PreferencesState.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

}  // namespace

DeveloperCanvasPage::DeveloperCanvasPage(const CanvasParts& parts, QWidget* parent)
    : QWidget(parent), parts_(parts) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(makeToolbar());
    column->addWidget(new Hairline(Qt::Horizontal));

    noMatch_ = new EmptyStateView("magnifyingglass", 24, EmptyStateView::SymbolTone::inkTertiary, {}, 13,
                                  QStringLiteral("Try a toolchain, a project name, or part of a path."));
    auto* clearFilter = new KitButton(KitButton::Style::outline, QStringLiteral("Clear filter"));
    connect(clearFilter, &QPushButton::clicked, this, [this] { parts_.navigation.setSearchText({}); });
    noMatch_->addButton(clearFilter, 4);
    drawing_ = new CanvasDrawing(parts_);
    nothingHere_ = new EmptyStateView("checkmark.seal", 26, EmptyStateView::SymbolTone::accent,
                                      QStringLiteral("Nothing here to clean"), 13,
                                      QString::fromUtf8(DeveloperCanvasContent::nothingHereText));
    notScanned_ = new EmptyStateView(NotScannedText::symbol, 24, EmptyStateView::SymbolTone::inkTertiary,
                                     QString::fromUtf8(NotScannedText::title), 13,
                                     QString::fromUtf8(NotScannedText::message));
    notScanned_->setMessageWidth(340);
    auto* scan = new KitButton(KitButton::Style::solid, text(std::string(platformWords::scanThisComputer)));
    connect(scan, &QPushButton::clicked, this, [this] { parts_.developer.startScan(); });
    notScanned_->addButton(scan, 6);
    body_ = new QStackedWidget;
    body_->addWidget(noMatch_);
    body_->addWidget(drawing_);
    body_->addWidget(nothingHere_);
    body_->addWidget(notScanned_);
    auto* bodyFrame = new QVBoxLayout;
    bodyFrame->setContentsMargins(12, 12, 12, 12);
    bodyFrame->addWidget(body_);
    column->addLayout(bodyFrame, 1);
    column->addWidget(makeFooter());

    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &DeveloperCanvasPage::reviewFromKeyboard);
    }
    addFocusUpKeys(this, parts_.navigation);
    // The disposal setting decides what the footer says frees space at once.
    followChanges(*this, {&parts_.navigation, &parts_.developer, &parts_.developer.preferences()},
                  [this] { refresh(); });
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
}

QWidget* DeveloperCanvasPage::makeHeader() {
    auto* header = new PageHeader;
    header_ = header;
    name_ = header->name();
    bytes_ = plainLabel();
    dot_ = plainLabel(QStringLiteral("\u00B7"));
    items_ = plainLabel();
    secondDot_ = plainLabel(QStringLiteral("\u00B7"));
    reclaimable_ = plainLabel();
    for (QLabel* label : {bytes_, dot_, items_, secondDot_, reclaimable_}) header->addFigure(label);
    return header;
}

QWidget* DeveloperCanvasPage::makeToolbar() {
    auto* toolbar = new QWidget;
    auto* rows = new QVBoxLayout(toolbar);
    rows->setContentsMargins(16, 0, 16, 10);
    rows->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    toolbarRow_ = row;
    toolbarSecondRow_ = new QHBoxLayout;
    toolbarSecondRow_->setSpacing(10);
    rows->addLayout(row);
    rows->addLayout(toolbarSecondRow_);
    switcher_ = new CanvasModeSwitcher(parts_.navigation);
    blurb_ = new CanvasBlurb;
    includeProtected_ = new QCheckBox(QStringLiteral("Include protected"));
    includeProtected_->setToolTip(
        QStringLiteral("Show what Korvane will never remove, so the picture accounts for everything"));
    connect(includeProtected_, &QCheckBox::toggled, this, [this](bool on) {
        if (on != parts_.developer.showsProtected()) parts_.developer.setShowsProtected(on);
    });
    depthGroup_ = new QWidget;
    auto* depthRow = new QHBoxLayout(depthGroup_);
    depthRow->setContentsMargins(0, 0, 0, 0);
    depthRow->setSpacing(6);
    depthTitle_ = plainLabel(QStringLiteral("Depth"));
    depth_ = new QSlider(Qt::Horizontal);
    depth_->setRange(1, 3);
    depth_->setSingleStep(1);
    depth_->setPageStep(1);
    depth_->setFixedWidth(70);
    depth_->setAccessibleName(QStringLiteral("Depth"));
    connect(depth_, &QSlider::valueChanged, this, [this](int value) {
        if (value != parts_.navigation.sunburstDepth()) parts_.navigation.setSunburstDepth(value);
    });
    depthValue_ = plainLabel();
    depthRow->addWidget(depthTitle_);
    depthRow->addWidget(depth_);
    depthRow->addWidget(depthValue_);
    // The switcher never shrinks (it keeps its own size); the blurb gives way first, down to nothing.
    blurb_->setMinimumWidth(0);
    row->addWidget(switcher_);
    row->addWidget(blurb_, 1);
    row->addWidget(includeProtected_);
    row->addWidget(depthGroup_);
    toolbarSecondRow_->addStretch(1);
    return toolbar;
}

void DeveloperCanvasPage::placeToolbarControls() {
    if (!toolbarRow_) return;
    const int spacing = toolbarRow_->spacing();
    // Room for the widest the switcher gets (it names only the current mode)
    // and for the depth control even while it is hidden: switching canvases
    // must not move the controls between one row and two, and the canvas with them.
    const int needed = 32 + switcher_->widestWidth() + spacing + includeProtected_->sizeHint().width() + spacing +
                       depthGroup_->sizeHint().width();
    const bool wrap = width() < needed;
    QHBoxLayout* target = wrap ? toolbarSecondRow_ : toolbarRow_;
    if (target->indexOf(includeProtected_) >= 0) return;
    QHBoxLayout* source = wrap ? toolbarRow_ : toolbarSecondRow_;
    source->removeWidget(includeProtected_);
    source->removeWidget(depthGroup_);
    // In the second row the controls sit at the left, before its stretch.
    const int at = wrap ? 0 : target->count();
    target->insertWidget(at, includeProtected_);
    target->insertWidget(at + 1, depthGroup_);
}

void DeveloperCanvasPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeToolbarControls();
}

QWidget* DeveloperCanvasPage::makeFooter() {
    footer_ = new Ground(&Palette::rail, Ground::Rule::top);
    // The selection, what it frees, and the actions: side by side while they
    // fit, else the actions go to a line of their own, still at the right,
    // so that no figure and no button's words are ever cut.
    auto* lines = new WrapLayout(12, 8, footer_);
    lines->setContentsMargins(16, 10, 16, 10);
    lines->setLastAtLineEnd(true);
    auto* summary = new QWidget;
    auto* summaryRow = new QHBoxLayout(summary);
    summaryRow->setContentsMargins(0, 0, 0, 0);
    summaryRow->setSpacing(6);
    auto* check = new SymbolView("checkmark.circle.fill", 11);
    check->setObjectName(QStringLiteral("selectionCheck"));
    selectedCount_ = plainLabel();
    selectedBytes_ = plainLabel();
    summaryRow->addWidget(check);
    summaryRow->addWidget(selectedCount_);
    summaryRow->addWidget(selectedBytes_);
    lines->addWidget(summary);
    // What the Trash gives back runs under the free space; both are left out
    // while there is no scan to measure free space by.
    freeSpaceTexts_ = new QWidget;
    auto* freeSpaceLines = new QVBoxLayout(freeSpaceTexts_);
    freeSpaceLines->setContentsMargins(0, 0, 0, 0);
    freeSpaceLines->setSpacing(0);
    freeSpace_ = new ElidedLabel;
    freeSpaceOnceEmptied_ = new ElidedLabel;
    freeSpaceLines->addWidget(freeSpace_);
    freeSpaceLines->addWidget(freeSpaceOnceEmptied_);
    lines->addWidget(freeSpaceTexts_);
    selectSafe_ = new LinkButton(QStringLiteral("Select safe"), AppFont::caption());
    clear_ = new LinkButton(QStringLiteral("Clear"), AppFont::caption());
    review_ = new KitButton(KitButton::Style::solid, {});
    review_->setMinimumWidth(118);
    connect(selectSafe_, &QPushButton::clicked, this, [this] { parts_.developer.selectAllSafe(); });
    connect(clear_, &QPushButton::clicked, this, [this] { parts_.developer.setSelection({}); });
    connect(review_, &QPushButton::clicked, this, [this] { parts_.navigation.setSheet(Sheet::review); });
    auto* actions = new QWidget;
    auto* actionsRow = new QHBoxLayout(actions);
    actionsRow->setContentsMargins(0, 0, 0, 0);
    actionsRow->setSpacing(12);
    actionsRow->addWidget(selectSafe_);
    actionsRow->addWidget(clear_);
    actionsRow->addWidget(review_);
    lines->addWidget(actions);
    return footer_;
}

// Return anywhere but on a focused button, which takes the key as its own press.
void DeveloperCanvasPage::reviewFromKeyboard() {
    if (isTextInput(QApplication::focusWidget())) return;
    if (!returnReachesPage(*this)) return;
    if (!review_->isEnabled()) return;
    parts_.navigation.setSheet(Sheet::review);
}

void DeveloperCanvasPage::refresh() {
    content_ = developerCanvasContent(parts_.navigation, parts_.developer);
    name_->setText(text(content_.name));
    bytes_->setText(text(content_.bytes));
    items_->setText(text(content_.items));
    for (QLabel* figure : {bytes_, dot_, items_}) figure->setVisible(content_.showsFigures);
    secondDot_->setVisible(content_.reclaimable.has_value());
    reclaimable_->setVisible(content_.reclaimable.has_value());
    reclaimable_->setText(text(content_.reclaimable.value_or(std::string())));

    blurb_->setText(text(content_.blurb));
    {
        const QSignalBlocker quiet(includeProtected_);
        includeProtected_->setChecked(parts_.developer.showsProtected());
    }
    depthGroup_->setVisible(content_.showsDepth);
    placeToolbarControls();
    {
        const QSignalBlocker quiet(depth_);
        depth_->setValue(static_cast<int>(parts_.navigation.sunburstDepth()));
    }
    depthValue_->setText(text(content_.depth));

    switch (content_.body) {
        case DeveloperCanvasContent::Body::noMatch:
            noMatch_->setTitle(text(content_.noMatchTitle));
            body_->setCurrentWidget(noMatch_);
            break;
        case DeveloperCanvasContent::Body::canvas:
            body_->setCurrentWidget(drawing_);
            break;
        case DeveloperCanvasContent::Body::nothingHere:
            nothingHere_->setMessage(text(content_.nothingHereMessage));
            body_->setCurrentWidget(nothingHere_);
            break;
        case DeveloperCanvasContent::Body::notScanned:
            body_->setCurrentWidget(notScanned_);
            break;
    }
    // The host always follows the state, so it never holds a node of a replaced tree.
    drawing_->setRoot(content_.root);

    selectedCount_->setText(text(content_.selectedCount));
    selectedBytes_->setText(text(content_.selectedBytes));
    freeSpaceTexts_->setVisible(content_.freeSpace.has_value());
    freeSpace_->setText(text(content_.freeSpace.value_or(std::string())));
    freeSpaceOnceEmptied_->setVisible(content_.freeSpace && content_.freeSpaceOnceEmptied);
    freeSpaceOnceEmptied_->setText(text(content_.freeSpaceOnceEmptied.value_or(std::string())));
    // The texts give way in a narrow window; the whole of them stays at hand.
    const QString whole = content_.freeSpaceOnceEmptied
                              ? freeSpace_->text() + QStringLiteral(" \u00B7 ") + freeSpaceOnceEmptied_->text()
                              : freeSpace_->text();
    setShownToolTip(*freeSpace_, whole);
    setShownToolTip(*freeSpaceOnceEmptied_, whole);
    selectSafe_->setEnabled(content_.selectSafeEnabled);
    clear_->setEnabled(content_.clearEnabled);
    review_->setTitle(text(content_.reviewTitle));
    review_->setEnabled(content_.reviewEnabled);
}

void DeveloperCanvasPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), environmentPalette(this).canvas);
}

void DeveloperCanvasPage::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(name_, AppFont::font(20, palette.displayWeight, palette.fontDesign, palette.tracking),
               palette.ink);
    styleLabel(bytes_, AppFont::font(13, QFont::Medium), palette.ink);
    styleLabel(dot_, AppFont::caption(), palette.inkTertiary);
    styleLabel(items_, AppFont::caption(), palette.inkSecondary);
    styleLabel(secondDot_, AppFont::caption(), palette.inkTertiary);
    styleLabel(reclaimable_, AppFont::caption(), palette.accent);
    styleLabel(blurb_, AppFont::small(), palette.inkTertiary);
    includeProtected_->setFont(AppFont::caption());
    styleLabel(depthTitle_, AppFont::caption(), palette.inkSecondary);
    styleLabel(depthValue_, AppFont::mono(), palette.ink);
    findChild<SymbolView*>(QStringLiteral("selectionCheck"))->setColor(palette.accent);
    styleLabel(selectedCount_, AppFont::bodyMedium(), palette.ink);
    styleLabel(selectedBytes_, AppFont::font(12, QFont::DemiBold), palette.accent);
    styleLabel(freeSpace_, AppFont::small(), palette.inkTertiary);
    styleLabel(freeSpaceOnceEmptied_, AppFont::small(), palette.inkTertiary);
}

}  // namespace korvane
