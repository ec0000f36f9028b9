#include "core/system/FastSizer.h"

#include <fcntl.h>
#include <sys/sysmacros.h>

#include <cstring>

#include "core/system/DirectoryReader.h"
#include "core/system/FileDate.h"
#include "core/system/PseudoFileSystems.h"
#include "core/system/UniqueFd.h"

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace korvane {

namespace {

std::int64_t allocatedBytes(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

std::chrono::system_clock::time_point modificationTime(const struct stat& st) {
    // Whole seconds: the nanosecond part is dropped.
    return FileDate::fromSeconds(st.st_mtim.tv_sec);
}

// The status of the entry `name` of `dirFd` as fstatat gives it, and whether
// a mount is rooted there: a folder or a file bound inside shows the device
// of what it repeats, and only the kernel's mark tells it apart. One call.
bool entryStatus(int dirFd, const char* name, struct stat& st, bool& mountRoot) {
    struct statx sx;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0) return false;
    st = {};
    st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    st.st_ino = sx.stx_ino;
    st.st_mode = sx.stx_mode;
    st.st_nlink = sx.stx_nlink;
    st.st_blocks = static_cast<blkcnt_t>(sx.stx_blocks);
    st.st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
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

bool FastSizer::LinkSet::claim(const struct stat& st) { return claim(InodeKey{st.st_dev, st.st_ino}); }

bool FastSizer::LinkSet::claim(const InodeKey& key) {
    const std::size_t hash = InodeKeyHash{}(key);
    // The top bits pick the shard; the set itself uses the low ones.
    Shard& shard = shards_[(static_cast<std::uint64_t>(hash) * 0x9E3779B97F4A7C15ULL) >> 58];
    std::lock_guard guard(shard.lock);
    return shard.seen.insert(key).second;
}

void FastSizer::LinkSet::clear() {
    for (Shard& shard : shards_) {
        std::lock_guard guard(shard.lock);
        shard.seen.clear();
    }
}

// One reader per depth of a walk, so that each keeps its buffer for every
// folder read at that depth.
class FastSizer::DirectoryReaders {
public:
    DirectoryReaders() : readers_(maximumDepth + 2) {}
    DirectoryReader& at(int depth) { return readers_[static_cast<std::size_t>(depth)]; }

private:
    std::vector<DirectoryReader> readers_;
};

void FastSizer::reset() {
    links_.clear();
    cancelledFlag_.setValue(false);
}

void FastSizer::cancel() { cancelledFlag_.setValue(true); }

bool FastSizer::isCancelled() const { return cancelledFlag_.value(); }

bool FastSizer::claimLink(const struct stat& st) { return st.st_nlink < 2 || links_.claim(st); }

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

    UniqueFd fd = DirectoryReader::openFolder(path, false);
    struct stat openedStat {};
    if (fd.valid() && (fstat(fd.get(), &openedStat) != 0 || openedStat.st_dev != rootStat.st_dev ||
                       openedStat.st_ino != rootStat.st_ino)) {
        // Replaced between lstat and open: this is not the folder we looked at.
        fd.reset();
    }
    if (!fd.valid()) {
        result.directories = 1;
        result.partial = true;
        return result;
    }

    if (!isPseudoFileSystem(fd.get())) {
        DirectoryReaders readers;
        readers.at(0).reset(std::move(fd));
        result = walk(readers, 0, rootStat.st_dev);
    }
    result.directories += 1;
    result.bytes += allocatedBytes(rootStat);
    takeLater(result.newestModification, modificationTime(rootStat));
    return result;
}

// Reads the folder open in the reader of `depth` and closes it.
FastSizer::Measurement FastSizer::walk(DirectoryReaders& readers, int depth, dev_t device) {
    DirectoryReader& reader = readers.at(depth);
    Measurement sum;
    if (depth > maximumDepth) {
        // Counted by its parent, not read.
        reader.reset();
        sum.partial = true;
        return sum;
    }
    DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        if (cancelledFlag_.value()) break;
        const char* name = entry.name;
        if (isSkippedName(name)) continue;

        struct stat st;
        bool mountRoot;
        if (!entryStatus(reader.fd(), name, st, mountRoot)) continue;

        if (S_ISDIR(st.st_mode)) {
            if (trash_.isTrashFolder(reader.fd(), name, st)) continue;
            // A folder bound here counts for nothing, as in the folder scan:
            // its files are another folder's, which a removal leaves alone too.
            if (mountRoot && st.st_dev == device) continue;
            sum.directories += 1;
            sum.bytes += allocatedBytes(st);
            UniqueFd child = reader.openChild(name);
            if (!child.valid()) {
                sum.partial = true;
                continue;
            }
            DirectoryReader& below = readers.at(depth + 1);
            below.reset(std::move(child));
            // A mount point: kernel pseudo file systems are counted as a
            // folder but never read.
            if (below.isPseudoFileSystemAt(st.st_dev, device)) {
                below.reset();
                continue;
            }
            sum = sum.merging(walk(readers, depth + 1, st.st_dev));
        } else if (S_ISLNK(st.st_mode)) {
            sum.files += 1;
            sum.bytes += allocatedBytes(st);
        } else if (!mountRoot) {  // a file bound here is another's, which counts where it lies
            if (!claimLink(st)) continue;
            sum.files += 1;
            sum.bytes += allocatedBytes(st);
            takeLater(sum.newestModification, modificationTime(st));
        }
    }
    if (reader.failed()) sum.partial = true;
    reader.reset();
    return sum;
}

}  // namespace korvane
