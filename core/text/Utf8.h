#pragma once

#include <string_view>

namespace korvane {

// Checks on UTF-8 text read from files and tool output.
struct Utf8 {
    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
    // no sequence cut short.
    static bool isValid(std::string_view text);
};

}  // namespace korvane
