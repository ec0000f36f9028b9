#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "tests/support/TempTree.h"

namespace korvane::testing {

// Day counts and relative texts are checked in a fixed time zone with a
// daylight-saving change, whatever the machine's own zone is.
class LocalTimeFixture : public ::testing::Test {
protected:
    using TimePoint = std::chrono::system_clock::time_point;

    void SetUp() override {
        zone.emplace("TZ", std::string("America/New_York"));
        ::tzset();
    }
    void TearDown() override {
        zone.reset();
        ::tzset();
    }

    static TimePoint local(int year, int month, int day, int hour, int minute = 0) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&tm));
    }

    std::optional<ScopedEnv> zone;
};

}  // namespace korvane::testing
