#include "app/kit/FocusVisibility.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace korvane {

namespace {

// Keys that work a control or move the focus; chords with Ctrl, Alt or Meta
// are commands, and a modifier alone is no key press yet.
bool isNavigatingKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (event.key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_CapsLock:
        case Qt::Key_unknown:
            return false;
        default:
            return true;
    }
}

}  // namespace

FocusVisibility& FocusVisibility::instance() {
    static FocusVisibility* visibility = new FocusVisibility;
    return *visibility;
}

void FocusVisibility::watchInput() {
    FocusVisibility& visibility = instance();
    if (visibility.watching_ || qApp == nullptr) return;
    visibility.watching_ = true;
    qApp->installEventFilter(&visibility);
    // The focus a window is given as it opens was moved by no key.
    visibility.setShowsRings(false);
}

void FocusVisibility::stopWatching() {
    FocusVisibility& visibility = instance();
    if (!visibility.watching_ || qApp == nullptr) return;
    visibility.watching_ = false;
    qApp->removeEventFilter(&visibility);
}

bool FocusVisibility::shows(const QWidget& widget) { return showsRings() && widget.hasFocus(); }

void FocusVisibility::setShowsRings(bool shows) {
    if (shows == showsRings_) return;
    showsRings_ = shows;
    // The focused control, and the faces and rows drawn inside it, draw again.
    if (QWidget* focused = QApplication::focusWidget()) {
        focused->update();
        if (auto* area = qobject_cast<QAbstractScrollArea*>(focused)) area->viewport()->update();
        for (QWidget* child : focused->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->update();
    }
    emit changed();
}

bool FocusVisibility::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            if (isNavigatingKey(*static_cast<QKeyEvent*>(event))) setShowsRings(true);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            setShowsRings(false);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvane
