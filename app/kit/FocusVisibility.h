#pragma once

#include <QObject>

class QWidget;

namespace korvane {

// Whether focus rings show: a ring marks where the keyboard is, so it shows
// once a key moves or presses something and hides again at the next press
// of the pointer. A control clicked with the mouse keeps the focus without a
// ring, and so does one that receives the focus because the clicked one went
// away; the next key shows the ring where the focus is. (A text field shows
// where typing goes whichever way it got the focus.)
class FocusVisibility : public QObject {
    Q_OBJECT
public:
    // The one instance; it starts out showing rings.
    static FocusVisibility& instance();
    // Watches the application's input from now on (once is enough; rings
    // hide until the first key), or no longer.
    static void watchInput();
    static void stopWatching();

    static bool showsRings() { return instance().showsRings_; }
    // Whether `widget` draws its focus ring now: it has the focus and the
    // keyboard is in use.
    static bool shows(const QWidget& widget);
    // Sets it directly (tests, and the input watcher).
    void setShowsRings(bool shows);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FocusVisibility() = default;
    bool showsRings_ = true;
    bool watching_ = false;
};

}  // namespace korvane
