#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

class Flag;

// Removes a file or a folder tree through descriptors only: the parent is
// reached without following links (ParentDirectory), the leaf is re-examined
// before anything is removed, and the tree is emptied with unlinkat on
// descriptors of folders opened with O_NOFOLLOW. A link anywhere inside is
// removed as a link; a file system mounted inside the tree (another device, or
// a bind mount of the same one) and a file bound inside are left alone and
// reported. A file that is itself bound elsewhere is refused by the kernel (EBUSY).
class SafeRemover {
public:
    enum class LeafLink {
        refuse,        // the item itself being a link fails with ELOOP (it changed since it was checked)
        removeAsLink,  // the item itself may be a link: the link is removed, never its target
    };

    // Read-only folders are common in caches (Go's module cache), and rare
    // and deliberate elsewhere: only a cache may have them opened up.
    enum class ReadOnlyFolders {
        unlock,  // a folder of ours inside gets owner write permission back so that it can be emptied
        keep,    // a folder that cannot be emptied stays, with the permission failure reported
    };

    // Lets the caller stop a long removal between two entries and follow its
    // progress. The callback runs on the removing thread after each entry
    // removed, with the bytes that entry freed.
    struct Watch {
        const Flag* cancel = nullptr;
        std::function<void(std::int64_t bytes)> removed;
    };

    struct Options {
        std::string anchor;  // trusted folder the walk may start from (see ParentDirectory)
        LeafLink leafLink = LeafLink::refuse;
        ReadOnlyFolders readOnlyFolders = ReadOnlyFolders::unlock;
        Watch watch;
    };

    struct Result {
        int error = 0;                         // errno of the first failure; 0 when nothing failed
        std::string failedPath;                // where that failure happened
        std::vector<std::string> mountPoints;  // mounted file systems found inside and left alone
        bool cancelled = false;                // stopped by the cancel flag before the tree was empty
        // Allocated bytes the removal freed: files whose last name went, and folders.
        std::int64_t removedBytes = 0;

        // True when the item is gone entirely.
        bool removed() const { return error == 0 && mountPoints.empty() && !cancelled; }
    };

    // `path` must be absolute and standardised (EINVAL otherwise, also for a NUL byte).
    static Result remove(const std::string& path, const Options& options);
    static Result remove(const std::string& path) { return remove(path, Options{}); }

    // Removes the entry `name` of the open folder `dirfd`; `shownPath` names
    // the entry in the result.
    static Result removeAt(int dirfd, const std::string& name, const std::string& shownPath,
                           LeafLink leafLink, ReadOnlyFolders readOnlyFolders, const Watch& watch);
    static Result removeAt(int dirfd, const std::string& name, const std::string& shownPath,
                           LeafLink leafLink, ReadOnlyFolders readOnlyFolders = ReadOnlyFolders::unlock) {
        return removeAt(dirfd, name, shownPath, leafLink, readOnlyFolders, Watch());
    }

    // What to tell the user when a mounted file system kept a tree from going.
    static std::string mountPointMessage(const Result& result);
    static std::string mountPointMessage(const std::string& where);
};

}  // namespace korvane
