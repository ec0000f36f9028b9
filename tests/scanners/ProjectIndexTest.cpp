#include "core/scanners/ProjectIndex.h"

#include "core/system/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace korvane {
namespace {

using testing::TempTree;
using Kind = DetectedProject::Kind;
using TimePoint = std::chrono::system_clock::time_point;

std::vector<std::string> pathsOf(const std::vector<DetectedProject>& projects) {
    std::vector<std::string> paths;
    for (const auto& project : projects) paths.push_back(project.url);
    return paths;
}

const DetectedProject* find(const ProjectIndex& index, const std::string& path) {
    for (const auto& project : index.projects())
        if (project.url == path) return &project;
    return nullptr;
}

std::vector<DetectedProject> built(std::vector<std::string> roots, int depth = 5) {
    ProjectIndex index(std::move(roots), depth);
    index.build([] { return false; });
    return index.projects();
}

TEST(ProjectIndexTest, EveryMarkerGivesItsKind) {
    TempTree tree;
    const std::vector<std::pair<std::string, Kind>> markers{
        {"package.json", Kind::node},       {"pubspec.yaml", Kind::flutter},
        {"settings.gradle", Kind::gradle},  {"settings.gradle.kts", Kind::gradle},
        {"build.gradle", Kind::gradle},     {"build.gradle.kts", Kind::gradle},
        {"Podfile", Kind::cocoapods},       {"Cargo.toml", Kind::rust},
        {"go.mod", Kind::go},               {"pyproject.toml", Kind::python},
        {"requirements.txt", Kind::python},
    };
    ASSERT_EQ(ProjectIndex::markerFiles(), markers);
    for (const auto& [name, kind] : markers) tree.text("root/p-" + name + "/" + name, "{}");
    tree.folder("root/p-xcodeproj/App.xcodeproj");
    tree.folder("root/p-xcworkspace/App.xcworkspace");
    tree.text("root/p-none/README.md", "hello");

    ProjectIndex index({tree.path("root")}, 5);
    index.build([] { return false; });
    ASSERT_EQ(index.projects().size(), markers.size() + 2);
    for (const auto& [name, kind] : markers) {
        const auto* project = find(index, tree.path("root/p-" + name));
        ASSERT_NE(project, nullptr) << name;
        EXPECT_EQ(project->kinds, std::set<Kind>{kind}) << name;
    }
    EXPECT_EQ(find(index, tree.path("root/p-xcodeproj"))->kinds, std::set<Kind>{Kind::xcode});
    EXPECT_EQ(find(index, tree.path("root/p-xcworkspace"))->kinds, std::set<Kind>{Kind::xcode});
    EXPECT_EQ(find(index, tree.path("root/p-none")), nullptr);
}

TEST(ProjectIndexTest, PackageJsonNamesFrameworksOnlyAsQuotedWords) {
    TempTree tree;
    tree.text("r/mobile/package.json", R"({"dependencies": {"react-native": "0.73", "expo": "50"}})");
    tree.text("r/web/package.json", R"({"dependencies": {"next": "14"}})");
    tree.text("r/auth/package.json", R"({"dependencies": {"next-auth": "4", "expo-router": "1"}})");
    tree.text("r/broken/package.json", std::string("{\"next\": \"\xff\xfe\"}"));
    const auto projects = built({tree.path("r")});
    ASSERT_EQ(projects.size(), 4u);
    EXPECT_EQ(projects[0].url, tree.path("r/auth"));
    EXPECT_EQ(projects[0].kinds, std::set<Kind>{Kind::node});
    // Text that is not UTF-8 cannot be read, but the marker still counts.
    EXPECT_EQ(projects[1].kinds, std::set<Kind>{Kind::node});
    EXPECT_EQ(projects[2].kinds, (std::set<Kind>{Kind::node, Kind::reactNative, Kind::expo}));
    EXPECT_EQ(projects[3].kinds, (std::set<Kind>{Kind::node, Kind::nextjs}));
}

TEST(ProjectIndexTest, UnreadablePackageJsonStillGivesNode) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempTree tree;
    const auto file = tree.text("r/app/package.json", R"({"react-native": "1"})");
    ::chmod(file.c_str(), 0);
    const auto projects = built({tree.path("r")});
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_EQ(projects[0].kinds, std::set<Kind>{Kind::node});
}

TEST(ProjectIndexTest, RootItselfIsAProjectAndDepthStopsAtTheLimit) {
    TempTree tree;
    tree.text("r/package.json", "{}");
    tree.text("r/1/2/3/4/5/go.mod", "");
    tree.text("r/1/2/3/4/5/6/Cargo.toml", "");
    const auto projects = built({tree.path("r")});
    EXPECT_EQ(pathsOf(projects), (std::vector<std::string>{tree.path("r"), tree.path("r/1/2/3/4/5")}));
    EXPECT_EQ(pathsOf(built({tree.path("r")}, 0)), std::vector<std::string>{tree.path("r")});
}

TEST(ProjectIndexTest, SkippedHiddenBundledAndLinkedFoldersAreNotDescended) {
    TempTree tree;
    tree.text("r/app/package.json", "{}");
    for (const auto& name : ProjectIndex::skippedDirectoryNames()) tree.text("r/app/" + name + "/inner/go.mod", "");
    tree.text("r/app/.github/workflows/package.json", "{}");
    tree.text("r/app/.gitlab/package.json", "{}");
    tree.text("r/app/.hidden/package.json", "{}");
    tree.text("r/app/Tool.app/package.json", "{}");
    tree.text("r/app/App.xcodeproj/package.json", "{}");
    tree.text("r/app/Space.xcworkspace/package.json", "{}");
    tree.text("elsewhere/linked/Cargo.toml", "");
    tree.symlink("r/app/link", tree.path("elsewhere"));
    tree.symlink("r/app/inside", tree.path("r/app/.github"));

    EXPECT_EQ(ProjectIndex::skippedDirectoryNames().size(), 30u);
    const auto projects = built({tree.path("r")});
    EXPECT_EQ(pathsOf(projects), (std::vector<std::string>{tree.path("r/app"), tree.path("r/app/.github/workflows"),
                                                           tree.path("r/app/.gitlab")}));
    EXPECT_TRUE(projects[0].hasKind(Kind::xcode));
}

TEST(ProjectIndexTest, RootsThatNestOrAreTheSameFolderRecordEachProjectOnce) {
    TempTree tree;
    tree.text("r/a/package.json", "{}");
    tree.text("r/b/pubspec.yaml", "");
    tree.symlink("alias", tree.path("r"));
    // Nested roots: records keyed by path. The alias is the same folder
    // (device and inode) and is walked once, under the first name given.
    const auto projects = built({tree.path("r/b"), tree.path("r"), tree.path("alias"), tree.path("r") + "/"});
    EXPECT_EQ(pathsOf(projects), (std::vector<std::string>{tree.path("r/a"), tree.path("r/b")}));
    const auto viaAlias = built({tree.path("alias"), tree.path("r")});
    EXPECT_EQ(pathsOf(viaAlias), (std::vector<std::string>{tree.path("alias/a"), tree.path("alias/b")}));
}

// As chroots and containers do: the same folder under a second name, recorded under the first.
TEST(ProjectIndexTest, AProjectBoundInsideARootIsRecordedOnce) {
    TempTree tree;
    tree.text("r/a/package.json", "{}");
    const std::string bound = tree.folder("r/z/bound");
    const auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(tree.path("r/a").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) return std::string();
        return pathsOf(built({tree.path("r")})).back();
    });
    if (!seen || seen->empty()) GTEST_SKIP() << "needs root to bind a folder";
    EXPECT_EQ(*seen, tree.path("r/a"));
}

TEST(ProjectIndexTest, RelativeAndMissingRootsAreIgnoredAndResultIsSorted) {
    TempTree tree;
    tree.text("z/app/go.mod", "");
    tree.text("a/app/go.mod", "");
    tree.text("a/App/go.mod", "");
    const std::string cwd = [] {
        char buffer[4096];
        return std::string(::getcwd(buffer, sizeof buffer) ? buffer : "");
    }();
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    const auto relative = built({"a", "./z", "~/nothing-here"});
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_TRUE(relative.empty());

    const auto projects = built({tree.path("z"), tree.path("missing"), tree.path("a")});
    EXPECT_EQ(pathsOf(projects),
              (std::vector<std::string>{tree.path("a/App"), tree.path("a/app"), tree.path("z/app")}));
}

TEST(ProjectIndexTest, LastActivityIsTheNewestActivityFileElseTheFolder) {
    TempTree tree;
    tree.text("r/repo/package.json", "{}");
    tree.text("r/repo/.git/HEAD", "ref: refs/heads/main");
    tree.text("r/repo/.git/index", "");
    tree.text("r/repo/README.md", "");
    tree.age("r/repo/package.json", 86400 * 30);
    tree.age("r/repo/.git/HEAD", 86400 * 10);
    tree.age("r/repo/.git/index", 86400 * 20);
    tree.age("r/repo/README.md", 0);
    tree.text("r/plain/requirements.txt", "");
    tree.age("r/plain/requirements.txt", 0);
    tree.age("r/plain", 86400 * 5);

    const auto projects = built({tree.path("r")});
    ASSERT_EQ(projects.size(), 2u);
    const auto now = std::chrono::system_clock::now();
    const auto daysAgo = [&](const DetectedProject& p) {
        return std::chrono::duration<double>(now - *p.lastActivity).count() / 86400;
    };
    ASSERT_TRUE(projects[0].lastActivity && projects[1].lastActivity);
    EXPECT_NEAR(daysAgo(projects[0]), 5, 0.1);   // requirements.txt is no activity file
    EXPECT_NEAR(daysAgo(projects[1]), 10, 0.1);  // .git/HEAD, the newest of the three
    EXPECT_FALSE(ProjectIndex::lastActivity(tree.path("nothing")));
}

TEST(ProjectIndexTest, ProjectsOfAKindKeepTheIndexOrder) {
    TempTree tree;
    tree.text("r/c/package.json", "{}");
    tree.text("r/b/Podfile", "");
    tree.text("r/a/package.json", "{}");
    tree.text("r/a/Podfile", "");
    ProjectIndex index({tree.path("r")}, 5);
    index.build([] { return false; });
    EXPECT_EQ(pathsOf(index.projects(Kind::node)), (std::vector<std::string>{tree.path("r/a"), tree.path("r/c")}));
    EXPECT_EQ(pathsOf(index.projects(Kind::cocoapods)), (std::vector<std::string>{tree.path("r/a"), tree.path("r/b")}));
    EXPECT_TRUE(index.projects(Kind::go).empty());
}

TEST(ProjectIndexTest, CancelStopsTheWalkKeepingWhatWasFound) {
    TempTree tree;
    tree.text("r1/a/go.mod", "");
    tree.text("r1/b/go.mod", "");
    tree.text("r2/c/go.mod", "");
    {
        ProjectIndex index({tree.path("r1"), tree.path("r2")}, 5);
        index.build([] { return true; });
        EXPECT_TRUE(index.projects().empty());
    }
    {
        // Cancelled once the first project folder has been looked at.
        int asked = 0;
        ProjectIndex index({tree.path("r1"), tree.path("r2")}, 5);
        index.build([&] { return ++asked > 3; });
        EXPECT_EQ(pathsOf(index.projects()), std::vector<std::string>{tree.path("r1/a")});
    }
}

TEST(ProjectIndexTest, KindsHaveTheirCaseNamesAsText) {
    EXPECT_EQ(DetectedProject::allKinds().size(), 11u);
    for (auto kind : DetectedProject::allKinds())
        EXPECT_EQ(DetectedProject::kindFromRawValue(DetectedProject::rawValue(kind)), kind);
    EXPECT_EQ(DetectedProject::rawValue(Kind::reactNative), "reactNative");
    EXPECT_EQ(DetectedProject::rawValue(Kind::nextjs), "nextjs");
    EXPECT_FALSE(DetectedProject::kindFromRawValue("ReactNative"));
}

}  // namespace
}  // namespace korvane
