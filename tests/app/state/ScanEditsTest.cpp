#include <gtest/gtest.h>

#include "app/state/ScanEdits.h"

namespace korvane {
namespace {

CleanupCandidate candidate(const std::string& path, RemovalKind removal = RemovalKind::path()) {
    return CleanupCandidate(UUID::random(), CleanupCategory::node, "node.modules", "Group", path, path, 10,
                            SafetyLevel::safe, "", std::nullopt, std::nullopt, {}, std::move(removal));
}

class ScanEditsTest : public ::testing::Test {
protected:
    ScanEditsTest() {
        scan = ScanResult({}, 1,
                          {CategoryResult(CleanupCategory::node, 500, {a, b, c}, "note"),
                           CategoryResult(CleanupCategory::docker, 70, {command})},
                          {}, {});
    }

    std::vector<std::string> paths() const {
        std::vector<std::string> result;
        for (const auto& candidate : scan.allCandidates()) result.push_back(candidate.path);
        return result;
    }

    CleanupCandidate a = candidate("/h/p/app/node_modules");
    CleanupCandidate b = candidate("/h/p/web/node_modules");
    CleanupCandidate c = candidate("/h/q/node_modules");
    CleanupCandidate command =
        candidate("/h/p", RemovalKind::command(ExternalTool::docker, {"image", "prune"}));
    ScanResult scan;
};

TEST_F(ScanEditsTest, DroppingRemovedCandidatesKeepsOrderAndFootprints) {
    const ScanResult before = scan;
    EXPECT_FALSE(ScanEdits::dropCandidates(scan, {}));
    EXPECT_FALSE(ScanEdits::dropCandidates(scan, {UUID::random()}));
    EXPECT_EQ(scan, before);

    EXPECT_TRUE(ScanEdits::dropCandidates(scan, {b.id, command.id}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"/h/p/app/node_modules", "/h/q/node_modules"}));
    EXPECT_EQ(scan.categories[0].category, CleanupCategory::docker);
    EXPECT_EQ(scan.categories[0].footprint, 70);
    EXPECT_EQ(scan.categories[1].footprint, 500);
    EXPECT_EQ(scan.categories[1].note, "note");
}

TEST_F(ScanEditsTest, ExclusionsDropPathsAtBelowAndAroundThemButNeverCommands) {
    struct Case {
        std::set<std::string> excluded;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {{}, {"/h/p", "/h/p/app/node_modules", "/h/p/web/node_modules", "/h/q/node_modules"}},
        {{"/h/p/app/node_modules"}, {"/h/p", "/h/p/web/node_modules", "/h/q/node_modules"}},
        {{"/h/p/app/node_modules/.bin"},
         {"/h/p", "/h/p/web/node_modules", "/h/q/node_modules"}},  // enclosing
        {{"/h/p/"}, {"/h/p", "/h/q/node_modules"}},                // below, written with a trailing "/"
        {{"/h/p/ap"}, {"/h/p", "/h/p/app/node_modules", "/h/p/web/node_modules", "/h/q/node_modules"}},
    };
    for (const auto& c : cases) {
        ScanResult copy = scan;
        ScanSettings settings(0, 60, {}, {}, c.excluded);
        EXPECT_EQ(ScanEdits::dropExcluded(copy, settings), c.left.size() < 4);
        std::vector<std::string> left;
        for (const auto& candidate : copy.allCandidates()) left.push_back(candidate.path);
        EXPECT_EQ(left, c.left) << ::testing::PrintToString(c.excluded);
    }
}

}  // namespace
}  // namespace korvane
