#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

// Byte counts as the texts the application shows: decimal units from KB to
// TB, fraction digits by unit (none for KB, up to one for MB, up to two for
// GB and TB, trailing zeros dropped), fixed "," grouping and "." decimals.
struct ByteFormat {
    // "0 KB", "1.5 MB", "1.23 GB"; a negative count reads as 0.
    static std::string string(std::int64_t bytes);
    // Two counts to be read against each other, in one unit (the larger's)
    // and one precision (the finer of the two): "78.40 GB", "78.51 GB", never
    // "78.4 GB" beside "78.51 GB".
    static std::pair<std::string, std::string> alike(std::int64_t first, std::int64_t second);
    // The text with every fraction digit of its unit, none dropped: "2.00 GB",
    // "839.0 MB", as a figure rolling through that unit shows it.
    static std::string withAllDigits(std::int64_t bytes);
    // The same text split at the space into (number, unit).
    static std::pair<std::string, std::string> parts(std::int64_t bytes);
    // Splits a size text at its one space; no space (or several) gives the
    // whole text and an empty unit.
    static std::pair<std::string, std::string> splitText(const std::string& text);
    // Up to two everyday equivalents: "1,000 photos", "11 minutes of 4K video".
    static std::vector<std::string> equivalents(std::int64_t bytes);
    // An integer with "," grouping: 1234567 → "1,234,567".
    static std::string groupedInteger(std::int64_t value);
};

}  // namespace korvane
