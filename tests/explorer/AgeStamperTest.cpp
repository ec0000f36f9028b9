// Dating by the scan's day table must give every time the cell the time
// zone itself gives it: around local midnights and the reference's time of
// day, across changes of daylight saving (also at midnight and by half an
// hour), far from UTC, and at the edges of old months.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/explorer/AgeDayTable.h"
#include "core/explorer/AgeStamper.h"
#include "core/system/LocalDays.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

constexpr std::int64_t daySeconds = 86'400;

// The cell of `utc` from the C library's own local calendar date and time.
std::optional<AgeProfile::Stamp> zoneStamp(AgeProfile::Moment reference, std::int64_t utc) {
    const auto time = static_cast<std::time_t>(utc);
    std::tm local{};
    if (!::localtime_r(&time, &local)) return std::nullopt;
    using namespace std::chrono;
    const auto date = year{local.tm_year + 1900} / month{static_cast<unsigned>(local.tm_mon + 1)} /
                      day{static_cast<unsigned>(local.tm_mday)};
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return AgeProfile::stamp(reference, days, local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

struct Case {
    const char* zone;
    std::int64_t referenceUtc;  // seconds
    std::int32_t referenceMillisecond;
};

class AgeStamperTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        zone_.emplace("TZ", std::string(GetParam().zone));
        ::tzset();
    }
    void TearDown() override {
        zone_.reset();
        ::tzset();
    }

    std::optional<testing::ScopedEnv> zone_;
};

// Times of the days kept one by one and just beyond, each local midnight and
// time of day of the reference a second either side, and old times over
// sixty years, also around each month's first day.
std::vector<std::int64_t> timesAround(AgeProfile::Moment reference) {
    std::vector<std::int64_t> times;
    const std::int64_t firstDay = reference.day - AgeProfile::dayRange - 5;
    const std::int64_t lastDay = reference.day + AgeDayTable::futureDays + 5;
    for (std::int64_t t = firstDay * daySeconds; t < lastDay * daySeconds; t += 3607) times.push_back(t);
    const std::int64_t late = reference.millisecond / 1000 + 1;
    for (std::int64_t day = firstDay; day < lastDay; ++day) {
        const std::int64_t midnight =
            day * daySeconds - LocalDays::offsetAt(day * daySeconds + daySeconds / 2);
        for (std::int64_t edge : {midnight, midnight + late - 1, midnight + late})
            for (std::int64_t step : {-1, 0, 1}) times.push_back(edge + step);
    }
    using namespace std::chrono;
    for (int y = 1965; y <= 2100; ++y)
        for (unsigned m = 1; m <= 12; ++m) {
            const std::int64_t first = sys_days{year{y} / month{m} / 1}.time_since_epoch().count();
            if (first >= firstDay) break;
            for (std::int64_t hours = -80; hours <= 80; hours += 7)
                times.push_back(first * daySeconds + hours * 3600);
        }
    for (std::int64_t t = -5 * 365 * daySeconds; t < firstDay * daySeconds; t += 3 * daySeconds + 3613)
        times.push_back(t);
    return times;
}

TEST_P(AgeStamperTest, EveryTimeFallsInTheCellItsLocalDateAndTimeGiveIt) {
    const LocalDays::Moment now = LocalDays::moment(std::chrono::system_clock::time_point(
        std::chrono::milliseconds(GetParam().referenceUtc * 1000 + GetParam().referenceMillisecond)));
    const AgeProfile::Moment reference{now.day, now.millisecond};
    const AgeDayTable table(reference);
    std::vector<std::int64_t> times = timesAround(reference);

    // In order (long runs of one cell) and shuffled (a new cell each time).
    for (bool shuffled : {false, true}) {
        if (shuffled) std::shuffle(times.begin(), times.end(), std::mt19937_64(7));
        AgeStamper stamper(table);
        int wrong = 0;
        for (std::int64_t t : times) {
            const std::optional<AgeProfile::Stamp> expected = zoneStamp(reference, t);
            if (!expected) continue;
            const AgeProfile::Stamp stamp = stamper(t);
            if (stamp == *expected) continue;
            if (++wrong <= 3)
                ADD_FAILURE() << "time " << t << " got cell " << stamp.cell << ", the zone says "
                              << expected->cell << (shuffled ? " (shuffled)" : "");
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_P(AgeStamperTest, TheTableAnswersForAlmostEveryTime) {
    const LocalDays::Moment now = LocalDays::moment(
        std::chrono::system_clock::time_point(std::chrono::seconds(GetParam().referenceUtc)));
    const AgeDayTable table({now.day, now.millisecond});
    // The days kept one by one, and old times away from a month's edges.
    int answered = 0, asked = 0;
    AgeDayTable::Span span;
    for (std::int64_t t = (now.day - AgeProfile::dayRange) * daySeconds; t < now.day * daySeconds;
         t += 3607, ++asked)
        answered += table.find(t, span) ? 1 : 0;
    EXPECT_GE(answered, asked * 98 / 100);
    for (std::int64_t t = (now.day - 3000) * daySeconds; t < (now.day - 1000) * daySeconds;
         t += 30 * daySeconds + 3607, ++asked)
        answered += table.find(t, span) ? 1 : 0;
    EXPECT_GE(answered, asked * 85 / 100);
    EXPECT_FALSE(table.find((now.day + AgeDayTable::futureDays + 2) * daySeconds, span));
}

// 2024-03-12 19:30 UTC; 2021-11-07 05:59 UTC; 2023-10-29 00:00 UTC.
INSTANTIATE_TEST_SUITE_P(
    Zones, AgeStamperTest,
    ::testing::Values(Case{"America/New_York", 1710271800, 0}, Case{"America/New_York", 1636264740, 999},
                      Case{"Europe/Berlin", 1698537600, 0}, Case{"Europe/Berlin", 1710271800, 999},
                      Case{"America/Havana", 1710271800, 500}, Case{"Australia/Lord_Howe", 1698537600, 250},
                      Case{"Asia/Kolkata", 1710271800, 0}, Case{"Pacific/Kiritimati", 1710271800, 0},
                      Case{"Pacific/Pago_Pago", 1698537600, 999}, Case{"Africa/Casablanca", 1710271800, 0},
                      Case{"America/Santiago", 1698537600, 0}, Case{"UTC0", 1710271800, 0},
                      Case{"FAR-24:30", 1710271800, 0}, Case{"FAR+24:30", 1710271800, 999}),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = std::string(info.param.zone) + "_" + std::to_string(info.index);
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

}  // namespace
}  // namespace korvane
