// Runs one developer scan of $HOME with the default settings and reports what
// each category found and how the scan behaved.
//
//   devscan [--json] [--cancel-after SECONDS]
//
// Prints per category its footprint, candidate count, reclaimable bytes and
// duration; the project sweep; the wall time, peak thread count and peak open
// descriptors (sampled from /proc/self by a watcher thread). With --json the
// ScanResult is printed in its JSON form instead. With --cancel-after, cancel()
// is called that many seconds after the scan starts, and the time from the
// call to the scan's return is printed as "cancel latency".
#include "core/text/ByteFormat.h"
#include "core/system/OpenFileLimit.h"
#include "core/model/ScanResult.h"
#include "core/scanners/ScannerEngine.h"

#include <dirent.h>
#include <sys/resource.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

using namespace korvane;
using Clock = std::chrono::steady_clock;

namespace {

int countEntries(const char* folder) {
    DIR* dir = ::opendir(folder);
    if (dir == nullptr) return 0;
    int count = 0;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    ::closedir(dir);
    return count;
}

// Samples the thread and descriptor counts until stopped.
class Watcher {
public:
    Watcher() : thread_([this] { run(); }) {}
    ~Watcher() { stop(); }
    void stop() {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    int peakThreads() const { return peakThreads_; }
    // Less the one descriptor the sampler itself holds open while counting.
    int peakDescriptors() const { return peakDescriptors_ - 1; }

private:
    void run() {
        std::unique_lock guard(lock_);
        while (!stopping_) {
            guard.unlock();
            peakThreads_ = std::max(peakThreads_.load(), countEntries("/proc/self/task"));
            peakDescriptors_ = std::max(peakDescriptors_.load(), countEntries("/proc/self/fd"));
            guard.lock();
            wake_.wait_for(guard, std::chrono::milliseconds(2));
        }
    }

    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<int> peakThreads_{0};
    std::atomic<int> peakDescriptors_{0};
    std::thread thread_;
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    bool asJson = false;
    std::optional<double> cancelAfter;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            asJson = true;
        } else if (arg == "--cancel-after" && i + 1 < argc) {
            cancelAfter = std::strtod(argv[++i], nullptr);
        } else {
            std::cerr << "usage: devscan [--json] [--cancel-after SECONDS]\n";
            return 2;
        }
    }

    raiseOpenFileLimit();
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);

    ScannerEngine engine{ScanSettings()};
    Watcher watcher;

    std::mutex cancelLock;
    std::condition_variable cancelWake;
    bool scanDone = false;
    std::optional<Clock::time_point> cancelledAt;
    double cancelCallSeconds = 0;
    std::thread canceller;
    const auto started = Clock::now();
    if (cancelAfter) {
        canceller = std::thread([&] {
            std::unique_lock guard(cancelLock);
            if (cancelWake.wait_until(guard, started + std::chrono::duration<double>(*cancelAfter),
                                      [&] { return scanDone; }))
                return;
            guard.unlock();
            const auto at = Clock::now();
            engine.cancel();
            const auto returned = Clock::now();
            guard.lock();
            cancelledAt = at;
            cancelCallSeconds = seconds(returned - at);
        });
    }

    std::atomic<int> reports{0};
    const ScanResult result = engine.scan([&](const ScanProgress&) { ++reports; });
    const auto finished = Clock::now();
    {
        std::lock_guard guard(cancelLock);
        scanDone = true;
    }
    cancelWake.notify_all();
    if (canceller.joinable()) canceller.join();
    watcher.stop();

    if (asJson) {
        nlohmann::json j = result;
        std::cout << j.dump(2) << "\n";
        return 0;
    }

    std::printf("%-14s %14s %10s %14s %10s\n", "category", "footprint", "candidates", "reclaimable", "seconds");
    for (const auto& category : result.categories) {
        std::printf("%-14s %14lld %10zu %14lld %10.3f\n", std::string(title(category.category)).c_str(),
                    static_cast<long long>(category.footprint), category.candidates.size(),
                    static_cast<long long>(category.reclaimable()), category.duration);
    }
    for (auto category : result.skipped) std::printf("%-14s skipped\n", std::string(title(category)).c_str());
    std::printf("total footprint   %lld (%s)\n", static_cast<long long>(result.footprint()),
                ByteFormat::string(result.footprint()).c_str());
    std::printf("total reclaimable %lld (%s)\n", static_cast<long long>(result.reclaimable()),
                ByteFormat::string(result.reclaimable()).c_str());
    std::printf("project sweep     %.3f s, %lld projects\n", result.projectSweepDuration,
                static_cast<long long>(result.projectCount));
    std::printf("wall time         %.3f s\n", seconds(finished - started));
    std::printf("progress reports  %d\n", reports.load());
    std::printf("peak threads      %d\n", watcher.peakThreads());
    std::printf("peak descriptors  %d (limit %llu)\n", watcher.peakDescriptors(),
                static_cast<unsigned long long>(limit.rlim_cur));
    if (cancelAfter) {
        if (cancelledAt)
            std::printf("cancel latency    %.3f s (cancel() itself %.6f s)\n", seconds(finished - *cancelledAt),
                        cancelCallSeconds);
        else
            std::printf("cancel latency    none: the scan ended before %.3f s\n", *cancelAfter);
    }
    return 0;
}
