#include "core/explorer/RemainderListing.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "core/explorer/AgeDayTable.h"
#include "core/explorer/AgeStamper.h"
#include "core/explorer/FolderTally.h"
#include "core/model/SizeSum.h"
#include "core/system/LocalDays.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

// The items a node's own bytes stand for: a file, a folder by its own
// blocks, or what a remainder sums.
std::int64_t ownItems(const StorageNode& node) {
    if (FileTreeScanner::isRemainderID(node.id)) return std::int64_t{node.fileCount} + node.folderCount;
    return 1;
}

// Every dated byte under `node` into `into`, each by its own file's age: a
// node's profile where it has one, its date for the rest.
void collectAges(const StorageNode& node, AgeStamper& stamper, AgeProfile& into) {
    if (node.bytes < 1) return;
    std::int64_t undated = node.bytes;
    std::int64_t items = ownItems(node);
    if (!node.isLeaf()) {
        SizeSum held;
        for (const StorageNode& child : node.children) held += child.bytes;
        undated = std::max<std::int64_t>(node.bytes - held.total(), 0);
    }
    if (node.ages.size() > 0 && node.ages.total() <= undated) {
        into.merge(node.ages);
        undated -= node.ages.total();
        for (std::size_t i = 0; i < node.ages.size(); ++i) items -= node.ages.cell(i).items;
    }
    if (undated >= 1 && node.lastModified) into.add(stamper(*node.lastModified), undated, storedCount(items));
    for (const StorageNode& child : node.children) collectAges(child, stamper, into);
}

struct Counts {
    SizeSum bytes;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::optional<std::chrono::system_clock::time_point> newest;

    void add(const StorageNode& node) {
        bytes += node.bytes;
        if (node.kind == StorageNode::Kind::group) {
            files += node.fileCount;
            folders += std::int64_t{node.folderCount} + 1;
        } else {
            files += 1;
        }
        if (node.lastModified && (!newest || *node.lastModified > *newest)) newest = node.lastModified;
    }
};

StorageNode summed(const std::string& folder, const std::string& id, const Counts& counts, std::int64_t items) {
    StorageNode node = remainderNode(folder, items, counts.bytes.total(), counts.files, counts.folders);
    node.id = id;
    node.lastModified = counts.newest;
    return node;
}

}  // namespace

std::unordered_set<std::string> RemainderListing::shownBeside(const std::vector<const StorageNode*>& chain) {
    std::unordered_set<std::string> shown;
    for (std::size_t i = chain.size(); i-- > 1;) {
        const StorageNode& holder = *chain[i - 1];
        for (const StorageNode& child : holder.children)
            if (child.path) shown.insert(Paths::lastComponent(*child.path));
        if (!FileTreeScanner::isRemainderID(holder.id)) break;
    }
    return shown;
}

namespace {

bool chainTo(StorageNode& node, std::string_view id, std::vector<StorageNode*>& chain) {
    chain.push_back(&node);
    if (node.id == id) return true;
    for (StorageNode& child : node.children)
        if (chainTo(child, id, chain)) return true;
    chain.pop_back();
    return false;
}

void shift(std::int64_t& value, std::int64_t by) { value = std::max<std::int64_t>(SizeSum::add(value, 0) + by, 0); }

void shift(std::uint32_t& value, std::int64_t by) { value = storedCount(std::int64_t{value} + by); }

}  // namespace

bool RemainderListing::graft(FileTreeScanner::Result& result, StorageNode listing) {
    std::vector<StorageNode*> chain;
    if (!chainTo(result.root, listing.id, chain) || chain.size() < 2) return false;
    StorageNode& rest = *chain.back();
    if (!FileTreeScanner::isRemainderID(rest.id) || !rest.isLeaf()) return false;
    const std::int64_t bytes = listing.bytes - rest.bytes;
    const std::int64_t files = std::int64_t{listing.fileCount} - rest.fileCount;
    const std::int64_t folders = std::int64_t{listing.folderCount} - rest.folderCount;
    rest = std::move(listing);
    chain.pop_back();
    for (StorageNode* above : chain) {
        shift(above->bytes, bytes);
        shift(above->fileCount, files);
        shift(above->folderCount, folders);
    }
    shift(result.fileCount, files);
    shift(result.folderCount, folders);
    return true;
}

std::optional<StorageNode> RemainderListing::read(const std::string& folder, std::unordered_set<std::string> shown,
                                                  const std::string& id, FileTreeScanner::Options options) {
    const auto now = options.now.value_or(std::chrono::system_clock::now());
    options.now = now;
    options.leftOutAtRoot = std::move(shown);
    options.rootFilesAreNodes = true;
    FileTreeScanner::Result scanned = FileTreeScanner(options).scan(folder);
    // An opened folder always carries its own date.
    if (!scanned.root.lastModified) return std::nullopt;

    std::vector<StorageNode> entries;
    for (StorageNode& child : scanned.root.children)
        // Links and what could not be opened belong to the folder's own bytes, as in the scan.
        if (!FileTreeScanner::isRemainderID(child.id)) entries.push_back(std::move(child));

    const auto keep = static_cast<std::size_t>(std::max(options.maxChildren, 0));
    Counts all, rest;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        all.add(entries[i]);
        if (i >= keep) rest.add(entries[i]);
    }
    StorageNode listing = summed(folder, id, all, static_cast<std::int64_t>(entries.size()));
    if (entries.size() > keep) {
        StorageNode more = summed(folder, FileTreeScanner::remainderID(id), rest,
                                  static_cast<std::int64_t>(entries.size() - keep));
        const LocalDays::Moment local = LocalDays::moment(now);
        const AgeDayTable days(AgeProfile::Moment{local.day, local.millisecond});
        AgeStamper stamper(days);
        for (std::size_t i = keep; i < entries.size(); ++i) collectAges(entries[i], stamper, more.ages);
        entries.resize(keep);
        insertBySize(entries, std::move(more));
    }
    listing.children = std::move(entries);
    return listing;
}

}  // namespace korvane
