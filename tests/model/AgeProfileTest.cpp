#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/model/AgeProfile.h"

namespace korvane {
namespace {

// Tuesday 2024-03-12 (day 19,794 since 1970) at 15:30 local time.
constexpr AgeProfile::Moment reference{19794, 55'800'000};
constexpr std::int32_t at(int hour, int minute = 0) { return hour * 3600 + minute * 60; }

TEST(AgeProfileTest, ACellCountsWholeDaysAsADateOnEitherSideOfNowsTimeOfDay) {
    struct Case {
        std::int64_t day;
        std::int32_t second;
        int elapsed;          // at the reference
        int elapsedDayLater;  // a day later at the same time of day
        int year, month;
    };
    // clang-format off
    const Case cases[] = {
        {19794, at(9), 0, 1, 2024, 3},             // earlier today
        {19794, at(16), 0, 0, 2024, 3},            // later today: in the future
        {19795, at(1), 0, 0, 2024, 3},             // tomorrow
        {19786, at(16, 30), 7, 8, 2024, 3},        // eight days back, later in the day than now
        {19786, at(15, 30), 8, 9, 2024, 3},        // ... at now's very time of day
        {19782, at(23, 59), 11, 12, 2024, 2},      // 29 February
        {19794 - 731, at(16), 730, 731, 2022, 3},  // the oldest bucket's edge
        {19794 - 731, at(15), 731, 732, 2022, 3},
        {19794 - 801, at(12), 801, 802, 2022, 1},  // only its month is kept: counted from the 1st
        {-1, at(23), 19825, 19826, 1969, 12},
    };
    // clang-format on
    for (const Case& c : cases) {
        AgeProfile profile;
        profile.add(AgeProfile::stamp(reference, c.day, c.second), 10);
        ASSERT_EQ(profile.size(), 1u);
        const AgeProfile::Cell cell = profile.cell(0);
        EXPECT_EQ(cell.bytes, 10);
        EXPECT_EQ(AgeProfile::elapsedDays(cell, profile.referenceMillisecond(), reference), c.elapsed)
            << c.day;
        EXPECT_EQ(AgeProfile::elapsedDays(cell, profile.referenceMillisecond(),
                                          {reference.day + 1, reference.millisecond}),
                  c.elapsedDayLater)
            << c.day;
        int year = 0, month = 0;
        AgeProfile::yearMonth(cell.day, year, month);
        EXPECT_EQ(year, c.year) << c.day;
        EXPECT_EQ(month, c.month) << c.day;
    }
}

TEST(AgeProfileTest, AddingAndMergingInAnyOrderKeepEveryByteInItsCell) {
    struct Add {
        std::int64_t day;
        std::int32_t second;
        std::int64_t bytes;
    };
    const std::vector<Add> adds{{19786, at(16), 5},  {19786, at(14), 7}, {19700, at(1), 11},
                                {19786, at(17), 13}, {18000, at(2), 17}, {18010, at(3), 19},
                                {19800, at(4), 23},  {19700, at(2), 0}};
    AgeProfile all;
    for (const Add& a : adds) all.add(AgeProfile::stamp(reference, a.day, a.second), a.bytes);
    AgeProfile first, second;
    for (std::size_t i = 0; i < adds.size(); ++i) {
        const Add& a = adds[adds.size() - 1 - i];
        (i % 2 ? first : second).add(AgeProfile::stamp(reference, a.day, a.second), a.bytes);
    }
    first.merge(second);
    EXPECT_EQ(first, all);
    EXPECT_EQ(all.total(), 95);

    // Oldest first; one cell per day and side of the reference's time of
    // day, one per month before the days kept one by one.
    struct Expected {
        std::int64_t day;
        bool late;
        std::int64_t bytes;
    };
    const std::vector<Expected> expected{{17987, false, 17 + 19},
                                         {19700, false, 11},
                                         {19786, false, 7},
                                         {19786, true, 5 + 13},
                                         {19800, false, 23}};
    ASSERT_EQ(all.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(all.cell(i).day, expected[i].day) << i;
        EXPECT_EQ(all.cell(i).late, expected[i].late) << i;
        EXPECT_EQ(all.cell(i).bytes, expected[i].bytes) << i;
    }

    // A profile of one cell that is the node's own date's keeps nothing.
    AgeProfile one;
    one.add(AgeProfile::stamp(reference, 19786, at(16)), 5);
    AgeProfile other = one;
    one.elide(AgeProfile::stamp(reference, 19786, at(17)));
    EXPECT_TRUE(one.isNodeDate());
    EXPECT_FALSE(one.empty());
    other.elide(AgeProfile::stamp(reference, 19786, at(14)));
    EXPECT_FALSE(other.isNodeDate());
    all.elide(AgeProfile::stamp(reference, 19786, at(16)));
    EXPECT_EQ(all.size(), expected.size());
}

// Profiles of any sizes merged into each other, whether the union fits the
// room the first already has or not, hold what adding every cell gives.
TEST(AgeProfileTest, MergingProfilesOfAnySizesKeepsEveryCell) {
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        AgeProfile a, b, all;
        const int aCells = static_cast<int>(random() % 9), bCells = static_cast<int>(random() % 9);
        for (int i = 0; i < aCells + bCells; ++i) {
            const auto stamp = AgeProfile::stamp(reference, 19700 + static_cast<std::int64_t>(random() % 12),
                                                 at(static_cast<int>(random() % 24)));
            const std::int64_t bytes = 1 + static_cast<std::int64_t>(random() % 1000);
            const auto items = static_cast<std::uint32_t>(random() % 4);
            (i < aCells ? a : b).add(stamp, bytes, items);
            all.add(stamp, bytes, items);
        }
        AgeProfile selfMerged = a;
        a.merge(b);
        ASSERT_EQ(a, all) << round;
        ASSERT_EQ(a.total(), all.total()) << round;
        AgeProfile twice = selfMerged;
        twice.merge(twice);
        ASSERT_EQ(twice.size(), selfMerged.size()) << round;
        ASSERT_EQ(twice.total(), 2 * selfMerged.total()) << round;
        for (std::size_t i = 0; i < twice.size(); ++i)
            ASSERT_EQ(twice.cell(i).items, 2 * selfMerged.cell(i).items) << round;
    }
}

}  // namespace
}  // namespace korvane
