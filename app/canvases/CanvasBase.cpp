#include "app/canvases/CanvasBase.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include "app/canvases/CanvasAccessible.h"
#include "app/canvases/HoverCard.h"
#include "app/canvases/HoverCardMotion.h"
#include "app/canvases/NodeActionsMenu.h"
#include "app/canvases/layout/HoverCardPlacement.h"
#include "app/kit/FocusVisibility.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/presenters/NodeActions.h"
#include "app/presenters/SummaryNode.h"
#include "app/theme/FocusRing.h"
#include "app/theme/Palette.h"

namespace korvane {

namespace {

constexpr int frameMilliseconds = 16;
// Room for a canvas's staggered starts after its entrance begins.
constexpr double entranceStagger = 0.5;
constexpr double hoverSettle = 0.05;
// The corner of the focus ring round the canvas.
constexpr double ringRadius = 6;

}  // namespace

CanvasBase::CanvasBase(const CanvasParts& parts, CanvasMode mode, QWidget* parent)
    : QWidget(parent),
      parts_(parts),
      mode_(mode),
      input_({.hitAt = [this](QPointF point) { return root() ? hitAt(point) : std::nullopt; },
              .actionable = [this](std::size_t item) { return hasMenu(item); },
              .hover =
                  [this](std::optional<Hit> hit) {
                      keyboardHover_ = false;
                      setHovered(hit);
                  },
              .click =
                  [this](const Hit& hit) {
                      // The arrows go on from what was clicked.
                      keyboardFollows(hit);
                      clicked(hit);
                      announceKeyboardItem();
                  },
              .doubleClick = [this](const Hit& hit) { doubleClicked(hit); },
              .menu =
                  [this](const Hit& hit, QPoint at) {
                      if (selectsOnMenu()) {
                          keyboardFollows(hit);
                          chosen(hit);
                          announceKeyboardItem();
                      }
                      openMenu(hit, at);
                  },
              .drag = [this](QPointF moved) { dragged(moved); },
              .dragEnd = [this] { dragEnded(); }}),
      cardMotion_(new HoverCardMotion(*this)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::StrongFocus);
    installCanvasAccessibility();
    const auto name = title(mode);
    setAccessibleName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    elapsed_.start();
    // No more frames than the display shows.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double rate = screen && screen->refreshRate() >= 1 ? screen->refreshRate() : 1000.0 / frameMilliseconds;
    tick_.setInterval(std::max(frameMilliseconds, static_cast<int>(std::ceil(1000 / rate))));
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, [this] {
        // Past the entrance only hover and selection move.
        if (entrancePlaying() || selectionMoving())
            update();
        else
            update(hoverRegion());
        if (seconds() > animateUntil_) tick_.stop();
    });
}

const Palette& CanvasBase::palette() const { return environmentPalette(this); }

const StorageNode* CanvasBase::root() const {
    return rootTrees_ == parts_.navigation.treeReplacements() ? root_ : nullptr;
}

void CanvasBase::setRoot(const StorageNode* root) {
    const void* children = root ? static_cast<const void*>(root->children.data()) : nullptr;
    const std::uint64_t trees = parts_.navigation.treeReplacements();
    // A new tree may reuse the addresses of the one it replaced.
    const bool sameTree = root == root_ && children == rootChildren_ && trees == rootTrees_;
    // The old root may belong to a tree that is already gone: only its copied id is read.
    const bool newID = root && rootID_ && root->id != *rootID_;
    if (!sameTree) {
        dropLayout();
        cardMotion_->drop();
        resting_.clear();
        hovered_.reset();
        previousHover_.reset();
        input_.forgetPress();
        keyboard_.reset();
        keyboardNode_ = nullptr;
    }
    root_ = root;
    rootTrees_ = trees;
    rootChildren_ = children;
    rootID_ = root ? std::optional<std::string>(root->id) : std::nullopt;
    if (newID && hasEntrance() && entranceStart_) replayEntrance(0);
    followSelection();
    // A screen reader hears a new empty state without waiting for a paint.
    if (!sameTree && root && !size().isEmpty()) updateDescription();
    update();
}

void CanvasBase::setDepth(int depth) {
    if (depth == depth_) return;
    depth_ = depth;
    hovered_.reset();
    update();
}

void CanvasBase::setClock(CanvasClock clock) {
    clock_ = std::move(clock);
    dropLayout();
    update();
}

void CanvasBase::setPresence(double presence) {
    presence_ = presence;
    update();
}

double CanvasBase::seconds() const {
    return timeSource_ ? timeSource_() : static_cast<double>(elapsed_.nsecsElapsed()) / 1e9;
}

void CanvasBase::setTimeSource(std::function<double()> seconds) {
    timeSource_ = std::move(seconds);
    update();
}

void CanvasBase::animateFor(double duration) {
    if (AppMotion::jumpsToEnd()) return;
    animateUntil_ = std::max(animateUntil_, seconds() + duration);
    otherMotionUntil_ = std::max(otherMotionUntil_, seconds() + duration);
    if (!tick_.isActive()) tick_.start();
}

void CanvasBase::replayEntrance(double delay) {
    entranceStart_ = seconds() + delay;
    if (AppMotion::jumpsToEnd()) {
        // Landed at once like every other motion: one left waiting would
        // play late, halfway, once motion is switched back on.
        entranceEnd_ = seconds();
        update();
        return;
    }
    const double before = otherMotionUntil_;
    entranceEnd_ = *entranceStart_ + AppMotion::gentle.duration() + entranceStagger;
    animateFor(delay + AppMotion::gentle.duration() + entranceStagger);
    otherMotionUntil_ = before;  // the entrance may end sooner, when every item has arrived
    update();
}

double CanvasBase::entrance(double delay, const Motion& motion) const {
    return entrance(delay, motion, motion.duration());
}

double CanvasBase::entrance(double delay, const Motion& motion, double arrivesAfter) const {
    // Over (or cut short once every item had arrived): all stand in place.
    if (!entrancePlaying()) return 1;
    if (!entranceStart_) return 0;
    const double t = seconds() - *entranceStart_ - delay;
    if (t >= arrivesAfter) return 1;
    entering_ = true;  // this item is still on its way in
    if (t <= 0) return 0;
    return motion.progress(t);
}

bool CanvasBase::entrancePlaying() const {
    return hasEntrance() && !AppMotion::jumpsToEnd() && (!entranceStart_ || seconds() < entranceEnd_);
}

double CanvasBase::hoverAmount(int zone, std::size_t index, const Motion& motion) const {
    if (drawingResting_) return 0;
    const Hit hit{zone, index};
    const bool now = hovered_ == hit;
    const bool before = previousHover_ == hit;
    if (!now && !before) return 0;
    const double t = seconds() - hoverChangedAt_;
    const double progress = AppMotion::jumpsToEnd() || t >= motion.duration() ? 1 : motion.progress(t);
    return now ? progress : 1 - progress;
}

double CanvasBase::selectionAmount(const StorageNode& node, const Motion& motion) const {
    const bool now = isSelectedNode(node);
    const bool before = previousSelection_ == node.id;
    if (!now && !before) return 0;
    const double t = seconds() - selectionChangedAt_;
    const double progress = AppMotion::jumpsToEnd() || t >= motion.duration() ? 1 : motion.progress(t);
    return now ? progress : 1 - progress;
}

void CanvasBase::followSelection() {
    const std::optional<std::string>& selected = parts_.navigation.selectedID();
    if (selectionSeen_ && shownSelection_ == selected) return;
    // The selection the canvas first shows is simply there.
    if (selectionSeen_) {
        previousSelection_ = shownSelection_;
        selectionChangedAt_ = seconds();
        animateFor(AppMotion::snappy.duration());
    }
    selectionSeen_ = true;
    shownSelection_ = selected;
}

bool CanvasBase::selectionMoving() const {
    return !AppMotion::jumpsToEnd() && seconds() - selectionChangedAt_ < AppMotion::snappy.duration() + hoverSettle;
}

bool CanvasBase::isHovered(int zone, std::size_t index) const {
    return !drawingResting_ && hovered_ == Hit{zone, index};
}

bool CanvasBase::isSelectedNode(const StorageNode& node) const {
    return parts_.navigation.selectedID() && *parts_.navigation.selectedID() == node.id;
}

void CanvasBase::setHovered(std::optional<Hit> hit) {
    if (hit == hovered_) return;
    // What the old hover showed, and what the new one shows.
    update(hoverRegion());
    previousHover_ = hovered_;
    hovered_ = hit;
    hoverChangedAt_ = seconds();
    animateFor(AppMotion::snappy.duration());
    updateDescription();
    update(hoverRegion());
}

QRectF CanvasBase::hoverArea(const Hit& hit) {
    if (hit.zone != Hit::item) return rect();
    // Room for an antialiased edge and a wider hovered border.
    return itemBounds(hit.index).adjusted(-2, -2, 2, 2);
}

QRegion CanvasBase::liveRegion() {
    QRegion region;
    if (!root()) return region;
    const auto add = [&](const std::optional<Hit>& hit) {
        if (hit) region += hoverArea(*hit).toAlignedRect() & rect();
    };
    add(hovered_);
    // A little past its fade, so that its last frame is painted at rest.
    if (!AppMotion::jumpsToEnd() && seconds() - hoverChangedAt_ < AppMotion::snappy.duration() + hoverSettle)
        add(previousHover_);
    return region;
}

QRegion CanvasBase::hoverRegion() {
    QRegion region = liveRegion();
    region += HoverCardMotion::paintedArea(hoverCardRect());
    region += HoverCardMotion::paintedArea(cardMotion_->shownRect());
    return region;
}

void CanvasBase::updateDescription() {
    QString description;
    if (root()) {
        const StorageNode* node =
            hovered_ && hovered_->zone == Hit::item && showsHoverCard() && !keyboardHover_
                ? itemNode(hovered_->index)
                : nullptr;
        description = node ? QString::fromStdString(hoverCardDescription(hoverContent(hovered_->index)))
                           : restingDescription();
    }
    if (description == accessibleDescription()) return;
    setAccessibleDescription(description);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

CanvasItemReading CanvasBase::reading(const Hit& hit) {
    return hit.zone == Hit::item ? cardReading(hoverContent(hit.index)) : CanvasItemReading{};
}

HoverCardContent CanvasBase::hoverContent(std::size_t item) {
    return hoverCardContent(*itemNode(item), *root(), clock_.now());
}

bool CanvasBase::isActionable(std::size_t item) {
    const StorageNode* node = itemNode(item);
    return node && !isSummaryNode(*node);
}

void CanvasBase::drill(const StorageNode& node) { parts_.navigation.select(node); }

void CanvasBase::clicked(const Hit& hit) {
    if (hit.zone != Hit::item || !isActionable(hit.index)) return;
    if (const StorageNode* node = itemNode(hit.index)) parts_.navigation.setSelectedID(node->id);
}

void CanvasBase::doubleClicked(const Hit&) {}

void CanvasBase::dragged(QPointF) {}

QRectF CanvasBase::hoverCardRect() {
    if (!root() || !hovered_ || hovered_->zone != Hit::item || !showsHoverCard()) return {};
    const StorageNode* node = itemNode(hovered_->index);
    if (!node) return {};
    const QSizeF card = HoverCard::size(hoverContent(hovered_->index));
    return {HoverCardPlacement::origin(itemBounds(hovered_->index), QSizeF(size()), card), card};
}

void CanvasBase::paintHoverCard(QPainter& painter) {
    const QRectF card = hoverCardRect();
    if (card.isEmpty()) cardMotion_->hide();
    else cardMotion_->show(hoverContent(hovered_->index), card);
    cardMotion_->paint(painter, palette());
}

void CanvasBase::paintInto(QPainter& painter) {
    if (!root()) return;
    followSelection();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (presence_ < 1) {
        // Entering grows from 98.5 % about the centre while fading in.
        const double scale = 0.985 + 0.015 * presence_;
        const QPointF centre = QRectF(rect()).center();
        painter.setOpacity(std::clamp(presence_, 0.0, 1.0));
        painter.translate(centre);
        painter.scale(scale, scale);
        painter.translate(-centre);
    }
    paintLayers(painter);
    paintHoverCard(painter);
    painter.restore();
    updateDescription();
}

void CanvasBase::paintLayers(QPainter& painter) {
    if (!keepsRestingPicture() || entrancePlaying()) return paintCanvas(painter);
    prepareLayout();
    const RestingPicture::Key key{layoutBuilds(),
                                  &palette(),
                                  size(),
                                  painter.device()->devicePixelRatioF(),
                                  parts_.navigation.selectedID(),
                                  restingView()};
    const QImage* picture = resting_.get(key, [this](QPainter& resting) {
        drawingResting_ = true;
        paintCanvas(resting);
        drawingResting_ = false;
    });
    if (!picture) return paintCanvas(painter);
    const QRegion live = liveRegion();
    painter.save();
    if (!live.isEmpty()) painter.setClipRegion(QRegion(rect()).subtracted(live), Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, presence_ < 1);
    painter.drawImage(QPointF(0, 0), *picture);
    painter.restore();
    if (live.isEmpty()) return;
    painter.save();
    painter.setClipRegion(live, Qt::IntersectClip);
    paintCanvas(painter);
    painter.restore();
}

void CanvasBase::paintEvent(QPaintEvent* event) {
    entering_ = false;
    QPainter painter(this);
    paintInto(painter);
    if (FocusVisibility::shows(*this)) {
        const Palette& colours = palette();
        FocusRing::paint(painter, QRectF(rect()), ringRadius, colours, colours.canvas);
    }
    // A whole frame in which every item has arrived ends the entrance's
    // ticking now, not at the end of the room kept for the slowest canvas.
    if (!entering_ && root() && entranceStart_ && entrancePlaying() && event->region().contains(rect()))
        entranceEnd_ = seconds();
    if (!entrancePlaying() && seconds() >= otherMotionUntil_ && tick_.isActive()) {
        animateUntil_ = seconds();
        tick_.stop();
    }
}

void CanvasBase::mouseMoveEvent(QMouseEvent* event) { input_.move(event->position(), event->buttons()); }

void CanvasBase::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    input_.leave();
}

void CanvasBase::mousePressEvent(QMouseEvent* event) {
    input_.press(event->position(), event->button());
    QWidget::mousePressEvent(event);
}

void CanvasBase::mouseReleaseEvent(QMouseEvent* event) { input_.release(event->position(), event->button()); }

void CanvasBase::mouseDoubleClickEvent(QMouseEvent* event) {
    input_.doubleClick(event->position(), event->button());
}

void CanvasBase::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) return openKeyboardMenu();
    input_.contextMenu(event->pos(), event->globalPos());
}

bool CanvasBase::hasMenu(std::size_t item) {
    if (!offersMenu()) return false;
    if (isActionable(item))
        return !nodeActionEntries(parts_.developer, parts_.desktop, *itemNode(item)).empty();
    const StorageNode* folder = summedFolder(item);
    return folder && folder->path;
}

void CanvasBase::openMenu(const Hit& hit, QPoint globalPosition) {
    // The menu key and a right click may both ask for it.
    if (menu_ && menu_->isVisible()) return;
    QMenu* menu = nullptr;
    if (isActionable(hit.index))
        menu = makeNodeActionsMenu(parts_, *itemNode(hit.index), this);
    else if (const StorageNode* folder = summedFolder(hit.index))
        menu = makeSummedItemsMenu(parts_, *folder, this);
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu_ = menu;
    menu->popup(globalPosition);
}

std::optional<CanvasBase::Hit> CanvasBase::keyboardTarget() {
    if (!root_) return std::nullopt;
    const std::vector<Hit> targets = keyboardTargets();
    if (keyboard_) {
        // Still the same node at that index (a zone is known by its index alone).
        const bool same = keyboard_->zone == Hit::item ? keyboardNode_ && itemNode(keyboard_->index) == keyboardNode_
                                                       : std::find(targets.begin(), targets.end(), *keyboard_) !=
                                                             targets.end();
        if (same) return keyboard_;
        keyboard_.reset();
        keyboardNode_ = nullptr;
    }
    for (const Hit& target : targets)
        if (target.zone == Hit::item)
            if (const StorageNode* node = itemNode(target.index); node && isSelectedNode(*node)) return target;
    return std::nullopt;
}

QRectF CanvasBase::targetRect(const Hit& hit) { return hit.zone == Hit::item ? itemBounds(hit.index) : hoverArea(hit); }

std::optional<CanvasBase::Hit> CanvasBase::step(const Hit& from, KeyboardStep::Direction direction) {
    return stepAmong(from, direction, false);
}

std::optional<CanvasBase::Hit> CanvasBase::stepAmong(const Hit& from, KeyboardStep::Direction direction,
                                                     bool scattered) {
    const std::vector<Hit> targets = keyboardTargets();
    std::vector<QRectF> rects;
    rects.reserve(targets.size());
    for (const Hit& target : targets) rects.push_back(target == from ? QRectF() : targetRect(target));
    const QRectF start = targetRect(from);
    const auto next = scattered ? KeyboardStep::scattered(start, rects, direction)
                                : KeyboardStep::alongRows(start, rects, direction);
    if (!next) return std::nullopt;
    return targets[*next];
}

void CanvasBase::chosen(const Hit& hit) {
    if (hit.zone != Hit::item) return;
    const StorageNode* node = itemNode(hit.index);
    if (!node) return;
    // An item that takes no selection leaves none behind: only its hover look marks it.
    if (isActionable(hit.index))
        parts_.navigation.setSelectedID(node->id);
    else
        parts_.navigation.setSelectedID(std::nullopt);
}

void CanvasBase::moveKeyboardTo(const Hit& hit) {
    keyboard_ = hit;
    keysMoved_ = true;
    keyboardNode_ = hit.zone == Hit::item ? itemNode(hit.index) : nullptr;
    reveal(hit);
    chosen(hit);
    // Its card and hover look show where the keyboard is, as the pointer's would.
    keyboardHover_ = true;
    setHovered(hit);
    announceKeyboardItem();
    update();
}

void CanvasBase::keyboardFollows(const Hit& hit) {
    keyboard_ = hit;
    keyboardNode_ = hit.zone == Hit::item ? itemNode(hit.index) : nullptr;
    keysMoved_ = false;
}

void CanvasBase::announceKeyboardItem() {
    if (hasFocus()) announceCanvasItem(*this);
}

void CanvasBase::openKeyboardMenu() {
    const auto target = keyboardTarget();
    if (!target || target->zone != Hit::item || !hasMenu(target->index)) return;
    const QRectF place = targetRect(*target) & QRectF(rect());
    const QPointF at = place.isEmpty() ? QRectF(rect()).center() : place.center();
    // The card would stay painted under the open menu.
    setHovered(std::nullopt);
    openMenu(*target, mapToGlobal(at.toPoint()));
}

bool CanvasBase::answersKey(const QKeyEvent& event) const {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return keysMoved_;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Space:
        case Qt::Key_Menu:
            return true;
        case Qt::Key_F10:
            return event.modifiers() & Qt::ShiftModifier;
        default:
            return false;
    }
}

bool CanvasBase::event(QEvent* event) {
    // Return belongs to the canvas with the focus, not to the window's default button.
    if (event->type() == QEvent::ShortcutOverride && root_ && answersKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CanvasBase::keyPressEvent(QKeyEvent* event) {
    if (!root_ || !answersKey(*event)) return QWidget::keyPressEvent(event);
    event->accept();
    const std::vector<Hit> targets = keyboardTargets();
    if (targets.empty()) return;
    const std::optional<Hit> target = keyboardTarget();
    using Direction = KeyboardStep::Direction;
    std::optional<Direction> direction;
    switch (event->key()) {
        case Qt::Key_Left: direction = Direction::left; break;
        case Qt::Key_Right: direction = Direction::right; break;
        case Qt::Key_Up: direction = Direction::up; break;
        case Qt::Key_Down: direction = Direction::down; break;
        case Qt::Key_Home: return moveKeyboardTo(targets.front());
        case Qt::Key_End: return moveKeyboardTo(targets.back());
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (target) activated(*target);
            return;
        case Qt::Key_Space:
            if (target) clicked(*target);
            return;
        default:
            return openKeyboardMenu();
    }
    // The first arrow starts at the first item.
    if (!target) return moveKeyboardTo(targets.front());
    if (const auto next = step(*target, *direction)) moveKeyboardTo(*next);
}

void CanvasBase::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // After the canvas itself is read (Qt tells of its focus once this returns), the item the keyboard is on.
    QMetaObject::invokeMethod(
        this, [this] { announceKeyboardItem(); }, Qt::QueuedConnection);
    update();
}

void CanvasBase::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CanvasBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first showing plays the entrance a moment later.
    if (hasEntrance() && !entranceStart_) replayEntrance(0.05);
}

}  // namespace korvane
