#include "app/canvases/CanvasAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace korvane {

namespace {

QAccessibleInterface* canvasAccessible(const QString& className, QObject* object) {
    if (!object->isWidgetType() || className != QLatin1String("korvane::CanvasBase")) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Canvas);
}

}  // namespace

void installCanvasAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(canvasAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace korvane
