#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <set>

#include "core/explorer/SystemStats.h"
#include "core/explorer/SystemStatsReader.h"

namespace korvane {

// The machine's live figures, read every two seconds while some live figure
// (a meter, the statistics page) is on screen, and not at all otherwise.
class LiveStatsState : public QObject {
    Q_OBJECT
public:
    static constexpr int statsIntervalMilliseconds = 2000;

    // No reader means the live machine's.
    explicit LiveStatsState(std::unique_ptr<SystemStatsReader> reader, QObject* parent = nullptr);

    const SystemStats& stats() const { return stats_; }
    // One reading now, then one every two seconds while a live figure is on screen.
    void startStatsTimer();
    // A live figure that comes on screen or leaves it; the timer runs only
    // while at least one is on screen. A figure that comes on screen gets a
    // fresh reading at once.
    void setStatsWatched(const void* watcher, bool watched);
    bool statsTimerRuns() const { return timer_.isActive(); }

signals:
    // Only the live figures follow a reading: the rest of the window stays still.
    void statsChanged();

private:
    std::unique_ptr<SystemStatsReader> reader_;
    SystemStats stats_;
    QTimer timer_;
    std::set<const void*> watchers_;
};

}  // namespace korvane
