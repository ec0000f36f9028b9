// The scanner's rows and the names and counts it decides by, apart from the walk.
#include <sched.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"

namespace korvane {

FileTreeScanner::Entry FileTreeScanner::Entry::make(std::string name, std::string path, std::int64_t size,
                                                    std::chrono::system_clock::time_point modified,
                                                    bool isDirectory) {
    Entry entry;
    entry.id = static_cast<std::uint64_t>(std::hash<std::string>{}(path));
    entry.name = std::move(name);
    entry.path = std::move(path);
    entry.size = size;
    entry.modified = modified;
    entry.isDirectory = isDirectory;
    return entry;
}

std::string FileTreeScanner::Entry::parentPath() const { return Paths::parent(path); }

std::optional<ItemIdentity> FileTreeScanner::Entry::identity() const {
    if (inode != 0) return ItemIdentity{device, inode, size, modified, isDirectory};
    // A file picked on the tree is still told by its size and date; a folder by nothing.
    if (!fromNode || isDirectory || modified == std::chrono::system_clock::time_point{}) return std::nullopt;
    return ItemIdentity{0, 0, size, modified, false};
}

FileTreeScanner::Entry FileTreeScanner::Entry::of(const StorageNode& node) {
    Entry entry = make(node.name, node.path.value_or(node.id), node.bytes,
                       node.lastModified.value_or(std::chrono::system_clock::time_point{}),
                       node.kind == StorageNode::Kind::group);
    entry.fromNode = true;
    return entry;
}

const std::unordered_set<std::string>& FileTreeScanner::skippedNames() {
    static const std::unordered_set<std::string> names = {
        ".Trash", ".Spotlight-V100", ".fseventsd", ".DocumentRevisions-V100", ".TemporaryItems", ".DS_Store",
    };
    return names;
}

bool FileTreeScanner::isPackageName(std::string_view name) {
    return name.ends_with(".app") || name.ends_with(".framework") || name.ends_with(".bundle");
}

int FileTreeScanner::activeProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        int count = CPU_COUNT(&set);
        if (count > 0) return count;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

namespace {

constexpr std::string_view remainderSuffix = "//rest";

}  // namespace

std::string FileTreeScanner::remainderID(const std::string& folderPath) {
    // Sized once: `+` would double the copy's room for the suffix, and a scan
    // keeps one of these for every folder it shows.
    std::string id;
    id.reserve(folderPath.size() + remainderSuffix.size());
    id.append(folderPath).append(remainderSuffix);
    return id;
}

bool FileTreeScanner::isRemainderID(std::string_view id) { return id.ends_with(remainderSuffix); }

std::string_view FileTreeScanner::remainderFolder(std::string_view id) {
    while (isRemainderID(id)) id.remove_suffix(remainderSuffix.size());
    return id;
}

bool FileTreeScanner::isMountPoint(const StorageNode& node) { return node.details.count(mountPointDetail) != 0; }

}  // namespace korvane
