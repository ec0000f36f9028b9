#include "app/canvases/CanvasAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>

#include "app/canvases/CanvasBase.h"

namespace korvane {

namespace {

// The item (or zone) the keyboard is on. It is made for one and stands for it
// alone: when the keyboard moves on, the canvas makes another, so that a
// screen reader hears a new focus rather than an old one renamed.
class CanvasItemAccessible : public QAccessibleInterface {
public:
    CanvasItemAccessible(CanvasBase* canvas, CanvasHit hit, const StorageNode* node)
        : canvas_(canvas), hit_(hit), node_(node) {}

    bool stands(CanvasHit hit, const StorageNode* node) const { return hit == hit_ && node == node_; }

    // Only while the keyboard is on it and its node is still drawn there (the
    // node is never read through this pointer before that is known).
    bool isValid() const override {
        if (!canvas_ || !canvas_->root() || canvas_->keyboardTarget() != hit_) return false;
        return hit_.zone != CanvasHit::item || canvas_->itemNode(hit_.index) == node_;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return canvas_ ? canvas_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(canvas_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Description)) return {};
        const CanvasItemReading reading = canvas_->reading(hit_);
        return QString::fromStdString(t == QAccessible::Name ? reading.name : reading.description);
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect place = canvas_->keyboardTargetRect(hit_).toAlignedRect() & canvas_->rect();
        return {canvas_->mapToGlobal(place.topLeft()), place.size()};
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.selectable = node_ != nullptr;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focused = canvas_->hasFocus();
        state.selected = node_ != nullptr && canvas_->isSelectedNode(*node_);
        state.invisible = !canvas_->isVisible();
        state.offscreen = rect().isEmpty();
        return state;
    }

private:
    QPointer<CanvasBase> canvas_;
    CanvasHit hit_;
    const StorageNode* node_;
};

class CanvasAccessible : public QAccessibleWidget {
public:
    explicit CanvasAccessible(CanvasBase* canvas) : QAccessibleWidget(canvas, QAccessible::Canvas) {}
    ~CanvasAccessible() override { dropItem(); }

    // The child for the item the keyboard is on, made anew when that changes.
    QAccessibleInterface* item() const {
        auto* canvas = static_cast<CanvasBase*>(widget());
        const auto target = canvas->root() ? canvas->keyboardTarget() : std::nullopt;
        const StorageNode* node =
            target && target->zone == CanvasHit::item ? canvas->itemNode(target->index) : nullptr;
        // A zone is there to read only where its canvas gives it a reading.
        const bool readable = node != nullptr || (target && !canvas->reading(*target).name.empty());
        auto* current =
            itemID_ ? static_cast<CanvasItemAccessible*>(QAccessible::accessibleInterface(itemID_)) : nullptr;
        if (readable && current && current->stands(*target, node)) return current;
        dropItem();
        if (!readable) return nullptr;
        itemID_ = QAccessible::registerAccessibleInterface(new CanvasItemAccessible(canvas, *target, node));
        return QAccessible::accessibleInterface(itemID_);
    }

    int childCount() const override { return QAccessibleWidget::childCount() + (item() ? 1 : 0); }

    QAccessibleInterface* child(int index) const override {
        const int widgets = QAccessibleWidget::childCount();
        return index < widgets ? QAccessibleWidget::child(index) : index == widgets ? item() : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (itemID_ && child == QAccessible::accessibleInterface(itemID_))
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

    QAccessibleInterface* focusChild() const override {
        if (widget()->hasFocus())
            if (QAccessibleInterface* focused = item()) return focused;
        return QAccessibleWidget::focusChild();
    }

private:
    void dropItem() const {
        if (itemID_) QAccessible::deleteAccessibleInterface(itemID_);
        itemID_ = 0;
    }

    mutable QAccessible::Id itemID_ = 0;
};

QAccessibleInterface* canvasAccessible(const QString& className, QObject* object) {
    if (!object->isWidgetType() || className != QLatin1String("korvane::CanvasBase")) return nullptr;
    return new CanvasAccessible(static_cast<CanvasBase*>(object));
}

}  // namespace

void installCanvasAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(canvasAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceCanvasItem(CanvasBase& canvas) {
    auto* face = dynamic_cast<CanvasAccessible*>(QAccessible::queryAccessibleInterface(&canvas));
    QAccessibleInterface* item = face ? face->item() : nullptr;
    if (!item) return;
    QAccessibleEvent event(item, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

}  // namespace korvane
