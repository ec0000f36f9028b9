#include "core/system/FastSizer.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "core/system/PseudoFileSystems.h"

namespace korvane {

namespace {

constexpr int directoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::int64_t allocatedBytes(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

std::chrono::system_clock::time_point modificationTime(const struct stat& st) {
    // Whole seconds: the nanosecond part is dropped.
    return std::chrono::system_clock::time_point(std::chrono::seconds(st.st_mtim.tv_sec));
}

void takeLater(std::optional<std::chrono::system_clock::time_point>& current,
               std::chrono::system_clock::time_point candidate) {
    if (!current || candidate > *current) current = candidate;
}

}  // namespace

FastSizer::Measurement FastSizer::Measurement::merging(const Measurement& other) const {
    Measurement sum;
    sum.bytes = bytes + other.bytes;
    sum.files = files + other.files;
    sum.directories = directories + other.directories;
    sum.partial = partial || other.partial;
    sum.newestModification = newestModification;
    if (other.newestModification) takeLater(sum.newestModification, *other.newestModification);
    return sum;
}

std::size_t FastSizer::InodeKeyHash::operator()(const InodeKey& key) const noexcept {
    std::uint64_t h = static_cast<std::uint64_t>(key.dev) * 0x9E3779B97F4A7C15ULL;
    h ^= static_cast<std::uint64_t>(key.ino) + 0x632BE59BD9B4E019ULL + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
}

const std::unordered_set<std::string>& FastSizer::skippedNames() {
    static const std::unordered_set<std::string> names{".Trash", ".Spotlight-V100", ".fseventsd",
                                                       ".DocumentRevisions-V100"};
    return names;
}

bool FastSizer::isSkippedName(const char* name) {
    // Every skipped name starts with a dot; most entries are rejected here.
    if (name[0] != '.') return false;
    return std::strcmp(name, ".Trash") == 0 || std::strcmp(name, ".Spotlight-V100") == 0 ||
           std::strcmp(name, ".fseventsd") == 0 || std::strcmp(name, ".DocumentRevisions-V100") == 0;
}

void FastSizer::reset() {
    {
        std::lock_guard<std::mutex> guard(linkLock_);
        seenLinks_.clear();
    }
    cancelledFlag_.setValue(false);
}

void FastSizer::cancel() { cancelledFlag_.setValue(true); }

bool FastSizer::isCancelled() const { return cancelledFlag_.value(); }

bool FastSizer::claimLink(const struct stat& st) {
    if (st.st_nlink < 2) return true;
    std::lock_guard<std::mutex> guard(linkLock_);
    return seenLinks_.insert(InodeKey{st.st_dev, st.st_ino}).second;
}

std::optional<FastSizer::Measurement> FastSizer::measure(const std::string& givenPath) {
    // A trailing "/" would make lstat and open resolve a symbolic link to a
    // folder; the path names the link itself.
    std::string path = givenPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat rootStat {};
    if (path.empty() || lstat(path.c_str(), &rootStat) != 0) return std::nullopt;

    Measurement result;
    if (!S_ISDIR(rootStat.st_mode)) {
        if (claimLink(rootStat)) {
            result.bytes = allocatedBytes(rootStat);
            result.files = 1;
            result.newestModification = modificationTime(rootStat);
        }
        return result;
    }

    int fd = open(path.c_str(), directoryFlags);
    struct stat openedStat {};
    if (fd >= 0 && (fstat(fd, &openedStat) != 0 || openedStat.st_dev != rootStat.st_dev ||
                    openedStat.st_ino != rootStat.st_ino)) {
        // Replaced between lstat and open: this is not the folder we looked at.
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        result.directories = 1;
        result.partial = true;
        return result;
    }

    if (isPseudoFileSystem(fd)) {
        close(fd);
    } else {
        result = walk(fd, 0, rootStat.st_dev);
    }
    result.directories += 1;
    result.bytes += allocatedBytes(rootStat);
    takeLater(result.newestModification, modificationTime(rootStat));
    return result;
}

FastSizer::Measurement FastSizer::walk(int fd, int depth, dev_t device) {
    Measurement sum;
    if (depth > maximumDepth) {
        close(fd);
        sum.partial = true;
        return sum;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        sum.partial = true;
        return sum;
    }

    while (const dirent* entry = readdir(dir)) {
        if (cancelledFlag_.value()) break;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if (isSkippedName(name)) continue;

        struct stat st;
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;

        if (S_ISDIR(st.st_mode)) {
            sum.directories += 1;
            sum.bytes += allocatedBytes(st);
            int child = openat(fd, name, directoryFlags);
            if (child < 0) {
                sum.partial = true;
                continue;
            }
            // A mount point: kernel pseudo file systems are counted as a
            // folder but never read.
            if (st.st_dev != device && isPseudoFileSystem(child)) {
                close(child);
                continue;
            }
            sum = sum.merging(walk(child, depth + 1, st.st_dev));
        } else if (S_ISLNK(st.st_mode)) {
            sum.files += 1;
            sum.bytes += allocatedBytes(st);
        } else {
            if (!claimLink(st)) continue;
            sum.files += 1;
            sum.bytes += allocatedBytes(st);
            takeLater(sum.newestModification, modificationTime(st));
        }
    }
    closedir(dir);
    return sum;
}

}  // namespace korvane
