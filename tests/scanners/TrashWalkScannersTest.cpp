#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/scanners/ProjectIndex.h"
#include "core/scanners/ScanContext.h"
#include "core/system/Paths.h"
#include "tests/support/TrashScenes.h"

namespace korvane {
namespace {

using testing::BuiltTrashScene;
using testing::TrashScene;

// Each walk of the developer scan starts at the folder that holds the Trash,
// as a project folder or a swept cache folder there would.
struct Walker {
    const char* name;
    std::vector<std::string> (*walk)(const std::string& folder);
    bool entersHiddenFolders;
};

const std::vector<Walker>& walkers() {
    static const std::vector<Walker> rows = {
        {"ProjectIndex",
         [](const std::string& folder) {
             ProjectIndex index({folder}, 6);
             index.build([] { return false; });
             std::vector<std::string> paths;
             for (const auto& project : index.projects()) paths.push_back(project.url);
             return paths;
         },
         false},
        {"SweptChildren",
         [](const std::string& folder) {
             ScanContext context(std::make_shared<FastSizer>(),
                                 std::make_shared<ProjectIndex>(std::vector<std::string>{}, 5),
                                 ScanSettings(5242880, 60, {}, {}, {}));
             std::vector<std::string> paths;
             for (const auto& entry : context.children(folder, true)) paths.push_back(entry.url);
             return paths;
         },
         true},
    };
    return rows;
}

class TrashWalkScannersTest : public ::testing::TestWithParam<TrashScene> {};

TEST_P(TrashWalkScannersTest, DeveloperScanWalksPassTheTrashBy) {
    const BuiltTrashScene built(GetParam());
    for (const Walker& walker : walkers()) {
        const auto paths = walker.walk(Paths::parent(built.trash));
        EXPECT_FALSE(paths.empty()) << walker.name;  // the walk did look there
        for (const auto& path : paths)
            EXPECT_FALSE(Paths::isAtOrBelow(path, built.trash)) << walker.name << path;
        if (built.lookalike.empty() ||
            (!walker.entersHiddenFolders && Paths::lastComponent(built.lookalike).front() == '.'))
            continue;
        const auto around = walker.walk(Paths::parent(built.lookalike));
        bool sawLookalike = false;
        for (const auto& path : around)
            sawLookalike = sawLookalike || Paths::isAtOrBelow(path, built.lookalike);
        EXPECT_TRUE(sawLookalike) << walker.name << " passed by " << built.lookalike;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, TrashWalkScannersTest, ::testing::ValuesIn(testing::trashScenes()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane
