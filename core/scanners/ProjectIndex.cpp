#include "core/scanners/ProjectIndex.h"

#include "core/system/FileContents.h"
#include "core/system/FileDate.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"
#include "core/model/ScanSettings.h"
#include "core/text/Utf8.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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
    std::map<std::string, DetectedProject> found;
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
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0) return std::nullopt;
        return FileDate::fromTimespec(st.st_mtim);
    }
    auto date = lastActivityAt(fd);
    ::close(fd);
    return date;
}

std::vector<DetectedProject> ProjectIndex::projects(Kind kind) const {
    std::vector<DetectedProject> matching;
    for (const auto& project : projects_)
        if (project.hasKind(kind)) matching.push_back(project);
    return matching;
}

void ProjectIndex::build(const std::function<bool()>& cancelled) {
    Walk state{cancelled, {}};
    std::set<std::pair<dev_t, ino_t>> walkedRoots;
    for (const auto& given : roots_) {
        // A relative root would name a folder below whatever the current
        // directory happens to be; only absolute roots are walked.
        if (given.empty() || given.front() != '/') continue;
        const auto root = Paths::standardise(given);
        if (!root) continue;
        const int fd = ::open(root->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // The same folder reached under two names (a link, a bind mount) is
        // walked once, under the first name given.
        if (::fstat(fd, &st) != 0 || !walkedRoots.insert({st.st_dev, st.st_ino}).second || isPseudoFileSystem(fd)) {
            ::close(fd);
            continue;
        }
        walk(state, fd, *root, 0);
        if (cancelled()) break;
    }
    projects_.clear();
    projects_.reserve(state.found.size());
    for (auto& [path, project] : state.found) projects_.push_back(std::move(project));
}

// Owns `folderFd` and closes it before returning.
void ProjectIndex::walk(Walk& state, int folderFd, const std::string& folder, int depth) const {
    if (depth > maxDepth_ || state.cancelled()) {
        ::close(folderFd);
        return;
    }
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
        ::close(folderFd);
        return;
    }
    std::vector<Entry> entries;
    std::set<Kind> kinds;
    static const std::unordered_map<std::string, Kind> markerKinds = [] {
        std::unordered_map<std::string, Kind> map;
        for (const auto& [name, kind] : markerFiles()) map.emplace(name, kind);
        return map;
    }();
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (auto marker = markerKinds.find(name); marker != markerKinds.end()) kinds.insert(marker->second);
        if (name.ends_with(".xcodeproj") || name.ends_with(".xcworkspace")) kinds.insert(Kind::xcode);
        entries.push_back({std::move(name), entry->d_type});
    }
    const int fd = ::dirfd(dir);
    if (kinds.count(Kind::node) != 0) {
        if (const auto text = readText(fd, "package.json")) {
            if (text->find("\"react-native\"") != std::string::npos) kinds.insert(Kind::reactNative);
            if (text->find("\"expo\"") != std::string::npos) kinds.insert(Kind::expo);
            if (text->find("\"next\"") != std::string::npos) kinds.insert(Kind::nextjs);
        }
    }
    if (!kinds.empty()) state.found[folder] = DetectedProject{folder, std::move(kinds), lastActivityAt(fd)};

    if (depth + 1 <= maxDepth_) {
        struct stat self {};
        const bool haveSelf = ::fstat(fd, &self) == 0;
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
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) continue;
            struct stat st {};
            if (::fstat(child, &st) != 0 || (haveSelf && st.st_dev != self.st_dev && isPseudoFileSystem(child))) {
                ::close(child);
                continue;
            }
            walk(state, child, Paths::join(folder, name), depth + 1);
            if (state.cancelled()) break;
        }
    }
    ::closedir(dir);
}

}  // namespace korvane
