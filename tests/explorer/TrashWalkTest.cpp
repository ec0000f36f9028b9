#include <gtest/gtest.h>
#include <sys/mount.h>

#include <string>
#include <vector>

#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/FastSizer.h"
#include "core/system/Paths.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TrashScenes.h"

namespace korvane {
namespace {

using testing::BuiltTrashScene;
using testing::duBytes;
using testing::smallOptions;
using testing::TrashScene;

// What one walk over the scene's root saw: the bytes it counted and every
// path it named.
struct Seen {
    std::int64_t bytes = 0;
    std::vector<std::string> paths;
};

struct Walker {
    const char* name;
    Seen (*walk)(const std::string& root);
};

void collect(const StorageNode& node, std::vector<std::string>& paths) {
    if (node.path) paths.push_back(*node.path);
    for (const StorageNode& child : node.children) collect(child, paths);
}

const std::vector<Walker>& walkers() {
    static const std::vector<Walker> rows = {
        {"FolderScanTree",
         [](const std::string& root) {
             auto result = FileTreeScanner(smallOptions()).scan(root);
             Seen seen{result.root.bytes, {}};
             collect(result.root, seen.paths);
             return seen;
         }},
        {"LargeFiles",
         [](const std::string& root) {
             auto result = FileTreeScanner(smallOptions()).scan(root);
             Seen seen{result.root.bytes, {}};
             for (const auto& entry : result.largest) seen.paths.push_back(entry.path);
             return seen;
         }},
        {"Search",
         [](const std::string& root) {
             auto result = FileTreeScanner(smallOptions()).scan(root);
             FileSearch::Query query;
             query.text = "bin";
             const FileSearch::Index index(result.index);
             Seen seen{result.root.bytes, {}};
             for (const auto& entry : FileSearch::run(query, index, FileSearch::Sort::size, 100))
                 seen.paths.push_back(entry.path);
             return seen;
         }},
        {"Sizer",
         [](const std::string& root) {
             Seen seen;
             if (auto measured = FastSizer().measure(root)) seen.bytes = measured->bytes;
             return seen;
         }},
    };
    return rows;
}

void expectPassesTheTrashBy(const Walker& walker, const BuiltTrashScene& built, const std::string& where) {
    const std::string root = built.tree.root();
    const Seen seen = walker.walk(root);
    EXPECT_EQ(seen.bytes, duBytes(root) - duBytes(built.trash)) << where;
    for (const auto& path : seen.paths) EXPECT_FALSE(Paths::isAtOrBelow(path, built.trash)) << where << path;
    if (built.lookalike.empty() || seen.paths.empty()) return;
    bool sawLookalike = false;
    for (const auto& path : seen.paths)
        sawLookalike = sawLookalike || Paths::isAtOrBelow(path, built.lookalike);
    EXPECT_TRUE(sawLookalike) << where << " passed by " << built.lookalike;
}

class TrashWalkTest : public ::testing::TestWithParam<TrashScene> {};

TEST_P(TrashWalkTest, EveryWalkPassesTheTrashBy) {
    const BuiltTrashScene built(GetParam());
    for (const Walker& walker : walkers()) expectPassesTheTrashBy(walker, built, walker.name);
}

// Left out of every total, the Trash is still said, with what it holds.
TEST_P(TrashWalkTest, AFolderScanSaysHowMuchTheTrashItLeftOutHolds) {
    const BuiltTrashScene built(GetParam());
    const auto result = FileTreeScanner(smallOptions()).scan(built.tree.path("home"));
    EXPECT_EQ(result.trashBytes, duBytes(built.trash));
}

INSTANTIATE_TEST_SUITE_P(Scenes, TrashWalkTest, ::testing::ValuesIn(testing::trashScenes()),
                         [](const auto& info) { return std::string(info.param.name); });

// A volume's own Trash sits at its top; a folder of that name deeper down is
// an ordinary folder.
TEST(TrashWalkVolumeTest, TheTrashAtTheTopOfAVolumeIsPassedBy) {
    BuiltTrashScene built(testing::trashScenes().front());
    testing::TempTree& tree = built.tree;
    const std::string volume = tree.folder("home/volume");
    const std::string source = tree.folder("volume-source");
    const std::string trashName = testing::currentUserTrashName();
    tree.file("volume-source/" + trashName + "/files/thrown.bin", 1 << 20);
    tree.file("volume-source/" + trashName + "/info/thrown.bin.trashinfo", 100);
    tree.file("volume-source/deeper/" + trashName + "/kept.bin", 1 << 20);
    // Scanned itself: a folder scan does not enter a mount point below its root.
    const std::string root = volume;

    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(source.c_str(), volume.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("no mount");
        std::string text;
        for (const Walker& walker : walkers()) {
            const Seen walked = walker.walk(root);
            const std::int64_t expected = duBytes(root) - duBytes(volume + "/" + trashName);
            text += std::string(walker.name) + (walked.bytes == expected ? " counts" : " miscounts");
            for (const auto& path : walked.paths)
                if (Paths::isAtOrBelow(path, volume + "/" + trashName)) text += " " + path;
            text += "\n";
        }
        return text;
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    std::string expected;
    for (const Walker& walker : walkers()) expected += std::string(walker.name) + " counts\n";
    EXPECT_EQ(*seen, expected);
}

}  // namespace
}  // namespace korvane
