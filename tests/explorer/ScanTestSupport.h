#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/model/StorageNode.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

// A file whose allocated size is `bytes` (rounded up to whole blocks)
// without writing them: large trees stay cheap to build.
inline std::string allocate(TempTree& tree, const std::string& relative, std::int64_t bytes) {
    std::string path = tree.file(relative, 0);
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    if (bytes > 0 && posix_fallocate(fd, 0, bytes) != 0) {
        // File systems without fallocate get real data.
        std::string block(65536, 'x');
        for (std::int64_t written = 0; written < bytes; written += static_cast<std::int64_t>(block.size()))
            EXPECT_GT(::write(fd, block.data(), block.size()), 0);
    }
    ::close(fd);
    return path;
}

inline std::int64_t allocated(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

inline const StorageNode* child(const StorageNode& node, const std::string& name) {
    for (const StorageNode& c : node.children)
        if (c.name == name) return &c;
    return nullptr;
}

// Child order and bytes of two trees agree everywhere.
inline void expectSameTree(const StorageNode& a, const StorageNode& b) {
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.bytes, b.bytes) << a.id;
    EXPECT_EQ(a.fileKind, b.fileKind) << a.id;
    EXPECT_EQ(a.details, b.details) << a.id;
    EXPECT_EQ(a.fileCount, b.fileCount) << a.id;
    EXPECT_EQ(a.folderCount, b.folderCount) << a.id;
    ASSERT_EQ(a.children.size(), b.children.size()) << a.id;
    for (std::size_t i = 0; i < a.children.size(); ++i) expectSameTree(a.children[i], b.children[i]);
}

// Index entries of files: folders of the index's size are there too.
inline std::size_t fileEntries(const std::vector<FileTreeScanner::Entry>& entries) {
    std::size_t count = 0;
    for (const auto& entry : entries) count += entry.isDirectory ? 0 : 1;
    return count;
}

inline void forEachNode(const StorageNode& node,
                        const std::function<void(const StorageNode&, int depth)>& visit, int depth = 0) {
    visit(node, depth);
    for (const StorageNode& c : node.children) forEachNode(c, visit, depth + 1);
}

// The home folder the scanner abbreviates as "~", for the life of the object.
class HomeOverride {
public:
    explicit HomeOverride(const std::string& home) { Paths::setHomeForTesting(home); }
    ~HomeOverride() { Paths::setHomeForTesting(std::nullopt); }
};

// Options that make small test files behave like the large ones of real
// folders: 64 KiB is "large enough for a node", 256 KiB "a large file".
inline FileTreeScanner::Options smallOptions() {
    FileTreeScanner::Options options;
    options.fileNodeThreshold = 64 * 1024;
    options.largeFileThreshold = 256 * 1024;
    options.indexThreshold = 16 * 1024;
    return options;
}

}  // namespace korvane::testing
