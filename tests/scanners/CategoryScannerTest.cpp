#include "core/scanners/CategoryScanner.h"

#include "core/model/Paths.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using testing::TempTree;

class PlainScanner : public CategoryScanner {
public:
    CleanupCategory category() const override { return CleanupCategory::xcode; }
    bool isAvailable() const override { return true; }
    CategoryResult scan(const ScanContext&) const override { return CategoryResult(category(), 0, {}); }
};

class CategoryScannerTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(home.root()); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    TempTree home;
    PlainScanner scanner;
};

TEST_F(CategoryScannerTest, MakeCandidateChecksThePathAndTakesTheScannersCategory) {
    const std::string derived = home.path("Library/Developer/Xcode/DerivedData");
    const auto made = scanner.makeCandidate("xcode.derivedData", "Derived Data", "App", derived + "/x/../App-abc", 42,
                                            SafetyLevel::safe, "why", std::nullopt, std::nullopt, {{"k", "v"}});
    ASSERT_TRUE(made);
    EXPECT_EQ(made->category, CleanupCategory::xcode);
    EXPECT_EQ(made->path, derived + "/App-abc");  // the very path that was checked
    EXPECT_EQ(made->size, 42);
    EXPECT_TRUE(made->removal.isPath());
    EXPECT_TRUE(made->isSelectedByDefault);
    EXPECT_EQ(made->details.at("k"), "v");

    const auto caution = scanner.makeCandidate("xcode.derivedData", "g", "t", derived + "/App-abc", 1,
                                               SafetyLevel::caution, "r", "hint", std::nullopt, {});
    ASSERT_TRUE(caution);
    EXPECT_FALSE(caution->isSelectedByDefault);
    EXPECT_NE(caution->id, made->id);

    // The folder itself is one component short of the rule's shape; an
    // unknown rule allows nothing.
    EXPECT_FALSE(scanner.makeCandidate("xcode.derivedData", "g", "t", derived, 1, SafetyLevel::safe, "r", std::nullopt,
                                       std::nullopt, {}));
    EXPECT_FALSE(scanner.makeCandidate("xcode.derivedDataa", "g", "t", derived + "/App", 1, SafetyLevel::safe, "r",
                                       std::nullopt, std::nullopt, {}));
}

}  // namespace
}  // namespace korvane
