#pragma once

#include "core/scanners/DetectedProject.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/system/UniqueFd.h"

namespace korvane {

// The user's projects, found by one walk over the project roots before any
// category scanner runs, so that scanners working per project share it.
class ProjectIndex {
public:
    ProjectIndex(std::vector<std::string> roots, int maxDepth);

    // The default project folders under the home folder that exist now.
    static std::vector<std::string> defaultRoots();

    // An entry of this name directly in a folder makes it a project of the kind.
    static const std::vector<std::pair<std::string, DetectedProject::Kind>>& markerFiles();
    // Folder names never descended (dependency trees, build output, media).
    static const std::unordered_set<std::string>& skippedDirectoryNames();
    // The files whose newest modification tells when a project was last worked on.
    static const std::vector<std::string>& activityFiles();

    // Walks the roots and replaces `projects`. `cancelled` is asked during
    // the walk; once it answers true the walk stops with what it found.
    void build(const std::function<bool()>& cancelled);

    // Sorted by folder path (plain string order).
    const std::vector<DetectedProject>& projects() const { return projects_; }
    // The projects holding `kind`, in the index's order.
    std::vector<DetectedProject> projects(DetectedProject::Kind kind) const;

    int maxDepth() const { return maxDepth_; }
    const std::vector<std::string>& roots() const { return roots_; }

    // Newest modification date among the activity files of a folder, else
    // the folder's own date, else none.
    static std::optional<std::chrono::system_clock::time_point> lastActivity(const std::string& folder);

private:
    struct Walk;
    void walk(Walk& state, UniqueFd folderFd, const std::string& folder, int depth) const;

    std::vector<DetectedProject> projects_;
    int maxDepth_;
    std::vector<std::string> roots_;
};

}  // namespace korvane
