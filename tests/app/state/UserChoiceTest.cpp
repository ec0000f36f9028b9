#include <gtest/gtest.h>

#include "app/state/UserChoice.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using TimePoint = std::chrono::system_clock::time_point;

class UserChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(tree.folder("home")); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    FileTreeScanner::Entry entry(const std::string& path, bool isDirectory = false) {
        return FileTreeScanner::Entry::make(Paths::lastComponent(path), path, 4096, when, isDirectory);
    }

    testing::TempTree tree;
    const TimePoint when = TimePoint(std::chrono::seconds(1'700'000'000));
};

TEST_F(UserChoiceTest, APickedFileBecomesACautiousCandidateForTheTrash) {
    const std::string path = tree.file("home/Movies/big film.mkv", 10);
    const auto candidate = UserChoice::candidate(entry(path));
    ASSERT_TRUE(candidate);
    EXPECT_FALSE(candidate->id.isNil());
    EXPECT_EQ(candidate->category, CleanupCategory::toolchains);
    EXPECT_EQ(candidate->ruleID, "general.userChoice");
    EXPECT_EQ(candidate->groupTitle, "Files you chose");
    EXPECT_EQ(candidate->title, "big film.mkv");
    EXPECT_EQ(candidate->path, path);
    EXPECT_EQ(candidate->size, 4096);
    EXPECT_EQ(candidate->safety, SafetyLevel::caution);
    EXPECT_EQ(
        candidate->reason,
        "You picked this yourself. Korvane has no way to recreate it, so it goes to the Trash rather than "
        "being deleted.");
    EXPECT_EQ(candidate->restoreHint, "Recoverable from the Trash until you empty it");
    EXPECT_EQ(candidate->lastModified, when);
    EXPECT_TRUE(candidate->details.empty());
    EXPECT_TRUE(candidate->removal.isPath());
    EXPECT_FALSE(candidate->isSelectedByDefault);

    EXPECT_EQ(UserChoice::candidate(entry(tree.folder("home/Old.app"), true))->groupTitle,
              "Folders you chose");
}

}  // namespace
}  // namespace korvane
