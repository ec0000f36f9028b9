#include "core/scanners/CandidateLedger.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

constexpr std::int64_t MiB = 1048576;
constexpr std::int64_t GB = 1000000000;

CleanupCandidate candidate(const std::string& path, std::int64_t size, CleanupCategory category = CleanupCategory::node) {
    return CleanupCandidate(UUID::random(), category, "rule", "Group", path, path, size, SafetyLevel::safe, "why",
                            std::nullopt, std::nullopt, {}, RemovalKind::path());
}

CleanupCandidate command(std::int64_t size) {
    return CleanupCandidate(UUID::random(), CleanupCategory::docker, "docker.images", "Images", "Images", "/", size,
                            SafetyLevel::safe, "why", std::nullopt, std::nullopt, {},
                            RemovalKind::command(ExternalTool::docker, {"image", "prune", "-f"}));
}

TEST(CandidateLedgerTest, SamePathIsKeptOnlyByTheFirstOffer) {
    CandidateLedger ledger(5 * MiB);
    ASSERT_TRUE(ledger.claim(candidate("/h/p/DerivedData", 100 * MiB, CleanupCategory::xcode)));
    EXPECT_FALSE(ledger.claim(candidate("/h/p/DerivedData", 100 * MiB)));
    // Another spelling of the same folder is the same claim.
    EXPECT_FALSE(ledger.claim(candidate("/h/p/./x/..//DerivedData/", 100 * MiB)));
}

TEST(CandidateLedgerTest, ContentsOfAClaimedFolderAreDroppedWhateverTheirSize) {
    CandidateLedger ledger(5 * MiB);
    ASSERT_TRUE(ledger.claim(candidate("/h/a", 10 * MiB)));
    EXPECT_FALSE(ledger.claim(candidate("/h/a/b", 100 * GB)));
    EXPECT_FALSE(ledger.claim(candidate("/h/a/b/c/d", 1)));
    // A sibling sharing the name's first letters is not inside.
    EXPECT_TRUE(ledger.claim(candidate("/h/ab", 1)));
}

TEST(CandidateLedgerTest, EnclosingFolderShrinksByWhatIsOwnedInside) {
    CandidateLedger ledger(5 * MiB);
    ASSERT_TRUE(ledger.claim(candidate("/h/big/owned", 4 * GB)));
    const auto kept = ledger.claim(candidate("/h/big", 10 * GB));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->size, 6 * GB);
    EXPECT_EQ(ledger.claimed().at("/h/big"), 6 * GB);
}

TEST(CandidateLedgerTest, NoiseFloorBitesOnlyOnOverlappingCandidatesAtItsBoundary) {
    {
        CandidateLedger ledger(5 * MiB);
        ASSERT_TRUE(ledger.claim(candidate("/h/big/owned", 10 * GB - 2 * 1000000)));
        // 2 MB left beside what is owned: at most the floor, dropped.
        EXPECT_FALSE(ledger.claim(candidate("/h/big", 10 * GB)));
        // A dropped candidate records nothing, so it blocks nothing.
        EXPECT_TRUE(ledger.claim(candidate("/h/big/other", 1)));
    }
    {
        CandidateLedger ledger(5 * MiB);
        ASSERT_TRUE(ledger.claim(candidate("/h/x/in", 1)));
        EXPECT_FALSE(ledger.claim(candidate("/h/x", 5 * MiB + 1)));  // exactly the floor left
        CandidateLedger other(5 * MiB);
        ASSERT_TRUE(other.claim(candidate("/h/x/in", 1)));
        const auto kept = other.claim(candidate("/h/x", 5 * MiB + 2));  // one byte above
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->size, 5 * MiB + 1);
    }
    {
        // Nothing inside: any candidate of at least one byte survives the floor.
        CandidateLedger ledger(5 * MiB);
        EXPECT_TRUE(ledger.claim(candidate("/h/small", 3 * MiB)));
        EXPECT_TRUE(ledger.claim(candidate("/h/tiny", 1)));
        EXPECT_FALSE(ledger.claim(candidate("/h/empty", 0)));
        EXPECT_FALSE(ledger.claim(candidate("/h/negative", -5)));
    }
}

TEST(CandidateLedgerTest, EnclosingFolderEntirelyOwnedIsDroppedEvenWithoutAFloor) {
    CandidateLedger ledger(0);
    ASSERT_TRUE(ledger.claim(candidate("/h/a/b", 10)));
    EXPECT_FALSE(ledger.claim(candidate("/h/a", 8)));  // raw negative, adjusted 0
    const auto kept = ledger.claim(candidate("/h/c", 11));
    ASSERT_TRUE(kept);
    ASSERT_TRUE(ledger.claim(candidate("/h/c2/x", 10)));
    const auto shrunk = ledger.claim(candidate("/h/c2", 11));
    ASSERT_TRUE(shrunk);
    EXPECT_EQ(shrunk->size, 1);
}

TEST(CandidateLedgerTest, SiblingsWithCommonPrefixDoNotCountAsNested) {
    CandidateLedger ledger(5 * MiB);
    ASSERT_TRUE(ledger.claim(candidate("/a/bc", 50 * MiB)));
    ASSERT_TRUE(ledger.claim(candidate("/a/b/c", 20 * MiB)));
    const auto kept = ledger.claim(candidate("/a/b", 100 * MiB));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->size, 80 * MiB);
}

TEST(CandidateLedgerTest, CommandRemovalsPassUntouchedAndClaimNothing) {
    CandidateLedger ledger(5 * MiB);
    ASSERT_TRUE(ledger.claim(candidate("/", 1)));
    const auto big = command(500 * GB);
    const auto kept = ledger.claim(big);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, big);
    EXPECT_TRUE(ledger.claim(command(0)));
    EXPECT_EQ(ledger.claimed().size(), 1u);
}

TEST(CandidateLedgerTest, FilterClaimsLargestFirstAndKeepsTheRestOfTheResult) {
    CandidateLedger ledger(5 * MiB);
    CategoryResult result(CleanupCategory::gradle, 123, {candidate("/h/f/sub", 10 * MiB), candidate("/h/f", 40 * MiB),
                                                         candidate("/h/g", 40 * MiB), candidate("/h/z", 7 * MiB)},
                          std::string("note"), 2.5);
    const CategoryResult filtered = ledger.filter(result);
    EXPECT_EQ(filtered.category, CleanupCategory::gradle);
    EXPECT_EQ(filtered.footprint, 123);
    EXPECT_EQ(filtered.note, std::optional<std::string>("note"));
    EXPECT_EQ(filtered.duration, 2.5);
    ASSERT_EQ(filtered.candidates.size(), 3u);
    // Equal sizes keep the scanner's order; the subfolder met after its folder is dropped.
    EXPECT_EQ(filtered.candidates[0].path, "/h/f");
    EXPECT_EQ(filtered.candidates[0].size, 40 * MiB);
    EXPECT_EQ(filtered.candidates[1].path, "/h/g");
    EXPECT_EQ(filtered.candidates[2].path, "/h/z");
}

TEST(CandidateLedgerTest, EarlierCategoryOwnsAFolderOfferedByTwo) {
    CandidateLedger ledger(5 * MiB);
    const auto first = ledger.filter(CategoryResult(CleanupCategory::reactNative, 0, {candidate("/h/app/build", 30 * MiB)}));
    const auto second = ledger.filter(CategoryResult(CleanupCategory::android, 0, {candidate("/h/app/build", 30 * MiB)}));
    EXPECT_EQ(first.candidates.size(), 1u);
    EXPECT_TRUE(second.candidates.empty());
}

}  // namespace
}  // namespace korvane
