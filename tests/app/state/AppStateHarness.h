#pragma once

#include <atomic>
#include <functional>
#include <memory>
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

// A category scanner that reports fixed candidates, when given a gate only
// once it opens; cancelled while waiting, it reports nothing.
class FakeScanner final : public CategoryScanner {
public:
    using Gate = std::shared_ptr<std::atomic<bool>>;
    FakeScanner(CleanupCategory category, std::vector<CleanupCandidate> candidates, Gate gate = nullptr)
        : category_(category), candidates_(std::move(candidates)), gate_(std::move(gate)) {}

    CleanupCategory category() const override { return category_; }
    bool isAvailable() const override { return true; }
    CategoryResult scan(const ScanContext& context) const override;

private:
    CleanupCategory category_;
    std::vector<CleanupCandidate> candidates_;
    Gate gate_;
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
