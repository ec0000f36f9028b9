#pragma once

#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>
#include <utility>

namespace korvane {

// Numbers the runs of one kind of background work (a scan, a cleanup): only
// the newest run's progress and result count, so a run that a newer one
// replaced, or that was dropped, has nothing more to say.
class RunCounter {
public:
    std::uint64_t begin() { return ++current_; }
    bool isCurrent(std::uint64_t run) const { return run == current_; }

    // From any thread: `apply()` on `context`'s thread, if `run` is still the newest then.
    template <class Apply>
    void post(QObject* context, std::uint64_t run, Apply apply) const {
        QMetaObject::invokeMethod(
            context,
            [this, run, apply = std::move(apply)]() mutable {
                if (isCurrent(run)) apply();
            },
            Qt::QueuedConnection);
    }

private:
    std::uint64_t current_ = 0;
};

// The worker threads the state's background work runs on. Results come back
// to the UI thread queued; only the UI thread writes the state.
class BackgroundWork {
public:
    void run(std::function<void()> work) { pool_.start(std::move(work)); }

    // `done` on `context`'s thread with what `work` produced on a worker.
    template <class Work, class Done>
    void run(QObject* context, Work work, Done done) {
        run([context, work = std::move(work), done = std::move(done)]() mutable {
            QMetaObject::invokeMethod(
                context, [done = std::move(done), result = work()]() mutable { done(std::move(result)); },
                Qt::QueuedConnection);
        });
    }

    void waitForDone() { pool_.waitForDone(); }

private:
    QThreadPool pool_;
};

}  // namespace korvane
