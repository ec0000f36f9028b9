#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// A folder below the user's project roots that looks like a project, with
// every kind its markers name and the date it was last worked on.
struct DetectedProject {
    enum class Kind { node, reactNative, expo, nextjs, flutter, gradle, cocoapods, rust, python, go, xcode };

    // Every kind, in declaration order.
    static const std::vector<Kind>& allKinds();
    // The text form of a kind: its case name ("reactNative").
    static std::string_view rawValue(Kind kind);
    // The kind whose text form is exactly `text`, or none.
    static std::optional<Kind> kindFromRawValue(std::string_view text);

    // The project folder: its root followed by the names walked to reach it.
    std::string url;
    // Never empty.
    std::set<Kind> kinds;
    // Newest date among the project's activity files, else the folder's own.
    std::optional<std::chrono::system_clock::time_point> lastActivity;

    bool hasKind(Kind kind) const { return kinds.count(kind) != 0; }
    // The project folder's own name (its last path component).
    std::string name() const;

    bool operator==(const DetectedProject&) const = default;
};

}  // namespace korvane
