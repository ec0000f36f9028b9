#pragma once

#include <cstddef>
#include <string_view>

namespace korvane {

// Checks on UTF-8 text read from files and tool output.
struct Utf8 {
    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
    // no sequence cut short.
    static bool isValid(std::string_view text);
    // The length of the strict UTF-8 sequence that starts at `at`; 0 when
    // the bytes there are none.
    static std::size_t sequenceLength(std::string_view text, std::size_t at);
};

}  // namespace korvane
