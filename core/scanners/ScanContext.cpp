#include "core/scanners/ScanContext.h"

#include "core/system/FileDate.h"
#include "core/system/FolderListing.h"
#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace korvane {

namespace {

using TimePoint = std::chrono::system_clock::time_point;

// `base` moved by whole calendar months and days in local time, keeping its
// wall-clock time and its fraction of a second.
TimePoint shifted(TimePoint base, int months, int days) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(base);
    const auto fraction = base - seconds;
    const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
    std::tm local{};
    ::localtime_r(&t, &local);
    local.tm_mon += months;
    local.tm_mday += days;
    local.tm_isdst = -1;
    const std::time_t moved = std::mktime(&local);
    const std::int64_t clamped =
        std::clamp<std::int64_t>(moved, -2 * FileDate::limitSeconds, 2 * FileDate::limitSeconds);
    return TimePoint(std::chrono::seconds(clamped)) + fraction;
}

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
    e.years = largestFitting(to, roughDays / 366, [&](int n) { return shifted(from, 12 * n, 0); });
    e.months = largestFitting(to, roughDays / 31, [&](int n) { return shifted(from, n, 0); });
    e.days = largestFitting(to, roughDays - 1, [&](int n) { return shifted(from, 0, n); });
    e.seconds = totalSeconds;
    return e;
}

std::string grouped(std::int64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') text.push_back(',');
        text.push_back(digits[i]);
    }
    return text;
}

std::string counted(std::int64_t count, const char* unit, bool past) {
    std::string text = grouped(count) + " " + unit + (count == 1 ? "" : "s");
    return past ? text + " ago" : "in " + text;
}

std::string relativePhrase(TimePoint date, TimePoint now) {
    date = FileDate::clamped(date);
    now = FileDate::clamped(now);
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

ScanContext::ScanContext(std::shared_ptr<FastSizer> sizer, std::shared_ptr<const ProjectIndex> projects,
                         ScanSettings settings, Clock now)
    : sizer_(std::move(sizer)), projects_(std::move(projects)), settings_(std::move(settings)), now_(std::move(now)) {
    if (!now_) now_ = [] { return std::chrono::system_clock::now(); };
}

void ScanContext::cancel() {
    cancelled_.setValue(true);
    sizer_->cancel();
}

int ScanContext::workerCount(std::size_t itemCount) {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    const std::size_t processors = static_cast<std::size_t>(std::max(online, 2L));
    return static_cast<int>(std::min(processors, std::max<std::size_t>(itemCount, 1)));
}

std::optional<FastSizer::Measurement> ScanContext::measure(const std::string& path, std::int64_t atLeast) const {
    if (!exists(path)) return std::nullopt;
    auto measurement = sizer_->measure(path);
    if (!measurement || measurement->bytes < atLeast) return std::nullopt;
    return measurement;
}

std::vector<ScanContext::Entry> ScanContext::children(const std::string& folder, bool includeHidden) const {
    std::vector<std::string> names = sortedEntryNames(folder);
    if (!includeHidden)
        std::erase_if(names, [](const std::string& name) { return name.front() == '.'; });
    if (names.empty()) return {};

    // Each slot is written by exactly one worker, so the slots need no lock.
    std::vector<std::optional<FastSizer::Measurement>> slots(names.size());
    std::vector<std::string> paths(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) paths[i] = Paths::join(folder, names[i]);
    ParallelWork::forEachItem(
        names.size(), workerCount(names.size()), [&](std::size_t i) { slots[i] = sizer_->measure(paths[i]); },
        &sizer_->cancelledFlag());

    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (slots[i]) entries.push_back({std::move(paths[i]), std::move(*slots[i])});
    return entries;
}

std::unordered_map<std::string, FastSizer::Measurement> ScanContext::measureAll(
    const std::vector<std::string>& paths) const {
    std::vector<std::optional<FastSizer::Measurement>> slots(paths.size());
    ParallelWork::forEachItem(
        paths.size(), workerCount(paths.size()), [&](std::size_t i) { slots[i] = sizer_->measure(paths[i]); },
        &sizer_->cancelledFlag());
    std::unordered_map<std::string, FastSizer::Measurement> measured;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (slots[i]) measured.emplace(paths[i], std::move(*slots[i]));
    return measured;
}

std::vector<ScanContext::Entry> ScanContext::measureExisting(const std::vector<std::string>& paths,
                                                             std::int64_t atLeast) const {
    std::vector<std::string> present;
    for (const auto& path : paths)
        if (exists(path)) present.push_back(path);
    const auto measured = measureAll(present);
    std::vector<Entry> kept;
    for (const auto& path : present) {
        const auto found = measured.find(path);
        if (found != measured.end() && found->second.bytes >= atLeast) kept.push_back({path, found->second});
    }
    return kept;
}

std::vector<ScanContext::ProjectFolder> ScanContext::measureInProjects(const std::vector<DetectedProject>& projects,
                                                                       const std::vector<std::string>& folders,
                                                                       std::int64_t atLeast) const {
    std::vector<std::string> paths;
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> owners;
    for (std::size_t p = 0; p < projects.size(); ++p) {
        for (std::size_t f = 0; f < folders.size(); ++f) {
            auto path = Paths::join(projects[p].url, folders[f]);
            if (owners.emplace(path, std::make_pair(p, f)).second) paths.push_back(std::move(path));
        }
    }
    std::vector<ProjectFolder> found;
    for (auto& entry : measureExisting(paths, atLeast)) {
        const auto [p, f] = owners.at(entry.url);
        found.push_back({p, f, std::move(entry)});
    }
    return found;
}

ScanContext::TimePoint ScanContext::now() const { return now_(); }

int ScanContext::daysSince(TimePoint date) const { return fullDaysBetween(date, now()); }

std::string ScanContext::relativeActivity(const std::optional<TimePoint>& date) const {
    return korvane::relativeActivity(date, now());
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> sortedEntryNames(const std::string& folder) {
    auto names = FolderListing::names(folder).value_or(std::vector<std::string>{});
    std::erase(names, ".DS_Store");
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<TimePoint> modificationDate(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FileDate::fromTimespec(st.st_mtim);
}

std::optional<TimePoint> newestElseOwn(const FastSizer::Measurement& measurement, const std::string& path) {
    if (measurement.newestModification) return measurement.newestModification;
    return modificationDate(path);
}

std::int64_t measureFollowingLink(const ScanContext& context, const std::string& path) {
    // A path that cannot be resolved keeps its unresolved part and then fails
    // the existence check in measure().
    const auto measurement = context.measure(RealPath::resolved(path), 0);
    return measurement ? measurement->bytes : 0;
}

int fullDaysBetween(TimePoint from, TimePoint to) {
    from = FileDate::clamped(from);
    to = FileDate::clamped(to);
    if (to < from) return -fullDaysBetween(to, from);
    const auto roughDays = std::chrono::duration_cast<std::chrono::seconds>(to - from).count() / 86400;
    return largestFitting(to, static_cast<int>(std::min<std::int64_t>(roughDays, 1 << 28)),
                          [&](int n) { return shifted(from, 0, n); });
}

std::string relativeActivity(const std::optional<TimePoint>& date, TimePoint now) {
    if (!date) return "Unknown";
    std::string text = relativePhrase(*date, now);
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') text.front() = static_cast<char>(text.front() - 32);
    return text;
}

}  // namespace korvane
