#include <gtest/gtest.h>

#include <map>

#include "core/scanners/NodeScanner.h"
#include "core/scanners/ScanContext.h"
#include "core/text/RelativeDate.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/ScannerTestSupport.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::duBytes;
using testing::FakeToolHome;
using testing::folderOfSize;
using testing::localNoon;
using testing::setModified;
using testing::TempTree;
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::int64_t MiB = 1048576;

const TimePoint now = localNoon(2024, 6, 15);

// Pointers into `result`, which must outlive them.
std::vector<const CleanupCandidate*> withRule(const CategoryResult& result, const std::string& rule) {
    std::vector<const CleanupCandidate*> found;
    for (const auto& c : result.candidates)
        if (c.ruleID == rule) found.push_back(&c);
    return found;
}
std::vector<const CleanupCandidate*> withRule(CategoryResult&&, const std::string&) = delete;

class NodeScannerTest : public ::testing::Test {
protected:
    // A Node project under ~/projects last worked on `daysAgo` days before now.
    std::string project(const std::string& name, int daysAgo, std::vector<std::string> lockfiles = {}) {
        const auto folder = home.tree.folder("projects/" + name);
        home.tree.text("projects/" + name + "/package.json", "{\"name\": \"" + name + "\"}");
        for (const auto& lockfile : lockfiles) home.tree.text("projects/" + name + "/" + lockfile, "lock");
        setModified(folder + "/package.json", localNoon(2024, 6, 15 - daysAgo));
        return folder;
    }
    std::unique_ptr<ScanContext> context(std::int64_t staleDays = 60) {
        return home.context({home.path("projects")}, staleDays, now);
    }

    FakeToolHome home;
};

TEST_F(NodeScannerTest, JudgesProjectDependenciesByStaleness) {
    project("old", 60, {"yarn.lock", "package-lock.json"});
    home.tree.file("projects/old/node_modules/react/index.js", 600000);
    home.tree.file("projects/old/node_modules/.bin/react", 1000);
    home.tree.file("projects/old/node_modules/.package-lock.json", 1000);
    for (const auto* scoped : {"node", "react", ".hidden"})
        home.tree.file(std::string("projects/old/node_modules/@types/") + scoped + "/index.d.ts", 200000);
    project("web", 59, {"pnpm-lock.yaml", "yarn.lock", "package-lock.json"});
    home.tree.file("projects/web/node_modules/x/y", 2 * MiB);
    project("bunonly", 10, {"bun.lock"});
    home.tree.file("projects/bunonly/node_modules/z", 2 * MiB);
    project("tiny", 100);
    home.tree.file("projects/tiny/node_modules/a", 1000);

    auto ctx = context();
    const auto result = NodeScanner().scan(*ctx);
    EXPECT_EQ(result.category, CleanupCategory::node);
    EXPECT_FALSE(result.note);
    const auto modules = withRule(result, "node.modules");
    ASSERT_EQ(modules.size(), 3u);  // in the index's order: bunonly, old, web

    const auto& bun = *modules[0];
    EXPECT_EQ(bun.title, "bunonly");
    EXPECT_EQ(bun.restoreHint, "npm install");
    EXPECT_EQ(bun.details.count("Installed with"), 0u);

    const auto& old = *modules[1];
    EXPECT_EQ(old.title, "old");
    EXPECT_EQ(old.groupTitle, "Project Dependencies");
    EXPECT_EQ(old.path, home.path("projects/old/node_modules"));
    EXPECT_EQ(old.size, duBytes(old.path));
    EXPECT_EQ(old.safety, SafetyLevel::safe);
    EXPECT_TRUE(old.isSelectedByDefault);
    EXPECT_EQ(old.reason,
              "Dependencies for a project with no activity for 60 days. Every package here is listed in "
              "package.json "
              "and reinstalls from the registry.");
    EXPECT_EQ(old.restoreHint, "yarn install");
    EXPECT_EQ(old.lastModified, localNoon(2024, 6, 15 - 60));
    EXPECT_EQ(
        testing::shownDetails(old.details, now),
        (std::map<std::string, std::string>{{"Packages", "4"},
                                            {"Last activity", RelativeDate::string(old.lastModified, now)},
                                            {"Installed with", "yarn"}}));

    const auto& web = *modules[2];
    EXPECT_EQ(web.safety, SafetyLevel::caution);
    EXPECT_FALSE(web.isSelectedByDefault);
    EXPECT_EQ(web.restoreHint, "pnpm install");
    EXPECT_EQ(web.details.at("Installed with"), "pnpm");
    std::string phrase = RelativeDate::string(localNoon(2024, 6, 15 - 59), now);
    for (char& c : phrase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(RelativeDate::worded(web.reason, now),
              "Dependencies for a project you worked on " + phrase +
                  ". They reinstall from package.json, but you will need to run the install again before "
                  "your next build.");

    // The small one counts nowhere.
    EXPECT_EQ(result.footprint, duBytes(home.path("projects/old/node_modules")) +
                                    duBytes(home.path("projects/web/node_modules")) +
                                    duBytes(home.path("projects/bunonly/node_modules")));
}

TEST_F(NodeScannerTest, StalenessNeedsADateAndAtLeastOneDay) {
    project("today", 0);
    home.tree.file("projects/today/node_modules/a", 2 * MiB);
    // A setting below 1 counts as 1: a project touched today is not stale.
    for (const std::int64_t days : {0, -3}) {
        auto ctx = context(days);
        const auto result = NodeScanner().scan(*ctx);
        const auto modules = withRule(result, "node.modules");
        ASSERT_EQ(modules.size(), 1u);
        EXPECT_EQ(modules[0]->safety, SafetyLevel::caution) << days;
    }
    auto ctx = context(1);
    DetectedProject undated{home.path("projects/today"), {DetectedProject::Kind::node}, std::nullopt};
    EXPECT_FALSE(NodeScanner::daysSinceActivity(undated, *ctx));
    EXPECT_FALSE(NodeScanner::isStale(undated, *ctx));
    DetectedProject yesterday{
        home.path("projects/today"), {DetectedProject::Kind::node}, localNoon(2024, 6, 14)};
    EXPECT_EQ(NodeScanner::daysSinceActivity(yesterday, *ctx), 1);
    EXPECT_TRUE(NodeScanner::isStale(yesterday, *ctx));
    DetectedProject future{
        home.path("projects/today"), {DetectedProject::Kind::node}, localNoon(2024, 6, 20)};
    EXPECT_EQ(NodeScanner::daysSinceActivity(future, *ctx), -5);
    EXPECT_FALSE(NodeScanner::isStale(future, *ctx));
}

TEST_F(NodeScannerTest, MinimumsAreInclusive) {
    project("exact", 1);
    folderOfSize(home.tree, "projects/exact/node_modules", MiB);
    project("short", 1);
    folderOfSize(home.tree, "projects/short/node_modules", MiB - 4096);
    folderOfSize(home.tree, "projects/exact/.next", 20 * MiB);
    folderOfSize(home.tree, "projects/short/.next", 20 * MiB - 4096);
    folderOfSize(home.tree, ".bun/install/cache", MiB);
    folderOfSize(home.tree, "Library/Caches/deno", MiB - 4096);

    auto ctx = context();
    const auto result = NodeScanner().scan(*ctx);
    ASSERT_EQ(result.candidates.size(), 3u);
    EXPECT_EQ(result.candidates[0].path, home.path("projects/exact/node_modules"));
    EXPECT_EQ(result.candidates[1].path, home.path("projects/exact/.next"));
    EXPECT_EQ(result.candidates[2].path, home.path(".bun/install/cache"));
    EXPECT_EQ(result.footprint, 22 * MiB);
}

TEST_F(NodeScannerTest, FindsBuildOutputAndPackageManagerCaches) {
    project("web", 3);
    home.tree.file("projects/web/.turbo/cache/a", 25 * MiB);
    home.tree.file("projects/web/.next/server/b", 19 * MiB);  // under 20 MiB with its folders
    home.tree.file("projects/web/.parcel-cache/c", 21 * MiB);
    const std::vector<std::pair<std::string, std::string>> caches{
        {".npm/_cacache", "npm cache"},        {".npm/_logs", "npm logs"},
        {"Library/Caches/Yarn", "Yarn cache"}, {".yarn/berry/cache", "Yarn Berry cache"},
        {".bun/install/cache", "Bun cache"},   {"Library/Caches/deno", "Deno cache"}};
    for (const auto& [path, title] : caches) home.tree.file(path + "/blob", 2 * MiB);

    auto ctx = context();
    const auto result = NodeScanner().scan(*ctx);
    std::map<std::string, const CleanupCandidate*> found;
    for (const auto& c : result.candidates) found[c.title] = &c;
    ASSERT_EQ(result.candidates.size(), 8u);

    const auto& turbo = *found.at("web · Turborepo cache");
    EXPECT_EQ(turbo.ruleID, "node.viteCache");
    EXPECT_EQ(turbo.groupTitle, "Build Output");
    EXPECT_EQ(turbo.reason, "Task output cache. Recreated by the next task run.");
    EXPECT_EQ(turbo.restoreHint, "Recreated on next build");
    EXPECT_EQ(turbo.size, duBytes(home.path("projects/web/.turbo")));
    EXPECT_TRUE(turbo.isSelectedByDefault);
    EXPECT_EQ(found.at("web · Parcel cache")->ruleID, "node.viteCache");
    EXPECT_EQ(found.count("web · Next.js build output"), 0u);

    const std::map<std::string, std::pair<std::string, std::optional<std::string>>> rows{
        {"npm cache", {"node.npmCache", "npm cache verify"}},
        {"npm logs", {"node.npmCache", std::nullopt}},
        {"Yarn cache", {"node.yarnCache", "yarn install"}},
        {"Yarn Berry cache", {"node.yarnCache", "yarn install"}},
        {"Bun cache", {"node.bunCache", "bun install"}},
        {"Deno cache", {"node.denoCache", "deno cache"}}};
    std::int64_t expected =
        duBytes(home.path("projects/web/.turbo")) + duBytes(home.path("projects/web/.parcel-cache"));
    for (const auto& [path, title] : caches) {
        const auto& c = *found.at(title);
        EXPECT_EQ(c.ruleID, rows.at(title).first) << title;
        EXPECT_EQ(c.restoreHint, rows.at(title).second) << title;
        EXPECT_EQ(c.groupTitle, "Package Manager Caches");
        EXPECT_EQ(c.path, home.path(path));
        EXPECT_EQ(c.size, duBytes(home.path(path)));
        EXPECT_EQ(c.safety, SafetyLevel::safe);
        EXPECT_TRUE(c.isSelectedByDefault);
        EXPECT_TRUE(c.details.empty());
        expected += c.size;
    }
    EXPECT_EQ(found.at("npm logs")->reason, "Debug logs written when an install fails.");
    EXPECT_EQ(result.footprint, expected);
}

TEST_F(NodeScannerTest, MeasuresThePnpmStoreOnceAndNotWhatProjectsShare) {
    project("app", 3, {"pnpm-lock.yaml"});
    home.tree.file("projects/app/node_modules/own", 1 * MiB);
    home.tree.file("Library/pnpm/store/v3/files/00/shared", 3 * MiB);
    home.tree.hardlink("projects/app/node_modules/.pnpm/pkg/shared", "Library/pnpm/store/v3/files/00/shared");
    home.tree.file("Library/pnpm/store/v3/files/01/only-here", 2 * MiB);
    home.printingTool("pnpm", home.path("Library/pnpm/store/v3") + "\n");

    NodeScanner scanner;
    EXPECT_EQ(scanner.pnpmStorePath(), (std::vector<std::string>{home.path("Library/pnpm/store")}));
    EXPECT_EQ(home.arguments("pnpm"), "store\npath\n");

    auto ctx = context();
    const auto result = scanner.scan(*ctx);
    const auto stores = withRule(result, "node.pnpmStore");
    ASSERT_EQ(stores.size(), 1u);
    const auto& store = *stores[0];
    EXPECT_EQ(store.title, "pnpm store");
    EXPECT_EQ(store.path, home.path("Library/pnpm/store"));
    // The shared file was counted with the project's node_modules.
    EXPECT_EQ(store.size, duBytes(store.path) - duBytes(home.path("Library/pnpm/store/v3/files/00/shared")));
    EXPECT_EQ(store.safety, SafetyLevel::caution);
    EXPECT_FALSE(store.isSelectedByDefault);
    EXPECT_EQ(store.restoreHint, "pnpm install");
    EXPECT_EQ(store.details,
              (CategoryScanner::Details{
                  {"Note", "Only the bytes not shared with an existing node_modules are counted"}}));
    EXPECT_EQ(result.footprint, duBytes(home.path("projects/app/node_modules")) + store.size);
}

TEST_F(NodeScannerTest, PnpmStoreLocations) {
    home.tree.file(".pnpm-store/v3/a", 2 * MiB);
    home.tree.file("Library/Caches/pnpm/b", 2 * MiB);
    NodeScanner scanner;
    const std::vector<std::string> fixed{home.path(".pnpm-store"), home.path("Library/Caches/pnpm")};
    EXPECT_EQ(scanner.pnpmStorePath(), fixed);  // pnpm missing

    home.printingTool("pnpm", "store\n");  // relative: meaningless
    EXPECT_EQ(scanner.pnpmStorePath(), fixed);
    home.printingTool("pnpm", home.path("gone") + "\n");
    EXPECT_EQ(scanner.pnpmStorePath(), fixed);
    home.printingTool("pnpm", home.path("custom") + "\n", 1);
    home.tree.folder("custom");
    EXPECT_EQ(scanner.pnpmStorePath(), fixed);
    home.hangingTool("pnpm");
    EXPECT_EQ(NodeScanner({0.2, 5.0}).pnpmStorePath(), fixed);

    // The same store under its own name and through a link is measured once.
    home.printingTool("pnpm", " " + home.path(".pnpm-store") + "/\n");
    EXPECT_EQ(scanner.pnpmStorePath(), fixed);
    home.tree.symlink("Library/pnpm/store", home.path(".pnpm-store"));
    home.printingTool("pnpm", home.path("Library/pnpm/store/v3") + "\n");
    EXPECT_EQ(scanner.pnpmStorePath(),
              (std::vector<std::string>{home.path(".pnpm-store"), home.path("Library/Caches/pnpm")}));
}

TEST_F(NodeScannerTest, AStoreOutsideTheRuleCountsInTheFootprintOnly) {
    home.tree.file("custom-store/v3/a", 2 * MiB);
    home.printingTool("pnpm", home.path("custom-store/v3") + "\n");
    auto ctx = context();
    const auto result = NodeScanner().scan(*ctx);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, duBytes(home.path("custom-store/v3")));
}

TEST_F(NodeScannerTest, AProjectOutsideHomeCountsInTheFootprintOnly) {
    TempTree elsewhere;
    elsewhere.text("app/package.json", "{}");
    elsewhere.file("app/node_modules/x", 2 * MiB);
    auto ctx = home.context({elsewhere.path("")}, 60, now);
    const auto result = NodeScanner().scan(*ctx);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, duBytes(elsewhere.path("app/node_modules")));
}

TEST_F(NodeScannerTest, SparesTheActiveAndTheNewestNodeVersion) {
    for (const auto* version : {"v18.20.4", "v20.11.1", "v21.0.0"})
        home.tree.file(std::string(".nvm/versions/node/") + version + "/bin/node", 50000);
    std::int64_t all = 0;
    for (const auto* version : {"v18.20.4", "v20.11.1", "v21.0.0"})
        all += duBytes(home.path(std::string(".nvm/versions/node/") + version));

    home.printingTool("node", "v20.11.1\n");
    NodeScanner scanner;
    EXPECT_TRUE(scanner.isAvailable());
    EXPECT_EQ(scanner.activeNodeVersion(), "v20.11.1");
    EXPECT_EQ(home.arguments("node"), "--version\n");
    auto ctx = context();
    auto result = scanner.scan(*ctx);
    ASSERT_EQ(result.candidates.size(), 1u);
    const auto& c = result.candidates[0];
    EXPECT_EQ(c.ruleID, "node.nvmVersions");
    EXPECT_EQ(c.groupTitle, "Unused Node Versions");
    EXPECT_EQ(c.title, "Node v18.20.4");
    EXPECT_EQ(c.restoreHint, "nvm install v18.20.4");
    EXPECT_EQ(
        c.reason,
        "A Node runtime installed through nvm that is neither your active version (v20.11.1) nor the newest "
        "one installed.");
    EXPECT_EQ(c.details, (CategoryScanner::Details{{"Active version", "v20.11.1"}}));
    EXPECT_EQ(c.safety, SafetyLevel::caution);
    EXPECT_FALSE(c.isSelectedByDefault);
    EXPECT_EQ(c.size, duBytes(c.path));
    EXPECT_EQ(result.footprint, all);

    for (const auto* state : {"missing", "failing", "hanging"}) {
        if (std::string(state) == "failing") home.printingTool("node", "v20.11.1\n", 2);
        if (std::string(state) == "hanging") home.hangingTool("node");
        const NodeScanner limited({8.0, 0.2});
        if (std::string(state) == "missing") ::unlink(home.path(".local/bin/node").c_str());
        Shell::clearResolutionCache();
        EXPECT_FALSE(limited.activeNodeVersion()) << state;
        ctx = context();
        result = limited.scan(*ctx);
        ASSERT_EQ(result.candidates.size(), 2u) << state;
        EXPECT_EQ(result.candidates[0].title, "Node v18.20.4");
        EXPECT_EQ(result.candidates[1].title, "Node v20.11.1");
        EXPECT_EQ(result.candidates[1].details.at("Active version"), "unknown");
        EXPECT_NE(result.candidates[1].reason.find("(unknown)"), std::string::npos);
        EXPECT_EQ(result.footprint, all);
    }
}

TEST_F(NodeScannerTest, OrdersVersionsByNumber) {
    EXPECT_TRUE(NodeScanner::isNewerVersion("v10.0.0", "v9.0.0"));
    EXPECT_FALSE(NodeScanner::isNewerVersion("v9.0.0", "v10.0.0"));
    EXPECT_FALSE(NodeScanner::isNewerVersion("v18.0", "v18.0.0"));
    EXPECT_TRUE(NodeScanner::isNewerVersion("18.0.1", "v18"));
    EXPECT_EQ(NodeScanner::versionNumbers("v18.0.0-rc"), (std::vector<std::int64_t>{18, 0}));
    EXPECT_EQ(NodeScanner::versionNumbers("vv1..2"), (std::vector<std::int64_t>{2}));
    EXPECT_EQ(NodeScanner::versionNumbers("system"), std::vector<std::int64_t>{});

    home.tree.file(".nvm/versions/node/v9.0.0/x", 5000);
    home.tree.file(".nvm/versions/node/v10.0.0/x", 5000);
    auto ctx = context();
    const auto result = NodeScanner().scan(*ctx);
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].title, "Node v9.0.0");
}

TEST_F(NodeScannerTest, CountsPackagesAndNamesTheInstaller) {
    EXPECT_FALSE(NodeScanner::packageCount(home.path("missing")));
    home.tree.folder("nm/@empty");
    home.tree.text("nm/@file", "a scope that cannot be listed counts 0");
    home.tree.folder("nm/lodash");
    home.tree.text("nm/.yarn-integrity", "");
    EXPECT_EQ(NodeScanner::packageCount(home.path("nm")), 1);

    DetectedProject p{home.tree.folder("p"), {DetectedProject::Kind::node}, std::nullopt};
    EXPECT_FALSE(NodeScanner::installer(p));
    home.tree.text("p/package-lock.json", "");
    EXPECT_EQ(NodeScanner::installer(p), "npm");
    home.tree.text("p/bun.lockb", "");
    EXPECT_EQ(NodeScanner::installer(p), "bun");
    home.tree.text("p/yarn.lock", "");
    EXPECT_EQ(NodeScanner::installer(p), "yarn");
    home.tree.folder("p/pnpm-lock.yaml");
    EXPECT_EQ(NodeScanner::installer(p), "pnpm");
}

TEST_F(NodeScannerTest, AvailabilityAndCancellation) {
    NodeScanner scanner;
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.text(".nvm", "");
    EXPECT_TRUE(scanner.isAvailable());

    project("app", 100);
    home.tree.file("projects/app/node_modules/x", 2 * MiB);
    auto ctx = context();
    ctx->cancel();
    const auto result = scanner.scan(*ctx);
    EXPECT_TRUE(withRule(result, "node.modules").empty());
}

}  // namespace
}  // namespace korvane
