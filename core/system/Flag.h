#pragma once

#include <atomic>

namespace korvane {

// A thread-safe Boolean that one thread sets to ask the others to stop.
// Owners set it to true to cancel and back to false to re-arm; every read after
// a store sees that store. Non-copyable: it is shared by reference.
class Flag {
public:
    Flag() = default;
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

    bool value() const { return value_.load(std::memory_order_acquire); }
    void setValue(bool newValue) { value_.store(newValue, std::memory_order_release); }

private:
    // An atomic serialises reads and writes like a lock would, without making
    // the per-entry cancellation checks of the walks take a mutex.
    std::atomic<bool> value_{false};
};

}  // namespace korvane
