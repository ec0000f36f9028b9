#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Orders the version folder names that SDK managers and build tools leave on
// disk ("34.0.0", "android-34", "gradle-8.5-bin", "25.0.0-rc1") by their
// numbers first, so that 8.10 comes after 8.9, and by their text only when
// the numbers tie.
struct VersionOrder {
    using Numbers = std::vector<std::int64_t>;
    using IsOlder = bool (*)(std::string_view older, std::string_view newer);

    // The maximal runs of number characters (any character Unicode gives a
    // numeric value, so "½" or "٣" separate nothing) read as decimal
    // integers. A run that is not plain 0-9 or does not fit 64 bits is
    // dropped; every other character separates runs. Invalid UTF-8 bytes
    // separate too.
    static Numbers numbers(std::string_view name);

    // Strict less-than: at the first position where the numbers differ (a
    // missing number counts as 0) the smaller wins; equal numbers fall back to
    // the text's byte order, which is false for equal texts.
    static bool isOlder(const Numbers& aNumbers, std::string_view a, const Numbers& bNumbers,
                        std::string_view b);
    // The same on the numbers of the two names as they are.
    static bool isOlder(std::string_view a, std::string_view b);

    // The first name, replaced by each later name it is older than: the
    // greatest name under `isOlder`, whatever the listing order. None for an
    // empty list.
    static std::optional<std::string> newest(const std::vector<std::string>& names, IsOlder isOlder);

    // True when the code point has a Unicode numeric value.
    static bool isNumberCharacter(char32_t c);
    // True when the name's first character is a number character.
    static bool startsWithNumber(std::string_view name);
};

}  // namespace korvane
