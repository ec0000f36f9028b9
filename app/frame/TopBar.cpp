#include "app/frame/TopBar.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "app/kit/CapsuleLabel.h"
#include "app/kit/CrumbButton.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PopupFrame.h"
#include "app/kit/PillButton.h"
#include "app/kit/PillGroup.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScaleReveal.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolView.h"
#include "app/kit/ThemePicker.h"
#include "app/presenters/ExploreColumns.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/FocusRing.h"
#include "app/theme/SymbolGlyph.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

// A crumb cut shorter than this says nothing: it is left out instead.
constexpr int narrowestCrumb = 40;
// The inspector's popover where the window has room, and its room above the window's foot.
constexpr int popoverHeight = 560;
constexpr int popoverGap = 8;

// A button that is only a symbol; its tooltip is also its accessible name.
class GlyphButton : public QPushButton {
public:
    GlyphButton(std::string symbol, double size) : symbol_(std::move(symbol)), size_(size) {
        setFlat(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setFixedSize(static_cast<int>(size + 8), static_cast<int>(size + 8));
    }
    void setColor(const QColor& color) {
        color_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (FocusVisibility::shows(*this)) {
            const Palette& palette = environmentPalette(this);
            FocusRing::paint(painter, rect(), 4, palette, palette.rail);
        }
        painter.setFont(symbolFont(size_));
        painter.setPen(isDown() ? withOpacity(color_, 0.6) : color_);
        painter.drawText(rect(), Qt::AlignCenter, symbolText(symbol_));
    }

private:
    std::string symbol_;
    double size_;
    QColor color_;
};

// The filter's text field: Return keeps the text and hands the focus on
// (`TopBar::filterLeft`), and never reaches the window's default action.
class FilterField : public QLineEdit {
public:
    FilterField() {
        setFrame(false);
        // 186 wide where the bar has room; a narrow bar narrows the field
        // before its count and clear button, which would otherwise draw over it.
        setMinimumWidth(96);
        setMaximumWidth(186);
        setPlaceholderText(QStringLiteral("Filter by name, path or toolchain"));
        // The placeholder, read as the description, says what the filter looks at.
        setAccessibleName(QStringLiteral("Filter"));
    }
    QSize sizeHint() const override { return {maximumWidth(), QLineEdit::sizeHint().height()}; }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            const auto key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                event->accept();
                return true;
            }
        }
        return QLineEdit::event(event);
    }
};

// The filter's capsule: panel colour, an accent border while the field has
// the focus (it comes and goes on the quick spring); a click anywhere on it
// focuses the field.
class FilterCapsule : public QWidget {
public:
    explicit FilterCapsule(QLineEdit* field)
        : field_(field), focus_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
        field_->installEventFilter(this);
        connect(focus_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    }

    // 0 … 1: how far the look has moved towards focused.
    double focusAmount() const { return std::clamp(focus_->currentValue().toDouble(), 0.0, 1.0); }
    MotionAnimation* focusMotion() const { return focus_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            const double target = event->type() == QEvent::FocusIn ? 1.0 : 0.0;
            if (isVisible())
                focus_->animateTo(target);
            else
                focus_->jumpTo(target);
            update();
            if (auto* bar = parentWidget()) QMetaObject::invokeMethod(bar, "update");
        }
        return QWidget::eventFilter(watched, event);
    }
    void mousePressEvent(QMouseEvent*) override { field_->setFocus(Qt::MouseFocusReason); }
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = std::max(palette.radius - 2, 6.0);
        const double focused = focusAmount();
        const double line = 1 + 0.5 * focused;
        painter.setBrush(palette.panel);
        painter.setPen(QPen(mixed(palette.hairline, withOpacity(palette.accent, 0.75), focused), line));
        painter.drawRoundedRect(QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2), radius, radius);
    }

private:
    QLineEdit* field_;
    MotionAnimation* focus_;
};

// The mode pills move to their new look on the quick spring; the sheet pills do not.
void applyPill(PillButton* pill, const TopBarContent::Pill& content, bool animated) {
    pill->setActive(content.isActive, animated);
    if (pill->kind() == PillButton::Kind::toggle) pill->setPressed(content.opensWhatIsOpen);
    pill->setToolTip(text(content.help));
}

}  // namespace

TopBar::TopBar(PreferencesState& preferences, NavigationState& navigation, const FolderScanState& folderScan,
               std::function<QWidget*()> makeInspector, QWidget* parent)
    : QWidget(parent),
      preferences_(preferences),
      navigation_(navigation),
      folderScan_(folderScan),
      makeInspector_(std::move(makeInspector)),
      content_(topBarContent(preferences, navigation, folderScan, true, true, false)),
      history_(new PillButton(content_.history.symbol, text(content_.history.title))),
      settings_(new PillButton(content_.settings.symbol, text(content_.settings.title))),
      crumbs_(new QWidget),
      crumbRow_(new QHBoxLayout(crumbs_)),
      scannedFolder_(new ElidedLabel({}, nullptr, Qt::ElideLeft)),
      filter_(new FilterField),
      badge_(new CapsuleLabel({}, QMargins(5, 1, 5, 1))),
      clear_(new GlyphButton("xmark.circle.fill", 11)),
      badgeReveal_(new ScaleReveal(badge_, 6, AppMotion::snappy)),
      clearReveal_(new ScaleReveal(clear_, 6, AppMotion::snappy)),
      themePicker_(new ThemePicker),
      inspectorToggle_(new GlyphButton("sidebar.trailing", 12)),
      filterButton_(new GlyphButton("magnifyingglass", 12)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 11, 14, 11);
    row->setSpacing(12);
    row->addWidget(buildModePills());
    row->addLayout(buildSheetPills());
    auto* divider = new Hairline(Qt::Vertical);
    divider->setFixedHeight(16);
    row->addWidget(divider);
    buildLocation();
    row->addWidget(crumbs_, 0);
    row->addWidget(scannedFolder_, 0);
    row->addStretch(1);
    buildFilter();
    row->addWidget(filterCapsule_);
    row->addWidget(filterButton_);

    row->addWidget(themePicker_);
    connect(themePicker_, &ThemePicker::themeChosen, this,
            [this](ThemeID theme) { preferences_.setThemeID(theme); });
    row->addWidget(inspectorToggle_);
    connect(inspectorToggle_, &QPushButton::clicked, this, &TopBar::toggleInspector);

    followChanges(*this, {&preferences_, &navigation_, &folderScan_}, [this] { refresh(); });
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
}

// General and Developer, one pill each.
QWidget* TopBar::buildModePills() {
    auto* modes = new PillGroup(9);
    modes->setAccessibleName(QStringLiteral("Mode"));
    const Mode order[] = {Mode::general, Mode::developer};
    for (std::size_t i = 0; i < content_.modes.size(); ++i) {
        auto* pill = new PillButton(content_.modes[i].symbol, text(content_.modes[i].title));
        const Mode mode = order[i];
        connect(pill, &QAbstractButton::clicked, this, [this, mode] { preferences_.setMode(mode); });
        modes->addPill(pill);
        modes_.push_back(pill);
    }
    return modes;
}

// History and Settings open their sheets.
QLayout* TopBar::buildSheetPills() {
    auto* sheets = new QHBoxLayout;
    sheets->setSpacing(2);
    sheets->addWidget(history_);
    sheets->addWidget(settings_);
    connect(history_, &QAbstractButton::clicked, this, [this] { navigation_.setSheet(Sheet::history); });
    connect(settings_, &QAbstractButton::clicked, this, [this] { navigation_.setSheet(Sheet::settings); });
    return sheets;
}

// The two ways the bar names where the view stands: the crumbs and the scanned folder.
void TopBar::buildLocation() {
    crumbRow_->setContentsMargins(0, 0, 0, 0);
    crumbRow_->setSpacing(4);
    scannedFolder_->setContentsMargins(7, 3, 7, 3);
    scannedFolder_->setAutoFillBackground(false);
}

// The filter's capsule: symbol, field, count of matches and the clear button.
void TopBar::buildFilter() {
    filterCapsule_ = new FilterCapsule(filter_);
    auto* capsuleRow = new QHBoxLayout(filterCapsule_);
    capsuleRow->setContentsMargins(9, 6, 9, 6);
    // The badge and the clear button bring their room before them as they grow in.
    capsuleRow->setSpacing(0);
    magnifier_ = new SymbolView("magnifyingglass", 10);
    capsuleRow->addWidget(magnifier_);
    capsuleRow->addSpacing(6);
    capsuleRow->addWidget(filter_);
    badge_->setAlignment(Qt::AlignCenter);
    // The badge's capsule stands as tall as the filter field beside it.
    badge_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    badgeReveal_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    capsuleRow->addWidget(badgeReveal_);
    capsuleRow->addWidget(clearReveal_);
    // The magnifier takes the accent with the focus, on the border's spring.
    connect(static_cast<FilterCapsule*>(filterCapsule_)->focusMotion(), &QVariantAnimation::valueChanged,
            this, [this] { colorMagnifier(); });
    clear_->setAccessibleName(QStringLiteral("Clear filter"));
    // The tree follows the text however it changes: typed, pasted, undone, or
    // set by a screen reader or automation. Showing the state's own text asks
    // for nothing.
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& value) {
        if (value.toStdString() != navigation_.searchText()) navigation_.setSearchText(value.toStdString());
    });
    connect(clear_, &QPushButton::clicked, this, [this] { navigation_.setSearchText({}); });
    connect(filter_, &QLineEdit::returnPressed, this, &TopBar::filterLeft);
    filter_->installEventFilter(filterCapsule_);

    setShownToolTip(*filterButton_, filter_->placeholderText());
    filterButton_->setAccessibleName(filter_->placeholderText());
    connect(filterButton_, &QPushButton::clicked, this, [this] {
        filterOpened_ = true;
        // The field takes the focus before the button hides, or the focus would move on past both.
        filterCapsule_->setVisible(true);
        filter_->setFocus(Qt::OtherFocusReason);
        refresh();
    });
    // Left for anything outside it (Return, a click elsewhere), the filter opened
    // from the button gives the crumbs their place back.
    focusFollow_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!filterOpened_ || (now && filterCapsule_->isAncestorOf(now))) return;
        filterOpened_ = false;
        // After the focus has moved on: hiding the field now would hand it on again.
        QMetaObject::invokeMethod(this, [this] { refresh(); }, Qt::QueuedConnection);
    });
}

// The popover goes first: closing it refreshes the bar, which must still be
// whole. The focus leaving the children as they go must not reach the bar
// either: by then only its QWidget part is left.
TopBar::~TopBar() {
    disconnect(focusFollow_);
    delete popover_.data();
}

void TopBar::setInspectorFits(bool fits) {
    if (fits == inspectorFits_) return;
    inspectorFits_ = fits;
    refresh();
}

void TopBar::setShowsInspector(bool shows) {
    showsInspector_ = shows;
    refresh();
}

std::vector<QPushButton*> TopBar::crumbButtons() const { return korvane::crumbButtons(crumbRow_); }

PillButton* TopBar::modePill(Mode mode) const { return modes_[mode == Mode::general ? 0 : 1]; }

void TopBar::toggleInspector() {
    if (inspectorFits_) {
        emit inspectorToggled();
        return;
    }
    if (popover_) {
        popover_->close();
        return;
    }
    QWidget* inspector = makeInspector_();
    // A one-pixel inset keeps the card's edge clear of the inspector.
    auto* popover = new PopupFrame(this, 1);
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover->column()->addWidget(inspector);
    const QMargins shadow = popover->surface().margins();
    const QPoint below = inspectorToggle_->mapToGlobal(QPoint(inspectorToggle_->width(), inspectorToggle_->height()));
    // No lower than the window's foot: in a low window the inspector scrolls.
    const int windowFoot = window()->mapToGlobal(QPoint(0, window()->height())).y();
    const int height = std::clamp(windowFoot - popoverGap - (below.y() + 4), 0, popoverHeight);
    popover->resize(QSize(static_cast<int>(ExploreColumns::inspectorWidth), height).grownBy(shadow));
    popover->move(below.x() - popover->width() + shadow.right(), below.y() + 4 - shadow.top());
    popover_ = popover;
    connect(popover, &QObject::destroyed, this, [this] { refresh(); });
    popover->show();
    refresh();
}

void TopBar::refresh() {
    const auto previousCrumbs = content_.crumbs;
    content_ = topBarContent(preferences_, navigation_, folderScan_, inspectorFits_, showsInspector_,
                             !popover_.isNull());
    for (std::size_t i = 0; i < modes_.size(); ++i) applyPill(modes_[i], content_.modes[i], true);
    applyPill(settings_, content_.settings, false);
    applyPill(history_, content_.history, false);

    const bool developer = preferences_.mode() == Mode::developer;
    // In a narrow window the filter opened from its button stands in the crumbs' place.
    if (!content_.showsFilterButton) filterOpened_ = false;
    const bool filterInPlaceOfCrumbs = content_.showsFilterButton && filterOpened_;
    crumbs_->setVisible(developer && !filterInPlaceOfCrumbs);
    if (developer && (content_.crumbs.size() != previousCrumbs.size() || crumbButtons().size() != content_.crumbs.size() ||
                      !std::equal(content_.crumbs.begin(), content_.crumbs.end(), previousCrumbs.begin(),
                                  [](const auto& a, const auto& b) { return a.id == b.id && a.name == b.name; })))
        rebuildCrumbs();
    scannedFolder_->setVisible(!developer);
    scannedFolder_->setText(text(content_.scannedFolder.value_or(std::string())));
    const Palette& palette = environmentPalette(this);
    styleLabel(scannedFolder_, AppFont::font(11, QFont::DemiBold),
               content_.scannedFolderIsPlaceholder ? palette.inkTertiary : palette.ink);

    filterCapsule_->setVisible(content_.showsFilter || filterInPlaceOfCrumbs);
    filterButton_->setVisible(content_.showsFilterButton && !filterInPlaceOfCrumbs);
    static_cast<GlyphButton*>(filterButton_)
        ->setColor(content_.filterButtonHighlighted ? palette.accent : palette.inkTertiary);
    const QString searchText = text(navigation_.searchText());
    if (filter_->text() != searchText) filter_->setText(searchText);
    // A badge on its way out keeps its last count.
    if (content_.badge) badge_->setText(text(*content_.badge));
    badgeReveal_->setRevealed(content_.badge.has_value());
    clearReveal_->setRevealed(content_.showsClear);

    setShownToolTip(*inspectorToggle_, text(content_.inspectorHelp));
    inspectorToggle_->setAccessibleName(text(content_.inspectorHelp));
    static_cast<GlyphButton*>(inspectorToggle_)
        ->setColor(content_.inspectorHighlighted ? palette.ink : palette.inkTertiary);
    // What shows beside the crumbs may have changed their room.
    fitCrumbs();
}

void TopBar::rebuildCrumbs() {
    clearCrumbs(crumbRow_);
    const Palette& palette = environmentPalette(this);
    for (std::size_t i = 0; i < content_.crumbs.size(); ++i) {
        const auto& crumb = content_.crumbs[i];
        if (i > 0) crumbRow_->addWidget(crumbChevron(palette.inkTertiary));
        auto* button = new CrumbButton(text(crumb.name), crumb.isLast);
        const std::string id = crumb.id;
        // By id: the node may be gone by the time of the click.
        connect(button, &QPushButton::clicked, this,
                [this, id] { navigation_.select(std::string_view(id)); });
        crumbRow_->addWidget(button);
    }
}

int TopBar::crumbRoom() const {
    // The bar less everything else in it and the spacing around each item.
    auto* row = static_cast<QHBoxLayout*>(layout());
    const QMargins margins = row->contentsMargins();
    int others = 0;
    int items = 0;
    for (int i = 0; i < row->count(); ++i) {
        QLayoutItem* item = row->itemAt(i);
        if (item->widget() == crumbs_ || item->isEmpty()) continue;
        others += item->spacerItem() ? 0 : item->sizeHint().width();
        ++items;
    }
    return width() - margins.left() - margins.right() - others - items * row->spacing();
}

void TopBar::fitCrumbs() {
    const std::vector<QPushButton*> buttons = crumbButtons();
    if (buttons.empty()) return;
    std::vector<int> whole;
    for (const QPushButton* button : buttons) whole.push_back(button->sizeHint().width());
    const QWidget* chevron = crumbRow_->count() > 1 ? crumbRow_->itemAt(1)->widget() : nullptr;
    const int chevronRoom = chevron ? chevron->sizeHint().width() + 2 * crumbRow_->spacing() : 0;
    const std::vector<int> shown = crumbWidths(whole, chevronRoom, narrowestCrumb, crumbRoom());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        // Each crumb after the first has its chevron just before it.
        if (i > 0) crumbRow_->itemAt(static_cast<int>(2 * i - 1))->widget()->setVisible(shown[i] > 0);
        buttons[i]->setVisible(shown[i] > 0);
        buttons[i]->setMaximumWidth(shown[i] < whole[i] ? std::max(shown[i], 1) : QWIDGETSIZE_MAX);
        // Cut short, its name stays at hand.
        setShownToolTip(*buttons[i], shown[i] < whole[i] ? buttons[i]->accessibleName() : QString());
    }
}

void TopBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitCrumbs();
}

void TopBar::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.fillRect(rect(), palette.rail);
    if (!scannedFolder_->isVisible()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.hover);
    painter.drawRoundedRect(QRectF(scannedFolder_->geometry()), 5, 5);
}

double TopBar::filterFocus() const { return static_cast<FilterCapsule*>(filterCapsule_)->focusAmount(); }

void TopBar::colorMagnifier() {
    const Palette& palette = environmentPalette(this);
    magnifier_->setColor(mixed(palette.inkTertiary, palette.accent, filterFocus()));
}

void TopBar::restyle() {
    const Palette& palette = environmentPalette(this);
    colorMagnifier();
    filter_->setFont(AppFont::caption());
    QPalette fieldPalette = filter_->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    fieldPalette.setColor(QPalette::Text, palette.ink);
    fieldPalette.setColor(QPalette::PlaceholderText, palette.inkTertiary);
    filter_->setPalette(fieldPalette);
    QFont badgeFont = AppFont::font(10, QFont::Medium);
    styleLabel(badge_, badgeFont, palette.inkSecondary);
    static_cast<GlyphButton*>(clear_)->setColor(palette.inkTertiary);
    keepFilterHeight();
    rebuildCrumbs();
    refresh();
}

// The filter's capsule stands as tall as it is with its count and clear
// button, and the bar keeps that room while the capsule waits behind its
// button: the window's content stays put as the filter opens, takes the
// focus and counts.
void TopBar::keepFilterHeight() {
    const QMargins inner = filterCapsule_->layout()->contentsMargins();
    const int tallest = std::max({filter_->sizeHint().height(), badge_->sizeHint().height(),
                                  clear_->sizeHint().height(), magnifier_->sizeHint().height()});
    filterCapsule_->setFixedHeight(inner.top() + tallest + inner.bottom());
    const QMargins outer = layout()->contentsMargins();
    setMinimumHeight(outer.top() + filterCapsule_->height() + outer.bottom());
}

}  // namespace korvane
