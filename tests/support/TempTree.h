#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace korvane::testing {

// A temporary folder that tests build trees in; removed (with `rm -rf`) when
// the object dies. Paths given to its helpers are relative to its root.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const;

    // Creates parent folders as needed. Returns the absolute path.
    std::string file(const std::string& relative, std::size_t bytes = 0, char fill = 'x');
    std::string text(const std::string& relative, const std::string& contents);
    std::string folder(const std::string& relative);
    std::string symlink(const std::string& relative, const std::string& target);
    std::string hardlink(const std::string& relative, const std::string& existingRelative);
    // Sets access and modification time to `secondsAgo` before now.
    void age(const std::string& relative, double secondsAgo);

private:
    std::string root_;
};

// A snapshot of everything below a folder (type, size, inode, mode, mtime and
// link target of each entry), to prove that a test touched nothing it should not.
using Fingerprint = std::map<std::string, std::string>;
Fingerprint fingerprint(const std::string& root, const std::string& except = {});

// `du -s -B1` of a path: the allocated bytes that the sizers must agree with;
// `du -sx -B1` when it is to stay on the path's file system.
std::int64_t duBytes(const std::string& path, bool sameFileSystem = false);

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace korvane::testing
