#pragma once

#include "core/system/FastSizer.h"
#include "core/system/Flag.h"
#include "core/model/ScanSettings.h"
#include "core/scanners/ProjectIndex.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvane {

// What every category scanner of one developer scan shares: the one sizer (so
// a hard-linked file is counted once in the whole scan), the projects found
// before the scanners started, the settings, and the cancel request.
// All operations may be called from many threads at once.
class ScanContext {
public:
    using TimePoint = std::chrono::system_clock::time_point;
    using Clock = std::function<TimePoint()>;

    // One measured entry of a folder, or one measured location.
    struct Entry {
        std::string url;  // absolute path
        FastSizer::Measurement measurement;
        bool operator==(const Entry&) const = default;
    };

    // `now` tells the current time for ages and relative dates; the system
    // clock when not given.
    ScanContext(std::shared_ptr<FastSizer> sizer, std::shared_ptr<const ProjectIndex> projects, ScanSettings settings,
                Clock now = {});
    ScanContext(const ScanContext&) = delete;
    ScanContext& operator=(const ScanContext&) = delete;

    FastSizer& sizer() const { return *sizer_; }
    const ProjectIndex& projects() const { return *projects_; }
    const ScanSettings& settings() const { return settings_; }
    const Flag& cancelled() const { return cancelled_; }

    bool isCancelled() const { return cancelled_.value(); }
    // Sets the context's flag, then the sizer's, so walks already inside the
    // sizer stop too.
    void cancel();

    // The measurement of an existing location when it holds at least
    // `atLeast` bytes; none for a missing path or a dangling link.
    std::optional<FastSizer::Measurement> measure(const std::string& path, std::int64_t atLeast) const;
    // The entries of a folder, measured in parallel, in ascending name order.
    // Hidden names are left out unless `includeHidden`; ".DS_Store" always is.
    // Entries that vanished or were left unmeasured by a cancel are absent.
    std::vector<Entry> children(const std::string& folder, bool includeHidden) const;
    // Each path measured in parallel; a path that cannot be measured (or was
    // left unmeasured by a cancel) has no entry.
    std::unordered_map<std::string, FastSizer::Measurement> measureAll(const std::vector<std::string>& paths) const;
    // The paths that exist, measured at once, in the given order, each kept
    // when it holds at least `atLeast` bytes.
    std::vector<Entry> measureExisting(const std::vector<std::string>& paths, std::int64_t atLeast) const;

    // One folder inside one project, measured by measureInProjects.
    struct ProjectFolder {
        std::size_t project = 0;  // index into the projects given
        std::size_t folder = 0;   // index into the relative folders given
        Entry entry;
    };
    // Every relative folder inside every project that exists, measured at
    // once, in project then folder order, each kept when it holds at least
    // `atLeast` bytes. A path reached from two projects (one nested in the
    // other) is measured once, for the earlier project.
    std::vector<ProjectFolder> measureInProjects(const std::vector<DetectedProject>& projects,
                                                 const std::vector<std::string>& folders,
                                                 std::int64_t atLeast) const;

    // The current time by the context's clock.
    TimePoint now() const;
    // Full days elapsed from `date` to now, counted in local time (see
    // RelativeDate::fullDaysBetween); negative for a date in the future.
    int daysSince(TimePoint date) const;
    // A last-activity date as a scan keeps it, to be worded relative to the
    // moment it is shown ("2 weeks ago", "Yesterday"; RelativeDate::stamp
    // and RelativeDate::worded), or "Unknown" without a date.
    std::string relativeActivity(const std::optional<TimePoint>& date) const;

    // Number of threads the parallel measurements use for `itemCount` items.
    static int workerCount(std::size_t itemCount);

private:
    std::shared_ptr<FastSizer> sizer_;
    std::shared_ptr<const ProjectIndex> projects_;
    ScanSettings settings_;
    Flag cancelled_;
    Clock now_;
};

// True when something exists at the path (links followed).
bool exists(const std::string& path);
// True when something exists at the path and it is a folder (links followed).
bool isDirectory(const std::string& path);
// The names in a folder (hidden ones included, ".DS_Store" left out), in
// ascending order, without measuring them; nothing when it cannot be listed.
std::vector<std::string> sortedEntryNames(const std::string& folder);
// The modification date of the item at the path (a link's own date); none when
// it cannot be read.
std::optional<std::chrono::system_clock::time_point> modificationDate(const std::string& path);
// The date of a measured item: the newest modification inside it, else its own.
std::optional<std::chrono::system_clock::time_point> newestElseOwn(const FastSizer::Measurement& measurement,
                                                                   const std::string& path);
// The bytes a folder tree occupies, following the path itself when it is a
// symbolic link (a tool's home moved to a larger disk and linked back), so that
// the footprint holds what the folder really occupies; 0 when it cannot be
// measured.
std::int64_t measureFollowingLink(const ScanContext& context, const std::string& path);

}  // namespace korvane
