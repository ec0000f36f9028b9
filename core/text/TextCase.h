#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Locale-independent lower-casing of UTF-8 text for case-insensitive
// matching: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals
// become small letters; every other byte (invalid UTF-8 included) is kept.
struct TextCase {
    static std::string lowercased(std::string_view text);
};

}  // namespace korvane
