#include "app/kit/PillAccessible.h"

#include <QAccessibleWidget>

#include "app/kit/PillButton.h"
#include "app/kit/PillGroup.h"

namespace korvane {

namespace {

// A toggle button, checked while pressed, or a tab, selected while active.
// Pressing, or toggling a toggle, acts as a click does: the owner decides.
class PillButtonAccessible : public QAccessibleWidget {
public:
    explicit PillButtonAccessible(PillButton* pill) : QAccessibleWidget(pill, QAccessible::Button) {}

    QAccessible::Role role() const override {
        return pill()->kind() == PillButton::Kind::tab ? QAccessible::PageTab : QAccessible::Button;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.focusable = true;
        if (pill()->kind() == PillButton::Kind::tab) {
            state.selectable = true;
            state.selected = pill()->isActive();
        } else {
            state.checkable = true;
            state.checked = pill()->isPressed();
            state.pressed = pill()->isPressed();
        }
        return state;
    }

    QStringList actionNames() const override { return ownActions() + QAccessibleWidget::actionNames(); }

    void doAction(const QString& name) override {
        if (!ownActions().contains(name)) {
            QAccessibleWidget::doAction(name);  // such as taking the focus
            return;
        }
        if (pill()->isEnabled()) pill()->click();
    }

private:
    PillButton* pill() const { return static_cast<PillButton*>(widget()); }
    QStringList ownActions() const {
        if (pill()->kind() == PillButton::Kind::tab) return {pressAction()};
        return {pressAction(), toggleAction()};
    }
};

QAccessibleInterface* pillAccessible(const QString& className, QObject* object) {
    if (!object->isWidgetType()) return nullptr;
    if (className == QLatin1String("korvane::PillButton"))
        return new PillButtonAccessible(static_cast<PillButton*>(object));
    // The group's children are its pills, in order.
    if (className == QLatin1String("korvane::PillGroup"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::PageTabList);
    return nullptr;
}

}  // namespace

void installPillAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(pillAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace korvane
