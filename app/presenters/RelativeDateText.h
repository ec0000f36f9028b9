#pragma once

#include <chrono>
#include <string>

namespace korvane {

// A moment said relative to `now` in words, as everywhere else in the
// program (RelativeDate), but starting in lower case: "5 minutes ago",
// "yesterday", "3 weeks ago", "last year", and "in 3 days", "tomorrow" for
// moments ahead. Fixed English, whatever the machine's language.
std::string relativeDateText(std::chrono::system_clock::time_point date, std::chrono::system_clock::time_point now);

}  // namespace korvane
