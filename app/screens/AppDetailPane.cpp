#include "app/screens/AppDetailPane.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/kit/CapsuleLabel.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/NameLines.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolView.h"
#include "app/kit/WrapLayout.h"
#include "app/platform/Clock.h"
#include "app/screens/AppIcon.h"
#include "app/screens/LeftoverRow.h"
#include "app/screens/PageEmptyState.h"
#include "app/state/ApplicationsState.h"
#include "app/state/DesktopActions.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

QLabel* styled(QLabel* label, const QFont& font, const QColor& color) {
    styleLabel(label, font, color);
    return label;
}

QLabel* styledText(const std::string& text, const QFont& font, const QColor& color) {
    return styled(plainLabel(QString::fromStdString(text)), font, color);
}

QColor factTint(AppFact::Tint tint, const Palette& palette) {
    return tint == AppFact::Tint::amber    ? palette.amber()
           : tint == AppFact::Tint::accent ? palette.accent
                                           : palette.ink;
}

}  // namespace

AppDetailPane::AppDetailPane(ApplicationsState& applications, const DesktopActions& desktop,
                             const Clock& clock, QWidget* parent)
    : QStackedWidget(parent),
      applications_(applications),
      desktop_(desktop),
      clock_(clock),
      scroll_(new QScrollArea),
      empty_(makePageEmptyState()) {
    scroll_->setFrameShape(QFrame::NoFrame);
    followScrollFocus(*scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    addWidget(scroll_);
    addWidget(empty_);
}

void AppDetailPane::showApp(const std::optional<InstalledApp>& app, const EmptyStateText& none,
                            std::optional<Disposal> disposalOverride) {
    app_ = app;
    none_ = none;
    disposalOverride_ = disposalOverride;
    rebuild();
}

void AppDetailPane::rebuild() {
    includeBundleBox_ = nullptr;
    uninstall_ = nullptr;
    showInFileManager_ = nullptr;
    if (!app_) {
        content_.reset();
        showPageEmptyState(*empty_, none_);
        setCurrentWidget(empty_);
        return;
    }
    content_ = appDetailContent(*app_, includeBundle_, clock_.now(), disposalOverride_);

    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(16);
    column->addLayout(buildHeader(*app_));
    column->addWidget(content_->leftovers.empty() ? buildNothingLeftBehind() : buildLeftovers());
    column->addLayout(buildUninstall());
    column->addStretch(1);
    connectUninstall();

    // The old pane may hold the control whose signal brought us here.
    if (QWidget* old = scroll_->takeWidget()) old->deleteLater();
    scroll_->setWidget(pane);
    setCurrentWidget(scroll_);
}

// Icon, name, version, identifier and the facts.
QBoxLayout* AppDetailPane::buildHeader(const InstalledApp& app) {
    const Palette& palette = environmentPalette(this);
    auto* header = new QHBoxLayout;
    header->setSpacing(13);
    auto* icon = new QLabel;
    icon->setPixmap(appIcon(app, palette.inkTertiary).pixmap(54, 54));
    icon->setFixedSize(54, 54);
    header->addWidget(icon, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    // Each line keeps to the pane's width: a long name or identifier breaks
    // where it can and is cut in its middle past two lines.
    titles->addWidget(styled(new NameLines(QString::fromStdString(content_->name), 2),
                             AppFont::font(19, QFont::DemiBold), palette.ink));
    if (content_->version)
        titles->addWidget(styled(new ElidedLabel(QString::fromStdString(*content_->version)), AppFont::caption(),
                                 palette.inkSecondary));
    if (content_->identifier) {
        auto* identifier = new NameLines(QString::fromStdString(*content_->identifier), 2);
        styleLabel(identifier, AppFont::mono(), palette.inkTertiary);
        identifier->setSelectable(true);
        titles->addWidget(identifier);
    }
    titles->addWidget(buildFacts());
    header->addLayout(titles, 1);
    return header;
}

// Side by side while they fit, else on as many lines as they need.
QWidget* AppDetailPane::buildFacts() {
    const Palette& palette = environmentPalette(this);
    auto* facts = new QWidget;
    auto* row = new WrapLayout(10, 6, facts);
    row->setContentsMargins(0, 6, 0, 0);
    for (const AppFact& fact : content_->facts) {
        auto* cell = new QWidget;
        auto* lines = new QVBoxLayout(cell);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(0);
        lines->addWidget(styledText(fact.label, AppFont::small(), palette.inkTertiary));
        lines->addWidget(
            styledText(fact.value, AppFont::font(12, QFont::Medium), factTint(fact.tint, palette)));
        row->addWidget(cell);
    }
    return facts;
}

QWidget* AppDetailPane::buildNothingLeftBehind() {
    const Palette& palette = environmentPalette(this);
    auto* panel = new korvane::Panel(12);  // QFrame names a Panel too
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    auto* check = new SymbolView("checkmark.circle", 12);
    check->setColor(palette.inkSecondary);
    line->addWidget(check);
    QLabel* nothing = styled(plainLabel(QStringLiteral("Nothing left behind that Korvane can find")),
                             AppFont::body(), palette.inkSecondary);
    nothing->setWordWrap(true);
    line->addWidget(nothing, 1);
    panel->contentLayout()->addLayout(line);
    return panel;
}

QWidget* AppDetailPane::buildLeftovers() {
    const Palette& palette = environmentPalette(this);
    auto* panel = new korvane::Panel(0);
    panel->contentLayout()->setSpacing(0);
    auto* heading = new QHBoxLayout;
    heading->setContentsMargins(13, 13, 13, 13);
    // A section label: the label face whatever the theme's own design.
    heading->addWidget(styled(plainLabel(QStringLiteral("LEFT BEHIND")),
                              AppFont::font(10, QFont::DemiBold, FontDesign::default_, 0.6),
                              palette.inkTertiary));
    heading->addStretch(1);
    heading->addWidget(styledText(content_->leftoversHeader, AppFont::small(), palette.inkTertiary));
    panel->contentLayout()->addLayout(heading);
    panel->contentLayout()->addWidget(new Hairline(Qt::Horizontal));
    for (const LeftoverRowContent& leftover : content_->leftovers)
        addLeftoverRow(*panel->contentLayout(), leftover);
    return panel;
}

// Its kind as a tag, its path elided in the middle, its size; a divider under
// all but the last.
void AppDetailPane::addLeftoverRow(QBoxLayout& rows, const LeftoverRowContent& leftover) {
    const Palette& palette = environmentPalette(this);
    QLabel* tag = styled(new CapsuleLabel(QString::fromStdString(leftover.kind), QMargins(6, 2, 6, 2)),
                         AppFont::font(10, QFont::Medium), palette.inkSecondary);
    // Cut in its middle to the room the row leaves it; whole in its tooltip.
    const QString whole = QString::fromStdString(leftover.path);
    auto* path = new ElidedLabel(whole, nullptr, Qt::ElideMiddle);
    styleLabel(path, AppFont::font(11, QFont::Normal, FontDesign::monospaced), palette.inkSecondary);
    setShownToolTip(*path, whole);
    path->setAccessibleName(whole);
    rows.addWidget(new LeftoverRow(
        tag, path, styledText(leftover.bytes, AppFont::font(11, QFont::Medium), palette.ink)));
    if (leftover.hasDivider) {
        auto* divider = new QHBoxLayout;
        divider->setContentsMargins(13, 0, 0, 0);
        divider->addWidget(new Hairline(Qt::Horizontal));
        rows.addLayout(divider);
    }
}

// The box for the application itself, the two buttons and the notes.
QBoxLayout* AppDetailPane::buildUninstall() {
    const Palette& palette = environmentPalette(this);
    auto* block = new QVBoxLayout;
    block->setSpacing(10);
    includeBundleBox_ = new QCheckBox(QStringLiteral("Remove the application itself as well"));
    includeBundleBox_->setFont(AppFont::body());
    includeBundleBox_->setChecked(includeBundle_);
    block->addWidget(includeBundleBox_);
    // Side by side at their natural size while both fit, else one above the other.
    auto* buttons = new QWidget;
    auto* row = new WrapLayout(9, 9, buttons);
    uninstall_ = new KitButton(KitButton::Style::solid, QString::fromStdString(content_->uninstallTitle));
    uninstall_->setSymbol("trash");
    uninstall_->setEnabled(content_->uninstallEnabled);
    row->addWidget(uninstall_);
    showInFileManager_ = new KitButton(
        KitButton::Style::outline, QString::fromStdString(platformWords::showIn(desktop_.fileManagerName())));
    showInFileManager_->setSymbol("folder");
    row->addWidget(showInFileManager_);
    block->addWidget(buttons);
    auto* note = styledText(content_->note, AppFont::small(), palette.inkTertiary);
    note->setWordWrap(true);
    block->addWidget(note);
    return block;
}

void AppDetailPane::connectUninstall() {
    connect(includeBundleBox_, &QCheckBox::toggled, this, [this](bool on) {
        includeBundle_ = on;
        // The button's title and state follow the box.
        if (!app_) return;
        content_ = appDetailContent(*app_, includeBundle_, clock_.now(), disposalOverride_);
        uninstall_->setTitle(QString::fromStdString(content_->uninstallTitle));
        uninstall_->setEnabled(content_->uninstallEnabled);
    });
    connect(uninstall_, &QPushButton::clicked, this, [this] {
        if (app_) applications_.uninstall(*app_, includeBundle_);
    });
    connect(showInFileManager_, &QPushButton::clicked, this, [this] {
        if (app_) desktop_.reveal({app_->bundleURL});
    });
}

}  // namespace korvane
