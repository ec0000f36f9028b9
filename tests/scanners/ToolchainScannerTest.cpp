#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/scanners/ScanContext.h"
#include "core/scanners/ToolchainScanner.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/ScannerTestSupport.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::byTitle;
using testing::duBytes;
using testing::FakeToolHome;
using testing::folderOfSize;

constexpr std::int64_t MiB = 1048576;
constexpr const char* stable = "stable-x86_64-unknown-linux-gnu";
constexpr const char* nightly = "nightly-x86_64-unknown-linux-gnu";
constexpr const char* pinned = "1.70.0-x86_64-unknown-linux-gnu";

std::string notDefault(const std::string& active) {
    return "A Rust toolchain that is not your default (" + active + "). Reinstallable with rustup.";
}

class ToolchainScannerTest : public ::testing::Test {
protected:
    void makeToolchains() {
        for (const auto* name : {stable, nightly, pinned})
            home.tree.file(std::string(".rustup/toolchains/") + name + "/lib/librustc.so", 12288);
    }
    std::int64_t toolchainBytes() const {
        std::int64_t total = 0;
        for (const auto* name : {stable, nightly, pinned})
            total += duBytes(home.path(std::string(".rustup/toolchains/") + name));
        return total;
    }
    // The Rust candidates of a scan by title.
    std::map<std::string, CleanupCandidate> rustScan(const ToolchainScanner& scanner) {
        const auto result = scanner.scan(*home.context());
        EXPECT_EQ(result.footprint, toolchainBytes());
        return byTitle(result.candidates);
    }

    FakeToolHome home;
    ToolchainScanner scanner;
};

TEST_F(ToolchainScannerTest, AlwaysAvailable) {
    EXPECT_EQ(scanner.category(), CleanupCategory::toolchains);
    EXPECT_TRUE(scanner.isAvailable());
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.category, CleanupCategory::toolchains);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
    EXPECT_EQ(result.note, std::nullopt);
}

TEST_F(ToolchainScannerTest, EveryGlobalCacheWithItsTexts) {
    // Each of the other platform's places, then where the same tool keeps the
    // same data here.
    struct Row {
        std::vector<const char*> paths;
        const char* rule;
        const char* group;
        const char* title;
        const char* reason;
        const char* restore;
        SafetyLevel safety;
    };
    const char* pip = "Wheels pip keeps so a reinstall skips the download. Refilled automatically.";
    const auto safe = SafetyLevel::safe;
    const auto caution = SafetyLevel::caution;
    const std::vector<Row> rows{
        {{"Library/Caches/Homebrew", ".cache/Homebrew"}, "brew.cache", "Homebrew", "Downloaded bottles",
         "Installer archives Homebrew keeps after installing or upgrading a package. Re-downloaded if ever "
         "needed "
         "again.",
         "brew cleanup does the same thing", safe},
        {{".cargo/registry/cache"}, "rust.registry", "Rust", "Crate downloads",
         "Compressed crates downloaded from crates.io. Re-downloaded on the next build that needs them.",
         "cargo build", safe},
        {{".cargo/registry/src"}, "rust.registry", "Rust", "Unpacked crate sources",
         "Extracted copies of crates, unpacked from the downloads above. Cargo re-extracts them as needed.",
         "cargo build", safe},
        {{".cargo/git/checkouts"}, "rust.registry", "Rust", "Git dependency checkouts",
         "Clones of dependencies specified by git URL. Re-cloned on the next build.", "cargo build", safe},
        {{"Library/Caches/go-build", ".cache/go-build"}, "go.buildCache", "Go", "Build cache",
         "Compiled package archives Go keeps to make rebuilds fast. Rebuilt on demand.", "go build", safe},
        {{"go/pkg/mod/cache/download"}, "go.modCache", "Go", "Module downloads",
         "Zipped module versions downloaded from proxy.golang.org. Re-downloaded on the next build.",
         "go mod download", caution},
        {{"Library/Caches/pip"}, "python.pipCache", "Python", "pip cache", pip, "pip install", safe},
        {{".cache/pip"}, "python.pipCache", "Python", "pip cache (XDG)", pip, "pip install", safe},
        {{"Library/Caches/uv", ".cache/uv"}, "python.pipCache", "Python", "uv cache",
         "Package archives uv keeps between installs. Refilled automatically.", "uv sync", safe},
        {{"Library/Caches/pypoetry", ".cache/pypoetry"}, "python.pipCache", "Python", "Poetry cache",
         "Package archives and virtualenv metadata Poetry keeps. Refilled automatically.", "poetry install",
         safe},
        {{"Library/Caches/JetBrains", ".cache/JetBrains"},
         "jetbrains.caches",
         "Editors",
         "JetBrains IDE caches",
         "Indexes and compiled caches for IntelliJ, Android Studio and friends. Rebuilt when you next open "
         "the "
         "project, which takes a few minutes.",
         "Rebuilt on next project open", caution},
        {{"Library/Application Support/Code/CachedData", ".config/Code/CachedData"},
         "editors.caches",
         "Editors",
         "VS Code cached data",
         "Compiled bytecode for VS Code versions you have run. Rebuilt on the next launch.",
         "Rebuilt on next launch", safe},
        {{"Library/Application Support/Code/CachedExtensionVSIXs", ".config/Code/CachedExtensionVSIXs"},
         "editors.caches",
         "Editors",
         "VS Code extension archives",
         "Installer archives for extensions already installed. Nothing reads them after install.",
         "Re-downloadable from the Marketplace", safe},
        {{"Library/Application Support/Cursor/CachedData", ".config/Cursor/CachedData"},
         "editors.caches",
         "Editors",
         "Cursor cached data",
         "Compiled bytecode for Cursor versions you have run. Rebuilt on the next launch.",
         "Rebuilt on next launch", safe},
    };
    struct Place {
        std::string path;
        const Row* row;
    };
    std::vector<Place> places;
    for (const auto& row : rows)
        for (const char* path : row.paths) places.push_back({path, &row});
    ASSERT_EQ(places.size(), 22u);
    for (const auto& place : places) folderOfSize(home.tree, place.path, MiB);
    const auto rules = ToolchainScanner::globalRules();
    ASSERT_EQ(rules.size(), places.size());

    const auto result = scanner.scan(*home.context());
    ASSERT_EQ(result.candidates.size(), places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        const auto& row = *places[i].row;
        const auto& c = result.candidates[i];  // in the table's order
        EXPECT_EQ(rules[i].url, home.path(places[i].path));
        EXPECT_EQ(rules[i].minimumBytes, MiB);
        EXPECT_EQ(c.path, home.path(places[i].path)) << row.title;
        EXPECT_EQ(c.ruleID, row.rule) << row.title;
        EXPECT_EQ(c.groupTitle, row.group) << row.title;
        EXPECT_EQ(c.title, row.title);
        EXPECT_EQ(c.reason, row.reason) << row.title;
        EXPECT_EQ(c.restoreHint, row.restore) << row.title;
        EXPECT_EQ(c.safety, row.safety) << row.title;
        // Only the Go module downloads and the JetBrains caches wait for review.
        EXPECT_EQ(c.isSelectedByDefault, row.safety == SafetyLevel::safe) << row.title;
        EXPECT_EQ(c.size, MiB) << row.title;
        EXPECT_EQ(c.category, CleanupCategory::toolchains);
        EXPECT_TRUE(c.removal.isPath());
        EXPECT_TRUE(c.lastModified) << row.title;
        EXPECT_TRUE(c.details.empty()) << row.title;
    }
    EXPECT_EQ(result.footprint, 22 * MiB);
}

// Where XDG_CACHE_HOME moves the cache folder inside the home, the caches
// are looked for there instead of in ~/.cache; elsewhere it is not followed.
TEST_F(ToolchainScannerTest, CachesFollowTheCacheFolderInsideTheHome) {
    const std::vector<std::string> names{"Homebrew", "go-build", "pip", "uv", "pypoetry", "JetBrains"};
    for (const auto& name : names) {
        folderOfSize(home.tree, ".cache/" + name, MiB);
        folderOfSize(home.tree, "xdg/" + name, MiB);
    }
    testing::TempTree outside;
    for (const auto& name : names) folderOfSize(outside, "cache/" + name, MiB);
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, home.path(".cache")},
        {home.path("xdg"), home.path("xdg")},
        {outside.path("cache"), home.path(".cache")},
    };
    for (const auto& [variable, folder] : cases) {
        testing::ScopedEnv cache("XDG_CACHE_HOME", variable);
        const auto result = scanner.scan(*home.context());
        std::vector<std::string> paths;
        for (const auto& c : result.candidates) paths.push_back(c.path);
        std::vector<std::string> expected;
        for (const auto& name : names) expected.push_back(folder + "/" + name);
        EXPECT_EQ(paths, expected) << variable.value_or("unset");
        EXPECT_EQ(result.footprint, static_cast<std::int64_t>(names.size()) * MiB);
    }
}

TEST_F(ToolchainScannerTest, OneMebibyteIsEnoughAndOneBlockLessIsNot) {
    folderOfSize(home.tree, "Library/Caches/pip", MiB);
    folderOfSize(home.tree, ".cache/pip", MiB - 4096);
    const auto result = scanner.scan(*home.context());
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].title, "pip cache");
    EXPECT_EQ(result.footprint, MiB);
}

TEST_F(ToolchainScannerTest, ARefusedCacheCountsInTheFootprintOnly) {
    // A cache folder that holds a repository is refused by the general verdict.
    home.tree.file(".cargo/registry/cache/index.crates.io/x.crate", 2 * MiB);
    home.tree.text(".cargo/registry/cache/.git/HEAD", "ref: refs/heads/main\n");
    const auto result = scanner.scan(*home.context());
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, duBytes(home.path(".cargo/registry/cache")));
}

TEST_F(ToolchainScannerTest, TheActiveToolchainIsKeptButCounted) {
    makeToolchains();
    home.printingTool("rustup", std::string(stable) + " (default)\n");
    const auto found = rustScan(scanner);
    EXPECT_EQ(home.arguments("rustup"), "show\nactive-toolchain\n");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.count(stable), 0u);
    for (const auto* name : {nightly, pinned}) {
        const auto& c = found.at(name);
        EXPECT_EQ(c.ruleID, "rust.toolchains");
        EXPECT_EQ(c.groupTitle, "Rust Toolchains");
        EXPECT_EQ(c.path, home.path(std::string(".rustup/toolchains/") + name));
        EXPECT_EQ(c.size, duBytes(c.path));
        EXPECT_EQ(c.safety, SafetyLevel::caution);
        EXPECT_FALSE(c.isSelectedByDefault);
        EXPECT_EQ(c.reason, notDefault(stable));
        EXPECT_EQ(c.restoreHint, std::string("rustup toolchain install ") + name);
        EXPECT_TRUE(c.lastModified);
        EXPECT_TRUE(c.details.empty());
    }
}

TEST_F(ToolchainScannerTest, ActiveNameFromTheFirstWordOrAPrefix) {
    makeToolchains();
    home.printingTool("rustup", std::string(nightly) + "\n");
    auto found = rustScan(scanner);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.count(nightly), 0u);
    EXPECT_EQ(found.at(stable).reason, notDefault(nightly));

    // A short name covers the toolchain whose name begins with it.
    home.printingTool("rustup", "\n\t stable\r\nmore text");
    found = rustScan(scanner);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.count(stable), 0u);
    EXPECT_EQ(found.at(pinned).reason, notDefault("stable"));
}

TEST_F(ToolchainScannerTest, WithoutAnAnswerFromRustupEveryToolchainIsListed) {
    makeToolchains();
    const auto everyToolchainUnknown = [&](const ToolchainScanner& scanner, const std::string& what) {
        const auto found = rustScan(scanner);
        ASSERT_EQ(found.size(), 3u) << what;
        for (const auto& [name, c] : found) EXPECT_EQ(c.reason, notDefault("unknown")) << what;
    };
    everyToolchainUnknown(scanner, "missing");
    home.printingTool("rustup", std::string(stable) + "\n", 1);
    everyToolchainUnknown(scanner, "non-zero exit");
    home.printingTool("rustup", " \n\t\n");
    everyToolchainUnknown(scanner, "blank output");
    home.printingTool("rustup", "\xff\xfe" + std::string(stable));
    everyToolchainUnknown(scanner, "not UTF-8");
    home.hangingTool("rustup");
    everyToolchainUnknown(ToolchainScanner(0.2), "time-out");
}

TEST_F(ToolchainScannerTest, RustupIsNotRunWithoutToolchains) {
    home.printingTool("rustup", std::string(stable) + "\n");
    home.tree.text(".rustup/toolchains", "not a folder");
    EXPECT_TRUE(scanner.scan(*home.context()).candidates.empty());
    EXPECT_EQ(home.arguments("rustup"), "");
}

TEST_F(ToolchainScannerTest, FirstWord) {
    EXPECT_EQ(ToolchainScanner::firstWord("stable-aarch64-apple-darwin (default)\n"),
              "stable-aarch64-apple-darwin");
    EXPECT_EQ(ToolchainScanner::firstWord("name"), "name");
    EXPECT_EQ(ToolchainScanner::firstWord("\r\n\v\fname\tx"), "name");
    EXPECT_EQ(ToolchainScanner::firstWord(""), std::nullopt);
    EXPECT_EQ(ToolchainScanner::firstWord(" \n "), std::nullopt);
}

TEST_F(ToolchainScannerTest, VirtualEnvironmentsNeedTheirConfigAndTwentyMebibytes) {
    home.tree.text("Projects/api/requirements.txt", "flask\n");
    for (const auto* name : {".venv", "venv"}) {
        home.tree.text(std::string("Projects/api/") + name + "/pyvenv.cfg", "home = /usr/bin\n");
        folderOfSize(home.tree, std::string("Projects/api/") + name, 20 * MiB);
    }
    home.tree.text("Projects/tool/pyproject.toml", "[project]\n");
    home.tree.text("Projects/tool/.venv/pyvenv.cfg", "home = /usr/bin\n");
    folderOfSize(home.tree, "Projects/tool/.venv", 20 * MiB - 4096);
    folderOfSize(home.tree, "Projects/tool/venv", 20 * MiB);  // no pyvenv.cfg

    auto context = home.context({home.path("Projects")});
    const auto result = scanner.scan(*context);
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);
    const auto activity = context->relativeActivity(ProjectIndex::lastActivity(home.path("Projects/api")));
    for (const auto* name : {".venv", "venv"}) {
        const auto& c = found.at(std::string("api/") + name);
        EXPECT_EQ(c.ruleID, "python.venvs");
        EXPECT_EQ(c.groupTitle, "Virtual Environments");
        EXPECT_EQ(c.path, home.path(std::string("Projects/api/") + name));
        EXPECT_EQ(c.size, 20 * MiB);
        EXPECT_EQ(c.safety, SafetyLevel::caution);
        EXPECT_FALSE(c.isSelectedByDefault);
        EXPECT_EQ(
            c.reason,
            "A Python virtual environment for this project. Recreated from its requirements file, though "
            "anything installed ad hoc and never written down is lost.");
        EXPECT_EQ(c.restoreHint,
                  std::string("python -m venv ") + name + " && pip install -r requirements.txt");
        EXPECT_EQ(c.details, (CategoryScanner::Details{{"Last activity", activity}}));
        EXPECT_TRUE(c.lastModified);
    }
    // ".venv" comes before "venv".
    EXPECT_EQ(result.candidates[0].title, "api/.venv");
    EXPECT_EQ(result.footprint, 40 * MiB);
}

TEST_F(ToolchainScannerTest, ARefusedEnvironmentCountsInTheFootprintOnly) {
    home.tree.text("Projects/credentials/app/requirements.txt", "");
    home.tree.text("Projects/credentials/app/.venv/pyvenv.cfg", "");
    folderOfSize(home.tree, "Projects/credentials/app/.venv", 20 * MiB);
    const auto result = scanner.scan(*home.context({home.path("Projects")}));
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 20 * MiB);
}

TEST_F(ToolchainScannerTest, ACancelledScanSkipsCachesAndEnvironments) {
    makeToolchains();
    home.printingTool("rustup", std::string(stable) + "\n");
    home.tree.file("Library/Caches/pip/w", 2 * MiB);
    home.tree.text("Projects/api/requirements.txt", "");
    home.tree.text("Projects/api/.venv/pyvenv.cfg", "");
    home.tree.file("Projects/api/.venv/lib", 21 * MiB);
    auto context = home.context({home.path("Projects")});
    context->cancel();
    const auto result = scanner.scan(*context);
    for (const auto& c : result.candidates) EXPECT_EQ(c.ruleID, "rust.toolchains") << c.title;
    // The Rust step still asks for the active toolchain.
    EXPECT_EQ(home.arguments("rustup"), "show\nactive-toolchain\n");
}

}  // namespace
}  // namespace korvane
