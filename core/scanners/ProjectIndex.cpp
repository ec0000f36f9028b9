#include "core/scanners/ProjectIndex.h"

#include "core/system/DirectoryReader.h"
#include "core/system/FileContents.h"
#include "core/system/FileDate.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"
#include "core/system/TrashFolders.h"
#include "core/model/ScanSettings.h"
#include "core/text/Utf8.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <set>
#include <unordered_map>

namespace korvane {

namespace {

using TimePoint = std::chrono::system_clock::time_point;
using Kind = DetectedProject::Kind;

constexpr std::array<std::pair<Kind, std::string_view>, 11> kindNames{{
    {Kind::node, "node"},
    {Kind::reactNative, "reactNative"},
    {Kind::expo, "expo"},
    {Kind::nextjs, "nextjs"},
    {Kind::flutter, "flutter"},
    {Kind::gradle, "gradle"},
    {Kind::cocoapods, "cocoapods"},
    {Kind::rust, "rust"},
    {Kind::python, "python"},
    {Kind::go, "go"},
    {Kind::xcode, "xcode"},
}};

// package.json files beyond this are not read for framework hints; a real one
// is a few kilobytes.
constexpr std::int64_t packageJsonLimit = 16 * 1024 * 1024;

// The text of `name` inside the open folder, when it is a readable UTF-8 file.
std::optional<std::string> readText(int dirFd, const char* name) {
    auto text = FileContents::readSmallAt(dirFd, name, packageJsonLimit);
    if (!text || !Utf8::isValid(*text)) return std::nullopt;
    return text;
}

std::optional<TimePoint> modificationAt(int dirFd, const char* name) {
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return FileDate::fromTimespec(st.st_mtim);
}

// The activity date of the open folder `fd`.
std::optional<TimePoint> lastActivityAt(int fd) {
    std::optional<TimePoint> newest;
    for (const auto& file : ProjectIndex::activityFiles()) {
        if (auto date = modificationAt(fd, file.c_str())) {
            if (!newest || *date > *newest) newest = date;
        }
    }
    if (newest) return newest;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return FileDate::fromTimespec(st.st_mtim);
}

struct Entry {
    std::string name;
    unsigned char type;
};

}  // namespace

const std::vector<Kind>& DetectedProject::allKinds() {
    static const std::vector<Kind> kinds = [] {
        std::vector<Kind> all;
        for (const auto& [kind, name] : kindNames) all.push_back(kind);
        return all;
    }();
    return kinds;
}

std::string_view DetectedProject::rawValue(Kind kind) {
    for (const auto& [k, name] : kindNames)
        if (k == kind) return name;
    return {};
}

std::optional<Kind> DetectedProject::kindFromRawValue(std::string_view text) {
    for (const auto& [k, name] : kindNames)
        if (name == text) return k;
    return std::nullopt;
}

std::string DetectedProject::name() const { return Paths::lastComponent(url); }

struct ProjectIndex::Walk {
    const std::function<bool()>& cancelled;
    const TrashFolders trash;
    std::map<std::string, DetectedProject> found;
    // Device and inode of each project recorded: a folder bound inside a
    // root is the same project under a second name.
    std::set<std::pair<dev_t, ino_t>> projectFolders;
    // One per depth: a folder's descriptor stays open while its subfolders are walked.
    std::deque<DirectoryReader> readers;
};

ProjectIndex::ProjectIndex(std::vector<std::string> roots, int maxDepth)
    : maxDepth_(maxDepth), roots_(std::move(roots)) {}

std::vector<std::string> ProjectIndex::defaultRoots() { return defaultProjectRoots(); }

const std::vector<std::pair<std::string, Kind>>& ProjectIndex::markerFiles() {
    static const std::vector<std::pair<std::string, Kind>> markers{
        {"package.json", Kind::node},       {"pubspec.yaml", Kind::flutter},
        {"settings.gradle", Kind::gradle},  {"settings.gradle.kts", Kind::gradle},
        {"build.gradle", Kind::gradle},     {"build.gradle.kts", Kind::gradle},
        {"Podfile", Kind::cocoapods},       {"Cargo.toml", Kind::rust},
        {"go.mod", Kind::go},               {"pyproject.toml", Kind::python},
        {"requirements.txt", Kind::python},
    };
    return markers;
}

const std::unordered_set<std::string>& ProjectIndex::skippedDirectoryNames() {
    static const std::unordered_set<std::string> names{
        "node_modules", ".git",     ".svn",    ".hg",          "Pods",        "build",  ".build",   ".gradle",
        ".dart_tool",   "DerivedData", ".next", ".expo",       ".venv",       "venv",   "vendor",   "Library",
        "Applications", "Music",    "Movies",  "Pictures",     ".Trash",      ".cache", "target",   "dist",
        "out",          ".turbo",   "__pycache__", ".terraform", ".idea",     ".vscode",
    };
    return names;
}

const std::vector<std::string>& ProjectIndex::activityFiles() {
    static const std::vector<std::string> files{
        ".git/HEAD", ".git/index", "package.json", "pubspec.yaml", "build.gradle",
        "build.gradle.kts", "Podfile.lock", "Cargo.toml", "go.mod",
    };
    return files;
}

std::optional<TimePoint> ProjectIndex::lastActivity(const std::string& folder) {
    const UniqueFd fd = DirectoryReader::openFolder(folder, true);
    if (!fd.valid()) {
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0) return std::nullopt;
        return FileDate::fromTimespec(st.st_mtim);
    }
    return lastActivityAt(fd.get());
}

std::vector<DetectedProject> ProjectIndex::projects(Kind kind) const {
    std::vector<DetectedProject> matching;
    for (const auto& project : projects_)
        if (project.hasKind(kind)) matching.push_back(project);
    return matching;
}

void ProjectIndex::build(const std::function<bool()>& cancelled) {
    Walk state{cancelled, TrashFolders(), {}, {}, {}};
    std::set<std::pair<dev_t, ino_t>> walkedRoots;
    for (const auto& given : roots_) {
        // A relative root would name a folder below whatever the current
        // directory happens to be; only absolute roots are walked.
        if (given.empty() || given.front() != '/') continue;
        const auto root = Paths::standardise(given);
        if (!root) continue;
        UniqueFd fd = DirectoryReader::openFolder(*root, true);
        if (!fd.valid()) continue;
        struct stat st {};
        // The same folder reached under two names (a link, a bind mount) is
        // walked once, under the first name given.
        if (::fstat(fd.get(), &st) != 0 || !walkedRoots.insert({st.st_dev, st.st_ino}).second ||
            isPseudoFileSystem(fd.get()))
            continue;
        walk(state, std::move(fd), *root, 0);
        if (cancelled()) break;
    }
    projects_.clear();
    projects_.reserve(state.found.size());
    for (auto& [path, project] : state.found) projects_.push_back(std::move(project));
}

void ProjectIndex::walk(Walk& state, UniqueFd folderFd, const std::string& folder, int depth) const {
    if (depth > maxDepth_ || state.cancelled()) return;
    while (state.readers.size() <= static_cast<std::size_t>(depth)) state.readers.emplace_back();
    DirectoryReader& reader = state.readers[static_cast<std::size_t>(depth)];
    reader.reset(std::move(folderFd));
    std::vector<Entry> entries;
    std::set<Kind> kinds;
    static const std::unordered_map<std::string, Kind> markerKinds = [] {
        std::unordered_map<std::string, Kind> map;
        for (const auto& [name, kind] : markerFiles()) map.emplace(name, kind);
        return map;
    }();
    DirectoryReader::Entry listed;
    while (reader.next(listed)) {
        std::string name = listed.name;
        if (auto marker = markerKinds.find(name); marker != markerKinds.end()) kinds.insert(marker->second);
        if (name.ends_with(".xcodeproj") || name.ends_with(".xcworkspace")) kinds.insert(Kind::xcode);
        entries.push_back({std::move(name), listed.type});
    }
    const int fd = reader.fd();
    if (kinds.count(Kind::node) != 0) {
        if (const auto text = readText(fd, "package.json")) {
            if (text->find("\"react-native\"") != std::string::npos) kinds.insert(Kind::reactNative);
            if (text->find("\"expo\"") != std::string::npos) kinds.insert(Kind::expo);
            if (text->find("\"next\"") != std::string::npos) kinds.insert(Kind::nextjs);
        }
    }
    struct stat self {};
    const bool haveSelf = ::fstat(fd, &self) == 0;
    if (!kinds.empty() && (!haveSelf || state.projectFolders.insert({self.st_dev, self.st_ino}).second))
        state.found[folder] = DetectedProject{folder, std::move(kinds), lastActivityAt(fd)};

    if (depth + 1 <= maxDepth_) {
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        for (const auto& entry : entries) {
            const std::string& name = entry.name;
            if (name.front() == '.' && name.rfind(".git", 0) != 0) continue;
            if (skippedDirectoryNames().count(name) != 0) continue;
            if (name.ends_with(".xcodeproj") || name.ends_with(".xcworkspace") || name.ends_with(".app"))
                continue;
            if (entry.type != DT_DIR) {
                if (entry.type != DT_UNKNOWN) continue;  // links and files are never descended
                struct stat st {};
                if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) continue;
            }
            UniqueFd child = reader.openChild(name.c_str());
            if (!child.valid()) continue;
            struct stat st {};
            if (::fstat(child.get(), &st) != 0 ||
                (haveSelf && st.st_dev != self.st_dev && isPseudoFileSystem(child.get())) ||
                state.trash.isTrashFolder(fd, name.c_str(), st))
                continue;
            walk(state, std::move(child), Paths::join(folder, name), depth + 1);
            if (state.cancelled()) break;
        }
    }
    reader.reset();
}

}  // namespace korvane
