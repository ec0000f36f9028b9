#include "app/state/UserChoice.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

// Only a path that certainly names nothing now counts as gone: one that cannot
// be looked at is left to the safety check and the cleanup.
bool isMissing(const std::string& path) {
    if (path.empty() || path.front() != '/' || !Paths::isValid(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// What stands at the path now when it is not the kind of thing the scan saw
// there: a file picked from the list may since have been replaced by a folder
// holding anything at all, and the user never saw what it holds.
std::optional<std::string> changedKind(const struct stat& info, bool wasFolder) {
    const bool isFolder = S_ISDIR(info.st_mode);
    if (isFolder == wasFolder) return std::nullopt;
    return isFolder ? "it is a folder now, not the file the scan found; scan again to see what it holds"
                    : "it is a file now, not the folder the scan found; scan again to see what it is";
}

// A link now stands where the scan found the item, or another item: a file
// replaced (a re-export, a finished download) or written to since.
bool isAnotherItem(const std::optional<ItemIdentity>& seen, const struct stat& info) {
    return S_ISLNK(info.st_mode) || (seen && !seen->matches(info));
}

// A file with another name elsewhere keeps its space until every name is
// gone: removing this one frees nothing, and is counted so.
bool hasOtherNames(const struct stat& info) { return S_ISREG(info.st_mode) && info.st_nlink > 1; }

CleanupCandidate admitted(const FileTreeScanner::Entry& entry, std::string checkedPath, bool freesNothing) {
    return CleanupCandidate(
        UUID::random(), CleanupCategory::toolchains, UserChoice::ruleID,
        entry.isDirectory ? "Folders you chose" : "Files you chose", entry.name, std::move(checkedPath),
        freesNothing ? 0 : entry.size, SafetyLevel::caution,
        freesNothing ? UserChoice::otherNamesReason
                     : "You picked this yourself. Korvane has no way to recreate it, so it goes to the Trash "
                       "rather than being deleted.",
        UserChoice::restoreHint, entry.modified, {}, RemovalKind::path());
}

}  // namespace

UserChoice::Sorted UserChoice::sort(const std::vector<FileTreeScanner::Entry>& entries) {
    Sorted sorted;
    const std::string home = Paths::home();
    for (const auto& entry : entries) {
        const auto checked = SafetyPolicy::checked(entry.path, ruleID, RemovalKind::path());
        if (checked.verdict.isAllowed()) {
            // Looked at once for both checks; what cannot be looked at is decided at the cleanup.
            struct stat info {};
            const bool standing = ::lstat(checked.path.c_str(), &info) == 0;
            if (standing && isAnotherItem(entry.identity(), info)) {
                sorted.changed.push_back(entry.name);
                sorted.reshaped.push_back(entry);
                continue;
            }
            if (auto changed = standing ? changedKind(info, entry.isDirectory) : std::nullopt) {
                sorted.refused.push_back({entry.name, std::move(*changed), false});
                sorted.reshaped.push_back(entry);
                continue;
            }
            CleanupCandidate candidate =
                admitted(entry, checked.path, standing && !entry.isDirectory && hasOtherNames(info));
            candidate.seen = entry.identity();
            sorted.admitted.push_back(std::move(candidate));
            continue;
        }
        const std::string& place = checked.path.empty() ? entry.path : checked.path;
        sorted.refused.push_back(
            {entry.name, checked.verdict.reason(), !home.empty() && !Paths::isAtOrBelow(place, home)});
    }
    return sorted;
}

bool UserChoice::freesNoSpace(const CleanupCandidate& candidate) {
    return candidate.ruleID == ruleID && candidate.reason == otherNamesReason;
}

bool UserChoice::isReplaced(const CleanupCandidate& candidate) {
    if (!candidate.seen || !candidate.removal.isPath() || !Paths::isValid(candidate.path)) return false;
    struct stat info {};
    return ::lstat(candidate.path.c_str(), &info) == 0 && isAnotherItem(candidate.seen, info);
}

bool UserChoice::isGone(const CleanupCandidate& candidate) {
    return candidate.removal.isPath() && isMissing(candidate.path);
}

}  // namespace korvane
