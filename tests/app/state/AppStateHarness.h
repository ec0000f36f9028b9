#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/state/AppState.h"
#include "core/scanners/CategoryScanner.h"
#include "tests/app/fakes/FakeClock.h"
#include "tests/app/fakes/FakeNotifier.h"
#include "tests/app/fakes/FakeSettings.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

// Handles queued calls until `done` holds; false when `seconds` pass first.
bool waitUntil(const std::function<bool()>& done, double seconds = 5);

// Holds a fake scanner until the test opens it or the scan is cancelled.
class ScanGate {
public:
    void open();
    void waitIn(const ScanContext& context);

private:
    std::mutex lock_;
    std::condition_variable opened_;
    bool open_ = false;
};

// A category scanner that reports fixed candidates, optionally only after its
// gate opens; cancelled while waiting, it reports nothing.
class FakeScanner final : public CategoryScanner {
public:
    FakeScanner(CleanupCategory category, std::vector<CleanupCandidate> candidates,
                std::shared_ptr<ScanGate> gate = nullptr);

    CleanupCategory category() const override { return category_; }
    bool isAvailable() const override { return true; }
    CategoryResult scan(const ScanContext& context) const override;

private:
    CleanupCategory category_;
    std::vector<CleanupCandidate> candidates_;
    std::shared_ptr<ScanGate> gate_;
};

// A path candidate below the home folder; large enough to pass the noise floor.
CleanupCandidate makeCandidate(CleanupCategory category, const std::string& path, SafetyLevel safety,
                               std::int64_t size = 50'000'000);

// A temporary home with its own settings, clock, notifier, history folder and
// machine statistics; the scanners of each new engine come from `scanners`.
class AppStateHarness {
public:
    AppStateHarness();
    ~AppStateHarness();

    std::unique_ptr<AppState> make();
    std::string historyFile(const std::string& name) const;

    TempTree home;
    ScopedEnv homeVariable;
    FakeSettings settings;
    FakeClock clock;
    FakeNotifier notifier;
    std::string historyDirectory;
    int enginesMade = 0;
    std::function<ScannerEngine::Scanners()> scanners = [] { return ScannerEngine::Scanners(); };
};

}  // namespace korvane::testing
