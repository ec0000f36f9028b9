#include "app/platform/VolumeName_linux.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "core/platform/MountPoints_linux.h"
#include "core/system/FileContents.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

constexpr std::int64_t kMaxTableBytes = 16 * 1024 * 1024;
constexpr const char* kLabelFolder = "/dev/disk/by-label";

struct Mount {
    unsigned major = 0;
    unsigned minor = 0;
    std::string point;
    std::string source;
};

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        if (end > start) parts.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// "id parent major:minor root point options [optional…] - type source options"
std::optional<Mount> parseLine(std::string_view line) {
    const auto parts = fields(line);
    if (parts.size() < 5) return std::nullopt;
    Mount mount;
    if (std::sscanf(std::string(parts[2]).c_str(), "%u:%u", &mount.major, &mount.minor) != 2) return std::nullopt;
    mount.point = MountPoints::decodedField(parts[4]);
    for (std::size_t i = 5; i + 2 < parts.size(); ++i)
        if (parts[i] == "-") {
            mount.source = MountPoints::decodedField(parts[i + 2]);
            break;
        }
    return mount;
}

// The mount that holds the folder: the deepest mount point above it, the
// last one listed where mounts are stacked on one point.
std::optional<Mount> holdingMount(const std::string& table, const std::string& folder) {
    std::optional<Mount> best;
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('\n', start);
        if (end == std::string::npos) end = table.size();
        auto mount = parseLine(std::string_view(table).substr(start, end - start));
        start = end + 1;
        if (!mount || !Paths::isAtOrBelow(folder, mount->point)) continue;
        if (!best || mount->point.size() >= best->point.size()) best = std::move(mount);
    }
    return best;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether a by-label link names the mount's device: by its path, or by the
// device number of the node it points at.
bool linkNamesDevice(const std::string& root, const std::string& linkPath, const Mount& mount) {
    char buffer[4096];
    const ssize_t length = ::readlink((root + linkPath).c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return false;
    const std::string target(buffer, static_cast<std::size_t>(length));
    const auto device =
        Paths::standardise(target.starts_with('/') ? target : Paths::join(kLabelFolder, target));
    if (!device) return false;
    if (*device == mount.source) return true;
    struct stat st {};
    return ::stat((root + *device).c_str(), &st) == 0 && S_ISBLK(st.st_mode) && major(st.st_rdev) == mount.major &&
           minor(st.st_rdev) == mount.minor;
}

}  // namespace

std::string VolumeName::decodedLabel(const std::string& linkName) {
    std::string text;
    for (std::size_t i = 0; i < linkName.size(); ++i) {
        if (linkName[i] == '\\' && i + 3 < linkName.size() && linkName[i + 1] == 'x' &&
            hexValue(linkName[i + 2]) >= 0 && hexValue(linkName[i + 3]) >= 0) {
            text += static_cast<char>(hexValue(linkName[i + 2]) * 16 + hexValue(linkName[i + 3]));
            i += 3;
        } else {
            text += linkName[i];
        }
    }
    return text;
}

std::string VolumeName::of(const std::string& folder, const std::string& root) {
    const auto table = FileContents::readSmall(root + "/proc/self/mountinfo", kMaxTableBytes);
    if (!table) return {};
    const auto mount = holdingMount(*table, folder);
    if (!mount) return {};
    if (DIR* labels = ::opendir((root + kLabelFolder).c_str())) {
        std::string label;
        while (const dirent* entry = ::readdir(labels)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (linkNamesDevice(root, Paths::join(kLabelFolder, name), *mount)) {
                label = decodedLabel(name);
                break;
            }
        }
        ::closedir(labels);
        if (!label.empty()) return label;
    }
    return mount->point;
}

}  // namespace korvane
