#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "core/explorer/AgeTally.h"

namespace korvane {
namespace {

// However bytes arrive (runs of one day, days taking turns, nothing at all,
// parts merged), the tally's profile is the one adding each byte to a
// profile directly gives.
TEST(AgeTallyTest, GivesTheProfileOfEveryByteItWasGiven) {
    const AgeProfile::Moment reference{19794, 36'000'000};
    const auto stamp = [&](std::int64_t daysAgo) {
        return AgeProfile::stamp(reference, reference.day - daysAgo, 0);
    };
    struct Bytes {
        std::int64_t daysAgo;
        std::int64_t bytes;
    };
    const std::vector<std::vector<Bytes>> cases = {
        {},
        {{3, 100}},
        {{3, 100}, {3, 50}, {3, 25}},
        {{3, 100}, {4, 50}, {3, 25}, {4, 1}},
        {{3, 0}, {3, -5}, {5, 10}, {5, 0}},
        {{900, 10}, {3000, 20}, {901, 30}, {3, 40}},
        {{1, INT64_MAX}, {1, 5}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        AgeProfile direct;
        AgeTally tally, firstHalf, secondHalf;
        for (std::size_t i = 0; i < cases[c].size(); ++i) {
            const Bytes& b = cases[c][i];
            direct.add(stamp(b.daysAgo), b.bytes);
            tally.add(stamp(b.daysAgo), b.bytes);
            (i % 2 == 0 ? firstHalf : secondHalf).add(stamp(b.daysAgo), b.bytes);
        }
        firstHalf.merge(std::move(secondHalf));
        EXPECT_EQ(tally.take(), direct) << c;
        EXPECT_EQ(firstHalf.take(), direct) << c;
        EXPECT_TRUE(tally.take().empty()) << c;
    }
}

TEST(AgeTallyTest, AProfileMergedInKeepsItsCells) {
    const AgeProfile::Moment reference{19794, 0};
    AgeProfile profile;
    profile.add(AgeProfile::stamp(reference, reference.day - 2, 0), 7);
    profile.add(AgeProfile::stamp(reference, reference.day - 9, 0), 8);
    AgeTally tally;
    tally.add(AgeProfile::stamp(reference, reference.day - 2, 0), 3);
    tally.merge(profile);
    AgeTally fromProfile = AgeProfile(profile);
    fromProfile.merge(std::move(tally));
    const AgeProfile all = fromProfile.take();
    EXPECT_EQ(all.size(), 2u);
    EXPECT_EQ(all.total(), 7 + 8 + 3 + 7 + 8);
}

}  // namespace
}  // namespace korvane
