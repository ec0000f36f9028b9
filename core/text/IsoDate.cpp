#include "core/text/IsoDate.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace korvane {

using namespace std::chrono;

std::string IsoDate::format(system_clock::time_point date) {
    auto seconds = floor<std::chrono::seconds>(date);
    auto day = floor<days>(seconds);
    year_month_day ymd{day};
    hh_mm_ss<std::chrono::seconds> time{seconds - day};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return buffer;
}

namespace {

// Reads exactly `count` digits at `pos`.
bool digits(std::string_view text, std::size_t& pos, std::size_t count, int& out) {
    if (pos + count > text.size()) return false;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    out = value;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<system_clock::time_point> IsoDate::parse(std::string_view text) {
    std::size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(text, pos, 4, y) || !expect(text, pos, '-') || !digits(text, pos, 2, mo) || !expect(text, pos, '-') ||
        !digits(text, pos, 2, d))
        return std::nullopt;
    if (pos >= text.size() || (text[pos] != 'T' && text[pos] != 't')) return std::nullopt;
    ++pos;
    if (!digits(text, pos, 2, h) || !expect(text, pos, ':') || !digits(text, pos, 2, mi) || !expect(text, pos, ':') ||
        !digits(text, pos, 2, s))
        return std::nullopt;
    if (h > 23 || mi > 59 || s > 59) return std::nullopt;

    std::int64_t nanos = 0;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        std::size_t start = pos;
        std::int64_t scale = 100000000;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            nanos += (text[pos] - '0') * scale;  // digits beyond nanoseconds add 0
            scale /= 10;
            ++pos;
        }
        if (pos == start) return std::nullopt;
    }

    std::int64_t offsetSeconds = 0;
    if (pos >= text.size()) return std::nullopt;
    if (text[pos] == 'Z' || text[pos] == 'z') {
        ++pos;
    } else if (text[pos] == '+' || text[pos] == '-') {
        int sign = text[pos] == '-' ? -1 : 1;
        ++pos;
        int oh = 0, om = 0;
        if (!digits(text, pos, 2, oh)) return std::nullopt;
        if (pos < text.size() && text[pos] == ':') ++pos;
        if (!digits(text, pos, 2, om)) return std::nullopt;
        if (oh > 23 || om > 59) return std::nullopt;
        offsetSeconds = sign * (oh * 3600 + om * 60);
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;

    year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    std::int64_t secondsSinceEpoch =
        static_cast<std::int64_t>(sys_days{ymd}.time_since_epoch().count()) * 86400 + h * 3600 + mi * 60 + s -
        offsetSeconds;
    // The clock counts in nanoseconds: keep to the years it can hold.
    constexpr std::int64_t limit =
        duration_cast<std::chrono::seconds>(system_clock::duration::max()).count() - 1;
    if (secondsSinceEpoch > limit || secondsSinceEpoch < -limit) return std::nullopt;
    return system_clock::time_point{} +
           duration_cast<system_clock::duration>(std::chrono::seconds{secondsSinceEpoch} + nanoseconds{nanos});
}

}  // namespace korvane
