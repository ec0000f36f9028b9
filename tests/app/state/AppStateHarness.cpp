#include "tests/app/state/AppStateHarness.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "core/scanners/ScanContext.h"
#include "core/system/Paths.h"

namespace korvane::testing {

bool waitUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

CategoryResult FakeScanner::scan(const ScanContext& context) const {
    while (gate_ && !*gate_ && !context.isCancelled())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (context.isCancelled()) return CategoryResult(category_, 0, {});
    std::int64_t footprint = 0;
    for (const auto& candidate : candidates_) footprint += candidate.size;
    return CategoryResult(category_, footprint, candidates_);
}

CleanupCandidate makeCandidate(CleanupCategory category, const std::string& path, SafetyLevel safety,
                               std::int64_t size) {
    return CleanupCandidate(UUID::random(), category, "test.rule", "Group", Paths::lastComponent(path), path,
                            size, safety, "Because", std::nullopt, std::nullopt, {}, RemovalKind::path());
}

AppStateHarness::AppStateHarness()
    : homeVariable("HOME", home.root()), historyDirectory(home.folder("history")) {
    Paths::setHomeForTesting(home.root());
    home.text("machine/proc/meminfo", "MemTotal:        1000 kB\nMemFree: 1000 kB\nMemAvailable: 1000 kB\n");
}

AppStateHarness::~AppStateHarness() { Paths::setHomeForTesting(std::nullopt); }

std::unique_ptr<AppState> AppStateHarness::make() {
    return std::make_unique<AppState>(AppState::Services{
        .defaults = settings,
        .clock = clock,
        .notifier = notifier,
        .home = home.root(),
        .historyDirectory = historyDirectory,
        .statsReader = std::make_unique<SystemStatsReader>(home.path("machine"), [] { return 0.0; }),
        .makeScannerEngine =
            [this](const ScanSettings& settings) {
                ++enginesMade;
                return std::make_unique<ScannerEngine>(settings, scanners());
            },
        .arguments = {}});
}

}  // namespace korvane::testing
