#include <gtest/gtest.h>

#include <set>

#include "core/model/Categories.h"
#include "core/scanners/AllScanners.h"

namespace korvane {
namespace {

TEST(AllScanners, OneScannerForEveryCategory) {
    auto scanners = makeAllScanners();
    std::set<CleanupCategory> seen;
    for (const auto& scanner : scanners) {
        EXPECT_TRUE(seen.insert(scanner->category()).second) << rawValue(scanner->category()) << " twice";
    }
    const auto& all = allCleanupCategories();
    EXPECT_EQ(seen, std::set<CleanupCategory>(all.begin(), all.end()));
}

}  // namespace
}  // namespace korvane
