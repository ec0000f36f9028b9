#include "app/state/LiveStatsState.h"

namespace korvane {

LiveStatsState::LiveStatsState(std::unique_ptr<SystemStatsReader> reader, QObject* parent)
    : QObject(parent), reader_(std::move(reader)) {
    if (!reader_) reader_ = std::make_unique<SystemStatsReader>();
    timer_.setInterval(statsIntervalMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        stats_ = reader_->read();
        emit statsChanged();
    });
}

void LiveStatsState::startStatsTimer() {
    stats_ = reader_->read();
    emit statsChanged();
    if (watchers_.empty())
        timer_.stop();
    else
        timer_.start();  // restarts a running timer
}

void LiveStatsState::setStatsWatched(const void* watcher, bool watched) {
    const bool before = !watchers_.empty();
    if (watched)
        watchers_.insert(watcher);
    else
        watchers_.erase(watcher);
    const bool after = !watchers_.empty();
    if (after && !before)
        startStatsTimer();
    else if (!after && before)
        timer_.stop();
}

}  // namespace korvane
