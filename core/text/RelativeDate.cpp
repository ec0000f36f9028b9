#include "core/text/RelativeDate.h"

#include "core/text/ByteFormat.h"
#include "core/text/IsoDate.h"

#include <algorithm>
#include <ctime>

namespace korvane {

namespace {

using TimePoint = RelativeDate::TimePoint;

// The largest n >= 0 with step(n) <= to, for a step that grows with n. The
// estimate is within a few steps of the answer, so the walk is short; the
// bound only guards against a calendar that stops growing.
template <class Step>
int largestFitting(TimePoint to, int estimate, Step step) {
    int n = std::max(estimate, 0);
    for (int guard = 0; n > 0 && step(n) > to && guard < 1000; ++guard) --n;
    for (int guard = 0; step(n + 1) <= to && guard < 1000; ++guard) ++n;
    return n;
}

// Whole calendar components from `from` to a later `to`, largest unit first.
struct Elapsed {
    int years = 0;
    int months = 0;
    int days = 0;
    std::int64_t seconds = 0;
};

Elapsed elapsedBetween(TimePoint from, TimePoint to) {
    Elapsed e;
    const auto totalSeconds = std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
    const int roughDays = static_cast<int>(std::min<std::int64_t>(totalSeconds / 86400, 1 << 28));
    e.years = largestFitting(to, roughDays / 366, [&](int n) { return RelativeDate::shifted(from, 12 * n, 0); });
    e.months = largestFitting(to, roughDays / 31, [&](int n) { return RelativeDate::shifted(from, n, 0); });
    e.days = largestFitting(to, roughDays - 1, [&](int n) { return RelativeDate::shifted(from, 0, n); });
    e.seconds = totalSeconds;
    return e;
}

std::string counted(std::int64_t count, const char* unit, bool past) {
    std::string text = ByteFormat::groupedInteger(count) + " " + unit + (count == 1 ? "" : "s");
    return past ? text + " ago" : "in " + text;
}

// The local year of a moment within the limit.
int localYear(TimePoint date) {
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm local{};
    ::localtime_r(&t, &local);
    return local.tm_year + 1900;
}

std::string phrase(TimePoint date, TimePoint now) {
    // A date at an end of the range may lie anywhere beyond it (a file dated
    // 2400): no count of years would be true, the end's year is.
    const TimePoint low{std::chrono::seconds(-RelativeDate::limitSeconds)};
    const TimePoint high{std::chrono::seconds(RelativeDate::limitSeconds)};
    if (date >= high) return "in " + std::to_string(localYear(high)) + " or later";
    if (date <= low) return "in " + std::to_string(localYear(low)) + " or earlier";
    now = RelativeDate::clamped(now);
    const bool past = date <= now;
    const Elapsed e = past ? elapsedBetween(date, now) : elapsedBetween(now, date);
    if (e.years > 0) return e.years == 1 ? (past ? "last year" : "next year") : counted(e.years, "year", past);
    if (e.months > 0) return e.months == 1 ? (past ? "last month" : "next month") : counted(e.months, "month", past);
    if (e.days >= 7) {
        const int weeks = e.days / 7;
        return weeks == 1 ? (past ? "last week" : "next week") : counted(weeks, "week", past);
    }
    if (e.days > 0) return e.days == 1 ? (past ? "yesterday" : "tomorrow") : counted(e.days, "day", past);
    if (e.seconds >= 3600) return counted(e.seconds / 3600, "hour", past);
    if (e.seconds >= 60) return counted(e.seconds / 60, "minute", past);
    if (e.seconds > 0) return counted(e.seconds, "second", past);
    return "now";
}

}  // namespace

TimePoint RelativeDate::clamped(TimePoint date) {
    const TimePoint low{std::chrono::seconds(-limitSeconds)};
    const TimePoint high{std::chrono::seconds(limitSeconds)};
    return std::clamp(date, low, high);
}

TimePoint RelativeDate::shifted(TimePoint base, int months, int days) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(base);
    const auto fraction = base - seconds;
    const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
    std::tm local{};
    ::localtime_r(&t, &local);
    local.tm_mon += months;
    local.tm_mday += days;
    local.tm_isdst = -1;
    const std::time_t moved = std::mktime(&local);
    const std::int64_t kept = std::clamp<std::int64_t>(moved, -2 * limitSeconds, 2 * limitSeconds);
    return TimePoint(std::chrono::seconds(kept)) + fraction;
}

int RelativeDate::fullDaysBetween(TimePoint from, TimePoint to) {
    from = clamped(from);
    to = clamped(to);
    if (to < from) return -fullDaysBetween(to, from);
    const auto roughDays = std::chrono::duration_cast<std::chrono::seconds>(to - from).count() / 86400;
    return largestFitting(to, static_cast<int>(std::min<std::int64_t>(roughDays, 1 << 28)),
                          [&](int n) { return shifted(from, 0, n); });
}

std::string RelativeDate::string(const std::optional<TimePoint>& date, TimePoint now) {
    if (!date) return "Unknown";
    std::string text = phrase(*date, now);
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') text.front() = static_cast<char>(text.front() - 32);
    return text;
}

std::string RelativeDate::stamp(TimePoint date) { return "{" + IsoDate::format(clamped(date)) + "}"; }

std::string RelativeDate::worded(std::string_view text, TimePoint now) {
    std::string shown;
    std::size_t from = 0;
    for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) break;
        const auto date = IsoDate::parse(text.substr(open + 1, close - open - 1));
        if (!date) continue;
        shown.append(text.substr(from, open - from));
        shown += open == 0 ? string(date, now) : phrase(*date, now);
        from = close + 1;
        open = close;
    }
    return shown.append(text.substr(from));
}

}  // namespace korvane
