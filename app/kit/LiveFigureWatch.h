#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace korvane {

class LiveStatsState;

// Tells the live statistics whether a live figure (a meter, the statistics
// page) is on screen: shown, in a window that is shown and not minimised. The
// statistics timer runs only while some figure is, so a hidden window reads nothing.
class LiveFigureWatch : public QObject {
    Q_OBJECT
public:
    // Lives as long as `figure`.
    LiveFigureWatch(LiveStatsState& stats, QWidget& figure);
    ~LiveFigureWatch() override;

    bool onScreen() const { return onScreen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    LiveStatsState& stats_;
    QWidget& figure_;
    QPointer<QWidget> window_;
    bool onScreen_ = false;
};

}  // namespace korvane
