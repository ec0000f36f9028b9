#pragma once

// Small helpers the category scanner tests share: candidates by title, the
// checks every path candidate must pass, and file dates set to a chosen
// local day.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/text/RelativeDate.h"
#include "tests/scanners/FakeToolHome.h"

namespace korvane::testing {

// Details as they are shown at `now`, the dates a scan keeps worded.
inline std::map<std::string, std::string> shownDetails(const DetailMap& details,
                                                       std::chrono::system_clock::time_point now) {
    std::map<std::string, std::string> shown;
    for (const auto& [key, value] : details) shown.emplace(key, RelativeDate::worded(value, now));
    return shown;
}

// The candidates of a scan by title; a title offered twice is a failure.
inline std::map<std::string, CleanupCandidate> byTitle(const std::vector<CleanupCandidate>& candidates) {
    std::map<std::string, CleanupCandidate> map;
    for (const auto& candidate : candidates) EXPECT_TRUE(map.emplace(candidate.title, candidate).second);
    return map;
}

// The candidate of a title, checked against the location it must name
// (relative to the home) and what every path candidate of `category` must
// hold; none, and a failure, when the title is missing.
inline const CleanupCandidate* expectCandidate(const std::map<std::string, CleanupCandidate>& found,
                                               const FakeToolHome& home, CleanupCategory category,
                                               const std::string& title, const std::string& rule,
                                               const std::string& relativePath, SafetyLevel safety) {
    const auto it = found.find(title);
    if (it == found.end()) {
        ADD_FAILURE() << "missing " << title;
        return nullptr;
    }
    const auto& c = it->second;
    EXPECT_EQ(c.ruleID, rule) << title;
    EXPECT_EQ(c.path, home.path(relativePath)) << title;
    EXPECT_EQ(c.size, duBytes(home.path(relativePath))) << title;
    EXPECT_EQ(c.safety, safety) << title;
    EXPECT_EQ(c.isSelectedByDefault, safety == SafetyLevel::safe) << title;
    EXPECT_EQ(c.category, category) << title;
    EXPECT_TRUE(c.removal.isPath()) << title;
    return &c;
}

// Sets the access and modification times of the item at `path` (a link's own
// times) to `date`, in whole seconds.
inline void setModified(const std::string& path, std::chrono::system_clock::time_point date) {
    const auto seconds = std::chrono::system_clock::to_time_t(date);
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Noon local time on a calendar day; days beyond the month carry over.
inline std::chrono::system_clock::time_point localNoon(int year, int month, int day) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = 12;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts));
}

}  // namespace korvane::testing
