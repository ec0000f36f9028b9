#include "core/explorer/LinkedNames.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/explorer/AgeStamper.h"
#include "core/explorer/AgeTally.h"
#include "core/explorer/FolderTally.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

using Time = std::chrono::system_clock::time_point;

// Folder by folder, as a walk in name order meets them: "a/b/x" before "a/b-c/y".
bool pathBefore(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        if (a[i] == '/') return true;
        if (b[i] == '/') return false;
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    }
    return a.size() < b.size();
}

Time timeOf(std::int64_t seconds) { return Time(std::chrono::seconds(seconds)); }

// A folder node of the tree, where names are credited.
struct Place {
    StorageNode* node;
    StorageNode* parent;
    int depth;
};

// What one folder node gains once the walk's names are counted.
struct Gain {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::optional<Time> newest;
    // Counted in the node itself: files large enough for a node of their own,
    // files folded into its remainder (the first of them, which stands for
    // itself while it is the only one), bytes of folders below it without a
    // node, and links' blocks, which are its own.
    std::vector<StorageNode> fileNodes;
    std::int64_t foldedItems = 0;
    std::int64_t foldedBytes = 0;
    std::int64_t foldedFiles = 0;
    AgeTally foldedAges;
    std::optional<Time> foldedNewest;
    std::optional<StorageNode> firstFolded;
    std::int64_t ownBytes = 0;
    AgeTally ownAges;
    // Names of files counted elsewhere, and where.
    std::int64_t otherNames = 0;
    std::vector<std::string> countedIn;
};

// A node's age profile of `bytes` dated `before`, with `added`, for the node
// now dated `after`: a profile that only said "the node's date" says so of
// the old date no more.
AgeProfile redated(AgeProfile ages, std::int64_t bytes, std::optional<Time> before, AgeTally&& added,
                   std::optional<Time> after, AgeStamper& stamper) {
    if (ages.isNodeDate()) {
        AgeProfile whole;
        if (before) whole.add(stamper(*before), bytes);
        ages = std::move(whole);
    }
    ages.merge(added.take());
    if (after) ages.elide(stamper(*after));
    return ages;
}

std::int64_t itemsOf(const StorageNode& rest) {
    const auto found = rest.details.find("Items");
    if (found == rest.details.end()) return 0;
    std::int64_t items = 0;
    for (char c : found->second)
        if (c >= '0' && c <= '9') items = items * 10 + (c - '0');
    return items;
}

bool isFileItem(const StorageNode& node) {
    return node.kind == StorageNode::Kind::item && !FileTreeScanner::isRemainderID(node.id);
}

void sortLargestFirst(std::vector<StorageNode>& children) {
    std::stable_sort(children.begin(), children.end(),
                     [](const StorageNode& a, const StorageNode& b) { return a.bytes > b.bytes; });
}

class Crediting {
public:
    Crediting(const FileTreeScanner::Options& options, AgeStamper& stamper, FileTreeScanner::Result& result)
        : options_(options), stamper_(stamper), result_(result) {
        index(result.root, nullptr, 0);
    }

    void count(const LinkedNames::Name& name);
    void note(const LinkedNames::Name& name, std::optional<std::string_view> countedIn);
    void apply();

private:
    void index(StorageNode& node, StorageNode* parent, int depth) {
        places_.emplace(std::string_view(node.id), Place{&node, parent, depth});
        for (StorageNode& child : node.children)
            if (child.kind == StorageNode::Kind::group && !FileTreeScanner::isMountPoint(child))
                index(child, &node, depth + 1);
    }
    // The deepest folder node at or above `folder`.
    const Place* deepest(std::string_view folder) const {
        while (true) {
            if (auto found = places_.find(folder); found != places_.end()) return &found->second;
            const std::size_t slash = folder.rfind('/');
            if (slash == std::string_view::npos || folder.size() <= 1) return nullptr;
            folder = folder.substr(0, std::max<std::size_t>(slash, 1));
        }
    }
    bool keepsChildren(int depth) const { return depth <= options_.treeDepth; }
    void place(const Place& place, bool ownFolder, const LinkedNames::Name& name);
    // A file that its folder sums in its remainder.
    void fold(Gain& gain, StorageNode&& file) {
        gain.foldedItems += 1;
        gain.foldedBytes += file.bytes;
        gain.foldedFiles += 1;
        gain.foldedAges.add(stamper_(*file.lastModified), file.bytes);
        gain.foldedNewest = std::max(gain.foldedNewest.value_or(*file.lastModified), *file.lastModified);
        if (!gain.firstFolded) gain.firstFolded = std::move(file);
    }
    void record(const LinkedNames::Name& name);
    void applyTo(StorageNode& node, Gain& gain, int depth);
    void refold(StorageNode& node, Gain& gain, int depth);
    void countRest(StorageNode& node);

    const FileTreeScanner::Options& options_;
    AgeStamper& stamper_;
    FileTreeScanner::Result& result_;
    std::unordered_map<std::string_view, Place> places_;
    std::unordered_map<const StorageNode*, Gain> gains_;
};

void Crediting::count(const LinkedNames::Name& name) {
    const Place* at = deepest(name.folder());
    if (!at) return;
    const Time modified = timeOf(name.modified);
    for (const Place* up = at; up; up = up->parent ? &places_.at(up->parent->id) : nullptr) {
        Gain& gain = gains_[up->node];
        gain.bytes += name.bytes;
        gain.files += name.isFile ? 1 : 0;
        gain.newest = std::max(gain.newest.value_or(modified), modified);
    }
    place(*at, at->node->id == name.folder(), name);
    if (name.isFile) {
        result_.fileCount += 1;
        record(name);
    }
}

void Crediting::place(const Place& place, bool ownFolder, const LinkedNames::Name& name) {
    Gain& gain = gains_[place.node];
    const AgeProfile::Stamp stamp = stamper_(name.modified);
    if (!ownFolder || !name.isFile) {
        // A folder without a node of its own folds whole; a link's blocks are its folder's own.
        if (ownFolder) {
            gain.ownBytes += name.bytes;
            gain.ownAges.add(stamp, name.bytes);
        } else {
            gain.foldedBytes += name.bytes;
            gain.foldedFiles += name.isFile ? 1 : 0;
            gain.foldedAges.add(stamp, name.bytes);
            gain.foldedNewest = std::max(gain.foldedNewest.value_or(timeOf(name.modified)), timeOf(name.modified));
        }
        return;
    }
    StorageNode file;
    file.id = name.path;
    file.name = std::string(name.name());
    file.path = name.path;
    file.bytes = name.bytes;
    file.kind = StorageNode::Kind::item;
    file.fileKind = name.kind;
    file.lastModified = timeOf(name.modified);
    if (keepsChildren(place.depth) && name.bytes >= options_.fileNodeThreshold) {
        gain.fileNodes.push_back(std::move(file));
        return;
    }
    fold(gain, std::move(file));
}

void Crediting::record(const LinkedNames::Name& name) {
    const bool toIndex = name.bytes >= options_.indexThreshold;
    const bool toLargest = name.bytes >= options_.largeFileThreshold;
    if (!toIndex && !toLargest) return;
    auto entry = FileTreeScanner::Entry::make(std::string(name.name()), name.path, name.bytes,
                                              timeOf(name.modified), false);
    if (toLargest) result_.largest.push_back(entry);
    if (toIndex) result_.index.push_back(std::move(entry));
}

void Crediting::note(const LinkedNames::Name& name, std::optional<std::string_view> countedIn) {
    for (const Place* up = deepest(name.folder()); up; up = up->parent ? &places_.at(up->parent->id) : nullptr) {
        if (countedIn && Paths::isAtOrBelow(*countedIn, up->node->id)) return;
        Gain& gain = gains_[up->node];
        gain.otherNames += 1;
        const std::string where = countedIn ? std::string(*countedIn) : std::string();
        if (std::find(gain.countedIn.begin(), gain.countedIn.end(), where) == gain.countedIn.end())
            gain.countedIn.push_back(where);
    }
}

void Crediting::apply() {
    // Deepest first: changing a node's children moves the nodes below it,
    // never the ones above it or beside it.
    std::vector<const Place*> touched;
    for (const auto& [node, gain] : gains_) touched.push_back(&places_.at(node->id));
    std::sort(touched.begin(), touched.end(), [](const Place* a, const Place* b) {
        if (a->depth != b->depth) return a->depth > b->depth;
        return a->node->id < b->node->id;
    });
    for (const Place* place : touched) applyTo(*place->node, gains_.at(place->node), place->depth);
    std::stable_sort(result_.largest.begin(), result_.largest.end(),
                     [](const auto& a, const auto& b) { return a.size > b.size; });
    if (result_.largest.size() > static_cast<std::size_t>(std::max(options_.largeFileLimit, 0)))
        result_.largest.resize(static_cast<std::size_t>(std::max(options_.largeFileLimit, 0)));
}

void Crediting::applyTo(StorageNode& node, Gain& gain, int depth) {
    if (gain.otherNames > 0) {
        const bool known = gain.countedIn.size() == 1 && !gain.countedIn.front().empty();
        node.details[FileTreeScanner::otherNamesDetail] = LinkedNames::otherNamesText(
            gain.otherNames, known ? Paths::abbreviatingHome(gain.countedIn.front()) : std::string(),
            static_cast<std::int64_t>(gain.countedIn.size()));
    }
    if (gain.bytes == 0 && gain.files == 0) return;
    std::int64_t own = node.bytes;
    for (const StorageNode& child : node.children) own -= child.bytes;
    const std::optional<Time> before = node.lastModified;
    node.bytes += gain.bytes;
    node.fileCount = storedCount(std::int64_t{node.fileCount} + gain.files);
    if (gain.newest) node.lastModified = std::max(node.lastModified.value_or(*gain.newest), *gain.newest);
    if (gain.ownBytes > 0 || before != node.lastModified)
        node.ages = redated(std::move(node.ages), own, before, std::move(gain.ownAges), node.lastModified, stamper_);
    refold(node, gain, depth);
    countRest(node);
    sortLargestFirst(node.children);
}

// Puts the node's new files and folded bytes among its children: files of
// their own where there is room, the rest in its remainder, which stands for
// the one file it sums as that file itself.
void Crediting::refold(StorageNode& node, Gain& gain, int depth) {
    const std::string restID = FileTreeScanner::remainderID(node.id);
    auto& children = node.children;
    const auto kept = [&] {
        return std::count_if(children.begin(), children.end(), [&](const StorageNode& child) {
            return child.id != restID && (!isFileItem(child) || child.bytes >= options_.fileNodeThreshold ||
                                          FileTreeScanner::isPackageName(child.name));
        });
    };
    for (StorageNode& file : gain.fileNodes) {
        if (depth == 0 || kept() < options_.maxChildren) {
            insertBySize(children, std::move(file));
            continue;
        }
        fold(gain, std::move(file));
    }
    if (gain.foldedItems == 0 && gain.foldedBytes == 0) return;

    // What the node folds now: its remainder, or the one small file standing for it.
    auto rest = std::find_if(children.begin(), children.end(), [&](const StorageNode& c) { return c.id == restID; });
    if (rest == children.end())
        rest = std::find_if(children.begin(), children.end(), [&](const StorageNode& child) {
            return isFileItem(child) && (!keepsChildren(depth) || (child.bytes < options_.fileNodeThreshold &&
                                                                   !FileTreeScanner::isPackageName(child.name)));
        });
    std::int64_t items = 0, bytes = 0;
    std::optional<Time> dated;
    AgeProfile ages;
    std::optional<StorageNode> lone = std::move(gain.firstFolded);
    if (rest != children.end()) {
        const bool isRest = rest->id == restID;
        items = isRest ? itemsOf(*rest) : 1;
        bytes = rest->bytes;
        dated = rest->lastModified;
        ages = isRest ? std::move(rest->ages) : AgeProfile::ofNodeDate();
        lone = isRest || gain.foldedItems > 0 ? std::nullopt : std::optional(std::move(*rest));
        children.erase(rest);
    }
    ages = redated(std::move(ages), bytes, dated, AgeTally(), std::nullopt, stamper_);
    items += gain.foldedItems;
    bytes += gain.foldedBytes;
    if (gain.foldedNewest) dated = std::max(dated.value_or(*gain.foldedNewest), *gain.foldedNewest);
    if (lone && items == 1 && lone->bytes == bytes) {
        insertBySize(children, std::move(*lone));
        return;
    }
    StorageNode folded = remainderNode(node.id, items, bytes, 0, 0);
    folded.lastModified = dated;
    folded.ages = redated(std::move(ages), 0, std::nullopt, std::move(gain.foldedAges), dated, stamper_);
    insertBySize(children, std::move(folded));
}

// A remainder holds the files and folders of its node that no other child holds.
void Crediting::countRest(StorageNode& node) {
    const std::string restID = FileTreeScanner::remainderID(node.id);
    std::int64_t files = node.fileCount, folders = node.folderCount;
    StorageNode* rest = nullptr;
    for (StorageNode& child : node.children) {
        if (child.id == restID) {
            rest = &child;
        } else if (FileTreeScanner::isMountPoint(child)) {
            continue;
        } else if (child.kind == StorageNode::Kind::group) {
            files -= child.fileCount;
            folders -= std::int64_t{child.folderCount} + 1;
        } else {
            files -= 1;
        }
    }
    if (!rest) return;
    rest->fileCount = storedCount(files);
    rest->folderCount = storedCount(folders);
}

}  // namespace

std::string_view LinkedNames::Name::folder() const {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return std::string_view(path).substr(0, std::max<std::size_t>(slash, 1));
}

std::string_view LinkedNames::Name::name() const {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

LinkedNames::LinkedNames(const FileTreeScanner::Options& options, AgeStamper& stamper)
    : options_(options), stamper_(stamper) {}

void LinkedNames::credit(std::vector<Name> names, FastSizer::LinkSet& counted, FileTreeScanner::Result& result) {
    if (names.empty()) return;
    std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) {
        if (a.key.dev != b.key.dev) return a.key.dev < b.key.dev;
        if (a.key.ino != b.key.ino) return a.key.ino < b.key.ino;
        return pathBefore(a.path, b.path);
    });
    Crediting crediting(options_, stamper_, result);
    for (std::size_t first = 0; first < names.size();) {
        std::size_t end = first + 1;
        while (end < names.size() && names[end].key == names[first].key) ++end;
        // A package that holds a name of the file has counted it already.
        const bool counts = counted.claim(names[first].key);
        if (counts) crediting.count(names[first]);
        const std::optional<std::string_view> countedIn =
            counts ? std::optional(names[first].folder()) : std::nullopt;
        for (std::size_t other = counts ? first + 1 : first; other < end; ++other)
            if (names[other].isFile) crediting.note(names[other], countedIn);
        first = end;
    }
    crediting.apply();
    result.root.fileCount = storedCount(result.fileCount);
}

std::string LinkedNames::otherNamesText(std::int64_t files, std::string_view countedIn, std::int64_t folders) {
    std::string text = ByteFormat::groupedInteger(files) + (files == 1 ? " file" : " files") + ", counted ";
    if (!countedIn.empty()) return text + "in " + std::string(countedIn);
    if (folders > 1) return text + "in " + ByteFormat::groupedInteger(folders) + " other folders";
    return text + "elsewhere";
}

}  // namespace korvane
