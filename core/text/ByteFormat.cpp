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

}  // namespace

std::string ByteFormat::groupedInteger(std::int64_t value) {
    if (value < 0) {
        auto magnitude = std::uint64_t{0} - static_cast<std::uint64_t>(value);
        return "-" + groupedUnsigned(magnitude);
    }
    return groupedUnsigned(static_cast<std::uint64_t>(value));
}

std::string ByteFormat::string(std::int64_t bytes) {
    const auto count = static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0));
    std::size_t index = 0;
    while (index + 1 < std::size(units) && count >= units[index + 1].size) ++index;
    for (;;) {
        const Unit& unit = units[index];
        std::uint64_t scale = 1;
        for (int i = 0; i < unit.fractionDigits; ++i) scale *= 10;
        // Round half up to the unit's last fraction digit.
        const std::uint64_t step = unit.size / scale;
        const std::uint64_t rounded = (count + step / 2) / step;
        std::uint64_t whole = rounded / scale;
        std::uint64_t fraction = rounded % scale;
        if (whole >= 1000 && index + 1 < std::size(units)) {
            ++index;  // 999.96 MB reads 1 GB, not 1,000 MB
            continue;
        }
        std::string text = groupedUnsigned(whole);
        if (fraction != 0) {
            std::string digits;
            std::uint64_t f = fraction;
            for (int i = 0; i < unit.fractionDigits; ++i) {
                digits += static_cast<char>('0' + static_cast<int>(f % 10));
                f /= 10;
            }
            std::reverse(digits.begin(), digits.end());
            while (!digits.empty() && digits.back() == '0') digits.pop_back();
            text += '.';
            text += digits;
        }
        return text + " " + unit.name;
    }
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
