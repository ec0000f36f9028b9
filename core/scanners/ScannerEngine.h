#pragma once

#include "core/model/ScanProgress.h"
#include "core/model/ScanResult.h"
#include "core/model/ScanSettings.h"
#include "core/scanners/CategoryScanner.h"
#include "core/scanners/ScanContext.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace korvane {

// Runs one developer scan: finds the user's projects, runs every enabled and
// available category scanner at the same time, drops what the user excluded,
// makes sure no byte is offered twice across categories, and returns one
// ScanResult. scan() blocks until the scan is over; cancel() may be called
// from any thread at any time.
class ScannerEngine {
public:
    using Scanners = std::vector<std::unique_ptr<CategoryScanner>>;
    using ProgressHandler = std::function<void(const ScanProgress&)>;

    // Project folders are looked at this many levels below each root.
    static constexpr int projectDepth = 5;

    // Without scanners, the nine default ones. Keeps the scanners of enabled
    // categories and orders them by display order (stably). `now` is the
    // clock of ages and relative dates; the system clock when not given.
    explicit ScannerEngine(ScanSettings settings, std::optional<Scanners> scanners = std::nullopt,
                           ScanContext::Clock now = {});
    ScannerEngine(const ScannerEngine&) = delete;
    ScannerEngine& operator=(const ScannerEngine&) = delete;

    // The nine scanners in the categories' declaration order.
    static Scanners defaultScanners();

    const Scanners& scanners() const { return scanners_; }
    const ScanSettings& settings() const { return settings_; }
    // The context of the running or last scan; none before the first.
    std::shared_ptr<ScanContext> context() const;

    // Categories a cleanup removed something of. What it removed may have
    // been the last trace of the tool (a packager's cache in the temporary
    // folder): such a category is scanned even when its scanner finds no
    // trace, so that it has nothing to clean rather than reading as not
    // installed. Set before scan().
    void setCleanedCategories(std::set<CleanupCategory> categories) { cleaned_ = std::move(categories); }

    // The whole scan. `progress` is called on this thread and on the workers'
    // threads; it must be safe to call from any thread.
    ScanResult scan(const ProgressHandler& progress);
    // Asks the running scan to stop: scanners not yet started do not start,
    // running ones see the flags of their context and sizer, and a tool one
    // of them is running is stopped (Shell::CancelScope). The scan still
    // returns a result holding what finished. A cancel that arrives before
    // the first scan has begun applies to that scan.
    void cancel();

private:
    struct Run;
    // Makes `context` the running scan's, applying a cancel that came first.
    void publish(const std::shared_ptr<ScanContext>& context);
    // Takes the available scanners into the run and reports the start;
    // gives the categories of the unavailable ones.
    std::vector<CleanupCategory> activate(Run& run) const;
    // Takes into the run the skipped scanners whose tool a found project
    // uses (React Native lives in each app's own folder) or whose category
    // was cleaned, and out of `skipped`.
    void adoptToolsOfProjects(Run& run, std::vector<CleanupCategory>& skipped, const ProjectIndex& index) const;
    // Finds the projects, the run's first step; gives the time it took.
    static double sweepProjects(Run& run, ProjectIndex& index);
    // Every active scanner at once; their results less what another
    // category already offers, in the order the scanners were taken.
    std::vector<CategoryResult> runAllScanners(Run& run) const;
    void runScanner(Run& run, std::size_t index) const;
    static void reportClosing(Run& run, const std::vector<CategoryResult>& categories);

    Scanners scanners_;
    ScanSettings settings_;
    ScanContext::Clock now_;
    std::set<CleanupCategory> cleaned_;

    mutable std::mutex contextLock_;  // guards context_ and cancelPending_
    std::shared_ptr<ScanContext> context_;
    bool cancelPending_ = false;
};

}  // namespace korvane
