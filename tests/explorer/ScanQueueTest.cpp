#include "core/explorer/ScanQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korvane {
namespace {

// A tree of jobs: each job below the leaves hands over its children, so
// the workers only stop once the last one ran.
TEST(ScanQueueTest, EveryJobRunsOnceAndWorkersStopOnlyWhenNothingCanArrive) {
    for (int workers : {1, 2, 8}) {
        ScanQueue<int> queue(static_cast<std::size_t>(workers));
        std::atomic<int> ran{0};
        std::vector<std::atomic<int>> seen(1 << 12);
        queue.push(1, false);
        std::vector<std::thread> threads;
        for (int w = 0; w < workers; ++w)
            threads.emplace_back([&] {
                queue.work([&](int& job) {
                    seen[static_cast<std::size_t>(job)].fetch_add(1);
                    ran.fetch_add(1);
                    if (job < (1 << 11)) {
                        queue.push(2 * job, true);
                        queue.push(2 * job + 1, false);
                    }
                });
            });
        for (auto& thread : threads) thread.join();
        EXPECT_EQ(ran.load(), (1 << 12) - 1) << workers;
        for (std::size_t i = 1; i < seen.size(); ++i) ASSERT_EQ(seen[i].load(), 1) << i;
        EXPECT_TRUE(queue.empty());
    }
}

TEST(ScanQueueTest, ABacklogAsksForJobsOnlyWhileFewWait) {
    ScanQueue<int> none(0);
    EXPECT_FALSE(none.wantsMore());
    ScanQueue<int> two(2);
    EXPECT_TRUE(two.wantsMore());
    two.push(1, false);
    EXPECT_TRUE(two.wantsMore());
    two.push(2, true);
    EXPECT_FALSE(two.wantsMore());
    std::vector<int> order;
    two.work([&](int& job) { order.push_back(job); });
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_TRUE(two.wantsMore());
}

// A worker gives back what it holds between jobs: `idle` runs without the
// lock (it may hand over work itself) and a job that arrives meanwhile runs.
TEST(ScanQueueTest, IdleRunsBetweenJobsAndWhatItHandsOverStillRuns) {
    ScanQueue<int> queue(2);
    for (int i = 0; i < 3; ++i) queue.push(i, false);
    std::vector<std::string> events;
    queue.work([&](int& job) { events.push_back("job " + std::to_string(job)); },
               [&] {
                   events.push_back("idle");
                   if (events.size() == 4) queue.push(7, false);
               });
    EXPECT_EQ(events, (std::vector<std::string>{"job 0", "job 1", "job 2", "idle", "job 7", "idle"}));
    EXPECT_TRUE(queue.empty());
}

TEST(ScanQueueTest, AThrowingJobEndsLikeAnyOther) {
    ScanQueue<int> queue(4);
    for (int i = 0; i < 10; ++i) queue.push(i, false);
    std::atomic<int> ran{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < 3; ++w)
        threads.emplace_back([&] {
            queue.work([&](int& job) {
                ran.fetch_add(1);
                if (job % 2 == 0) throw std::runtime_error("out of memory");
            });
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(ran.load(), 10);
}

}  // namespace
}  // namespace korvane
