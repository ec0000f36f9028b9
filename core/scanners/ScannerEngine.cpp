#include "core/scanners/ScannerEngine.h"

#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "core/model/VolumeInfo.h"
#include "core/scanners/AllScanners.h"
#include "core/scanners/CandidateLedger.h"

#include <algorithm>
#include <chrono>

namespace korvane {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> usableProjectRoots(const std::vector<std::string>& given) {
    std::vector<std::string> roots;
    for (const auto& path : given) {
        // A relative root would name a folder below whatever the current
        // directory happens to be.
        if (path.empty() || path.front() != '/') continue;
        const auto root = Paths::standardise(path);
        if (root && exists(*root) && std::find(roots.begin(), roots.end(), *root) == roots.end())
            roots.push_back(*root);
    }
    return roots;
}

// Each filled slot through the ledger, its candidates largest first.
std::vector<CategoryResult> filteredCategories(const std::vector<std::optional<CategoryResult>>& slots,
                                               const std::vector<double>& durations,
                                               CandidateLedger& ledger) {
    std::vector<CategoryResult> categories;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i]) continue;
        CategoryResult filtered = ledger.filter(*slots[i]);
        std::stable_sort(
            filtered.candidates.begin(), filtered.candidates.end(),
            [](const CleanupCandidate& a, const CleanupCandidate& b) { return a.size > b.size; });
        filtered.duration = durations[i];
        categories.push_back(std::move(filtered));
    }
    return categories;
}

}  // namespace

// The state that one scan's workers share, all of it behind `lock` except
// what is read-only during the fan-out.
struct ScannerEngine::Run {
    Run(std::shared_ptr<ScanContext> context, const ProgressHandler& progress)
        : context(std::move(context)), progress(progress) {}

    std::vector<const CategoryScanner*> active;
    std::shared_ptr<ScanContext> context;
    const ProgressHandler& progress;
    double total = 1;

    std::mutex lock;
    std::vector<std::optional<CategoryResult>> slots;
    std::vector<double> durations;
    double finished = 0;
    ScanProgress shared;
};

ScannerEngine::ScannerEngine(ScanSettings settings, std::optional<Scanners> scanners, ScanContext::Clock now)
    : settings_(std::move(settings)), now_(std::move(now)) {
    if (!now_) now_ = [] { return std::chrono::system_clock::now(); };
    Scanners given = scanners ? std::move(*scanners) : defaultScanners();
    for (auto& scanner : given) {
        if (scanner && settings_.enabledCategories.count(scanner->category()) != 0)
            scanners_.push_back(std::move(scanner));
    }
    std::stable_sort(scanners_.begin(), scanners_.end(), [](const auto& a, const auto& b) {
        return sortOrder(a->category()) < sortOrder(b->category());
    });
}

ScannerEngine::Scanners ScannerEngine::defaultScanners() { return makeAllScanners(); }

std::shared_ptr<ScanContext> ScannerEngine::context() const {
    std::lock_guard guard(contextLock_);
    return context_;
}

void ScannerEngine::cancel() {
    std::shared_ptr<ScanContext> current;
    {
        std::lock_guard guard(contextLock_);
        if (!context_) {
            // The caller may ask before the scan's thread got going; the
            // request must not be lost.
            cancelPending_ = true;
            return;
        }
        current = context_;
    }
    current->cancel();
}

ScanResult ScannerEngine::scan(const ProgressHandler& handler) {
    const ProgressHandler progress = handler ? handler : [](const ScanProgress&) {};
    const auto scanDate = now_();
    const auto started = std::chrono::steady_clock::now();

    auto sizer = std::make_shared<FastSizer>();
    sizer->reset();
    auto index =
        std::make_shared<ProjectIndex>(usableProjectRoots(settings_.listedProjectRoots()), projectDepth);
    auto context = std::make_shared<ScanContext>(sizer, index, settings_, now_);
    publish(context);

    Run run(context, progress);
    std::vector<CleanupCategory> skipped = activate(run);
    const double projectSweepDuration = sweepProjects(run, *index);
    adoptToolsOfProjects(run, skipped, *index);
    std::vector<CategoryResult> categories = runAllScanners(run);
    reportClosing(run, categories);

    std::stable_sort(categories.begin(), categories.end(),
                     [](const CategoryResult& a, const CategoryResult& b) {
                         return sortOrder(a.category) < sortOrder(b.category);
                     });
    const double duration = secondsSince(started);
    const VolumeInfo volume = VolumeInfo::volumeOf(Paths::home());
    ScanResult result(scanDate, duration, std::move(categories), volume, std::move(skipped),
                      projectSweepDuration, static_cast<std::int64_t>(index->projects().size()));
    for (const CleanupCategory category : allCleanupCategories())
        if (!settings_.enabledCategories.contains(category)) result.switchedOff.push_back(category);
    return result;
}

void ScannerEngine::publish(const std::shared_ptr<ScanContext>& context) {
    std::lock_guard guard(contextLock_);
    context_ = context;
    if (cancelPending_) {
        cancelPending_ = false;
        context->cancel();
    }
}

std::vector<CleanupCategory> ScannerEngine::activate(Run& run) const {
    std::vector<CleanupCategory> skipped;
    for (const auto& scanner : scanners_) {
        if (scanner->isAvailable())
            run.active.push_back(scanner.get());
        else
            skipped.push_back(scanner->category());
    }
    const std::size_t n = run.active.size();
    run.total = static_cast<double>(n) + 1.0;
    const CleanupCategory first = n > 0 ? run.active.front()->category() : CleanupCategory::xcode;
    run.shared = ScanProgress(ScanProgress::Phase::scanning(first), 0.0, {});
    run.progress(run.shared);
    return skipped;
}

void ScannerEngine::adoptToolsOfProjects(Run& run, std::vector<CleanupCategory>& skipped,
                                         const ProjectIndex& index) const {
    if (skipped.empty() || run.context->isCancelled()) return;
    const auto stillHere = [&index, this](const CategoryScanner& scanner) {
        if (cleaned_.contains(scanner.category())) return true;
        for (const DetectedProject::Kind kind : scanner.projectKinds())
            if (!index.projects(kind).empty()) return true;
        return false;
    };
    std::vector<const CategoryScanner*> active;
    for (const auto& scanner : scanners_) {
        const bool wasSkipped =
            std::find(skipped.begin(), skipped.end(), scanner->category()) != skipped.end();
        if (!wasSkipped) {
            active.push_back(scanner.get());
        } else if (stillHere(*scanner)) {
            active.push_back(scanner.get());
            std::erase(skipped, scanner->category());
        }
    }
    std::lock_guard guard(run.lock);
    run.active = std::move(active);
    run.total = static_cast<double>(run.active.size()) + 1.0;
}

double ScannerEngine::sweepProjects(Run& run, ProjectIndex& index) {
    const auto sweepStarted = std::chrono::steady_clock::now();
    const std::shared_ptr<ScanContext>& context = run.context;
    index.build([&context] { return context->isCancelled(); });
    const double duration = secondsSince(sweepStarted);

    ScanProgress afterSweep;
    {
        std::lock_guard guard(run.lock);
        run.finished = 1.0;
        run.shared.fraction = 1.0 / run.total;
        afterSweep = run.shared;
    }
    run.progress(afterSweep);
    return duration;
}

std::vector<CategoryResult> ScannerEngine::runAllScanners(Run& run) const {
    CandidateLedger ledger(settings_.noiseFloorBytes);
    const std::size_t n = run.active.size();
    run.slots.assign(n, std::nullopt);
    run.durations.assign(n, 0.0);
    if (n > 0) ParallelWork::run(static_cast<int>(n), [&](int slot) { runScanner(run, static_cast<std::size_t>(slot)); });
    return filteredCategories(run.slots, run.durations, ledger);
}

void ScannerEngine::reportClosing(Run& run, const std::vector<CategoryResult>& categories) {
    ScanProgress closing;
    {
        std::lock_guard guard(run.lock);
        closing = ScanProgress(run.shared.phase, run.shared.fraction, categories);
    }
    run.progress(closing);
    run.progress(ScanProgress(ScanProgress::Phase::finished(), 1.0, categories));
}

void ScannerEngine::runScanner(Run& run, std::size_t index) const {
    if (run.context->isCancelled()) return;
    const CategoryScanner& scanner = *run.active[index];
    const auto started = std::chrono::steady_clock::now();
    CategoryResult result;
    try {
        // A tool the scanner runs is stopped by a cancel too, rather than
        // holding the scan until its time limit.
        const Shell::CancelScope toolsStopOnCancel(run.context->cancelled());
        result = scanner.scan(*run.context);
    } catch (...) {
        // Scanners report failures as values; one that throws anyway yields
        // an empty result rather than taking the scan down with it.
        result = CategoryResult(scanner.category(), 0, {});
    }
    if (!settings_.excludedPaths.empty()) {
        // A candidate at, below or around an excluded path is dropped:
        // removing an enclosing folder would remove the excluded one with it.
        std::erase_if(result.candidates, [this](const CleanupCandidate& candidate) {
            return candidate.removal.isPath() && settings_.overlapsExcluded(candidate.path);
        });
    }
    const double elapsed = secondsSince(started);
    {
        std::lock_guard guard(run.lock);
        run.slots[index] = std::move(result);
        run.durations[index] = elapsed;
    }
    ScanProgress report;
    {
        std::lock_guard guard(run.lock);
        run.finished += 1.0;
        // Never back: scanners taken in after the sweep make the steps smaller.
        run.shared.fraction = std::max(run.shared.fraction, run.finished / run.total);
        run.shared.phase = ScanProgress::Phase::scanning(scanner.category());
        report = run.shared;
    }
    run.progress(report);
}

}  // namespace korvane
