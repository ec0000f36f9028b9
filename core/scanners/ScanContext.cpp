#include "core/scanners/ScanContext.h"

#include "core/system/FileDate.h"
#include "core/system/FolderListing.h"
#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/text/RelativeDate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace korvane {

using TimePoint = std::chrono::system_clock::time_point;

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
    // A Trash folder is neither measured nor offered, whatever folder holds it.
    std::erase_if(names, [&](const std::string& name) {
        return sizer_->trashFolders().holding(Paths::join(folder, name)).has_value();
    });
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

int ScanContext::daysSince(TimePoint date) const { return RelativeDate::fullDaysBetween(date, now()); }

std::string ScanContext::relativeActivity(const std::optional<TimePoint>& date) const {
    return date ? RelativeDate::stamp(*date) : RelativeDate::string(std::nullopt, now());
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

}  // namespace korvane
