#include "core/scanners/ScannerEngine.h"

#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace korvane {
namespace {

using testing::duBytes;
using testing::TempTree;
using Phase = ScanProgress::Phase;
using C = CleanupCategory;
constexpr std::int64_t MiB = 1048576;

class FakeScanner : public CategoryScanner {
public:
    using Body = std::function<CategoryResult(const ScanContext&)>;

    FakeScanner(C category, bool available, Body body, std::shared_ptr<std::atomic<int>> runs)
        : category_(category), available_(available), body_(std::move(body)), runs_(std::move(runs)) {}

    C category() const override { return category_; }
    bool isAvailable() const override { return available_; }
    std::vector<DetectedProject::Kind> projectKinds() const override { return projectKinds_; }
    CategoryResult scan(const ScanContext& context) const override {
        if (runs_) ++*runs_;
        return body_ ? body_(context) : CategoryResult(category_, 0, {});
    }

    std::vector<DetectedProject::Kind> projectKinds_;

private:
    C category_;
    bool available_;
    Body body_;
    std::shared_ptr<std::atomic<int>> runs_;
};

// Collects progress reports from any thread and lets scanners wait for them.
class Recorder {
public:
    void operator()(const ScanProgress& progress) {
        std::lock_guard guard(lock_);
        reports_.push_back(progress);
        changed_.notify_all();
    }
    std::vector<ScanProgress> reports() const {
        std::lock_guard guard(lock_);
        return reports_;
    }
    // Waits (bounded, so a fault fails instead of hanging) until `count` reports arrived.
    bool waitFor(std::size_t count) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return reports_.size() >= count; });
    }
    ScannerEngine::ProgressHandler handler() {
        return [this](const ScanProgress& progress) { (*this)(progress); };
    }

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<ScanProgress> reports_;
};

CleanupCandidate candidate(C category, const std::string& path, std::int64_t size,
                           RemovalKind removal = RemovalKind::path()) {
    return CleanupCandidate(UUID::random(), category, "rule", "Group", Paths::lastComponent(path), path, size,
                            SafetyLevel::safe, "why", std::nullopt, std::nullopt, {}, removal);
}

std::set<C> allCategories() { return {allCleanupCategories().begin(), allCleanupCategories().end()}; }

std::vector<C> categoriesOf(const std::vector<CategoryResult>& results) {
    std::vector<C> categories;
    for (const auto& result : results) categories.push_back(result.category);
    return categories;
}

std::vector<std::string> pathsOf(const CategoryResult& result) {
    std::vector<std::string> paths;
    for (const auto& c : result.candidates) paths.push_back(c.path);
    return paths;
}

class ScannerEngineTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(home.root()); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    ScanSettings settings(std::vector<std::string> roots = {}, std::set<C> enabled = allCategories(),
                          std::set<std::string> excluded = {}) const {
        return ScanSettings(5 * MiB, 60, std::move(roots), std::move(enabled), std::move(excluded));
    }

    // Adds a scanner; `runs` counts its scans.
    std::shared_ptr<std::atomic<int>> add(C category, bool available = true, FakeScanner::Body body = {}) {
        auto runs = std::make_shared<std::atomic<int>>(0);
        scanners.push_back(std::make_unique<FakeScanner>(category, available, std::move(body), runs));
        return runs;
    }

    TempTree home;
    ScannerEngine::Scanners scanners;
    Recorder recorder;
};

TEST_F(ScannerEngineTest, WithoutEnabledCategoriesStillSweepsAndFinishes) {
    home.text("code/app/package.json", "{}");
    add(C::node);
    ScannerEngine engine(settings({home.path("code")}, {}), std::move(scanners));
    EXPECT_TRUE(engine.scanners().empty());
    const ScanResult result = engine.scan(recorder.handler());
    const std::vector<ScanProgress> expected{
        {Phase::scanning(C::xcode), 0.0, {}},
        {Phase::scanning(C::xcode), 1.0, {}},
        {Phase::scanning(C::xcode), 1.0, {}},
        {Phase::finished(), 1.0, {}},
    };
    EXPECT_EQ(recorder.reports(), expected);
    EXPECT_TRUE(result.categories.empty());
    EXPECT_TRUE(result.skipped.empty());
    EXPECT_EQ(result.projectCount, 1);
    EXPECT_GE(result.projectSweepDuration, 0.0);
    EXPECT_EQ(result.volume.totalCapacity, VolumeInfo::volumeOf(home.root()).totalCapacity);
}

TEST_F(ScannerEngineTest, UnavailableScannersAreSkippedInDisplayOrderAndDisabledOnesVanish) {
    auto toolchainRuns = add(C::toolchains, false);
    add(C::gradle, false);
    add(C::reactNative, false);
    add(C::docker, false);  // disabled below
    ScannerEngine engine(settings({}, {C::toolchains, C::gradle, C::reactNative}), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(result.skipped, (std::vector<C>{C::reactNative, C::gradle, C::toolchains}));
    EXPECT_TRUE(result.categories.empty());
    EXPECT_EQ(*toolchainRuns, 0);
    const std::vector<ScanProgress> expected{
        {Phase::scanning(C::xcode), 0.0, {}},
        {Phase::scanning(C::xcode), 1.0, {}},
        {Phase::scanning(C::xcode), 1.0, {}},
        {Phase::finished(), 1.0, {}},
    };
    EXPECT_EQ(recorder.reports(), expected);
}

// A tool that lives in the user's projects (its caches cleaned, its program
// nowhere on the path) is still there: the category is scanned, not skipped.
TEST_F(ScannerEngineTest, AToolAProjectUsesIsScannedEvenWhenNothingElseOfItIsFound) {
    home.text("code/app/Podfile", "platform :ios\n");
    auto podRuns = add(C::cocoapods, false);
    auto gradleRuns = add(C::gradle, false);
    add(C::node, true);
    for (const auto& scanner : scanners) {
        auto& fake = static_cast<FakeScanner&>(*scanner);
        if (fake.category() == C::cocoapods) fake.projectKinds_ = {DetectedProject::Kind::cocoapods};
        if (fake.category() == C::gradle) fake.projectKinds_ = {DetectedProject::Kind::gradle};
    }
    ScannerEngine engine(settings({home.path("code")}), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(result.skipped, (std::vector<C>{C::gradle}));
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::node, C::cocoapods}));
    EXPECT_EQ(*podRuns, 1);
    EXPECT_EQ(*gradleRuns, 0);
    double fraction = 0;
    for (const ScanProgress& report : recorder.reports()) {
        EXPECT_GE(report.fraction, fraction) << "progress never goes back";
        fraction = report.fraction;
    }
    EXPECT_EQ(fraction, 1.0);
}

TEST_F(ScannerEngineTest, OneActiveScannerReportsFiveTimes) {
    add(C::node, true, [&](const ScanContext&) {
        return CategoryResult(C::node, 10 * MiB, {candidate(C::node, home.path("a"), 10 * MiB)}, std::nullopt, 999.0);
    });
    add(C::xcode, false);
    ScannerEngine engine(settings(), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    ASSERT_EQ(result.categories.size(), 1u);
    const auto& node = result.categories[0];
    EXPECT_EQ(node.footprint, 10 * MiB);
    // The engine's own timing, not what the scanner wrote.
    EXPECT_NE(node.duration, 999.0);
    EXPECT_GE(node.duration, 0.0);
    const std::vector<ScanProgress> expected{
        {Phase::scanning(C::node), 0.0, {}},        {Phase::scanning(C::node), 0.5, {}},
        {Phase::scanning(C::node), 1.0, {}},        {Phase::scanning(C::node), 1.0, result.categories},
        {Phase::finished(), 1.0, result.categories},
    };
    EXPECT_EQ(recorder.reports(), expected);
    EXPECT_EQ(result.skipped, std::vector<C>{C::xcode});
}

TEST_F(ScannerEngineTest, ThreeActiveScannersReportInFinishingOrder) {
    // Each scanner returns only once the report of the one before it arrived:
    // toolchains, then xcode, then node.
    const auto finishAfter = [&](C category, std::size_t reports) {
        return [this, category, reports](const ScanContext&) {
            EXPECT_TRUE(recorder.waitFor(reports));
            return CategoryResult(category, 1, {});
        };
    };
    add(C::node, true, finishAfter(C::node, 4));
    add(C::toolchains, true, finishAfter(C::toolchains, 2));
    add(C::xcode, true, finishAfter(C::xcode, 3));
    ScannerEngine engine(settings(), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::xcode, C::node, C::toolchains}));
    const std::vector<ScanProgress> expected{
        {Phase::scanning(C::xcode), 0.0, {}},
        {Phase::scanning(C::xcode), 0.25, {}},
        {Phase::scanning(C::toolchains), 0.5, {}},
        {Phase::scanning(C::xcode), 0.75, {}},
        {Phase::scanning(C::node), 1.0, {}},
        {Phase::scanning(C::node), 1.0, result.categories},
        {Phase::finished(), 1.0, result.categories},
    };
    EXPECT_EQ(recorder.reports(), expected);
}

TEST_F(ScannerEngineTest, ScannersRunInDisplayOrderWhateverTheGivenOrder) {
    for (C category : allCleanupCategories()) add(category);
    std::reverse(scanners.begin(), scanners.end());
    ScannerEngine engine(settings(), std::move(scanners));
    std::vector<C> order;
    for (const auto& scanner : engine.scanners()) order.push_back(scanner->category());
    const std::vector<C> display{C::xcode, C::docker, C::reactNative, C::flutter, C::node,
                                 C::cocoapods, C::android, C::gradle, C::toolchains};
    EXPECT_EQ(order, display);
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(categoriesOf(result.categories), display);
    EXPECT_EQ(recorder.reports().size(), display.size() + 4);
}

TEST_F(ScannerEngineTest, ScannersShareOneContextBuiltBeforeTheyStart) {
    home.text("code/a/package.json", "{}");
    home.text("code/b/go.mod", "");
    const auto shared = home.file("code/a/node_modules/x", 40000);
    home.hardlink("code/b/linked", "code/a/node_modules/x");
    std::atomic<std::int64_t> measured{0};
    std::mutex seenLock;
    std::set<const FastSizer*> sizers;
    const auto body = [&](C category, std::string folder) {
        return [&, category, folder](const ScanContext& context) {
            EXPECT_EQ(context.projects().projects().size(), 2u);
            EXPECT_EQ(context.settings().projectRoots, std::vector<std::string>{home.path("code")});
            {
                std::lock_guard guard(seenLock);
                sizers.insert(&context.sizer());
            }
            if (auto m = context.measure(home.path(folder), 0)) measured += m->bytes;
            return CategoryResult(category, 0, {});
        };
    };
    add(C::node, true, body(C::node, "code/a"));
    add(C::toolchains, true, body(C::toolchains, "code/b"));
    const auto now = std::chrono::system_clock::from_time_t(1700000000);
    ScannerEngine engine(settings({home.path("code")}), std::move(scanners), [now] { return now; });
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(result.projectCount, 2);
    EXPECT_EQ(result.scanDate, now);
    EXPECT_EQ(engine.context()->now(), now);
    EXPECT_EQ(sizers.size(), 1u);
    // The hard-linked file is counted once across both scanners.
    struct stat info {};
    ASSERT_EQ(::stat(shared.c_str(), &info), 0);
    EXPECT_EQ(measured.load(),
              duBytes(home.path("code/a")) + duBytes(home.path("code/b")) - static_cast<std::int64_t>(info.st_blocks) * 512);
}

TEST_F(ScannerEngineTest, ProjectRootsThatAreRelativeMissingOrRepeatedAreDropped) {
    home.text("code/app/go.mod", "");
    home.text("r/app/go.mod", "");
    home.symlink("alias", home.path("code"));
    std::vector<std::string> rootsSeen;
    add(C::xcode, true, [&](const ScanContext& context) {
        rootsSeen = context.projects().roots();
        return CategoryResult(C::xcode, 0, {});
    });
    char buffer[4096];
    const std::string cwd = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
    ASSERT_EQ(::chdir(home.root().c_str()), 0);
    ScannerEngine engine(settings({"r", "~/r", home.path("missing"), home.path("code") + "/", home.path("alias")}),
                         std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(rootsSeen, (std::vector<std::string>{home.path("code"), home.path("alias")}));
    EXPECT_EQ(result.projectCount, 1);  // the alias is the same folder, walked once
}

TEST_F(ScannerEngineTest, DefaultProjectFoldersAreLookedForWhenTheScanStarts) {
    ScanSettings chosen = settings({home.path("elsewhere")});
    chosen.removedDefaultRoots = {home.path("src")};
    // Made after the settings: searched all the same, except the one taken off.
    home.text("code/app/go.mod", "");
    home.text("src/other/go.mod", "");
    home.text("elsewhere/mine/go.mod", "");
    std::vector<std::string> rootsSeen;
    add(C::xcode, true, [&](const ScanContext& context) {
        rootsSeen = context.projects().roots();
        return CategoryResult(C::xcode, 0, {});
    });
    ScannerEngine engine(chosen, std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(rootsSeen, (std::vector<std::string>{home.path("code"), home.path("elsewhere")}));
    EXPECT_EQ(result.projectCount, 2);
}

TEST_F(ScannerEngineTest, TheResultNamesTheCategoriesSwitchedOff) {
    add(C::xcode);
    add(C::node);
    ScannerEngine engine(
        settings({}, {C::xcode, C::node, C::android, C::gradle, C::cocoapods, C::reactNative}),
        std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(result.switchedOff, (std::vector<C>{C::docker, C::flutter, C::toolchains}));
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::xcode, C::node}));
}

TEST_F(ScannerEngineTest, CancelBeforeTheScanStartsRunsNoScanner) {
    home.text("code/app/go.mod", "");
    auto runs = add(C::node);
    ScannerEngine engine(settings({home.path("code")}), std::move(scanners));
    EXPECT_FALSE(engine.context());
    engine.cancel();
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(*runs, 0);
    EXPECT_TRUE(result.categories.empty());
    EXPECT_EQ(result.projectCount, 0);
    EXPECT_TRUE(engine.context()->isCancelled());
    const std::vector<ScanProgress> expected{
        {Phase::scanning(C::node), 0.0, {}},
        {Phase::scanning(C::node), 0.5, {}},
        {Phase::scanning(C::node), 0.5, {}},
        {Phase::finished(), 1.0, {}},
    };
    EXPECT_EQ(recorder.reports(), expected);
}

TEST_F(ScannerEngineTest, CancelAtEachProgressReport) {
    home.text("code/app/go.mod", "");
    for (std::size_t at = 0; at < 5; ++at) {
        scanners.clear();
        std::atomic<bool> sawCancel{false};
        ScannerEngine* current = nullptr;
        auto runs = add(C::node, true, [&](const ScanContext& context) {
            sawCancel = context.isCancelled();
            return CategoryResult(C::node, 0, {});
        });
        ScannerEngine engine(settings({home.path("code")}), std::move(scanners));
        current = &engine;
        std::size_t seen = 0;
        std::vector<ScanProgress> reports;
        const ScanResult result = engine.scan([&](const ScanProgress& progress) {
            reports.push_back(progress);
            if (seen++ == at) current->cancel();
        });
        ASSERT_EQ(reports.back().phase, Phase::finished()) << at;
        switch (at) {
            case 0:  // before the project sweep: it finds nothing, no scanner runs
                EXPECT_EQ(result.projectCount, 0);
                EXPECT_EQ(*runs, 0);
                EXPECT_EQ(reports.size(), 4u);
                break;
            case 1:  // after the sweep, before the fan-out: no scanner runs
                EXPECT_EQ(result.projectCount, 1);
                EXPECT_EQ(*runs, 0);
                EXPECT_TRUE(result.categories.empty());
                EXPECT_EQ(reports.size(), 4u);
                break;
            default:  // once the scanner finished: the result is whole
                EXPECT_EQ(result.projectCount, 1);
                EXPECT_EQ(*runs, 1);
                EXPECT_FALSE(sawCancel);
                EXPECT_EQ(categoriesOf(result.categories), std::vector<C>{C::node});
                EXPECT_EQ(reports.size(), 5u);
                break;
        }
        EXPECT_TRUE(engine.context()->isCancelled());
    }
}

TEST_F(ScannerEngineTest, CancelWhileScannersRunReachesTheirContextAndSizer) {
    home.file("big/a", 200000);
    home.file("big/sub/b", 200000);
    ScannerEngine* current = nullptr;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> dockerStarted{false};
    add(C::xcode, true, [&](const ScanContext& context) {
        for (int i = 0; i < 20000 && !dockerStarted; ++i) ::usleep(1000);
        current->cancel();
        cancelled = true;
        EXPECT_TRUE(context.isCancelled());
        EXPECT_TRUE(context.sizer().isCancelled());
        // A measurement after the cancel comes back early and partial.
        const auto m = context.measure(home.path("big"), 0);
        EXPECT_TRUE(!m || m->bytes < duBytes(home.path("big")));
        return CategoryResult(C::xcode, 1, {candidate(C::xcode, home.path("big/a"), 1)});
    });
    add(C::docker, true, [&](const ScanContext& context) {
        // Running already, this one learns of the cancel by polling.
        dockerStarted = true;
        for (int i = 0; i < 20000 && !context.isCancelled(); ++i) ::usleep(1000);
        EXPECT_TRUE(context.isCancelled());
        return CategoryResult(C::docker, 2, {});
    });
    ScannerEngine engine(settings(), std::move(scanners));
    current = &engine;
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_TRUE(cancelled);
    // Both ran, so both are in the result, which is otherwise normal.
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::xcode, C::docker}));
    EXPECT_EQ(recorder.reports().back(), ScanProgress(Phase::finished(), 1.0, result.categories));
}

TEST_F(ScannerEngineTest, CancelStopsAToolAScannerIsRunning) {
    const std::string bin = home.folder("bin");
    const std::string started = home.path("started");
    const std::string tool = bin + "/slow-tool";
    {
        std::ofstream script(tool);
        script << "#!/bin/sh\n: > '" << started << "'\nexec sleep 60\n";
    }
    ::chmod(tool.c_str(), 0755);
    Shell::setSearchDirectoriesForTesting(std::vector<std::string>{bin, "/usr/bin", "/bin"});
    std::optional<Shell::ShellError::Kind> failure;
    add(C::docker, true, [&](const ScanContext&) {
        try {
            Shell::run("slow-tool", {}, 120);
        } catch (const Shell::ShellError& error) {
            failure = error.kind();
        }
        return CategoryResult(C::docker, 0, {});
    });
    ScannerEngine engine(settings(), std::move(scanners));
    std::thread canceller([&] {
        // Bounded, so that a tool that never starts fails the test instead of hanging it.
        for (int i = 0; i < 4000 && ::access(started.c_str(), F_OK) != 0; ++i) ::usleep(5000);
        engine.cancel();
    });
    const ScanResult result = engine.scan(recorder.handler());
    canceller.join();
    Shell::setSearchDirectoriesForTesting(std::nullopt);
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, Shell::ShellError::Kind::cancelled);
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::docker}));
}

TEST_F(ScannerEngineTest, CancelAfterTheScanChangesNothingAndAnotherScanStartsFresh) {
    auto runs = add(C::node);
    ScannerEngine engine(settings(), std::move(scanners));
    const ScanResult first = engine.scan(recorder.handler());
    const auto firstContext = engine.context();
    engine.cancel();
    engine.cancel();
    EXPECT_TRUE(firstContext->isCancelled());
    const ScanResult second = engine.scan(recorder.handler());
    EXPECT_NE(engine.context(), firstContext);
    EXPECT_FALSE(engine.context()->isCancelled());
    EXPECT_EQ(*runs, 2);
    EXPECT_EQ(categoriesOf(second.categories), std::vector<C>{C::node});
}

TEST_F(ScannerEngineTest, ExcludedPathsAreDroppedExactlyBelowAndAround) {
    const std::string ex = home.path("ex");
    add(C::node, true, [&](const ScanContext&) {
        return CategoryResult(
            C::node, 0,
            {
                candidate(C::node, ex + "/a", 10 * MiB),           // equal to an entry
                candidate(C::node, ex + "/a/inner", 9 * MiB),      // below it
                candidate(C::node, ex + "/x/../a", 8 * MiB),       // equal once standardised
                candidate(C::node, ex, 30 * MiB),                  // encloses it
                candidate(C::node, ex + "/b", 7 * MiB),            // the "~" entry
                candidate(C::node, ex + "/a2", 6 * MiB),           // a sibling with a longer name
                candidate(C::node, ex + "/a", 5 * MiB,
                          RemovalKind::command(ExternalTool::docker, {"builder", "prune", "-f"})),
            });
    });
    ScannerEngine engine(settings({}, allCategories(), {ex + "//./a/", "~/ex/b"}), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    ASSERT_EQ(result.categories.size(), 1u);
    EXPECT_EQ(pathsOf(result.categories[0]), (std::vector<std::string>{ex + "/a2", ex + "/a"}));
    EXPECT_TRUE(result.categories[0].candidates[1].removal.isCommand());
}

TEST_F(ScannerEngineTest, LedgerGivesAFolderToTheEarlierCategoryAndResortsShrunkCandidates) {
    const std::string shared = home.path("app/build");
    add(C::android, true, [&](const ScanContext&) {
        return CategoryResult(C::android, 0,
                              {candidate(C::android, shared, 30 * MiB), candidate(C::android, home.path("app"), 100 * MiB),
                               candidate(C::android, home.path("other"), 80 * MiB)});
    });
    add(C::reactNative, true, [&](const ScanContext&) {
        return CategoryResult(C::reactNative, 0, {candidate(C::reactNative, shared, 30 * MiB)});
    });
    ScannerEngine engine(settings(), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    ASSERT_EQ(categoriesOf(result.categories), (std::vector<C>{C::reactNative, C::android}));
    EXPECT_EQ(pathsOf(result.categories[0]), std::vector<std::string>{shared});
    // "app" shrank from 100 to 70 MiB around the folder React Native owns, so
    // "other" now comes first.
    EXPECT_EQ(pathsOf(result.categories[1]), (std::vector<std::string>{home.path("other"), home.path("app")}));
    EXPECT_EQ(result.categories[1].candidates[1].size, 70 * MiB);
}

TEST_F(ScannerEngineTest, ScanWithoutAProgressHandlerStillRuns) {
    add(C::cocoapods, true, [](const ScanContext&) { return CategoryResult(C::cocoapods, 3, {}); });
    ScannerEngine engine(settings(), std::move(scanners));
    EXPECT_EQ(categoriesOf(engine.scan({}).categories), std::vector<C>{C::cocoapods});
}

TEST_F(ScannerEngineTest, AScannerThatThrowsLeavesAnEmptyResult) {
    add(C::gradle, true, [](const ScanContext&) -> CategoryResult { throw std::runtime_error("broken"); });
    add(C::flutter, true, [](const ScanContext&) { return CategoryResult(C::flutter, 5, {}); });
    ScannerEngine engine(settings(), std::move(scanners));
    const ScanResult result = engine.scan(recorder.handler());
    EXPECT_EQ(categoriesOf(result.categories), (std::vector<C>{C::flutter, C::gradle}));
    EXPECT_TRUE(result.categories[1].candidates.empty());
    const auto reports = recorder.reports();
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_EQ(reports[3].fraction, 1.0);
}

}  // namespace
}  // namespace korvane
