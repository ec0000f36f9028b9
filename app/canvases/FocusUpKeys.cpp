#include "app/canvases/FocusUpKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>

#include "app/state/NavigationState.h"

namespace korvane {

bool isTextInput(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

void addFocusUpKeys(QWidget* page, NavigationState& navigation) {
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Up)}) {
        auto* shortcut = new QShortcut(keys, page);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, page, [page, &navigation] {
            if (!page->isVisible() || isTextInput(QApplication::focusWidget())) return;
            navigation.focusUp();
        });
    }
}

}  // namespace korvane
