#include "core/explorer/LinkedNames.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/explorer/AgeStamper.h"
#include "core/explorer/AgeTally.h"
#include "core/explorer/FolderTally.h"
#include "core/system/FileDate.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

using Time = std::chrono::system_clock::time_point;

Time timeOf(std::int64_t seconds) { return FileDate::fromSeconds(seconds); }

// A folder node of the tree, where names are credited, with its depth.
struct Place {
    StorageNode* node;
    int depth;
};

// What is counted in a folder node itself: files large enough for a node of
// their own, files folded into its remainder (the first of them, which
// stands for itself while it is the only one), bytes of folders below it
// without a node, and links' blocks, which are its own.
struct Placed {
    std::vector<StorageNode> fileNodes;
    std::int64_t foldedItems = 0;
    std::int64_t foldedBytes = 0;
    AgeTally foldedAges;
    std::optional<Time> foldedNewest;
    const LinkedNames::Name* firstFolded = nullptr;
    std::int64_t ownBytes = 0;
    AgeTally ownAges;
};

// Names of files counted elsewhere, and the folders where.
struct Noted {
    std::int64_t otherNames = 0;
    std::vector<std::string> countedIn;
};

// What one folder node gains once the walk's names are counted: what every
// folder above a name gains, and apart (for the few that need them) what is
// placed in the node itself and what it says of other names.
struct Gain {
    int depth = 0;
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::optional<Time> newest;
    std::unique_ptr<Placed> placed;
    std::unique_ptr<Noted> noted;
};

StorageNode fileNodeOf(const LinkedNames& names, const LinkedNames::Name& name) {
    StorageNode file;
    file.id = names.path(name);
    file.name = std::string(names.name(name));
    file.path = file.id;
    file.bytes = name.bytes;
    file.kind = StorageNode::Kind::item;
    file.fileKind = name.kind;
    file.lastModified = timeOf(name.modified);
    return file;
}

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

// A folder's remainder among its children.
bool isRemainder(const StorageNode& child) { return FileTreeScanner::isRemainderID(child.id); }

bool isFileItem(const StorageNode& node) {
    return node.kind == StorageNode::Kind::item && !FileTreeScanner::isRemainderID(node.id);
}

void sortLargestFirst(std::vector<StorageNode>& children) {
    const auto larger = [](const StorageNode& a, const StorageNode& b) { return a.bytes > b.bytes; };
    // Most folders above a file that grew keep their order.
    if (!std::is_sorted(children.begin(), children.end(), larger))
        std::stable_sort(children.begin(), children.end(), larger);
}

class Crediting {
public:
    Crediting(const LinkedNames& names, const FileTreeScanner::Options& options, AgeStamper& stamper,
              FileTreeScanner::Result& result)
        : names_(names), options_(options), stamper_(stamper), result_(result) {}

    void count(const LinkedNames::Name& name);
    void note(const LinkedNames::Name& name, std::optional<std::string_view> countedIn);
    void apply();

private:
    // The folder nodes from the root down to the deepest one at or above
    // `folder`; the last chain is kept, as names come folder by folder.
    const std::vector<Place>& chainTo(std::string_view folder) {
        if (folder == chainFolder_ && !chain_.empty()) return chain_;
        chainFolder_ = std::string(folder);
        chain_.clear();
        StorageNode& root = result_.root;
        if (!Paths::isAtOrBelow(folder, root.id)) return chain_;
        chain_.push_back({&root, 0});
        std::string_view rest = folder.substr(std::min(folder.size(), root.id.size()));
        while (!rest.empty()) {
            while (rest.starts_with('/')) rest.remove_prefix(1);
            const std::string_view name = rest.substr(0, rest.find('/'));
            rest.remove_prefix(name.size());
            if (name.empty()) break;
            auto& children = chain_.back().node->children;
            const auto child = std::find_if(children.begin(), children.end(), [&](const StorageNode& node) {
                return node.kind == StorageNode::Kind::group && node.name == name &&
                       !FileTreeScanner::isMountPoint(node);
            });
            if (child == children.end()) break;
            chain_.push_back({&*child, chain_.back().depth + 1});
        }
        return chain_;
    }
    bool keepsChildren(int depth) const { return depth <= options_.treeDepth; }
    void place(const Place& place, bool ownFolder, const LinkedNames::Name& name);
    // A file that its folder sums in its remainder.
    void fold(Placed& placed, std::int64_t bytes, Time modified) {
        placed.foldedItems += 1;
        placed.foldedBytes += bytes;
        placed.foldedAges.add(stamper_(modified), bytes);
        placed.foldedNewest = std::max(placed.foldedNewest.value_or(modified), modified);
    }
    void record(const LinkedNames::Name& name);
    // Adds what was counted in the last folder to it and every folder above
    // it, below the root.
    void flushFolderGain();
    void reindexFolders();
    void applyTo(StorageNode& node, Gain& gain, int depth);
    void refold(StorageNode& node, Placed& placed, int depth);
    void countRest(StorageNode& node);

    const LinkedNames& names_;
    const FileTreeScanner::Options& options_;
    AgeStamper& stamper_;
    FileTreeScanner::Result& result_;
    std::string chainFolder_;
    std::vector<Place> chain_;
    std::unordered_map<StorageNode*, Gain> gains_;
    // What each folder gains, by path, for its entry in the search index,
    // which the walk made before these files were counted.
    std::unordered_map<std::string, std::int64_t> folderGains_;
    std::string gainFolder_;
    std::int64_t gainBytes_ = 0;
};

void Crediting::count(const LinkedNames::Name& name) {
    const std::vector<Place>& chain = chainTo(names_.folder(name));
    if (chain.empty()) return;
    if (names_.folder(name) != gainFolder_) {
        flushFolderGain();
        gainFolder_ = std::string(names_.folder(name));
    }
    gainBytes_ += name.bytes;
    const Time modified = timeOf(name.modified);
    for (const Place& up : chain) {
        Gain& gain = gains_[up.node];
        gain.depth = up.depth;
        gain.bytes += name.bytes;
        gain.files += name.isFile ? 1 : 0;
        gain.newest = std::max(gain.newest.value_or(modified), modified);
    }
    place(chain.back(), chain.back().node->id == names_.folder(name), name);
    if (name.isFile) {
        result_.fileCount += 1;
        record(name);
    }
}

void Crediting::place(const Place& place, bool ownFolder, const LinkedNames::Name& name) {
    std::unique_ptr<Placed>& placed = gains_[place.node].placed;
    if (!placed) placed = std::make_unique<Placed>();
    const AgeProfile::Stamp stamp = stamper_(name.modified);
    if (ownFolder && !name.isFile) {
        // A link's blocks are its folder's own.
        placed->ownBytes += name.bytes;
        placed->ownAges.add(stamp, name.bytes);
    } else if (!ownFolder) {
        // A folder without a node of its own folds whole.
        placed->foldedBytes += name.bytes;
        placed->foldedAges.add(stamp, name.bytes);
        placed->foldedNewest = std::max(placed->foldedNewest.value_or(timeOf(name.modified)), timeOf(name.modified));
    } else if (keepsChildren(place.depth) && name.bytes >= options_.fileNodeThreshold) {
        placed->fileNodes.push_back(fileNodeOf(names_, name));
    } else {
        fold(*placed, name.bytes, timeOf(name.modified));
        if (!placed->firstFolded) placed->firstFolded = &name;
    }
}

void Crediting::record(const LinkedNames::Name& name) {
    const bool toIndex = name.bytes >= options_.indexThreshold;
    const bool toLargest = name.bytes >= options_.largeFileThreshold;
    if (!toIndex && !toLargest) return;
    auto entry = FileTreeScanner::Entry::make(std::string(names_.name(name)), names_.path(name), name.bytes,
                                              timeOf(name.modified), false);
    // What a pick of this row consents to, as for every other file.
    entry.device = static_cast<std::uint64_t>(name.key.dev);
    entry.inode = static_cast<std::uint64_t>(name.key.ino);
    if (toLargest) result_.largest.push_back(entry);
    if (toIndex) result_.index.push_back(std::move(entry));
}

void Crediting::note(const LinkedNames::Name& name, std::optional<std::string_view> countedIn) {
    const std::vector<Place>& chain = chainTo(names_.folder(name));
    for (auto up = chain.rbegin(); up != chain.rend(); ++up) {
        if (countedIn && Paths::isAtOrBelow(*countedIn, up->node->id)) return;
        Gain& gain = gains_[up->node];
        gain.depth = up->depth;
        if (!gain.noted) gain.noted = std::make_unique<Noted>();
        gain.noted->otherNames += 1;
        const std::string where = countedIn ? std::string(*countedIn) : std::string();
        auto& places = gain.noted->countedIn;
        if (std::find(places.begin(), places.end(), where) == places.end()) places.push_back(where);
    }
}

void Crediting::flushFolderGain() {
    if (gainBytes_ > 0)
        for (std::string path = gainFolder_; path != result_.root.id && Paths::isAtOrBelow(path, result_.root.id);
             path = Paths::parent(path))
            folderGains_[path] += gainBytes_;
    gainBytes_ = 0;
}

// Search finds a folder at what it holds: its entry grows by what was counted
// in it, and a folder with a node of its own that only these files make large
// enough enters the index. (A deeper one, summed into its node, stays out.)
void Crediting::reindexFolders() {
    flushFolderGain();
    for (auto& entry : result_.index) {
        if (!entry.isDirectory) continue;
        const auto found = folderGains_.find(entry.path);
        if (found == folderGains_.end()) continue;
        entry.size += found->second;
        folderGains_.erase(found);
    }
    for (const auto& [path, bytes] : folderGains_) {
        const std::vector<Place>& chain = chainTo(path);
        if (chain.empty() || chain.back().node->id != path) continue;
        const StorageNode& node = *chain.back().node;
        if (node.bytes < options_.indexThreshold) continue;
        auto entry = FileTreeScanner::Entry::make(node.name, path, node.bytes,
                                                  node.lastModified.value_or(Time()), true);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            entry.device = static_cast<std::uint64_t>(st.st_dev);
            entry.inode = static_cast<std::uint64_t>(st.st_ino);
        }
        result_.index.push_back(std::move(entry));
    }
}

void Crediting::apply() {
    // Deepest first: changing a node's children moves the nodes below it,
    // never the ones above it or beside it.
    std::vector<std::pair<StorageNode*, Gain*>> touched;
    for (auto& [node, gain] : gains_) touched.emplace_back(node, &gain);
    std::sort(touched.begin(), touched.end(), [](const auto& a, const auto& b) {
        if (a.second->depth != b.second->depth) return a.second->depth > b.second->depth;
        return a.first->id < b.first->id;
    });
    chain_.clear();  // its nodes move from here on
    for (auto& [node, gain] : touched) applyTo(*node, *gain, gain->depth);
    chainFolder_.clear();
    reindexFolders();
}

void Crediting::applyTo(StorageNode& node, Gain& gain, int depth) {
    if (const Noted* noted = gain.noted.get()) {
        const bool known = noted->countedIn.size() == 1 && !noted->countedIn.front().empty();
        node.details[FileTreeScanner::otherNamesDetail] = LinkedNames::otherNamesText(
            noted->otherNames, known ? Paths::abbreviatingHome(noted->countedIn.front()) : std::string(),
            static_cast<std::int64_t>(noted->countedIn.size()));
    }
    if (gain.bytes == 0 && gain.files == 0) return;
    Placed none;
    Placed& placed = gain.placed ? *gain.placed : none;
    std::int64_t own = node.bytes;
    for (const StorageNode& child : node.children) own -= child.bytes;
    const std::optional<Time> before = node.lastModified;
    node.bytes += gain.bytes;
    node.fileCount = storedCount(std::int64_t{node.fileCount} + gain.files);
    if (gain.newest) node.lastModified = std::max(node.lastModified.value_or(*gain.newest), *gain.newest);
    if (placed.ownBytes > 0 || before != node.lastModified)
        node.ages = redated(std::move(node.ages), own, before, std::move(placed.ownAges), node.lastModified, stamper_);
    refold(node, placed, depth);
    countRest(node);
    sortLargestFirst(node.children);
}

// Puts the node's new files and folded bytes among its children: files of
// their own where there is room, the rest in its remainder, which stands for
// the one file it sums as that file itself.
void Crediting::refold(StorageNode& node, Placed& placed, int depth) {
    if (placed.fileNodes.empty() && placed.foldedItems == 0 && placed.foldedBytes == 0) return;
    auto& children = node.children;
    const auto kept = [&] {
        return std::count_if(children.begin(), children.end(), [&](const StorageNode& child) {
            return !isRemainder(child) && (!isFileItem(child) || child.bytes >= options_.fileNodeThreshold ||
                                          FileTreeScanner::isPackageName(child.name));
        });
    };
    for (StorageNode& file : placed.fileNodes) {
        if (depth == 0 || kept() < options_.maxChildren)
            insertBySize(children, std::move(file));
        else
            fold(placed, file.bytes, *file.lastModified);
    }
    if (placed.foldedItems == 0 && placed.foldedBytes == 0) return;

    // What the node folds now: its remainder, or the one small file standing for it.
    auto rest = std::find_if(children.begin(), children.end(), isRemainder);
    if (rest == children.end())
        rest = std::find_if(children.begin(), children.end(), [&](const StorageNode& child) {
            return isFileItem(child) && (!keepsChildren(depth) || (child.bytes < options_.fileNodeThreshold &&
                                                                   !FileTreeScanner::isPackageName(child.name)));
        });
    std::int64_t items = 0, bytes = 0;
    std::optional<Time> dated;
    AgeProfile ages;
    std::optional<StorageNode> lone;
    if (placed.firstFolded) lone = fileNodeOf(names_, *placed.firstFolded);
    if (rest != children.end()) {
        const bool isRest = isRemainder(*rest);
        items = isRest ? remainderItems(*rest) : 1;
        bytes = rest->bytes;
        dated = rest->lastModified;
        ages = isRest ? std::move(rest->ages) : AgeProfile::ofNodeDate();
        lone = isRest || placed.foldedItems > 0 ? std::nullopt : std::optional(std::move(*rest));
        children.erase(rest);
    }
    ages = redated(std::move(ages), bytes, dated, AgeTally(), std::nullopt, stamper_);
    items += placed.foldedItems;
    bytes += placed.foldedBytes;
    if (placed.foldedNewest) dated = std::max(dated.value_or(*placed.foldedNewest), *placed.foldedNewest);
    if (lone && items == 1 && lone->bytes == bytes) {
        insertBySize(children, std::move(*lone));
        return;
    }
    StorageNode folded = remainderNode(node.id, items, bytes, 0, 0);
    folded.lastModified = dated;
    folded.ages = redated(std::move(ages), 0, std::nullopt, std::move(placed.foldedAges), dated, stamper_);
    insertBySize(children, std::move(folded));
}

// A remainder holds the files and folders of its node that no other child holds.
void Crediting::countRest(StorageNode& node) {
    std::int64_t files = node.fileCount, folders = node.folderCount;
    StorageNode* rest = nullptr;
    for (StorageNode& child : node.children) {
        if (isRemainder(child)) {
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

void LinkedNames::add(std::string_view folder, std::string_view name, const struct stat& st, FileKind kind) {
    Name added;
    added.key = {st.st_dev, st.st_ino};
    if (std::string_view(text_.data() + lastFolderAt_, lastFolderLength_) != folder || text_.empty()) {
        lastFolderAt_ = static_cast<std::uint32_t>(text_.size());
        lastFolderLength_ = static_cast<std::uint32_t>(folder.size());
        text_.append(folder);
    }
    added.folderAt = lastFolderAt_;
    added.folderLength = lastFolderLength_;
    added.nameAt = static_cast<std::uint32_t>(text_.size());
    added.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(name.size(), UINT16_MAX));
    text_.append(name.substr(0, added.nameLength));
    added.kind = kind;
    added.isFile = S_ISREG(st.st_mode);
    added.bytes = static_cast<std::int64_t>(st.st_blocks) * 512;
    added.modified = st.st_mtim.tv_sec;
    names_.push_back(added);
}

void LinkedNames::reserve(std::size_t names, std::size_t text) {
    names_.reserve(names);
    text_.reserve(text);
}

void LinkedNames::append(LinkedNames&& other) {
    const auto offset = static_cast<std::uint32_t>(text_.size());
    text_.append(other.text_);
    for (Name name : other.names_) {
        name.folderAt += offset;
        name.nameAt += offset;
        names_.push_back(name);
    }
    other = LinkedNames();
}

std::string LinkedNames::path(const Name& name) const { return Paths::join(folder(name), this->name(name)); }

// A file's names by path, as its first is: folder by folder.
bool LinkedNames::before(const Name& a, const Name& b) const {
    // Each path is its folder, "/" and its name; compared as though joined.
    const auto part = [this](const Name& n, std::size_t i) -> int {
        if (i < n.folderLength) return static_cast<unsigned char>(text_[n.folderAt + i]);
        if (i == n.folderLength) return '/';
        i -= n.folderLength + 1;
        return i < n.nameLength ? static_cast<unsigned char>(text_[n.nameAt + i]) : -1;
    };
    for (std::size_t i = 0;; ++i) {
        const int x = part(a, i), y = part(b, i);
        if (x == y) {
            if (x < 0) return false;
            continue;
        }
        if (x < 0 || y < 0) return x < 0;
        if (x == '/') return true;
        if (y == '/') return false;
        return x < y;
    }
}

void LinkedNames::credit(const FileTreeScanner::Options& options, AgeStamper& stamper, FastSizer::LinkSet& counted,
                         FileTreeScanner::Result& result) {
    if (names_.empty()) return;
    std::sort(names_.begin(), names_.end(), [](const Name& a, const Name& b) {
        return a.key.dev != b.key.dev ? a.key.dev < b.key.dev : a.key.ino < b.key.ino;
    });
    // Each name is counted, or noted as counted elsewhere (where, when a
    // package did not count it already).
    struct Step {
        const Name* name;
        bool counts;
        std::optional<std::string_view> countedIn;
    };
    std::vector<Step> steps;
    steps.reserve(names_.size());
    for (std::size_t first = 0; first < names_.size();) {
        std::size_t end = first + 1;
        while (end < names_.size() && names_[end].key == names_[first].key) ++end;
        std::size_t winner = first;
        for (std::size_t other = first + 1; other < end; ++other)
            if (before(names_[other], names_[winner])) winner = other;
        const bool counts = counted.claim(names_[first].key);
        const auto countedIn = counts ? std::optional(folder(names_[winner])) : std::nullopt;
        for (std::size_t each = first; each < end; ++each) {
            if (counts && each == winner)
                steps.push_back({&names_[each], true, std::nullopt});
            else if (names_[each].isFile)
                steps.push_back({&names_[each], false, countedIn});
        }
        first = end;
    }
    // Folder by folder, so that each folder is looked up in the tree once;
    // in one order whichever worker met which name.
    std::sort(steps.begin(), steps.end(), [this](const Step& a, const Step& b) {
        const std::string_view x = folder(*a.name), y = folder(*b.name);
        if (x != y) return x < y;
        return name(*a.name) < name(*b.name);
    });
    Crediting crediting(*this, options, stamper, result);
    for (const Step& step : steps) {
        if (step.counts)
            crediting.count(*step.name);
        else
            crediting.note(*step.name, step.countedIn);
    }
    crediting.apply();
    *this = LinkedNames();
}

std::string LinkedNames::otherNamesText(std::int64_t files, std::string_view countedIn, std::int64_t folders) {
    std::string text = ByteFormat::groupedInteger(files) + (files == 1 ? " file" : " files") + ", counted ";
    if (!countedIn.empty()) return text + "in " + std::string(countedIn);
    if (folders > 1) return text + "in " + ByteFormat::groupedInteger(folders) + " other folders";
    return text + "elsewhere";
}

}  // namespace korvane
