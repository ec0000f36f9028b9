#include "core/scanners/CategoryScanner.h"

#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/scanners/ScanContext.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

using testing::duBytes;
using testing::TempTree;

class SweepingScanner : public CategoryScanner {
public:
    CleanupCategory category() const override { return CleanupCategory::xcode; }
    bool isAvailable() const override { return true; }
    CategoryResult scan(const ScanContext&) const override { return CategoryResult(category(), 0, {}); }
};

class CategoryScannerTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(home.root()); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    std::shared_ptr<ScanContext> context() const {
        return std::make_shared<ScanContext>(std::make_shared<FastSizer>(),
                                             std::make_shared<ProjectIndex>(std::vector<std::string>{}, 5),
                                             ScanSettings(5242880, 60, {}, {}, {}));
    }

    CategoryScanner::Sweep sweep(SafetyLevel safety = SafetyLevel::safe) const {
        CategoryScanner::Sweep parts;
        parts.ruleID = "xcode.derivedData";
        parts.groupTitle = "Derived Data";
        parts.safety = safety;
        parts.reason = "Build products.";
        parts.restoreHint = "Rebuilt on next build";
        parts.title = [](const std::string& path) { return "Project " + Paths::lastComponent(path); };
        parts.details = [](const std::string&, const FastSizer::Measurement& m) {
            return CategoryScanner::Details{{"Files", std::to_string(m.files)}};
        };
        return parts;
    }

    TempTree home;
    SweepingScanner scanner;
};

TEST_F(CategoryScannerTest, MakeCandidateChecksThePathAndTakesTheScannersCategory) {
    const std::string derived = home.path("Library/Developer/Xcode/DerivedData");
    const auto made = scanner.makeCandidate({.ruleID = "xcode.derivedData",
                                             .groupTitle = "Derived Data",
                                             .title = "App",
                                             .path = derived + "/x/../App-abc",
                                             .size = 42,
                                             .safety = SafetyLevel::safe,
                                             .reason = "why",
                                             .details = {{"k", "v"}}});
    ASSERT_TRUE(made);
    EXPECT_EQ(made->category, CleanupCategory::xcode);
    EXPECT_EQ(made->path, derived + "/App-abc");  // the very path that was checked
    EXPECT_EQ(made->size, 42);
    EXPECT_TRUE(made->removal.isPath());
    EXPECT_TRUE(made->isSelectedByDefault);
    EXPECT_EQ(made->details.at("k"), "v");

    const auto caution = scanner.makeCandidate({.ruleID = "xcode.derivedData",
                                                .groupTitle = "g",
                                                .title = "t",
                                                .path = derived + "/App-abc",
                                                .size = 1,
                                                .safety = SafetyLevel::caution,
                                                .reason = "r",
                                                .restoreHint = "hint"});
    ASSERT_TRUE(caution);
    EXPECT_FALSE(caution->isSelectedByDefault);
    EXPECT_EQ(caution->restoreHint, std::optional<std::string>("hint"));
    EXPECT_NE(caution->id, made->id);

    // The folder itself is one component short of the rule's shape; an
    // unknown rule allows nothing.
    EXPECT_FALSE(scanner.makeCandidate({.ruleID = "xcode.derivedData",
                                        .groupTitle = "g",
                                        .title = "t",
                                        .path = derived,
                                        .size = 1,
                                        .safety = SafetyLevel::safe,
                                        .reason = "r"}));
    EXPECT_FALSE(scanner.makeCandidate({.ruleID = "xcode.derivedDataa",
                                        .groupTitle = "g",
                                        .title = "t",
                                        .path = derived + "/App",
                                        .size = 1,
                                        .safety = SafetyLevel::safe,
                                        .reason = "r"}));
}

TEST_F(CategoryScannerTest, FindingsKeepCandidatesInOrderAndSumTheFootprintWithoutWrapping) {
    const std::string derived = home.path("Library/Developer/Xcode/DerivedData");
    const auto fields = [&](const std::string& name) {
        return CategoryScanner::CandidateFields{.ruleID = "xcode.derivedData",
                                                .groupTitle = "g",
                                                .title = name,
                                                .path = derived + "/" + name,
                                                .size = 1,
                                                .safety = SafetyLevel::safe,
                                                .reason = "r"};
    };
    CategoryScanner::Findings found;
    found.add(scanner.makeCandidate(fields("B")));
    found.add(std::nullopt);
    found.add(scanner.makeCandidate(fields("A")));
    ASSERT_EQ(found.candidates.size(), 2u);
    EXPECT_EQ(found.candidates[0].title, "B");
    EXPECT_EQ(found.candidates[1].title, "A");

    found.addFootprint(100);
    found.addFootprint(-5);  // a negative size counts as nothing
    EXPECT_EQ(found.footprint, 100);
    found.addFootprint(SizeSum::limit);
    EXPECT_EQ(found.footprint, SizeSum::limit);
}

TEST_F(CategoryScannerTest, SweepOffersEveryNonEmptyEntryInNameOrder) {
    home.file("Library/Developer/Xcode/DerivedData/B-2/Build/x", 30000);
    home.file("Library/Developer/Xcode/DerivedData/A-1/y", 20000);
    home.file("Library/Developer/Xcode/DerivedData/.hidden-3/z", 10000);
    home.file("Library/Developer/Xcode/DerivedData/empty-file", 0);
    home.file("Library/Developer/Xcode/DerivedData/.DS_Store", 4000);
    home.age("Library/Developer/Xcode/DerivedData/A-1/y", 7200);
    home.age("Library/Developer/Xcode/DerivedData/A-1", 3 * 86400);
    const std::string derived = home.path("Library/Developer/Xcode/DerivedData");

    const auto candidates = scanner.sweepEntries(derived, *context(), sweep(SafetyLevel::caution));
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0].path, derived + "/.hidden-3");
    EXPECT_EQ(candidates[1].path, derived + "/A-1");
    EXPECT_EQ(candidates[2].path, derived + "/B-2");
    EXPECT_EQ(candidates[1].title, "Project A-1");
    EXPECT_EQ(candidates[1].size, duBytes(derived + "/A-1"));
    EXPECT_EQ(candidates[1].details.at("Files"), "1");
    EXPECT_EQ(candidates[1].restoreHint, std::optional<std::string>("Rebuilt on next build"));
    EXPECT_FALSE(candidates[1].isSelectedByDefault);
    // What the scan saw of it, for the review and the cleanup to check again.
    struct stat seen {};
    ASSERT_EQ(::lstat(candidates[1].path.c_str(), &seen), 0);
    EXPECT_EQ(candidates[1].seen, ItemIdentity::of(seen));
    // The newest file inside gives the date when it is newer than the folder.
    ASSERT_TRUE(candidates[1].lastModified);
    EXPECT_NEAR(std::chrono::duration<double>(std::chrono::system_clock::now() - *candidates[1].lastModified).count(),
                7200, 5);

    EXPECT_TRUE(scanner.sweepEntries(derived + "/A-1/y", *context(), sweep()).empty());
    EXPECT_TRUE(scanner.sweepEntries(home.path("missing"), *context(), sweep()).empty());
}

TEST_F(CategoryScannerTest, SweepCandidateSkipsEmptyEntriesAndFallsBackToTheEntryDate) {
    const std::string entry = home.folder("Library/Developer/Xcode/DerivedData/App");
    home.age("Library/Developer/Xcode/DerivedData/App", 86400);
    FastSizer::Measurement empty;
    EXPECT_FALSE(scanner.sweepCandidate(entry, empty, sweep()));
    FastSizer::Measurement some;
    some.bytes = 4096;
    const auto made = scanner.sweepCandidate(entry, some, sweep());
    ASSERT_TRUE(made);
    ASSERT_TRUE(made->lastModified);
    EXPECT_NEAR(std::chrono::duration<double>(std::chrono::system_clock::now() - *made->lastModified).count(), 86400, 5);
    // Without a title function the entry's name is the title.
    auto plain = sweep();
    plain.title = nullptr;
    plain.details = nullptr;
    const auto named = scanner.sweepCandidate(entry, some, plain);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->title, "App");
    EXPECT_TRUE(named->details.empty());
}

}  // namespace
}  // namespace korvane
