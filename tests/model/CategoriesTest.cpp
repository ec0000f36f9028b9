#include "core/model/Categories.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(CategoriesTest, TextFormsAreExact) {
    EXPECT_EQ(cleanupCategoryFromRawValue("reactNative"), CleanupCategory::reactNative);
    EXPECT_FALSE(cleanupCategoryFromRawValue("ReactNative"));
    EXPECT_FALSE(cleanupCategoryFromRawValue("react-native"));
    EXPECT_FALSE(cleanupCategoryFromRawValue(""));
}

}  // namespace
}  // namespace korvane
