#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Every count the program shows takes its noun by one rule: the singular for
// exactly one, else the plural ("1 item", "0 items", "1,234 items").
std::string_view countNoun(std::int64_t count, std::string_view singular, std::string_view plural);
// The count with digit grouping and its noun; the plural adds "s" unless given.
std::string countText(std::int64_t count, std::string_view singular);
std::string countText(std::int64_t count, std::string_view singular, std::string_view plural);

}  // namespace korvane
