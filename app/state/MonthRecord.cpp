#include "app/state/MonthRecord.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace korvane {

namespace {

std::optional<int> decimal(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The non-empty pieces of `key` between "-" signs.
std::vector<std::string_view> pieces(std::string_view key) {
    std::vector<std::string_view> found;
    while (!key.empty()) {
        const auto dash = key.find('-');
        const auto piece = key.substr(0, dash);
        if (!piece.empty()) found.push_back(piece);
        if (dash == std::string_view::npos) break;
        key.remove_prefix(dash + 1);
    }
    return found;
}

}  // namespace

std::vector<MonthRecord> monthRecords(const std::map<std::string, std::int64_t>& bytesByMonth) {
    std::vector<MonthRecord> records;
    records.reserve(bytesByMonth.size());
    for (const auto& [key, bytes] : bytesByMonth) {
        const auto parts = pieces(key);
        const int year = parts.empty() ? 0 : decimal(parts[0]).value_or(0);
        const int month = parts.size() < 2 ? 1 : decimal(parts[1]).value_or(1);
        records.push_back({key, year, month, bytes});
    }
    return records;
}

}  // namespace korvane
