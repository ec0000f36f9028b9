#include "app/frame/SidebarView.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/frame/DiskGauge.h"
#include "app/frame/StackedFootprintBar.h"
#include "app/kit/ColorDot.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/FocusVisibility.h"
#include "app/kit/Ground.h"
#include "app/kit/KitButton.h"
#include "app/kit/NameLines.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RailSection.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/SymbolView.h"
#include "app/presenters/LabelFit.h"
#include "app/state/DesktopActions.h"
#include "app/theme/AppFont.h"
#include "app/theme/FocusRing.h"

namespace korvane {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

QLabel* label(const QString& value, const QFont& font, const QColor& color) {
    auto* result = new QLabel(value);
    result->setTextFormat(Qt::PlainText);
    styleLabel(result, font, color);
    return result;
}

ElidedLabel* elided(const QString& value, const QFont& font, const QColor& color,
                    Qt::TextElideMode mode = Qt::ElideRight) {
    auto* result = new ElidedLabel(value, nullptr, mode);
    styleLabel(result, font, color);
    return result;
}

// A clickable row holding labels; the hover colour behind it while highlighted.
class RowButton : public QPushButton {
public:
    RowButton(const QString& name, bool highlighted) : highlighted_(highlighted) {
        setAccessibleName(name);
        setFlat(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        // As tall as its labels need at its width: a long name takes a second line.
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    void setHighlighted(bool highlighted) {
        if (highlighted == highlighted_) return;
        highlighted_ = highlighted;
        update();
    }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QPushButton::sizeHint(); }
    QSize minimumSizeHint() const override {
        return layout() ? QSize(0, layout()->minimumSize().height()) : QPushButton::minimumSizeHint();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!highlighted_ && !FocusVisibility::shows(*this)) return;
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (highlighted_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette.hover);
            painter.drawRoundedRect(QRectF(rect()), 6, 6);
        }
        if (FocusVisibility::shows(*this))
            FocusRing::paint(painter, rect(), 6, palette, highlighted_ ? palette.hover : palette.rail);
    }

private:
    bool highlighted_;
};

// A line of parts joined by " · " that keeps its last part (the count) where
// it is too narrow, cutting the name before it by the label rule ("Andr… ·
// 2 items"; "Android · 2 ite…" reads as nothing).
class PartsLabel : public QLabel {
public:
    explicit PartsLabel(const QString& value) : QLabel(value) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        static const QString separator = QStringLiteral(" \u00B7 ");
        const QFontMetricsF metrics(font());
        const QString shown =
            fittedParts(text().split(separator), separator, contentsRect().width(),
                        [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(contentsRect(),
                         static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    }
};

// Children of a row only show; the row takes the click.
void passClicks(QWidget* row) {
    for (QWidget* child : row->findChildren<QWidget*>()) child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

}  // namespace

SidebarView::SidebarView(NavigationState& navigation, DeveloperState& developer,
                         const DesktopActions& desktop, QWidget* parent)
    : QScrollArea(parent),
      navigation_(navigation),
      developer_(developer),
      desktop_(desktop),
      column_(new Ground(&Palette::rail)),
      columnLayout_(new QVBoxLayout(column_)),
      scan_(new KitButton(KitButton::Style::solid, {})),
      rescan_(new KitButton(KitButton::Style::outline, QStringLiteral("Rescan"))),
      folder_(new KitButton(KitButton::Style::outline, QStringLiteral("Folder\u2026"))) {
    // The rows take their colours when made.
    restyleOnPaletteChange(*this, [this] { showSections(std::nullopt); });
    setFrameShape(QFrame::NoFrame);
    setAccessibleName(QStringLiteral("Sidebar"));
    showColumnEndWithLastStop(*this);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar stands on the rail too.
    setBackgroundRole(QPalette::AlternateBase);
    columnLayout_->setContentsMargins(14, 14, 14, 14);
    columnLayout_->setSpacing(18);

    auto* scanBlock = new QVBoxLayout;
    scanBlock->setSpacing(7);
    scan_->setSymbol("sparkle.magnifyingglass");
    rescan_->setSymbol("arrow.clockwise");
    folder_->setSymbol("folder");
    scanBlock->addWidget(scan_);
    auto* pair = new QHBoxLayout;
    pair->setSpacing(7);
    pair->addWidget(rescan_);
    pair->addWidget(folder_);
    scanBlock->addLayout(pair);
    columnLayout_->addLayout(scanBlock);
    columnLayout_->addStretch(1);
    setWidget(column_);

    connect(scan_, &QPushButton::clicked, &developer_, &DeveloperState::startScan);
    connect(rescan_, &QPushButton::clicked, &developer_, &DeveloperState::startScan);
    connect(folder_, &QPushButton::clicked, &developer_, &DeveloperState::chooseProjectRoots);
    followChanges(*this, {&navigation_, &developer_}, [this] { refresh(); });
    refresh();
}

void SidebarView::refresh() {
    SidebarContent content = sidebarContent(navigation_, developer_);
    scan_->setTitle(text(content.scanTitle));
    for (KitButton* button : {scan_, rescan_, folder_}) button->setEnabled(content.scanEnabled);
    const SidebarContent before = std::exchange(content_, std::move(content));
    // Scan progress and selection publish often: the rows stay unless they change.
    if (content_.sections != before.sections) showSections(before.sections);
}

namespace {

// Quick wins that differ at most in which one is highlighted.
bool sameApartFromHighlight(const std::vector<SidebarContent::QuickWin>& a,
                            const std::vector<SidebarContent::QuickWin>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](auto x, auto y) {
        x.isFocused = y.isFocused;
        return x == y;
    });
}

}  // namespace

void SidebarView::showSections(const std::optional<SidebarContent::Sections>& before) {
    if (!content_.sections) {
        if (sections_) {
            sections_->hide();
            sections_->deleteLater();
        }
        sections_ = nullptr;
        parts_ = {};
        quickWinRows_.clear();
        return;
    }
    if (!sections_) {
        sections_ = new QWidget;
        auto* column = new QVBoxLayout(sections_);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(18);
        columnLayout_->insertWidget(1, sections_);
    }
    // A section is made anew only when what it shows changed: the rows of the
    // others stay, and with them the keyboard focus of a row just pressed.
    const SidebarContent::Sections* old = before ? &*before : nullptr;
    const auto& now = *content_.sections;
    if (!old || old->disk != now.disk) {
        replacePart(0,
                    new RailSection(QStringLiteral("Disk storage"),
                                    QString::fromStdString(desktop_.homeVolumeName()), makeDisk(now.disk)));
    }
    if (!old || old->currentView != now.currentView) {
        replacePart(1, new RailSection(QStringLiteral("Current view"), text(now.currentView.trailing),
                                       makeCurrentView(now.currentView)));
    }
    // Both stay with nothing to list: their zero total says the scan found nothing there.
    if (old && old->quickWinsTrailing == now.quickWinsTrailing &&
        sameApartFromHighlight(old->quickWins, now.quickWins)) {
        for (std::size_t i = 0; i < quickWinRows_.size(); ++i)
            static_cast<RowButton*>(quickWinRows_[i])->setHighlighted(now.quickWins[i].isFocused);
    } else {
        quickWinRows_.clear();
        replacePart(2, new RailSection(QStringLiteral("Quick wins"), text(now.quickWinsTrailing),
                                       makeQuickWins(now.quickWins)));
    }
    if (!old || old->toolchainsTrailing != now.toolchainsTrailing || old->toolchains != now.toolchains) {
        replacePart(3, new RailSection(QStringLiteral("Toolchains"), text(now.toolchainsTrailing),
                                       makeToolchains(now.toolchains)));
    }
}

void SidebarView::replacePart(std::size_t index, QWidget* part) {
    auto* column = static_cast<QVBoxLayout*>(sections_->layout());
    if (QWidget* old = std::exchange(parts_[index], part)) {
        column->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    if (!part) return;
    const auto at = std::count_if(parts_.begin(), parts_.begin() + static_cast<std::ptrdiff_t>(index),
                                  [](QWidget* other) { return other != nullptr; });
    column->insertWidget(static_cast<int>(at), part);
}

QWidget* SidebarView::makeDisk(const SidebarContent::Disk& disk) {
    const Palette& palette = environmentPalette(this);
    auto* block = new QWidget;
    auto* row = new QHBoxLayout(block);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12 - static_cast<int>(DiskGauge::band / 2));
    auto* gauge = new DiskGauge;
    gauge->setVolume(disk.volume);
    row->addWidget(gauge);
    auto* values = new QVBoxLayout;
    values->setSpacing(4);
    const QFont valueFont = AppFont::font(11, QFont::Medium);
    const struct {
        const char* title;
        const std::string& value;
        QColor color;
    } lines[] = {{"Total", disk.total, palette.ink}, {"Used", disk.used, palette.amber()},
                 {"Free", disk.free, palette.accent}};
    for (const auto& line : lines) {
        auto* entry = new QHBoxLayout;
        entry->addWidget(label(QString::fromLatin1(line.title), AppFont::caption(), palette.inkSecondary));
        entry->addStretch(1);
        entry->addWidget(label(text(line.value), valueFont, line.color));
        values->addLayout(entry);
    }
    row->addLayout(values, 1);
    return block;
}

QWidget* SidebarView::makeCurrentView(const SidebarContent::CurrentView& view) {
    const Palette& palette = environmentPalette(this);
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(elided(text(view.title), AppFont::font(13, QFont::DemiBold), palette.ink));
    column->addWidget(elided(text(view.subtitle), AppFont::small(), palette.inkTertiary, Qt::ElideMiddle));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(7);
    auto* reveal = new KitButton(KitButton::Style::outline, QStringLiteral("Reveal"));
    reveal->setSymbol("arrow.up.forward.app");
    reveal->setEnabled(view.revealEnabled);
    auto* copy = new KitButton(KitButton::Style::outline, QStringLiteral("Copy path"));
    copy->setSymbol("doc.on.doc");
    copy->setEnabled(view.copyEnabled);
    connect(reveal, &QPushButton::clicked, this, [this] {
        if (const auto* node = navigation_.focusedNode()) desktop_.revealInFileManager(*node);
    });
    connect(copy, &QPushButton::clicked, this, [this] {
        if (const auto* node = navigation_.focusedNode()) desktop_.copyPath(*node);
    });
    buttons->addWidget(reveal);
    buttons->addWidget(copy);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return block;
}

QWidget* SidebarView::makeQuickWins(const std::vector<SidebarContent::QuickWin>& rows) {
    const Palette& palette = environmentPalette(this);
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    for (const auto& win : rows) {
        auto* button = new RowButton(text(win.name), win.isFocused);
        auto* line = new QHBoxLayout(button);
        line->setContentsMargins(7, 6, 7, 6);
        line->setSpacing(8);
        auto* icon = new SymbolView(win.symbol, 11);
        icon->setColor(palette.colorForCategory(win.colour));
        icon->setFixedWidth(15);
        line->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        // Two lines for a long name: groups that share a title differ at its end.
        auto* name = new NameLines(text(win.name), 2);
        styleLabel(name, AppFont::font(11, QFont::Medium), palette.ink);
        texts->addWidget(name);
        auto* detail = new QHBoxLayout;
        detail->setSpacing(4);
        detail->addWidget(label(text(win.bytes), AppFont::font(11, QFont::DemiBold), palette.accent));
        detail->addWidget(label(QStringLiteral("\u00B7"), AppFont::caption(), palette.inkTertiary));
        auto* subtitle = new PartsLabel(text(win.subtitle));
        styleLabel(subtitle, AppFont::small(), palette.inkTertiary);
        detail->addWidget(subtitle, 1);
        texts->addLayout(detail);
        line->addLayout(texts, 1);
        auto* chevron = new SymbolView("chevron.right", 8);
        chevron->setColor(palette.inkTertiary);
        line->addWidget(chevron, 0, Qt::AlignTop);
        passClicks(button);
        const std::string id = win.id;
        // By id: the node may be gone by the time of the click.
        connect(button, &QPushButton::clicked, this,
                [this, id] { navigation_.select(std::string_view(id)); });
        column->addWidget(button);
        quickWinRows_.push_back(button);
    }
    return block;
}

QWidget* SidebarView::makeToolchains(const std::vector<FootprintSegment>& rows) {
    const Palette& palette = environmentPalette(this);
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    auto* bar = new StackedFootprintBar;
    bar->setSegments(rows);
    column->addWidget(bar);
    for (const auto& row : rows) {
        auto* button = new RowButton(text(row.title), false);
        auto* line = new QHBoxLayout(button);
        line->setContentsMargins(5, 2, 5, 2);
        line->setSpacing(7);
        line->addWidget(new ColorDot(palette.colorForCategory(row.category), 7));
        auto* icon = new SymbolView(std::string(symbolName(row.category)), 9);
        icon->setColor(palette.inkSecondary);
        icon->setFixedWidth(12);
        line->addWidget(icon);
        line->addWidget(elided(text(row.title), AppFont::caption(), palette.ink), 1);
        line->addSpacing(4);
        line->addWidget(label(text(row.bytes), AppFont::small(), palette.inkSecondary));
        passClicks(button);
        const std::string id(rawValue(row.category));
        connect(button, &QPushButton::clicked, this,
                [this, id] { navigation_.select(std::string_view(id)); });
        column->addWidget(button);
    }
    return block;
}

}  // namespace korvane
