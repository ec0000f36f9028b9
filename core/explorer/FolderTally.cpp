#include "core/explorer/FolderTally.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "core/explorer/AgeStamper.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/MountedFileSystem.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

void ScanTreeNode::collectAges(AgeTally& into) const {
    if (!isFolder) {
        if (dated) into.add(stamp, bytes, 1);
        return;
    }
    if (foldAges.isNodeDate())
        into.add(stamp, foldBytes, storedCount(foldedItems()));
    else
        into.merge(foldAges);
    if (ownAges.isNodeDate())
        into.add(stamp, ownBytes(), 1);
    else
        into.merge(ownAges);
    for (const ScanTreeNode& child : children) child.collectAges(into);
}

std::int64_t ScanTreeNode::ownBytes() const {
    // A folder's bytes are its children's, its remainder's and its own.
    std::int64_t own = bytes - foldBytes;
    for (const ScanTreeNode& child : children) own -= child.bytes;
    return own;
}

std::int64_t ScanTreeNode::foldedItems() const {
    std::int64_t items = files + folders;
    for (const ScanTreeNode& child : children) items -= child.isFolder ? child.files + child.folders + 1 : 1;
    return items;
}

StorageNode ScanTreeNode::toStorageNode(std::string path, const StampOf& stampOf) && {
    StorageNode node;
    std::move(*this).fill(node, std::move(path), stampOf);
    return node;
}

void ScanTreeNode::fill(StorageNode& node, std::string path, const StampOf& stampOf) && {
    node.id = path;
    node.name = std::move(name);
    node.bytes = bytes;
    node.path = std::move(path);
    node.fileKind = kind;
    if (modified != noDate) node.lastModified = modified;
    if (mount != 0) {
        node.kind = StorageNode::Kind::group;
        node.details = MountedFileSystem::detail(mount);
        return;
    }
    if (!isFolder) {
        node.kind = StorageNode::Kind::item;
        return;
    }
    node.kind = StorageNode::Kind::group;
    node.fileCount = storedCount(files);
    node.folderCount = storedCount(folders);
    // What the kept children hold leaves what the remainder holds.
    std::int64_t restFiles = files, restFolders = folders;
    for (const ScanTreeNode& child : children) {
        restFiles -= child.isFolder ? child.files : 1;
        restFolders -= child.isFolder ? child.folders + 1 : 0;
    }
    node.ages = std::move(ownAges);
    if (stampOf && modified != noDate) node.ages.elide(stampOf(modified));
    const bool hasRest = foldBytes >= 1;
    // The remainder goes where its size belongs, after kept children of
    // equal size (insertBySize), so no child moves to make room for it.
    const auto before = [](std::int64_t size, const ScanTreeNode& child) { return size > child.bytes; };
    const std::size_t restAt =
        hasRest ? static_cast<std::size_t>(std::upper_bound(children.begin(), children.end(), foldBytes, before) -
                                           children.begin())
                : children.size() + 1;
    node.children.reserve(children.size() + (hasRest ? 1 : 0));
    for (std::size_t i = 0; i <= children.size(); ++i) {
        if (i == restAt) {
            StorageNode& rest = node.children.emplace_back();
            fillRemainder(rest, node.id, foldCount, foldBytes, restFiles, restFolders);
            if (foldModified != noDate) rest.lastModified = foldModified;
            rest.ages = std::move(foldAges);
            if (stampOf && foldModified != noDate) rest.ages.elide(stampOf(foldModified));
        }
        if (i == children.size()) break;
        ScanTreeNode& child = children[i];
        std::string childPath = Paths::join(node.id, child.name);
        std::move(child).fill(node.children.emplace_back(), std::move(childPath), stampOf);
    }
    std::vector<ScanTreeNode>().swap(children);
}

namespace {

// The "Items" details of a remainder of a small count, whose value is the
// count's text: most counts are small, and their maps are shared by every
// remainder that has them rather than made for each. None for a larger count.
const DetailMap::Entries* sharedItems(std::int64_t items) {
    static constexpr std::size_t sharedCounts = 1024;
    // Made the first time a count is met, and kept for the program's life.
    static std::array<std::atomic<const DetailMap::Entries*>, sharedCounts> shared{};
    if (items < 0 || static_cast<std::size_t>(items) >= sharedCounts) return nullptr;
    std::atomic<const DetailMap::Entries*>& slot = shared[static_cast<std::size_t>(items)];
    const DetailMap::Entries* entries = slot.load(std::memory_order_acquire);
    if (!entries) {
        auto made = std::make_unique<const DetailMap::Entries>(
            DetailMap::Entries{{"Items", ByteFormat::groupedInteger(items)}});
        if (slot.compare_exchange_strong(entries, made.get(), std::memory_order_acq_rel)) entries = made.release();
    }
    return entries;
}

}  // namespace

void countRemainderItems(StorageNode& rest, std::int64_t items) {
    const DetailMap::Entries* shared = sharedItems(items);
    std::string own = shared ? std::string() : ByteFormat::groupedInteger(items);
    const std::string& count = shared ? shared->front().second : own;
    if (items >= 1) {
        // Sized once: every folder below the tree's depth has one.
        static constexpr std::string_view suffix = " smaller items";
        const std::string_view said = items == 1 ? suffix.substr(0, suffix.size() - 1) : suffix;
        rest.name.assign(count.size() + said.size(), ' ');
        std::copy(said.begin(), said.end(), std::copy(count.begin(), count.end(), rest.name.begin()));
    } else {
        rest.name = "Everything else";
    }
    rest.details = shared ? DetailMap::sharing(*shared) : DetailMap{{"Items", std::move(own)}};
}

std::int64_t remainderItems(const StorageNode& rest) {
    const auto items = rest.details.find("Items");
    if (items == rest.details.end()) return 0;
    std::int64_t count = 0;
    for (const char digit : items->second)
        if (digit >= '0' && digit <= '9') count = count * 10 + (digit - '0');
    return count;
}

void fillRemainder(StorageNode& rest, const std::string& folderID, std::int64_t items, std::int64_t bytes,
                   std::int64_t files, std::int64_t folders) {
    rest.id = FileTreeScanner::remainderID(folderID);
    countRemainderItems(rest, items);
    rest.bytes = bytes;
    rest.kind = StorageNode::Kind::item;
    rest.fileCount = storedCount(files);
    rest.folderCount = storedCount(folders);
}

StorageNode remainderNode(const std::string& folderID, std::int64_t items, std::int64_t bytes,
                          std::int64_t files, std::int64_t folders) {
    StorageNode rest;
    fillRemainder(rest, folderID, items, bytes, files, folders);
    return rest;
}

void insertBySize(std::vector<StorageNode>& children, StorageNode rest) {
    auto at =
        std::upper_bound(children.begin(), children.end(), rest.bytes,
                         [](std::int64_t size, const StorageNode& child) { return size > child.bytes; });
    children.insert(at, std::move(rest));
}

void FolderTally::keepFirstFolded(std::uint32_t seq, std::string_view name, std::int64_t bytes, Time modified,
                                  FileKind kind, Stamp stamp) {
    firstFolded_ = {std::string(name), bytes, modified, stamp.value_or(AgeProfile::Stamp()), seq, kind,
                    stamp.has_value()};
}

void FolderTally::addItem(std::uint32_t seq, FileKind tallyKind, std::int64_t bytes, ScanTreeNode* node,
                          Time modified, Stamp stamp, std::string_view name) {
    if (!node) {
        if (stamp) {
            addFolded(seq, tallyKind, bytes, modified, *stamp, name);
        } else {
            if (foldCount_ == 0 && !name.empty()) keepFirstFolded(seq, name, bytes, modified, tallyKind, stamp);
            countFolded(tallyKind, bytes, modified);
        }
        return;
    }
    folderBytes_ += bytes;
    files_ += 1;
    tally(tallyKind, bytes);
    newest_ = std::max(newest_, node->modified);
    heldNewest_ = std::max(heldNewest_, node->modified);
    addChild(seq, std::move(*node));
}

void FolderTally::addFolder(std::uint32_t seq, FileKind kind, std::int64_t bytes, ScanTreeNode* node,
                            Time newest, AgeTally&& ages, std::int64_t files, std::int64_t folders, Time held) {
    folderBytes_ += bytes;
    files_ += files;
    folders_ += folders + 1;
    tally(kind, bytes);
    heldNewest_ = std::max(heldNewest_, held);
    if (node) {
        newest_ = std::max(newest_, node->modified);
        addChild(seq, std::move(*node));
        return;
    }
    newest_ = std::max(newest_, newest);
    foldNewest_ = std::max(foldNewest_, held != ScanTreeNode::noDate ? held : newest);
    foldAges_.merge(std::move(ages));
    foldBytes_ += bytes;
}

void FolderTally::addChild(std::uint32_t seq, ScanTreeNode&& node) {
    node.seq = seq;
    children_.push_back(std::move(node));
    // A folder with many large files keeps only a bounded list in memory.
    if (children_.size() > 4 * keep_ + 64) cutChildren();
}

void FolderTally::merge(FolderTally&& other) {
    for (std::size_t i = 0; i < kindCount; ++i) kindBytes_[i] += other.kindBytes_[i];
    kindPresent_ = static_cast<std::uint16_t>(kindPresent_ | other.kindPresent_);
    unenterable_ = unenterable_ || other.unenterable_;
    folderBytes_ += other.folderBytes_;
    files_ += other.files_;
    folders_ += other.folders_;
    if (foldCount_ == 0) firstFolded_ = std::move(other.firstFolded_);
    foldBytes_ += other.foldBytes_;
    foldCount_ += other.foldCount_;
    ownBytes_ += other.ownBytes_;
    newest_ = std::max(newest_, other.newest_);
    foldNewest_ = std::max(foldNewest_, other.foldNewest_);
    heldNewest_ = std::max(heldNewest_, other.heldNewest_);
    foldAges_.merge(std::move(other.foldAges_));
    ownAges_.merge(std::move(other.ownAges_));
    for (ScanTreeNode& child : other.children_) addChild(child.seq, std::move(child));
    other.children_.clear();
}

FileKind FolderTally::dominant() const {
    std::optional<FileKind> best;
    std::int64_t bestBytes = 0;
    for (FileKind kind : allFileKinds()) {
        const auto i = static_cast<std::size_t>(kind);
        if ((kindPresent_ >> i & 1u) == 0) continue;
        if (!best || kindBytes_[i] > bestBytes) {
            best = kind;
            bestBytes = kindBytes_[i];
        }
    }
    return best.value_or(FileKind::folders);
}

// Sorts the children and folds those past the limit into the remainder.
void FolderTally::cutChildren() {
    std::sort(children_.begin(), children_.end(), LargestFirst{});
    if (children_.size() <= keep_) return;
    for (std::size_t i = keep_; i < children_.size(); ++i) {
        foldBytes_ += children_[i].bytes;
        foldCount_ += 1;
        foldNewest_ = std::max(foldNewest_, children_[i].modified);
        children_[i].collectAges(foldAges_);
    }
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(keep_), children_.end());
}

ScanTreeNode FolderTally::finish(std::string name, AgeStamper* stamper) {
    cutChildren();
    // "1 smaller item" would hide a name that fits where it stands.
    if (foldCount_ == 1 && !firstFolded_.name.empty() && firstFolded_.bytes == foldBytes_) {
        ScanTreeNode file;
        file.seq = firstFolded_.seq;
        file.name = std::move(firstFolded_.name);
        file.bytes = firstFolded_.bytes;
        file.modified = firstFolded_.modified;
        file.kind = firstFolded_.kind;
        file.stamp = firstFolded_.stamp;
        file.dated = firstFolded_.dated;
        const auto at = std::upper_bound(children_.begin(), children_.end(), file, LargestFirst{});
        children_.insert(at, std::move(file));
        foldBytes_ = 0;
        foldCount_ = 0;
        foldNewest_ = ScanTreeNode::noDate;
        // A file of its own is dated by itself.
        foldAges_ = AgeTally();
    }
    ScanTreeNode node;
    node.name = std::move(name);
    node.bytes = totalBytes();
    node.foldBytes = foldBytes_;
    node.foldCount = foldCount_;
    node.modified = newest_;
    node.foldModified = foldNewest_;
    node.files = files_;
    node.folders = folders_;
    const std::optional<AgeProfile::Stamp> foldDate =
        stamper && foldNewest_ != ScanTreeNode::noDate ? std::optional((*stamper)(foldNewest_)) : std::nullopt;
    if (foldDate && foldAges_.holdsOnly(*foldDate, foldBytes_)) {
        node.foldAges = AgeProfile::ofNodeDate();
        node.stamp = *foldDate;
        foldAges_ = AgeTally();
    } else {
        node.foldAges = foldAges_.take();
    }
    // So do its own bytes, where they are all of the folder's date's cell
    // with its own blocks among them, as most folders' are.
    const std::optional<AgeProfile::Stamp> date =
        stamper && newest_ != ScanTreeNode::noDate ? std::optional((*stamper)(newest_)) : std::nullopt;
    if (date && ownAges_.holdsOnly(*date, ownBytes_, 1) &&
        (!node.foldAges.isNodeDate() || node.stamp.cell == date->cell)) {
        node.ownAges = AgeProfile::ofNodeDate();
        if (!node.foldAges.isNodeDate()) node.stamp = *date;
        ownAges_ = AgeTally();
    } else {
        node.ownAges = ownAges_.take();
    }
    node.kind = dominant();
    node.isFolder = true;
    // The kept children move in one piece where that wastes no room: the
    // node lives until its top-level item is done.
    if (children_.capacity() == children_.size()) {
        node.children = std::move(children_);
    } else {
        node.children.reserve(children_.size());
        std::move(children_.begin(), children_.end(), std::back_inserter(node.children));
    }
    children_.clear();
    return node;
}

AgeTally FolderTally::takeAges() {
    AgeTally ages = std::move(foldAges_);
    foldAges_ = AgeTally();
    ages.merge(std::move(ownAges_));
    ownAges_ = AgeTally();
    for (const ScanTreeNode& child : children_) child.collectAges(ages);
    return ages;
}

}  // namespace korvane
