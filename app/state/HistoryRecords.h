#pragma once

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <functional>
#include <string>
#include <utility>

#include "core/safety/HistoryStore.h"

namespace korvane {

// The history files, read and written on a thread of their own so that the
// window never waits for the disk; writes land in the order they were asked for.
class HistoryRecords : public QObject {
    Q_OBJECT
public:
    explicit HistoryRecords(std::string directory, QObject* parent = nullptr);
    // Waits for the writes still pending.
    ~HistoryRecords() override;

    const HistoryStore& store() const { return store_; }

    // Runs on the history's own thread, in the order given.
    void write(std::function<void(HistoryStore&)> write);

    // Runs `read` with the history on its own thread, after every write asked
    // for before it, then `done` with its result on this thread, unless
    // `receiver` is gone by then.
    template <class Read, class Done>
    void read(QObject* receiver, Read read, Done done) {
        writer_.start([this, receiver = QPointer<QObject>(receiver), read = std::move(read),
                       done = std::move(done)]() mutable {
            QMetaObject::invokeMethod(
                this,
                [receiver = std::move(receiver), done = std::move(done),
                 result = read(std::as_const(store_))]() mutable {
                    if (receiver) done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    void waitForDone() { writer_.waitForDone(); }

private:
    HistoryStore store_;
    QThreadPool writer_;  // one thread: writes land in order
};

}  // namespace korvane
