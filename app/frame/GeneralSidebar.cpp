#include "app/frame/GeneralSidebar.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/frame/DiskGauge.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/Ground.h"
#include "app/kit/KitButton.h"
#include "app/kit/LiveFigureWatch.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RailSection.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/SymbolView.h"
#include "app/state/ApplicationsState.h"
#include "app/state/DesktopActions.h"
#include "app/state/FolderScanState.h"
#include "app/state/LiveStatsState.h"
#include "app/state/NavigationState.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/FocusRing.h"
#include "app/theme/GaugeMotion.h"
#include "app/theme/MotionAnimation.h"
#include "app/kit/FocusVisibility.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {


// A figure that changes with the readings sits in a label of fixed size, so
// that a new figure repaints the label alone instead of laying out the whole
// column; the label grows when a figure needs more room, and right-aligned
// it looks as if it took its text's width.
void setFigure(QLabel* label, const QString& text) {
    if (text == label->text()) return;
    label->setText(text);
    if (const int wanted = label->sizeHint().width(); wanted > label->minimumWidth()) label->setFixedWidth(wanted);
}

// After a change of font the label takes its text's size again.
void fitFigure(QLabel* label) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumSize(0, 0);
    label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    label->setFixedSize(label->sizeHint());
}

// The default sans draws every digit equally wide, so figures do not jitter.
QFont monospacedDigits(double size, QFont::Weight weight) { return AppFont::font(size, weight); }

// An indeterminate progress bar: a short accent segment sliding along a
// hairline track, for as long as it is shown.
class BusyBar : public QWidget {
public:
    BusyBar() {
        setFixedHeight(4);
        setAccessibleName(QStringLiteral("Scanning"));
        timer_.setInterval(30);
        connect(&timer_, &QTimer::timeout, this, [this] {
            phase_ = std::fmod(phase_ + 0.02, 1.0);
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { timer_.start(); }
    void hideEvent(QHideEvent*) override { timer_.stop(); }
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const double radius = height() / 2.0;
        painter.setBrush(palette.hairline);
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
        const double segment = width() * 0.3;
        const double left = -segment + phase_ * (width() + segment);
        painter.setClipRect(rect());
        painter.setBrush(palette.accent);
        painter.drawRoundedRect(QRectF(left, 0, segment, height()), radius, radius);
    }

private:
    QTimer timer_;
    double phase_ = 0;
};

// One page of the page list: symbol, title and an optional count, on the
// solid colour while its page shows. The fill and colours move to a new
// choice on the quick spring.
class PageRow : public QAbstractButton {
public:
    explicit PageRow(const SidebarPageRow& row)
        : symbol_(new SymbolView(row.symbol, 12)),
          title_(plainLabel()),
          count_(plainLabel()),
          chosen_(new MotionAnimation(AppMotion::snappy, row.isSelected ? 1.0 : 0.0, this)) {
        restyleOnPaletteChange(*this, [this] { restyle(); });
        auto* line = new QHBoxLayout(this);
        line->setContentsMargins(9, 7, 9, 7);
        line->setSpacing(9);
        symbol_->setFixedWidth(16);
        line->addWidget(symbol_);
        line->addWidget(title_, 1);
        line->addWidget(count_);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setCheckable(false);
        connect(chosen_, &QVariantAnimation::valueChanged, this, [this] { colour(); });
        apply(row);
    }

    void apply(const SidebarPageRow& row) {
        row_ = row;
        title_->setText(QString::fromStdString(row.title));
        count_->setText(row.count ? QString::fromStdString(*row.count) : QString());
        count_->setVisible(row.count.has_value());
        setAccessibleName(QString::fromStdString(row.title));
        setAccessibleDescription(row.count ? QString::fromStdString(*row.count) : QString());
        chosen_->animateTo(row.isSelected ? 1.0 : 0.0);
        restyle();
    }

    // 0 in the plain look, 1 in the chosen one (the spring may pass it).
    double chosenness() const { return chosen_->currentValue().toDouble(); }

    void restyle() {
        const Inks inks = shownInks();
        styleLabel(title_, AppFont::font(12, QFont::Medium), inks.title);
        styleLabel(count_, AppFont::small(), inks.count);
        colour();
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        const double chosen = shownChosen();
        if (chosen <= 0 && !FocusVisibility::shows(*this)) return;
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = std::max(palette.radius - 3, 5.0);
        if (chosen > 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(withOpacity(palette.solid, chosen));
            painter.drawRoundedRect(QRectF(rect()), radius, radius);
        }
        if (FocusVisibility::shows(*this))
            FocusRing::paint(painter, rect(), radius, palette, mixed(palette.rail, palette.solid, chosen));
    }

private:
    double shownChosen() const { return std::clamp(chosenness(), 0.0, 1.0); }

    struct Inks {
        QColor title, count;
    };
    // The texts' colours for how far the row is chosen.
    Inks shownInks() const {
        const Palette& palette = environmentPalette(this);
        const double chosen = shownChosen();
        return {mixed(palette.ink, palette.onSolid, chosen), mixed(palette.inkTertiary, palette.onSolid, chosen)};
    }

    void colour() {
        const Inks inks = shownInks();
        symbol_->setColor(inks.title);
        for (auto [label, color] : {std::pair{title_, inks.title}, std::pair{count_, inks.count}}) {
            // A label in a button draws in the button-text role.
            QPalette colours = label->palette();
            colours.setColor(QPalette::WindowText, color);
            colours.setColor(QPalette::ButtonText, color);
            label->setPalette(colours);
        }
        update();
    }

    SidebarPageRow row_;
    SymbolView* symbol_;
    QLabel* title_;
    QLabel* count_;
    MotionAnimation* chosen_;
};

// A live reading: title and value over a thin bar filled to its fraction.
class MeterRow : public QWidget {
public:
    MeterRow() : title_(plainLabel()), value_(plainLabel()), bar_(new GaugeMotion(AppMotion::reading, 0.01, this)) {
        restyleOnPaletteChange(*this, [this] { restyle(); });
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 4 + 3);  // the bar is painted in the bottom margin
        column->setSpacing(3);
        auto* line = new QHBoxLayout;
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(title_);
        line->addStretch(1);
        line->addWidget(value_);
        column->addLayout(line);
        // A frame only when the fill's end moves by a step: a small change
        // of load takes a few repaints, a long move no more than
        // framesPerMove, not one per animation tick.
        connect(bar_, &GaugeMotion::valueChanged, this, [this] {
            const long end = fillEnd();
            if (end != paintedEnd_ && (std::abs(end - paintedEnd_) >= step_ || !bar_->isRunning())) {
                paintedEnd_ = end;
                update(0, height() - 4, width(), 4);
            }
        });
    }

    void apply(const SidebarMeterRow& row) {
        if (row == row_) return;
        const bool first = row_.title.empty();
        const bool tinted = row.tint != row_.tint;
        row_ = row;
        title_->setText(QString::fromStdString(row.title));
        setFigure(value_, QString::fromStdString(row.value));
        setAccessibleName(QString::fromStdString(row.title + " " + row.value));
        // A move of under half a pixel is not worth a frame, one of under
        // two pixels not worth an animation.
        const double moved = std::abs(bar_->target() - row.barFraction) * width();
        bar_->setScale(width());
        if (first || (moved < jumpPixels && moved >= 0.5 && !bar_->isRunning())) bar_->jumpTo(row.barFraction);
        else if (moved >= 0.5) {
            step_ = std::max(1L, std::lround(moved / framesPerMove));
            bar_->animateTo(row.barFraction);
        }
        if (first || tinted) restyle();
    }

    void restyle() {
        const Palette& palette = environmentPalette(this);
        styleLabel(title_, AppFont::small(), palette.inkSecondary);
        styleLabel(value_, monospacedDigits(10, QFont::Medium), palette.ink);
        fitFigure(value_);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QRectF track(0, height() - 4, width(), 4);
        painter.setBrush(palette.hairline);
        painter.drawRoundedRect(track, 2, 2);
        const double fraction = std::clamp(bar_->value(), 0.01, 1.0);
        paintedEnd_ = fillEnd();
        painter.setBrush(tintColor(row_.tint, palette));
        painter.drawRoundedRect(QRectF(track.left(), track.top(), track.width() * fraction, 4), 2, 2);
    }
private:
    static constexpr double jumpPixels = 2;
    static constexpr double framesPerMove = 12;

    // The fill's end in whole pixels.
    long fillEnd() const { return std::lround(std::clamp(bar_->value(), 0.01, 1.0) * width()); }

    SidebarMeterRow row_;
    QLabel* title_;
    QLabel* value_;
    GaugeMotion* bar_;
    long paintedEnd_ = -1;
    long step_ = 1;  // pixels between the frames of the running move
};

}  // namespace

GeneralSidebar::GeneralSidebar(FolderScanState& folderScan, NavigationState& navigation,
                               const ApplicationsState& applications, LiveStatsState& liveStats,
                               const DesktopActions& desktop, QWidget* parent)
    : QWidget(parent),
      folderScan_(folderScan),
      navigation_(navigation),
      applications_(applications),
      liveStats_(liveStats),
      desktop_(desktop),
      scroll_(new QScrollArea(this)),
      primary_(new KitButton(KitButton::Style::solid, {})),
      folder_(new KitButton(KitButton::Style::outline, QStringLiteral("Folder\u2026"))),
      secondary_(new KitButton(KitButton::Style::outline, {})),
      progress_(new QWidget),
      progressCounts_(plainLabel()),
      progressPath_(new ElidedLabel({}, nullptr, Qt::ElideLeft)),
      thisScanPath_(new ElidedLabel({}, nullptr, Qt::ElideLeft)),
      gauge_(new DiskGauge(58)) {
    auto* ground = new Ground(&Palette::rail);
    auto* column = new QVBoxLayout(ground);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(18);
    column->addLayout(buildScanBlock());
    column->addLayout(buildPageList());
    column->addWidget(buildThisScan());
    column->addWidget(buildLive());
    column->addWidget(buildDiskStorage());
    column->addStretch(1);
    placeInScroll(ground);
    connectButtons();
    followChanges(*this, {&folderScan_, &navigation_, &applications_}, [this] { refresh(); });
    connect(&liveStats_, &LiveStatsState::statsChanged, this, &GeneralSidebar::refresh);
    content_ = {};
    refresh();
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

QLayout* GeneralSidebar::buildScanBlock() {
    auto* scanBlock = new QVBoxLayout;
    scanBlock->setSpacing(7);
    primary_->setSymbol("sparkle.magnifyingglass");
    scanBlock->addWidget(primary_);
    auto* pair = new QHBoxLayout;
    pair->setSpacing(7);
    folder_->setSymbol("folder");
    pair->addWidget(folder_, 1);
    pair->addWidget(secondary_, 1);
    scanBlock->addLayout(pair);
    auto* progressColumn = new QVBoxLayout(progress_);
    progressColumn->setContentsMargins(0, 2, 0, 0);
    progressColumn->setSpacing(3);
    progressColumn->addWidget(new BusyBar);
    progressColumn->addWidget(progressCounts_);
    progressColumn->addWidget(progressPath_);
    scanBlock->addWidget(progress_);
    return scanBlock;
}

QLayout* GeneralSidebar::buildPageList() {
    auto* pages = new QVBoxLayout;
    pages->setSpacing(2);
    content_ = contentFor(VolumeInfo::volumeOf(Paths::home()));
    for (const SidebarPageRow& row : content_.pages) {
        auto* button = new PageRow(row);
        const GeneralSection section = row.section;
        connect(button, &QAbstractButton::clicked, this,
                [this, section] { navigation_.setGeneralSection(section); });
        pages->addWidget(button);
        pageRows_.push_back(button);
    }
    return pages;
}

double GeneralSidebar::pageRowChosenness(std::size_t page) const {
    return static_cast<const PageRow*>(pageRows_.at(page))->chosenness();
}

QLabel* GeneralSidebar::addValueRow(QVBoxLayout* into) {
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    QLabel* title = plainLabel();
    QLabel* value = plainLabel();
    line->addWidget(title);
    line->addStretch(1);
    line->addWidget(value);
    into->addLayout(line);
    valueTitles_.push_back(title);
    return value;
}

QWidget* GeneralSidebar::buildThisScan() {
    auto* thisScanContent = new QWidget;
    auto* thisScanColumn = new QVBoxLayout(thisScanContent);
    thisScanColumn->setContentsMargins(0, 0, 0, 0);
    thisScanColumn->setSpacing(5);
    thisScanColumn->addWidget(thisScanPath_);
    for (int i = 0; i < 3; ++i) thisScanValues_.push_back(addValueRow(thisScanColumn));
    thisScan_ = new RailSection(QStringLiteral("This scan"), QString(), thisScanContent);
    return thisScan_;
}

QWidget* GeneralSidebar::buildLive() {
    auto* liveContent = new QWidget;
    auto* liveColumn = new QVBoxLayout(liveContent);
    liveColumn->setContentsMargins(0, 0, 0, 0);
    liveColumn->setSpacing(6);
    for (int i = 0; i < 3; ++i) {
        auto* meter = new MeterRow;
        liveColumn->addWidget(meter);
        meters_.push_back(meter);
    }
    auto* section = new RailSection(QStringLiteral("Live"), std::nullopt, liveContent);
    new LiveFigureWatch(liveStats_, *liveContent);
    return section;
}

QWidget* GeneralSidebar::buildDiskStorage() {
    auto* diskContent = new QWidget;
    auto* diskLine = new QHBoxLayout(diskContent);
    diskLine->setContentsMargins(0, 0, 0, 0);
    diskLine->setSpacing(12 - static_cast<int>(DiskGauge::band / 2));  // the gauge keeps room for its arc
    diskLine->addWidget(gauge_);
    auto* diskColumn = new QVBoxLayout;
    diskColumn->setSpacing(4);
    for (int i = 0; i < 3; ++i) diskValues_.push_back(addValueRow(diskColumn));
    diskLine->addLayout(diskColumn, 1);
    return new RailSection(QStringLiteral("Disk storage"), QString::fromStdString(desktop_.homeVolumeName()),
                           diskContent);
}

void GeneralSidebar::placeInScroll(QWidget* ground) {
    scroll_->setWidget(ground);
    scroll_->setWidgetResizable(true);
    scroll_->setAccessibleName(QStringLiteral("Sidebar"));
    showColumnEndWithLastStop(*scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar stands on the rail too.
    scroll_->setBackgroundRole(QPalette::AlternateBase);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll_);
}

void GeneralSidebar::connectButtons() {
    connect(primary_, &QPushButton::clicked, this, [this] { folderScan_.scanFolder(Paths::home()); });
    connect(folder_, &QPushButton::clicked, this, [this] { folderScan_.chooseFolderToScan(); });
    // The state is read when the button is pressed, not when it was drawn.
    connect(secondary_, &QPushButton::clicked, this, [this] {
        if (folderScan_.isScanningFolder())
            folderScan_.stopFolderScan();
        else
            folderScan_.scanFolder(folderScan_.scanRoot());
    });
}

GeneralSidebarContent GeneralSidebar::contentFor(const VolumeInfo& volume) const {
    return generalSidebarContent(folderScan_, navigation_.generalSection(), applications_.apps().size(),
                                 liveStats_.stats(), volume);
}

void GeneralSidebar::refresh() {
    // The volume is read afresh on every change, like the live figures.
    const VolumeInfo volume = VolumeInfo::volumeOf(Paths::home());
    GeneralSidebarContent content = contentFor(volume);
    if (content == content_) return;
    // Only the parts that changed are touched: a new reading of the live
    // figures must not repaint or lay out the buttons and the page list.
    const bool all = content_.pages.empty();
    const GeneralSidebarContent before = std::exchange(content_, std::move(content));

    if (all || before.primaryTitle != content_.primaryTitle || before.primaryEnabled != content_.primaryEnabled ||
        before.folderEnabled != content_.folderEnabled || before.secondaryTitle != content_.secondaryTitle ||
        before.secondarySymbol != content_.secondarySymbol || before.progressCounts != content_.progressCounts ||
        before.progressPath != content_.progressPath) {
        primary_->setTitle(QString::fromStdString(content_.primaryTitle));
        primary_->setEnabled(content_.primaryEnabled);
        folder_->setEnabled(content_.folderEnabled);
        secondary_->setTitle(QString::fromStdString(content_.secondaryTitle));
        secondary_->setSymbol(content_.secondarySymbol);
        progress_->setVisible(content_.progressCounts.has_value());
        progressCounts_->setText(QString::fromStdString(content_.progressCounts.value_or("")));
        progressPath_->setText(QString::fromStdString(content_.progressPath.value_or("")));
    }

    for (std::size_t i = 0; i < pageRows_.size(); ++i)
        if (all || before.pages[i] != content_.pages[i]) static_cast<PageRow*>(pageRows_[i])->apply(content_.pages[i]);

    if (all || before.thisScan != content_.thisScan) thisScan_->setVisible(content_.thisScan.has_value());
    if (content_.thisScan && (all || before.thisScan != content_.thisScan)) {
        const auto& scan = *content_.thisScan;
        thisScan_->setTrailing(QString::fromStdString(scan.duration));
        thisScanPath_->setText(QString::fromStdString(scan.path));
        const SidebarValueRow* rows[] = {&scan.total, &scan.files, &scan.folders};
        for (std::size_t i = 0; i < 3; ++i) {
            valueTitles_[i]->setText(QString::fromStdString(rows[i]->title));
            thisScanValues_[i]->setText(QString::fromStdString(rows[i]->value));
        }
    }

    for (std::size_t i = 0; i < meters_.size(); ++i) {
        meters_[i]->setVisible(i < content_.live.size());
        if (i < content_.live.size()) static_cast<MeterRow*>(meters_[i])->apply(content_.live[i]);
    }

    gauge_->setVolume(volume);
    if (!all && before.diskTotal == content_.diskTotal && before.diskUsed == content_.diskUsed &&
        before.diskFree == content_.diskFree)
        return;
    const SidebarValueRow* disk[] = {&content_.diskTotal, &content_.diskUsed, &content_.diskFree};
    for (std::size_t i = 0; i < 3; ++i) {
        valueTitles_[3 + i]->setText(QString::fromStdString(disk[i]->title));
        setFigure(diskValues_[i], QString::fromStdString(disk[i]->value));
    }
}

void GeneralSidebar::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(progressCounts_, monospacedDigits(10, QFont::Normal), palette.inkSecondary);
    styleLabel(progressPath_, AppFont::font(9, QFont::Normal, FontDesign::monospaced), palette.inkTertiary);
    styleLabel(thisScanPath_, AppFont::mono(), palette.inkSecondary);
    for (QLabel* title : valueTitles_) styleLabel(title, AppFont::caption(), palette.inkSecondary);
    const QFont value = monospacedDigits(11, QFont::Medium);
    styleLabel(thisScanValues_[0], value, palette.ink);
    styleLabel(thisScanValues_[1], value, palette.inkSecondary);
    styleLabel(thisScanValues_[2], value, palette.inkSecondary);
    styleLabel(diskValues_[0], value, palette.ink);
    styleLabel(diskValues_[1], value, palette.amber());
    styleLabel(diskValues_[2], value, palette.accent);
    for (QLabel* figure : diskValues_) fitFigure(figure);
}

}  // namespace korvane
