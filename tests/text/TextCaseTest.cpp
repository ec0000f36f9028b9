#include "core/text/TextCase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(TextCaseTest, FoldsCommonScripts) {
    EXPECT_EQ(TextCase::lowercased("Xcode DerivedData"), "xcode deriveddata");
    EXPECT_EQ(TextCase::lowercased("\xC3\x89LAN \xC3\x97"), "\xC3\xA9lan \xC3\x97");             // ÉLAN × → élan ×
    EXPECT_EQ(TextCase::lowercased("\xC5\x81\xC3\x93\xC5\xB9"), "\xC5\x82\xC3\xB3\xC5\xBA");     // ŁÓŹ → łóź
    EXPECT_EQ(TextCase::lowercased("\xCE\xA9\xCE\x91"), "\xCF\x89\xCE\xB1");                     // ΩΑ → ωα
    EXPECT_EQ(TextCase::lowercased("\xD0\x9F\xD0\x81"), "\xD0\xBF\xD1\x91");                     // ПЁ → пё
    EXPECT_EQ(TextCase::lowercased("\xE2\x80\x94 \xF0\x9F\x93\x81"), "\xE2\x80\x94 \xF0\x9F\x93\x81");
}

TEST(TextCaseTest, InvalidBytesPassThrough) {
    EXPECT_EQ(TextCase::lowercased("A\xFF\xC3"), "a\xFF\xC3");
    EXPECT_EQ(TextCase::lowercased("\xC1\x81"), "\xC1\x81");  // overlong "A" is not folded
}

}  // namespace
}  // namespace korvane
