#pragma once

#include <chrono>
#include <string>

namespace korvane {

// A moment said relative to `now` in words, in the largest whole unit that
// fits: "now", "5 minutes ago", "yesterday", "3 days ago", "last week",
// "2 months ago", "last year", and "in 3 days", "tomorrow", "next week" for
// moments ahead. Fixed English, whatever the machine's language.
std::string relativeDateText(std::chrono::system_clock::time_point date, std::chrono::system_clock::time_point now);

}  // namespace korvane
