#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>

namespace korvane {

// The folders of a scan waiting for a worker. Workers walk most subfolders
// themselves and hand one over only while fewer than `backlog` wait, so an
// idle worker always finds something without the busy ones locking for
// every folder, even when the tree has few top-level items.
template <class Job>
class ScanQueue {
public:
    explicit ScanQueue(std::size_t backlog) : backlog_(backlog) {}
    ScanQueue(const ScanQueue&) = delete;
    ScanQueue& operator=(const ScanQueue&) = delete;

    // True while fewer jobs wait than the backlog asks for.
    bool wantsMore() const { return queued_.load(std::memory_order_relaxed) < backlog_; }
    bool empty() const { return queued_.load(std::memory_order_relaxed) == 0; }

    // `front`: taken before everything already waiting.
    void push(Job job, bool front) {
        bool wake;
        {
            std::lock_guard guard(lock_);
            if (front)
                jobs_.push_front(std::move(job));
            else
                jobs_.push_back(std::move(job));
            queued_.store(jobs_.size(), std::memory_order_relaxed);
            wake = waiting_ > 0;
        }
        // Woken after the lock is let go, so the waiter does not wait for it.
        if (wake) changed_.notify_one();
    }

    // Runs jobs on the calling thread until none waits and no worker is
    // still running one (which could hand over more). An exception a job
    // throws is dropped: the other workers must still see the job end.
    // `idle` runs, without the lock, each time this worker finds nothing to
    // take after running jobs, before it waits or returns.
    template <class Run, class Idle>
    void work(Run&& run, Idle&& idle) {
        std::unique_lock guard(lock_);
        bool ranSinceIdle = false;
        while (true) {
            if (!jobs_.empty()) {
                Job job = std::move(jobs_.front());
                jobs_.pop_front();
                queued_.store(jobs_.size(), std::memory_order_relaxed);
                ++active_;
                guard.unlock();
                try {
                    run(job);
                } catch (...) {
                }
                guard.lock();
                --active_;
                ranSinceIdle = true;
                if (active_ == 0 && jobs_.empty()) changed_.notify_all();
                continue;
            }
            if (ranSinceIdle) {
                ranSinceIdle = false;
                guard.unlock();
                idle();
                guard.lock();
                continue;  // a job may have arrived meanwhile
            }
            if (active_ == 0) return;
            ++waiting_;
            changed_.wait(guard);
            --waiting_;
        }
    }
    template <class Run>
    void work(Run&& run) {
        work(std::forward<Run>(run), [] {});
    }

private:
    const std::size_t backlog_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::atomic<std::size_t> queued_{0};
    int active_ = 0;
    int waiting_ = 0;
};

}  // namespace korvane
