#include "core/system/ParallelWork.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <memory>

#include "core/system/Flag.h"

namespace korvane {

namespace {

std::atomic<bool> threadCreationFails{false};

struct Job {
    const std::function<void(int)>* body;
    int slot;
};

void runGuarded(const std::function<void(int)>& body, int slot) {
    // An exception must not leave the thread it was thrown on; the body owns
    // its errors, so it is dropped here.
    try {
        body(slot);
    } catch (...) {
    }
}

void* startJob(void* argument) {
    auto* job = static_cast<Job*>(argument);
    runGuarded(*job->body, job->slot);
    return nullptr;
}

}  // namespace

void ParallelWork::run(int count, const std::function<void(int slot)>& body) {
    if (count <= 0) return;
    std::vector<pthread_t> threads;
    // Jobs stay at fixed addresses until every thread has been joined.
    std::vector<std::unique_ptr<Job>> jobs;
    threads.reserve(static_cast<std::size_t>(count));
    jobs.reserve(static_cast<std::size_t>(count));

    for (int slot = 0; slot < count; ++slot) {
        auto job = std::make_unique<Job>(Job{&body, slot});
        pthread_t thread{};
        int error = EAGAIN;
        if (!threadCreationFails.load(std::memory_order_relaxed)) {
            pthread_attr_t attributes;
            if (pthread_attr_init(&attributes) == 0) {
                pthread_attr_setstacksize(&attributes, stackSize);
                error = pthread_create(&thread, &attributes, startJob, job.get());
                pthread_attr_destroy(&attributes);
            }
        }
        if (error != 0) {
            runGuarded(body, slot);
            continue;
        }
        threads.push_back(thread);
        jobs.push_back(std::move(job));
    }
    for (pthread_t thread : threads) pthread_join(thread, nullptr);
}

void ParallelWork::forEachItem(std::size_t itemCount, int workers, const std::function<void(std::size_t item)>& item,
                               const Flag* stop) {
    if (itemCount == 0) return;
    std::size_t stride = static_cast<std::size_t>(std::max(workers, 1));
    stride = std::min(stride, itemCount);
    auto slotBody = [&](int slot) {
        for (std::size_t i = static_cast<std::size_t>(slot); i < itemCount; i += stride) {
            if (stop && stop->value()) return;
            item(i);
        }
    };
    if (stride == 1) {
        runGuarded(slotBody, 0);
        return;
    }
    run(static_cast<int>(stride), slotBody);
}

void ParallelWork::setThreadCreationFailsForTesting(bool fails) {
    threadCreationFails.store(fails, std::memory_order_relaxed);
}

}  // namespace korvane
