#pragma once

#include <sys/mount.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TempTree.h"

namespace korvane::testing {

// True when something is at the path; a link counts itself, even dangling.
inline bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The whole content of a file; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Mounts a small tmpfs (or a bind mount) on a folder for the life of the
// object. Declare it after the TempTree that holds the folder, so that it is
// unmounted before the tree is deleted.
class ScopedMount {
public:
    static ScopedMount tmpfs(const std::string& folder, bool readOnly = false) {
        unsigned long flags = readOnly ? MS_RDONLY : 0;
        return ScopedMount(folder, ::mount("korvane-test", folder.c_str(), "tmpfs", flags, "size=4m") == 0);
    }
    static ScopedMount bind(const std::string& source, const std::string& folder) {
        return ScopedMount(folder, ::mount(source.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0);
    }

    ScopedMount(ScopedMount&& other) noexcept : folder_(other.folder_), mounted_(other.mounted_) {
        other.mounted_ = false;
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    ~ScopedMount() { unmount(); }

    bool mounted() const { return mounted_; }
    void remountReadOnly() {
        if (mounted_) ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    }
    void unmount() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
        mounted_ = false;
    }

private:
    ScopedMount(std::string folder, bool mounted) : folder_(std::move(folder)), mounted_(mounted) {}
    std::string folder_;
    bool mounted_ = false;
};

// The fingerprint of everything under `root` except `item`. Removing an item
// touches its parent folder's modification time and size and nothing else, so
// those two are left out for that one folder; its type, inode and mode stay in.
inline Fingerprint outsideOf(const std::string& root, const std::string& item) {
    Fingerprint print = fingerprint(root, item);
    std::string parent = item.substr(0, item.rfind('/'));
    std::string key = parent == root ? "." : parent.substr(root.size() + 1);
    if (auto found = print.find(key); found != print.end()) {
        std::istringstream fields(found->second);
        std::string mode, inode;
        fields >> mode >> inode;
        found->second = mode + " " + inode;
    }
    return print;
}

}  // namespace korvane::testing
