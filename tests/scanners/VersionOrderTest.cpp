#include <gtest/gtest.h>

#include <algorithm>

#include "core/scanners/AndroidScanner.h"
#include "core/scanners/GradleScanner.h"
#include "core/scanners/VersionOrder.h"

namespace korvane {
namespace {

using Numbers = VersionOrder::Numbers;

TEST(VersionOrderTest, NumbersAreTheRunsOfDigits) {
    EXPECT_EQ(VersionOrder::numbers("34.0.0"), (Numbers{34, 0, 0}));
    EXPECT_EQ(VersionOrder::numbers("25.0.0-rc1"), (Numbers{25, 0, 0, 1}));
    EXPECT_EQ(VersionOrder::numbers("gradle-8.10-bin"), (Numbers{8, 10}));
    EXPECT_EQ(VersionOrder::numbers("r21e"), (Numbers{21}));
    EXPECT_EQ(VersionOrder::numbers("007"), (Numbers{7}));
    EXPECT_EQ(VersionOrder::numbers("UpsideDownCake"), Numbers{});
    EXPECT_EQ(VersionOrder::numbers(""), Numbers{});
    EXPECT_EQ(VersionOrder::numbers("..1..2.."), (Numbers{1, 2}));
}

TEST(VersionOrderTest, RunsThatAreNotPlainDecimalOrTooLargeAreDropped) {
    // Non-ASCII numerals belong to the run they touch, which then cannot be
    // read: "3٣" is one run, not 3.
    EXPECT_EQ(VersionOrder::numbers("1.3\u0663.5"), (Numbers{1, 5}));
    EXPECT_EQ(VersionOrder::numbers("2\u00BD"), Numbers{});       // 2½
    EXPECT_EQ(VersionOrder::numbers("v\u2167-4"), (Numbers{4}));  // roman eight
    EXPECT_EQ(VersionOrder::numbers("\u4E09.7"), (Numbers{7}));   // CJK three
    EXPECT_EQ(VersionOrder::numbers("x\u00E97"), (Numbers{7}));   // a letter beyond ASCII separates
    EXPECT_EQ(VersionOrder::numbers("9223372036854775807.1"), (Numbers{9223372036854775807, 1}));
    EXPECT_EQ(VersionOrder::numbers("9223372036854775808.1"), (Numbers{1}));
    EXPECT_EQ(VersionOrder::numbers("99999999999999999999999"), Numbers{});
    // Invalid UTF-8 bytes separate like any other non-number.
    EXPECT_EQ(VersionOrder::numbers("1\xff"
                                    "2\xc3"),
              (Numbers{1, 2}));
    EXPECT_EQ(VersionOrder::numbers("\xe0\x80\xb1"
                                    "5"),
              (Numbers{5}));  // overlong "1" is no digit
}

TEST(VersionOrderTest, NumberCharacters) {
    EXPECT_TRUE(VersionOrder::isNumberCharacter(U'0'));
    EXPECT_TRUE(VersionOrder::isNumberCharacter(U'9'));
    EXPECT_FALSE(VersionOrder::isNumberCharacter(U'/'));
    EXPECT_FALSE(VersionOrder::isNumberCharacter(U':'));
    EXPECT_TRUE(VersionOrder::isNumberCharacter(U'\u00B2'));
    EXPECT_TRUE(VersionOrder::isNumberCharacter(U'\u0669'));
    EXPECT_FALSE(VersionOrder::isNumberCharacter(U'a'));
    EXPECT_FALSE(VersionOrder::isNumberCharacter(0x10FFFF));
    EXPECT_TRUE(VersionOrder::startsWithNumber("8.5"));
    EXPECT_TRUE(VersionOrder::startsWithNumber("\u0663x"));
    EXPECT_FALSE(VersionOrder::startsWithNumber("modules-2"));
    EXPECT_FALSE(VersionOrder::startsWithNumber(""));
    EXPECT_FALSE(
        VersionOrder::startsWithNumber("\xff"
                                       "1"));
}

TEST(VersionOrderTest, NumbersDecideBeforeText) {
    EXPECT_TRUE(VersionOrder::isOlder("8.9", "8.10"));
    EXPECT_FALSE(VersionOrder::isOlder("8.10", "8.9"));
    EXPECT_TRUE(VersionOrder::isOlder("33.0.2", "34.0.0"));
    // A missing number counts as 0, so 34 and 34.0.0 tie and the text decides.
    EXPECT_TRUE(VersionOrder::isOlder("34", "34.0.0"));
    EXPECT_FALSE(VersionOrder::isOlder("34.0.0", "34"));
    EXPECT_TRUE(VersionOrder::isOlder("34", "34.0.1"));
    EXPECT_FALSE(VersionOrder::isOlder("8.5", "8.5"));
    // A release candidate's number puts it after the plain release.
    EXPECT_TRUE(VersionOrder::isOlder("25.0.0", "25.0.0-rc1"));
    EXPECT_TRUE(VersionOrder::isOlder("25.0.0-rc1", "25.0.0-rc2"));
    EXPECT_TRUE(VersionOrder::isOlder("25.0.0-rc2", "25.0.1"));
    // Without numbers only the text is left.
    EXPECT_TRUE(VersionOrder::isOlder("alpha", "beta"));
    EXPECT_TRUE(VersionOrder::isOlder("Zeta", "alpha"));
}

TEST(VersionOrderTest, IsAStrictOrderOverMixedNames) {
    const std::vector<std::string> names{"34.0.0", "34",      "33.0.2",         "25.0.0-rc1",     "25.0.0",
                                         "8.10",   "8.9",     "gradle-8.5-all", "gradle-8.5-bin", "x",
                                         "",       "2\u00BD", "1.\xff"};
    for (const auto& a : names) {
        EXPECT_FALSE(VersionOrder::isOlder(a, a)) << a;
        for (const auto& b : names) {
            if (a != b) {
                EXPECT_NE(VersionOrder::isOlder(a, b), VersionOrder::isOlder(b, a)) << a << " / " << b;
            }
            for (const auto& c : names)
                if (VersionOrder::isOlder(a, b) && VersionOrder::isOlder(b, c)) {
                    EXPECT_TRUE(VersionOrder::isOlder(a, c)) << a << " < " << b << " < " << c;
                }
        }
    }
}

TEST(VersionOrderTest, NewestIsTheGreatestWhateverTheListingOrder) {
    std::vector<std::string> names{"33.0.2", "34.0.0", "30.0.3", "34.0.0-rc3", "9.0.0"};
    std::sort(names.begin(), names.end());
    do {
        EXPECT_EQ(VersionOrder::newest(names, &VersionOrder::isOlder), "34.0.0-rc3");
    } while (std::next_permutation(names.begin(), names.end()));
    EXPECT_EQ(VersionOrder::newest({}, &VersionOrder::isOlder), std::nullopt);
    EXPECT_EQ(VersionOrder::newest({"only"}, &VersionOrder::isOlder), "only");
}

TEST(VersionOrderTest, AndroidDropsItsPrefixFirstAndGradleDoesNot) {
    EXPECT_EQ(AndroidScanner::versionNumbers("android-34"), (Numbers{34}));
    EXPECT_EQ(AndroidScanner::versionNumbers("34.0.0"), (Numbers{34, 0, 0}));
    EXPECT_EQ(AndroidScanner::versionNumbers("25.0.0-rc1"), (Numbers{25, 0, 0, 1}));
    EXPECT_EQ(AndroidScanner::versionNumbers("android-UpsideDownCake"), Numbers{});
    // Removing the prefix joins the digits on either side of it.
    EXPECT_EQ(AndroidScanner::versionNumbers("3android-4"), (Numbers{34}));
    EXPECT_FALSE(AndroidScanner::isOlderVersion("3android-9", "4"));  // 39 against 4
    EXPECT_TRUE(GradleScanner::isOlderVersion("3android-9", "4"));    // 3.9 against 4

    EXPECT_TRUE(AndroidScanner::isOlderVersion("android-33", "android-34"));
    EXPECT_TRUE(AndroidScanner::isOlderVersion("android-UpsideDownCake", "android-34"));
    EXPECT_FALSE(AndroidScanner::isOlderVersion("android-34", "android-UpsideDownCake"));
    EXPECT_TRUE(AndroidScanner::isOlderVersion("android-9", "android-10"));

    EXPECT_TRUE(GradleScanner::isOlderVersion("8.9", "8.10"));
    EXPECT_TRUE(GradleScanner::isOlderVersion("7.6", "8.5"));
    // Equal numbers: the text decides, so -bin sorts after -all.
    EXPECT_TRUE(GradleScanner::isOlderVersion("gradle-8.5-all", "gradle-8.5-bin"));
    EXPECT_TRUE(GradleScanner::isOlderVersion("gradle-8.5-bin", "gradle-8.6-all"));
    EXPECT_TRUE(GradleScanner::isOlderVersion("8.5", "8.5-rc-1"));
}

}  // namespace
}  // namespace korvane
