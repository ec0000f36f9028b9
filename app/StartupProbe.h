#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace korvane {

// What the measuring and picture-taking scripts ask of a running program,
// through its environment:
// - KORVANE_REPORT_FIRST_PAINT: print "first-paint" on standard output once
//   the window has painted for the first time;
// - KORVANE_SCREENSHOT=<file>: with every animation landing at once, save a
//   picture of the window and the sheets and alerts over it to the file
//   KORVANE_SCREENSHOT_DELAY milliseconds (default 1500) after that first
//   paint, then quit.
class StartupProbe : public QObject {
    Q_OBJECT
public:
    // Makes animations jump to their end when a picture is wanted; call before any widget exists.
    static void prepare();

    explicit StartupProbe(QWidget& window, QObject* parent = nullptr);

    // The window with every visible window over it (sheets, alerts, open lists)
    // drawn where they stand.
    static QImage picture(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void painted();

    QWidget& window_;
    bool reports_;
    QString screenshot_;
    int delay_;
    bool seen_ = false;
};

}  // namespace korvane
