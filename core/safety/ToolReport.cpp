#include "core/safety/ToolReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

// The lines that carry the total, as Docker's prune commands print them.
constexpr std::string_view totalLabels[] = {"Total reclaimed space:", "Total:"};

struct DecimalUnit {
    std::string_view name;
    double bytes;
};

// Docker writes sizes in decimal units with up to four significant digits ("1.234GB", "0B").
constexpr DecimalUnit dockerUnits[] = {
    {"B", 1}, {"kB", 1e3}, {"KB", 1e3}, {"MB", 1e6}, {"GB", 1e9}, {"TB", 1e12}, {"PB", 1e15},
};

std::string_view trimmedSpace(std::string_view text) {
    constexpr std::string_view space = " \t\r";
    const auto first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::optional<std::int64_t> dockerSize(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || !(value >= 0)) return std::nullopt;
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    for (const DecimalUnit& each : dockerUnits) {
        if (each.name != unit) continue;
        const double bytes = std::round(value * each.bytes);
        if (bytes >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
        return static_cast<std::int64_t>(bytes);
    }
    return std::nullopt;
}

// The figure on the last line that gives the total.
std::optional<std::int64_t> dockerTotal(std::string_view output) {
    std::optional<std::int64_t> total;
    while (!output.empty()) {
        const auto end = output.find('\n');
        const std::string_view line = trimmedSpace(output.substr(0, end));
        output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
        for (const std::string_view label : totalLabels)
            if (line.starts_with(label)) {
                total = dockerSize(trimmedSpace(line.substr(label.size())));
                break;
            }
    }
    return total;
}

}  // namespace

std::optional<std::int64_t> ToolReport::reclaimedBytes(const RemovalKind& removal, std::string_view output) {
    if (!removal.isCommand() || removal.tool != ExternalTool::docker) return std::nullopt;
    return dockerTotal(output);
}

bool ToolReport::fallsShort(std::int64_t reclaimed, std::int64_t offered) {
    const std::int64_t missing = offered - std::max<std::int64_t>(reclaimed, 0);
    return missing > 0 && missing >= offered / 100;
}

std::string ToolReport::shortMessage(const RemovalKind& removal, std::int64_t reclaimed, std::int64_t offered) {
    const std::string tool = removal.tool == ExternalTool::docker ? "Docker" : std::string(commandName(removal.tool));
    // Docker's own word for nothing, rather than a rounded "0 KB".
    const std::string freed = reclaimed < 1 ? "0 B" : ByteFormat::string(reclaimed);
    return tool + " reclaimed " + freed + " of the " + ByteFormat::string(offered) + " it offered";
}

}  // namespace korvane
