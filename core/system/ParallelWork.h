#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace korvane {

class Flag;

// Fans a body out over POSIX threads created for the call and joined before it
// returns. There is no pool and no queue: nothing of a call outlives it.
class ParallelWork {
public:
    ParallelWork() = delete;

    // Stack size of every worker thread: the bodies are deep recursive walks.
    static constexpr std::size_t stackSize = 0x800000;

    // Runs body(slot) once for every slot 0 ... count - 1, each on a thread of
    // its own, and returns when all have finished. A slot whose thread cannot
    // be created runs on the calling thread at once, before the next slot is
    // started. An exception thrown by body is caught where it was thrown and
    // dropped: it never crosses a thread boundary. count <= 0 returns at once.
    static void run(int count, const std::function<void(int slot)>& body);

    // Runs item(i) for every i < itemCount on `workers` threads with a fixed
    // stride: slot k handles items k, k + workers, k + 2 * workers, ... Each
    // slot reads `stop` (when given) before each item and returns at once
    // when it is set. With one item or one worker the work runs inline on
    // the calling thread.
    static void forEachItem(std::size_t itemCount, int workers, const std::function<void(std::size_t item)>& item,
                            const Flag* stop = nullptr);

    // Test hook: when true, every thread creation is treated as failed.
    static void setThreadCreationFailsForTesting(bool fails);
};

}  // namespace korvane
