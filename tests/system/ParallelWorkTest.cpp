#include "core/system/ParallelWork.h"

#include <pthread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/system/Flag.h"

namespace korvane {
namespace {

TEST(FlagTest, StartsFalseAndKeepsWhatWasLastStored) {
    Flag flag;
    EXPECT_FALSE(flag.value());
    flag.setValue(true);
    std::atomic<int> seenTrue{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            if (flag.value()) ++seenTrue;
        });
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(seenTrue.load(), 4);
    flag.setValue(false);
    EXPECT_FALSE(flag.value());
}

TEST(ParallelWorkTest, SingleSlotRunsOnANewThreadAndIsDoneOnReturn) {
    std::thread::id caller = std::this_thread::get_id();
    std::thread::id worker;
    bool finished = false;
    ParallelWork::run(1, [&](int slot) {
        EXPECT_EQ(slot, 0);
        worker = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        finished = true;
    });
    EXPECT_TRUE(finished);
    EXPECT_NE(worker, caller);
}

TEST(ParallelWorkTest, EverySlotRunsOnceWithALargeStack) {
    constexpr int count = 12;
    std::mutex lock;
    std::vector<int> runs(count, 0);
    std::vector<std::size_t> stacks(count, 0);
    ParallelWork::run(count, [&](int slot) {
        pthread_attr_t attributes;
        std::size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
            pthread_attr_getstacksize(&attributes, &size);
            pthread_attr_destroy(&attributes);
        }
        std::lock_guard<std::mutex> guard(lock);
        runs[static_cast<std::size_t>(slot)] += 1;
        stacks[static_cast<std::size_t>(slot)] = size;
    });
    for (int slot = 0; slot < count; ++slot) {
        EXPECT_EQ(runs[static_cast<std::size_t>(slot)], 1) << slot;
        EXPECT_GE(stacks[static_cast<std::size_t>(slot)], ParallelWork::stackSize) << slot;
    }
}

TEST(ParallelWorkTest, FailedThreadCreationRunsEverySlotOnTheCallerInOrder) {
    ParallelWork::setThreadCreationFailsForTesting(true);
    std::thread::id caller = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnCaller = true;
    ParallelWork::run(5, [&](int slot) {
        order.push_back(slot);
        allOnCaller = allOnCaller && std::this_thread::get_id() == caller;
    });
    ParallelWork::setThreadCreationFailsForTesting(false);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(allOnCaller);
}

TEST(ParallelWorkTest, AnExceptionStaysInItsSlot) {
    std::atomic<int> done{0};
    EXPECT_NO_THROW(ParallelWork::run(4, [&](int slot) {
        if (slot == 2) throw std::runtime_error("boom");
        ++done;
    }));
    EXPECT_EQ(done.load(), 3);

    ParallelWork::setThreadCreationFailsForTesting(true);
    done = 0;
    EXPECT_NO_THROW(ParallelWork::run(3, [&](int slot) {
        if (slot == 0) throw std::runtime_error("boom");
        ++done;
    }));
    ParallelWork::setThreadCreationFailsForTesting(false);
    EXPECT_EQ(done.load(), 2);
}

TEST(ParallelWorkTest, ZeroSlotsDoNothing) {
    bool ran = false;
    ParallelWork::run(0, [&](int) { ran = true; });
    EXPECT_FALSE(ran);
}

TEST(ParallelWorkTest, ForEachItemHandlesEveryItemOnce) {
    for (int workers : {1, 3, 8, 50}) {
        std::mutex lock;
        std::vector<int> seen(37, 0);
        ParallelWork::forEachItem(seen.size(), workers, [&](std::size_t item) {
            std::lock_guard<std::mutex> guard(lock);
            seen[item] += 1;
        });
        for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], 1) << "workers " << workers << " item " << i;
    }
}

TEST(ParallelWorkTest, ForEachItemStopsWhenTheFlagIsSet) {
    Flag stop;
    stop.setValue(true);
    std::atomic<int> handled{0};
    ParallelWork::forEachItem(100, 4, [&](std::size_t) { ++handled; }, &stop);
    EXPECT_EQ(handled.load(), 0);

    // Set from inside the work: the slot that set it handles nothing more.
    stop.setValue(false);
    handled = 0;
    ParallelWork::forEachItem(10, 1, [&](std::size_t item) {
        ++handled;
        if (item == 3) stop.setValue(true);
    }, &stop);
    EXPECT_EQ(handled.load(), 4);
}

}  // namespace
}  // namespace korvane
