#include "app/state/FolderFollowsDisk.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/explorer/FolderTally.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

using Place = DiskChange::Place;

const std::string& rootPath(const FileTreeScanner::Result& result) {
    return result.root.path ? *result.root.path : result.root.id;
}

void lower(std::int64_t& bytes, std::int64_t by) { bytes = std::max<std::int64_t>(bytes - by, 0); }

// Whether the place lies in the node: at or below its path, or, for a
// folder's remainder opened in the tree (it has no path), in what it lists.
bool holds(const StorageNode& node, const std::string& place) {
    if (node.path) return Paths::isAtOrBelow(place, *node.path);
    if (!FileTreeScanner::isRemainderID(node.id)) return false;
    return std::any_of(node.children.begin(), node.children.end(),
                       [&place](const StorageNode& child) { return holds(child, place); });
}

std::string_view parentOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return {};
    return path.substr(0, std::max<std::size_t>(slash, 1));
}

// A direct entry of `folder` left: each remainder of that folder at the end
// of the chain (an opened one and those opened inside it) sums one item
// fewer, so its name and count follow its rows; one that sums none leaves.
void countOneFewer(const std::vector<StorageNode*>& chain, std::string_view folder) {
    for (std::size_t i = chain.size(); i-- > 1;) {
        StorageNode& rest = *chain[i];
        if (!FileTreeScanner::isRemainderID(rest.id) || FileTreeScanner::remainderFolder(rest.id) != folder) return;
        const std::int64_t items = remainderItems(rest) - 1;
        if (items >= 1) {
            countRemainderItems(rest, items);
        } else {
            std::erase_if(chain[i - 1]->children, [&rest](const StorageNode& node) { return &node == &rest; });
        }
    }
}

// Takes the place out of the tree; false when that is not exact. `fell` is
// what every folder above it lost.
bool leave(StorageNode& root, const Place& place, FileTreeScanner::Result& result, std::int64_t& fell) {
    // Root down to the deepest node that holds the place.
    std::vector<StorageNode*> chain{&root};
    for (;;) {
        StorageNode& holder = *chain.back();
        if (holder.path && *holder.path == place.path) break;
        auto child = std::find_if(holder.children.begin(), holder.children.end(),
                                  [&place](const StorageNode& node) { return holds(node, place.path); });
        if (child == holder.children.end()) break;
        chain.push_back(&*child);
    }
    StorageNode& deepest = *chain.back();
    if (chain.size() > 1 && deepest.path && *deepest.path == place.path) {
        const std::int64_t bytes = deepest.bytes;
        const bool isFile = deepest.kind == StorageNode::Kind::item;
        StorageNode& parent = *chain[chain.size() - 2];
        chain.pop_back();
        std::erase_if(parent.children, [&place](const StorageNode& node) { return node.path == place.path; });
        for (StorageNode* node : chain) {
            lower(node->bytes, bytes);
            // Each folder above counted the file among those inside it.
            if (isFile && node->fileCount > 0) --node->fileCount;
        }
        if (isFile) lower(result.fileCount, 1);
        countOneFewer(chain, parentOf(place.path));
        fell = bytes;
        // A file that freed nothing as it left has another name, which now
        // holds its space; the scan counted it under this one only.
        return isFile && !(place.bytes < 1 && bytes > 0);
    }
    // No node of its own: it was folded into what the deepest node sums.
    const std::string rest = FileTreeScanner::remainderID(deepest.id);
    auto remainder = std::find_if(deepest.children.begin(), deepest.children.end(),
                                  [&rest](const StorageNode& node) { return node.id == rest; });
    std::int64_t cut = std::clamp<std::int64_t>(place.bytes, 0, deepest.bytes);
    if (remainder != deepest.children.end()) cut = std::min(cut, remainder->bytes);
    for (StorageNode* node : chain) lower(node->bytes, cut);
    if (remainder != deepest.children.end()) {
        lower(remainder->bytes, cut);
        if (remainder->bytes < 1)
            deepest.children.erase(remainder);
        else
            chain.push_back(&*remainder);
    }
    countOneFewer(chain, parentOf(place.path));
    fell = cut;
    return false;
}

// The index's folders hold what left: their sizes fall as their nodes' do,
// and one no longer of the index's size leaves it, as a new scan leaves it out.
void lowerFolders(std::vector<FileTreeScanner::Entry>& index,
                  const std::unordered_map<std::string_view, std::int64_t>& fell) {
    if (fell.empty()) return;
    for (FileTreeScanner::Entry& entry : index)
        if (entry.isDirectory)
            if (const auto found = fell.find(entry.path); found != fell.end()) lower(entry.size, found->second);
    const std::int64_t threshold = FileTreeScanner::Options().indexThreshold;
    std::erase_if(index, [threshold](const FileTreeScanner::Entry& entry) {
        return entry.isDirectory && entry.size < threshold;
    });
}

}  // namespace

bool FolderFollowsDisk::touches(const FileTreeScanner::Result& result, const DiskChange& change) {
    if (change.ranCommand()) return true;
    const std::string& root = rootPath(result);
    const auto within = [&root](const Place& place) {
        return Paths::isAtOrBelow(place.path, root) || Paths::isAtOrBelow(root, place.path);
    };
    return std::any_of(change.left.begin(), change.left.end(), within) ||
           std::any_of(change.arrived.begin(), change.arrived.end(), within) ||
           std::any_of(change.shrank.begin(), change.shrank.end(), within);
}

FolderFollowsDisk::Outcome FolderFollowsDisk::apply(FileTreeScanner::Result& result,
                                                    const DiskChange& change) {
    Outcome outcome;
    if (change.ranCommand()) outcome.exact = false;
    const std::string root = rootPath(result);
    for (const Place& place : change.arrived)
        if (Paths::isAtOrBelow(place.path, root) || Paths::isAtOrBelow(root, place.path))
            outcome.exact = false;
    // What a stopped removal took from inside an item is known by its bytes only.
    for (const Place& place : change.shrank)
        if (Paths::isAtOrBelow(place.path, root) || Paths::isAtOrBelow(root, place.path))
            outcome.exact = false;

    std::unordered_set<std::string_view> gone;
    // What each folder above a place that left lost.
    std::unordered_map<std::string_view, std::int64_t> fell;
    for (const Place& place : change.left) {
        if (!Paths::isAtOrBelow(place.path, root)) {
            // The scanned folder itself, or what holds it, is what went.
            if (Paths::isAtOrBelow(root, place.path)) outcome.exact = false;
            continue;
        }
        outcome.changed = true;
        gone.insert(place.path);
        // Its Trash record went or came with it.
        if (place.inTrash) outcome.exact = false;
        if (place.path == root) {
            outcome.exact = false;
            continue;
        }
        std::int64_t lost = 0;
        if (!leave(result.root, place, result, lost)) outcome.exact = false;
        for (std::string_view above = parentOf(place.path); lost > 0 && Paths::isAtOrBelow(above, root);
             above = parentOf(above)) {
            fell[above] += lost;
            if (above == root) break;
        }
    }
    if (gone.empty()) return outcome;
    // One look per folder above an entry, not one per place that left.
    const auto isGone = [&gone](const FileTreeScanner::Entry& entry) {
        std::string_view path = entry.path;
        for (;;) {
            if (gone.contains(path)) return true;
            const auto slash = path.find_last_of('/');
            if (slash == std::string_view::npos || slash == 0) return false;
            path = path.substr(0, slash);
        }
    };
    std::erase_if(result.largest, isGone);
    std::erase_if(result.index, isGone);
    lowerFolders(result.index, fell);
    return outcome;
}

}  // namespace korvane
