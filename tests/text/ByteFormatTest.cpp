#include "core/text/ByteFormat.h"

#include <limits>

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ByteFormatTest, ZeroAndNegativeReadAsZeroKilobytes) {
    EXPECT_EQ(ByteFormat::string(0), "0 KB");
    EXPECT_EQ(ByteFormat::string(-1), "0 KB");
    EXPECT_EQ(ByteFormat::string(std::numeric_limits<std::int64_t>::min()), "0 KB");
}

TEST(ByteFormatTest, UnitsAndFractionDigits) {
    EXPECT_EQ(ByteFormat::string(1500000), "1.5 MB");
    EXPECT_EQ(ByteFormat::string(1234000000), "1.23 GB");
    EXPECT_EQ(ByteFormat::string(2000000000), "2 GB");
    EXPECT_EQ(ByteFormat::string(1000), "1 KB");
    EXPECT_EQ(ByteFormat::string(499), "0 KB");
    EXPECT_EQ(ByteFormat::string(500), "1 KB");
    EXPECT_EQ(ByteFormat::string(123456), "123 KB");
    EXPECT_EQ(ByteFormat::string(1000000), "1 MB");
    EXPECT_EQ(ByteFormat::string(1049999), "1 MB");
    EXPECT_EQ(ByteFormat::string(1050000), "1.1 MB");
    EXPECT_EQ(ByteFormat::string(1005000000), "1.01 GB");
    EXPECT_EQ(ByteFormat::string(1100000000), "1.1 GB");
    EXPECT_EQ(ByteFormat::string(3210000000000), "3.21 TB");
}

TEST(ByteFormatTest, RoundingUpCrossesIntoTheNextUnit) {
    EXPECT_EQ(ByteFormat::string(999499), "999 KB");
    EXPECT_EQ(ByteFormat::string(999500), "1 MB");
    EXPECT_EQ(ByteFormat::string(999949999), "999.9 MB");
    EXPECT_EQ(ByteFormat::string(999950000), "1 GB");
    EXPECT_EQ(ByteFormat::string(999995000000), "1 TB");
}

TEST(ByteFormatTest, TerabytesStayTheLargestUnitWithGrouping) {
    EXPECT_EQ(ByteFormat::string(1234000000000000), "1,234 TB");
    EXPECT_EQ(ByteFormat::string(std::numeric_limits<std::int64_t>::max()), "9,223,372.04 TB");
}

TEST(ByteFormatTest, TwoCountsReadAlikeInOneUnitAndOnePrecision) {
    struct Case {
        std::int64_t first, second;
        const char* a;
        const char* b;
    };
    const Case cases[] = {
        {78'400'000'000, 78'510'000'000, "78.40 GB", "78.51 GB"},
        {18'400'000'000, 36'800'000'000, "18.4 GB", "36.8 GB"},
        {78'000'000'000, 79'000'000'000, "78 GB", "79 GB"},
        {500'000'000, 2'000'000'000, "0.5 GB", "2.0 GB"},
        {999'950'000, 999'000'000, "1 GB", "1 GB"},
        {0, 1'500'000, "0.0 MB", "1.5 MB"},
        {-5, 0, "0 KB", "0 KB"},
        {3'210'000'000'000, 3'000'000'000, "3.21 TB", "0.00 TB"},
    };
    for (const Case& c : cases) {
        const auto [a, b] = ByteFormat::alike(c.first, c.second);
        EXPECT_EQ(a, c.a) << c.first;
        EXPECT_EQ(b, c.b) << c.second;
    }
}

TEST(ByteFormatTest, Parts) {
    EXPECT_EQ(ByteFormat::parts(1500000), (std::pair<std::string, std::string>{"1.5", "MB"}));
    EXPECT_EQ(ByteFormat::parts(0), (std::pair<std::string, std::string>{"0", "KB"}));
    EXPECT_EQ(ByteFormat::splitText("Zero"), (std::pair<std::string, std::string>{"Zero", ""}));
    EXPECT_EQ(ByteFormat::splitText("1 2 3"), (std::pair<std::string, std::string>{"1 2 3", ""}));
}

TEST(ByteFormatTest, EquivalentsAtTheirThresholds) {
    EXPECT_TRUE(ByteFormat::equivalents(0).empty());
    EXPECT_TRUE(ByteFormat::equivalents(-5).empty());
    EXPECT_TRUE(ByteFormat::equivalents(349999999).empty());
    EXPECT_EQ(ByteFormat::equivalents(350000000), std::vector<std::string>{"1 minutes of 4K video"});
    EXPECT_EQ(ByteFormat::equivalents(399999999), std::vector<std::string>{"1 minutes of 4K video"});
    EXPECT_EQ(ByteFormat::equivalents(400000000),
              (std::vector<std::string>{"100 photos", "1 minutes of 4K video"}));
    EXPECT_EQ(ByteFormat::equivalents(4000000000),
              (std::vector<std::string>{"1,000 photos", "11 minutes of 4K video"}));
    EXPECT_EQ(ByteFormat::equivalents(40000000000000),
              (std::vector<std::string>{"10,000,000 photos", "114285 minutes of 4K video"}));
}

TEST(ByteFormatTest, GroupedIntegers) {
    EXPECT_EQ(ByteFormat::groupedInteger(0), "0");
    EXPECT_EQ(ByteFormat::groupedInteger(999), "999");
    EXPECT_EQ(ByteFormat::groupedInteger(1000), "1,000");
    EXPECT_EQ(ByteFormat::groupedInteger(-1234567), "-1,234,567");
    EXPECT_EQ(ByteFormat::groupedInteger(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
}

// Every fraction digit of the unit, as a figure rolling through it shows them.
TEST(ByteFormatTest, WithAllDigitsKeepsTheFractionDigitsOfItsUnit) {
    EXPECT_EQ(ByteFormat::withAllDigits(2'000'000'000), "2.00 GB");
    EXPECT_EQ(ByteFormat::withAllDigits(839'000'000), "839.0 MB");
    EXPECT_EQ(ByteFormat::withAllDigits(999'000), "999 KB");
    EXPECT_EQ(ByteFormat::withAllDigits(999'960'000), "1.00 GB");
}

}  // namespace
}  // namespace korvane
