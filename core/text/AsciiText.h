#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Byte-wise text helpers that touch only ASCII, whatever the locale, for
// names, labels and tool output whose meaningful parts are ASCII.
struct AsciiText {
    // `text` with A-Z made a-z; every other byte kept.
    static std::string lowercased(std::string_view text);
    // `text` without leading and trailing ASCII white space (space, tab,
    // line feed, vertical tab, form feed, carriage return).
    static std::string trimmed(std::string_view text);
};

}  // namespace korvane
