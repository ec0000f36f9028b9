#include "core/text/ByteFormat.h"

#include <algorithm>
#include <iterator>

namespace korvane {

namespace {

struct Unit {
    const char* name;
    std::uint64_t size;  // bytes in one unit
    int fractionDigits;      // at most
};

constexpr Unit units[] = {
    {"KB", 1000, 0},
    {"MB", 1000000, 1},
    {"GB", 1000000000, 2},
    {"TB", 1000000000000ULL, 2},
};

std::string groupedUnsigned(std::uint64_t value) {
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    std::string result;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && i % 3 == 0) result += ',';
        result += digits[i];
    }
    std::reverse(result.begin(), result.end());
    return result;
}

std::uint64_t powerOfTen(int digits) {
    std::uint64_t scale = 1;
    for (int i = 0; i < digits; ++i) scale *= 10;
    return scale;
}

// The count in steps of the unit's 10^-digits, rounded half up.
std::uint64_t roundedTo(std::uint64_t count, std::size_t index, int digits) {
    const std::uint64_t step = units[index].size / powerOfTen(digits);
    return (count + step / 2) / step;
}

// The unit a count reads in: the largest it reaches, after rounding to that unit's digits.
std::size_t unitIndex(std::uint64_t count) {
    std::size_t index = 0;
    while (index + 1 < std::size(units) && count >= units[index + 1].size) ++index;
    const int digits = units[index].fractionDigits;
    if (index + 1 < std::size(units) && roundedTo(count, index, digits) / powerOfTen(digits) >= 1000)
        ++index;  // 999.96 MB reads 1 GB, not 1,000 MB
    return index;
}

// The fraction digits the count needs in that unit: trailing zeros dropped.
int neededDigits(std::uint64_t count, std::size_t index) {
    int digits = units[index].fractionDigits;
    std::uint64_t rounded = roundedTo(count, index, digits);
    while (digits > 0 && rounded % 10 == 0) {
        rounded /= 10;
        --digits;
    }
    return digits;
}

std::string formatted(std::uint64_t count, std::size_t index, int digits) {
    const std::uint64_t scale = powerOfTen(digits);
    const std::uint64_t rounded = roundedTo(count, index, digits);
    std::string text = groupedUnsigned(rounded / scale);
    if (digits > 0) {
        std::string fraction = std::to_string(rounded % scale);
        text += '.' + std::string(static_cast<std::size_t>(digits) - fraction.size(), '0') + fraction;
    }
    return text + " " + units[index].name;
}

std::uint64_t magnitude(std::int64_t bytes) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0));
}

}  // namespace

std::string ByteFormat::groupedInteger(std::int64_t value) {
    if (value < 0) {
        auto magnitude = std::uint64_t{0} - static_cast<std::uint64_t>(value);
        return "-" + groupedUnsigned(magnitude);
    }
    return groupedUnsigned(static_cast<std::uint64_t>(value));
}

std::string ByteFormat::string(std::int64_t bytes) {
    const std::uint64_t count = magnitude(bytes);
    const std::size_t index = unitIndex(count);
    return formatted(count, index, neededDigits(count, index));
}

std::string ByteFormat::withAllDigits(std::int64_t bytes) {
    const std::uint64_t count = magnitude(bytes);
    const std::size_t index = unitIndex(count);
    return formatted(count, index, units[index].fractionDigits);
}

std::pair<std::string, std::string> ByteFormat::alike(std::int64_t first, std::int64_t second) {
    const std::uint64_t a = magnitude(first);
    const std::uint64_t b = magnitude(second);
    const std::size_t index = unitIndex(std::max(a, b));
    const int digits = std::max(neededDigits(a, index), neededDigits(b, index));
    return {formatted(a, index, digits), formatted(b, index, digits)};
}

std::pair<std::string, std::string> ByteFormat::splitText(const std::string& text) {
    auto space = text.find(' ');
    if (space == std::string::npos || text.find(' ', space + 1) != std::string::npos) return {text, ""};
    return {text.substr(0, space), text.substr(space + 1)};
}

std::pair<std::string, std::string> ByteFormat::parts(std::int64_t bytes) { return splitText(string(bytes)); }

std::vector<std::string> ByteFormat::equivalents(std::int64_t bytes) {
    std::vector<std::string> result;
    if (bytes < 1) return result;
    if (bytes >= 400000000) result.push_back(groupedInteger(bytes / 4000000) + " photos");
    const double minutes = static_cast<double>(bytes) / 3.5e8;
    if (minutes >= 1.0)
        result.push_back(std::to_string(static_cast<std::int64_t>(minutes)) + " minutes of 4K video");
    return result;
}

}  // namespace korvane
