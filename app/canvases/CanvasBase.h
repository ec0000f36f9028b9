#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/canvases/CanvasInput.h"
#include "app/canvases/CanvasParts.h"
#include "app/canvases/RestingPicture.h"
#include "app/canvases/layout/CanvasClock.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/KeyboardStep.h"
#include "app/presenters/CanvasItemReading.h"
#include "app/presenters/HoverCardContent.h"
#include "app/state/NavigationState.h"
#include "app/theme/AppMotion.h"

class QMenu;

namespace korvane {

class HoverCardMotion;
struct Palette;

// What every storage canvas shares: it paints its items with QPainter from a
// pure layout (items are never widgets, so a tree of 100,000 nodes makes one
// widget), hit-tests the topmost item under the pointer, keeps the hovered
// item and paints the hover card beside it, selects on a click, offers the
// node actions on a right click, and runs one animation clock for the
// entrance and hover changes. Hover, selection and animation only repaint.
// What the pointer means is CanvasInput's to say.
//
// The canvas is one Tab stop. The arrows move among the items it lets the
// keyboard reach (keyboardTargets), selecting each as a click would and
// showing its card as a hover would; Space does what a click does, Return
// what a double click does (opening or drilling), Home and End go to the
// first and last item, and the menu key or Shift+F10 opens the item's menu.
class CanvasBase : public QWidget {
    Q_OBJECT
public:
    using Hit = CanvasHit;

    CanvasBase(const CanvasParts& parts, CanvasMode mode, QWidget* parent = nullptr);

    CanvasMode mode() const { return mode_; }
    // The node drawn. It belongs to the state; the page hands in the new one
    // after every change. A rebuilt tree is laid out afresh, and a new root id
    // replays the entrance (a drill keeps the canvas).
    void setRoot(const StorageNode* root);
    // None from the moment the tree it belongs to is replaced until the page
    // hands in the new one: the canvas then draws nothing and answers no pointer.
    const StorageNode* root() const;
    // The depth the host gives this canvas (its own mapping of the setting).
    void setDepth(int depth);
    int depth() const { return depth_; }
    // "Now" and the time zone that ages count in.
    void setClock(CanvasClock clock);
    const CanvasClock& clock() const { return clock_; }
    // The host's replacing transition: 0 absent, 1 fully shown.
    void setPresence(double presence);

    // How many layouts this canvas has built so far.
    virtual std::size_t layoutBuilds() const = 0;
    const std::optional<Hit>& hovered() const { return hovered_; }
    // Where the hover card belongs now; empty when no item shows one.
    QRectF hoverCardRect();
    // The card's fade and glide towards that place.
    const HoverCardMotion& cardMotion() const { return *cardMotion_; }
    // Bounds of an item in widget coordinates, as laid out for the current size.
    virtual QRectF itemBounds(std::size_t item) = 0;
    virtual const StorageNode* itemNode(std::size_t item) = 0;

    // The item (or zone) the keyboard is on: the one it last moved to or the
    // pointer last clicked, else the first one drawn as selected; none when
    // neither is on show.
    std::optional<Hit> keyboardTarget();
    // What a screen reader hears of a keyboard target as the keyboard
    // arrives on it; a zone reads nothing unless its canvas says.
    virtual CanvasItemReading reading(const Hit& hit);
    QRectF keyboardTargetRect(const Hit& hit) { return targetRect(hit); }
    bool isSelectedNode(const StorageNode& node) const;

    // Renders into an image as the widget would look (for benchmarks and probes).
    void paintInto(QPainter& painter);
    // How many times the picture at rest has been drawn (a hover never draws it).
    std::size_t restingDraws() const { return resting_.draws(); }
    // What a change of hover repaints: the hovered items' areas and the hover card.
    QRegion hoverRegion();
    // The clock the canvas's motions run on, in seconds (tests step it); a
    // steady clock of its own unless set.
    void setTimeSource(std::function<double()> seconds);
    // Whether the canvas keeps repainting for a motion under way.
    bool isAnimating() const { return tick_.isActive(); }

protected:
    NavigationState& navigation() const { return parts_.navigation; }
    DeveloperState& developer() const { return parts_.developer; }
    const Palette& palette() const;

    // The topmost hit at the point, in the canvas's own paint order.
    virtual std::optional<Hit> hitAt(QPointF point) = 0;
    // Draws everything but the hover card.
    virtual void paintCanvas(QPainter& painter) = 0;
    // A layout held for another tree must go.
    virtual void dropLayout() = 0;
    // A first click on an item selects its node; zones are the canvas's own.
    virtual void clicked(const Hit& hit);
    virtual void doubleClicked(const Hit& hit);
    // A held press moved past the threshold pans the canvas (see allowDrag).
    virtual void dragged(QPointF moved);
    virtual void dragEnded() {}
    void allowDrag(double threshold) { input_.setDragThreshold(threshold); }
    // Whether the node card shows for hovered items (not on the bars).
    virtual bool showsHoverCard() const { return true; }
    // What the hover card of an item says; a canvas may add what it knows.
    virtual HoverCardContent hoverContent(std::size_t item);
    // Whether the canvas plays an entrance on appear and on a new root.
    virtual bool hasEntrance() const { return false; }
    // What a screen reader hears while no item is hovered: the texts the
    // canvas paints on its own, such as an empty state; called with a root.
    virtual QString restingDescription() { return {}; }
    // Whether an item stands for real nodes to act on: a tile summing the
    // smallest ones takes no selection and offers no node actions.
    bool isActionable(std::size_t item);
    // Whether the canvas is painted from its resting picture, with only the
    // hovered items drawn live over it. paintCanvas then draws the picture
    // (hover reads as none) and, clipped to the hovered areas, the live
    // items: it may skip what lies outside the painter's clip.
    virtual bool keepsRestingPicture() const { return false; }
    // The area an item's hover look covers, in widget coordinates.
    virtual QRectF hoverArea(const Hit& hit);
    // The view the resting picture is seen through (a scroll, a zoom and pan).
    virtual QTransform restingView() const { return {}; }
    // Brings the layout up to date, so that layoutBuilds() names it.
    virtual void prepareLayout() {}

    // What the arrows reach, in the layout's order; empty without a root.
    virtual std::vector<Hit> keyboardTargets() { return {}; }
    // Where a target lies in widget coordinates (for the arrows and the menu's place).
    virtual QRectF targetRect(const Hit& hit);
    // The target an arrow leads to; by default the nearest one that way in
    // rows and columns. A canvas may act instead (open a row) and stay.
    virtual std::optional<Hit> step(const Hit& from, KeyboardStep::Direction direction);
    // The keyboard arrived on a target: selected as a click selects, no more
    // (a click that also drills or opens is Space's and Return's to do).
    virtual void chosen(const Hit& hit);
    // Return: what a double click does.
    virtual void activated(const Hit& hit) { doubleClicked(hit); }
    // Brings a target into view.
    virtual void reveal(const Hit&) {}
    // Whether items offer their menu (the bars do not).
    virtual bool offersMenu() const { return true; }
    // Whether a right click selects the item before its menu opens (where
    // no hover look shows which item the menu is for).
    virtual bool selectsOnMenu() const { return false; }
    // The folder whose items a summing item stands for: its menu shows that
    // folder in the file manager. None where the canvas sums nothing.
    virtual const StorageNode* summedFolder(std::size_t) { return nullptr; }
    // The steps over the targets' rectangles, for canvases that pick another rule.
    std::optional<Hit> stepAmong(const Hit& from, KeyboardStep::Direction direction, bool scattered);

    // Drills into the node through the state (it focuses nodes with children).
    void drill(const StorageNode& node);
    bool isHovered(int zone, std::size_t index) const;
    // The hover as painted now: none while the resting picture is drawn.
    std::optional<Hit> paintedHover() const { return drawingResting_ ? std::nullopt : hovered_; }
    // Progress of the entrance for an item that starts `delay` seconds late
    // (may overshoot 1 with the spring); 1 once played or without animation.
    double entrance(double delay, const Motion& motion = AppMotion::gentle) const;
    // The same for an item that has arrived to the eye `arrivesAfter` seconds
    // into its motion (see Motion::arrivalTime): from then on it is drawn at
    // its end and no longer keeps the entrance ticking.
    double entrance(double delay, const Motion& motion, double arrivesAfter) const;
    // How far an item has moved into (1) or out of (0) its hovered look.
    double hoverAmount(int zone, std::size_t index, const Motion& motion = AppMotion::snappy) const;
    // How far a node has moved into (1) or out of (0) its selected look.
    double selectionAmount(const StorageNode& node, const Motion& motion = AppMotion::snappy) const;
    // Keeps the clock ticking (repainting) for `seconds` from now.
    void animateFor(double seconds);
    void replayEntrance(double delay);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    double seconds() const;
    void setHovered(std::optional<Hit> hit);
    void openMenu(const Hit& hit, QPoint globalPosition);
    // Whether an item offers a menu: the node's, or a summing item's folder's.
    bool hasMenu(std::size_t item);
    // The keyboard's target goes to `hit`: selected, in view, showing its card.
    void moveKeyboardTo(const Hit& hit);
    // The pointer put the keyboard on an item (a click, a right click).
    void keyboardFollows(const Hit& hit);
    // Screen readers hear the item the keyboard is on, while the canvas has the focus.
    void announceKeyboardItem();
    void openKeyboardMenu();
    // Whether the key is one the canvas answers while it has the focus. Return
    // is the canvas's only once the keys moved its target; after a click, or
    // before any key, it is the page's (the review).
    bool answersKey(const QKeyEvent& event) const;
    void paintHoverCard(QPainter& painter);
    // The accessible description follows the hovered item, else the empty
    // state; screen readers are told when it changes.
    void updateDescription();
    void paintLayers(QPainter& painter);
    bool entrancePlaying() const;
    // The hovered items' areas (also one still leaving its hover look).
    QRegion liveRegion();
    // Starts the move between the old and the new selected node's looks.
    void followSelection();
    bool selectionMoving() const;

    CanvasParts parts_;
    CanvasMode mode_;
    const StorageNode* root_ = nullptr;
    std::uint64_t rootTrees_ = 0;  // the navigation's tree replacements when root_ came
    std::optional<std::string> rootID_;
    // The root's children buffer: a rebuilt tree has a new one even where
    // the root keeps its address, id and size.
    const void* rootChildren_ = nullptr;
    int depth_ = 0;
    CanvasClock clock_;
    double presence_ = 1;

    std::optional<Hit> hovered_;
    std::optional<Hit> previousHover_;
    double hoverChangedAt_ = -1e9;
    bool selectionSeen_ = false;
    std::optional<std::string> shownSelection_;
    std::optional<std::string> previousSelection_;
    double selectionChangedAt_ = -1e9;
    CanvasInput input_;
    // Where the keyboard is, and the node it was on (a new layout may put
    // another node at that index).
    std::optional<Hit> keyboard_;
    const StorageNode* keyboardNode_ = nullptr;
    // The hover is the keyboard's: the item it is on is read as the focus, not
    // as the canvas's description.
    bool keyboardHover_ = false;
    // Whether the keys last moved the target (a click places it too): only
    // then is Return the canvas's, and it stays so as the canvas goes up a level.
    bool keysMoved_ = false;
    QPointer<QMenu> menu_;

    QElapsedTimer elapsed_;
    std::function<double()> timeSource_;
    QTimer tick_;
    double animateUntil_ = 0;
    double otherMotionUntil_ = 0;  // hover and other motions than the entrance
    std::optional<double> entranceStart_;  // none until first shown
    mutable bool entering_ = false;        // some item of the frame being painted is still entering
    HoverCardMotion* cardMotion_;
    double entranceEnd_ = 0;

    RestingPicture resting_;
    bool drawingResting_ = false;
};

// A canvas over one pure layout type, kept in the shared layout cache per
// (root, size, depth).
template <typename Layout>
class LayoutCanvas : public CanvasBase {
public:
    using CanvasBase::CanvasBase;

    std::size_t layoutBuilds() const override { return cache_.builds(); }

protected:
    virtual Layout buildLayout(const StorageNode& root, QSizeF size) = 0;

    // The layout for the current root and size; call only with a root.
    const Layout& layout() {
        return cache_.get(*root(), QSizeF(size()), depth(), [&] { return buildLayout(*root(), QSizeF(size())); });
    }
    void dropLayout() override { cache_.invalidate(); }
    void prepareLayout() override {
        if (root()) layout();
    }

private:
    CanvasLayoutCache<Layout> cache_;
};

}  // namespace korvane
