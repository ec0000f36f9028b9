#include "core/platform/SafeRemover.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/ParentDirectory.h"
#include "core/system/DirectoryReader.h"
#include "core/system/Flag.h"

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace korvane {

namespace {

struct Entry {
    mode_t mode = 0;
    dev_t dev = 0;
    ino_t ino = 0;
    uid_t uid = 0;
    bool mountRoot = false;  // the root of a mount, bind mounts of the same device included
    // What removing this name frees: a file's blocks only with its last name, a folder's always.
    std::int64_t freedBytes = 0;
};

int examine(int dirfd, const char* name, Entry& out) {
    struct statx sx {};
    int flags = AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT | (name[0] == '\0' ? AT_EMPTY_PATH : 0);
    constexpr unsigned int wanted =
        STATX_TYPE | STATX_MODE | STATX_INO | STATX_UID | STATX_NLINK | STATX_BLOCKS;
    if (statx(dirfd, name, flags, wanted, &sx) != 0) return errno;
    out.mode = sx.stx_mode;
    out.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.ino = sx.stx_ino;
    out.uid = sx.stx_uid;
    out.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                    (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    const bool lastName = S_ISDIR(sx.stx_mode) || sx.stx_nlink <= 1;
    out.freedBytes =
        lastName && (sx.stx_mask & STATX_BLOCKS) != 0 ? static_cast<std::int64_t>(sx.stx_blocks) * 512 : 0;
    return 0;
}

struct Frame {
    DirectoryReader dir;
    std::string path;
    std::string name;
    std::int64_t freedBytes = 0;  // the folder's own blocks
    int passes = 0;
    bool keep = false;      // something inside stays, so the folder itself cannot go
    bool unlocked = false;  // write permission was added once already
};

class TreeRemoval {
public:
    TreeRemoval(SafeRemover::Result& result, dev_t device, SafeRemover::ReadOnlyFolders readOnly,
                const SafeRemover::Watch& watch)
        : result_(result),
          device_(device),
          mayUnlock_(readOnly == SafeRemover::ReadOnlyFolders::unlock),
          watch_(watch) {}

    void fail(int error, const std::string& path) {
        if (result_.error == 0) {
            result_.error = error;
            result_.failedPath = path;
        }
    }

    bool crossesMount(const Entry& entry) const { return entry.dev != device_ || entry.mountRoot; }

    // A folder of ours inside the tree gets owner write permission back so
    // that it can be emptied, where the caller allows it.
    bool unlock(int dirfd, const char* name) const {
        if (!mayUnlock_) return false;
        Entry entry;
        if (examine(dirfd, name, entry) != 0 || !S_ISDIR(entry.mode) || entry.uid != geteuid()) return false;
        if ((entry.mode & S_IRWXU) == S_IRWXU) return false;
        mode_t mode = (entry.mode & 07777) | S_IRWXU;
        if (name[0] == '\0') return fchmod(dirfd, mode) == 0;
        return fchmodat(dirfd, name, mode, AT_SYMLINK_NOFOLLOW) == 0;
    }

    // Opens a folder entry that was examined as `expected`; null on failure
    // (recorded). Refuses an entry that was swapped between the look and the open.
    UniqueFd openChild(int dirfd, const std::string& name, const Entry& expected, const std::string& path) {
        vanished_ = false;
        constexpr int flags = DirectoryReader::childFlags;
        UniqueFd folder(openat(dirfd, name.c_str(), flags));
        if (!folder.valid() && errno == EACCES && unlock(dirfd, name.c_str()))
            folder.reset(openat(dirfd, name.c_str(), flags));
        const int fd = folder.get();
        if (fd < 0) {
            // A folder that vanished since it was listed is simply gone.
            vanished_ = errno == ENOENT;
            if (!vanished_) fail(errno == ENOTDIR ? ELOOP : errno, path);
            return {};
        }
        Entry opened;
        if (examine(fd, "", opened) != 0 || opened.dev != expected.dev || opened.ino != expected.ino ||
            crossesMount(opened)) {
            fail(EAGAIN, path);
            return {};
        }
        return folder;
    }

    // Empties and removes the folder `name` of `parentFd`.
    void run(int parentFd, const std::string& name, const Entry& entry, const std::string& path) {
        UniqueFd root = openChild(parentFd, name, entry, path);
        if (!root.valid()) return;
        stack_.push_back(Frame{DirectoryReader(std::move(root)), path, name, entry.freedBytes});
        DirectoryReader::Entry item;
        while (!stack_.empty()) {
            // Between two entries: what is gone stays gone, the rest stays whole.
            if (watch_.cancel && watch_.cancel->value()) {
                result_.cancelled = true;
                stack_.clear();
                return;
            }
            Frame& top = stack_.back();
            if (top.dir.next(item)) {
                visit(top, item.name);
                continue;
            }
            if (top.dir.failed()) {
                fail(top.dir.error(), top.path);
                top.keep = true;
            }
            finish(parentFd);
        }
    }

private:
    void visit(Frame& top, const char* childName) {
        int dfd = top.dir.fd();
        std::string childPath = top.path + "/" + childName;
        Entry child;
        if (int error = examine(dfd, childName, child); error != 0) {
            if (error != ENOENT) {
                fail(error, childPath);
                top.keep = true;
            }
            return;
        }
        // A file bound here (as containers bind /etc/hosts) is a mount point too.
        if (crossesMount(child)) {
            result_.mountPoints.push_back(childPath);
            top.keep = true;
            return;
        }
        if (S_ISDIR(child.mode)) {
            UniqueFd folder = openChild(dfd, childName, child, childPath);
            if (!folder.valid()) {
                if (!vanished_) top.keep = true;
                return;
            }
            // invalidates `top`
            stack_.push_back(
                Frame{DirectoryReader(std::move(folder)), childPath, childName, child.freedBytes});
            return;
        }
        if (unlinkChild(dfd, childName, child)) return;
        int error = errno;
        if ((error == EACCES || error == EPERM) && !top.unlocked) {
            top.unlocked = true;
            if (unlock(dfd, "") && unlinkChild(dfd, childName, child)) return;
            error = errno;
        }
        fail(error, childPath);
        top.keep = true;
    }

    // True when the entry is gone (also when something else removed it first).
    bool unlinkChild(int dfd, const char* childName, const Entry& child) {
        if (unlinkat(dfd, childName, 0) == 0) {
            counted(child.freedBytes);
            return true;
        }
        return errno == ENOENT;
    }

    void counted(std::int64_t bytes) {
        result_.removedBytes += bytes;
        if (watch_.removed) watch_.removed(bytes);
    }

    // The listing of the top folder is done: remove the folder itself.
    void finish(int rootParentFd) {
        Frame& top = stack_.back();
        bool isRoot = stack_.size() == 1;
        int parentFd = isRoot ? rootParentFd : stack_[stack_.size() - 2].dir.fd();
        // The folder went now, or had gone already; errno says why not otherwise.
        const auto gone = [&] {
            if (unlinkat(parentFd, top.name.c_str(), AT_REMOVEDIR) == 0) {
                counted(top.freedBytes);
                return true;
            }
            return errno == ENOENT;
        };
        if (!top.keep) {
            if (gone()) {
                pop();
                return;
            }
            int error = errno;
            if ((error == ENOTEMPTY || error == EEXIST) && top.passes < 2) {
                // Entries that appeared while the folder was read: go over it again.
                ++top.passes;
                top.dir.rewind();
                return;
            }
            if ((error == EACCES || error == EPERM) && !isRoot) {
                Frame& parent = stack_[stack_.size() - 2];
                if (!parent.unlocked) {
                    parent.unlocked = true;
                    if (unlock(parentFd, "") && gone()) {
                        pop();
                        return;
                    }
                    error = errno;
                }
            }
            fail(error, top.path);
            top.keep = true;
        }
        pop();
        if (!stack_.empty()) stack_.back().keep = true;
    }

    void pop() { stack_.pop_back(); }

    SafeRemover::Result& result_;
    dev_t device_;
    bool mayUnlock_;
    const SafeRemover::Watch& watch_;
    bool vanished_ = false;  // the last openChild found nothing to open
    std::vector<Frame> stack_;
};

}  // namespace

SafeRemover::Result SafeRemover::removeAt(int dirfd, const std::string& name, const std::string& shownPath,
                                          LeafLink leafLink, ReadOnlyFolders readOnlyFolders,
                                          const Watch& watch) {
    Result result;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        result.error = EINVAL;
        result.failedPath = shownPath;
        return result;
    }
    Entry entry;
    if (int error = examine(dirfd, name.c_str(), entry); error != 0) {
        result.error = error;
        result.failedPath = shownPath;
        return result;
    }
    if (S_ISLNK(entry.mode) && leafLink == LeafLink::refuse) {
        result.error = ELOOP;
        result.failedPath = shownPath;
        return result;
    }
    if (!S_ISDIR(entry.mode)) {
        if (unlinkat(dirfd, name.c_str(), 0) != 0) {
            result.error = errno;
            result.failedPath = shownPath;
            return result;
        }
        result.removedBytes = entry.freedBytes;
        if (watch.removed) watch.removed(entry.freedBytes);
        return result;
    }
    Entry parent;
    if (int error = examine(dirfd, "", parent); error != 0) {
        result.error = error;
        result.failedPath = shownPath;
        return result;
    }
    if (entry.dev != parent.dev || entry.mountRoot) {
        // The item is itself a mount point: emptying it would wipe another file system.
        result.mountPoints.push_back(shownPath);
        return result;
    }
    TreeRemoval removal(result, entry.dev, readOnlyFolders, watch);
    removal.run(dirfd, name, entry, shownPath);
    return result;
}

std::string SafeRemover::mountPointMessage(const Result& result) {
    return mountPointMessage(result.mountPoints.empty() ? std::string() : result.mountPoints.front());
}

std::string SafeRemover::mountPointMessage(const std::string& where) {
    return "Another volume is mounted inside this folder at \u201C" + where + "\u201D; Korvane left it alone.";
}

SafeRemover::Result SafeRemover::remove(const std::string& path, const Options& options) {
    ParentDirectory parent = ParentDirectory::open(path, options.anchor);
    if (!parent.ok()) {
        Result result;
        result.error = parent.error();
        result.failedPath = path;
        return result;
    }
    return removeAt(parent.fd(), parent.leaf(), path, options.leafLink, options.readOnlyFolders,
                    options.watch);
}

}  // namespace korvane
