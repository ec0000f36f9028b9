#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/explorer/AgeTally.h"
#include "core/model/AgeProfile.h"
#include "core/model/FileKind.h"
#include "core/model/StorageNode.h"
#include "core/system/FileDate.h"

namespace korvane {

class AgeStamper;

// A count as a node stores it: no real walk meets four billion files.
inline std::uint32_t storedCount(std::int64_t count) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, UINT32_MAX));
}

// The node that sums what a folder holds without nodes of its own:
// "12 smaller items" (or "Everything else" when it counts no item), an item
// placed among the folder's children by its size. The caller dates it.
StorageNode remainderNode(const std::string& folderID, std::int64_t items, std::int64_t bytes,
                          std::int64_t files, std::int64_t folders);
// remainderNode() made in place, in a node that is new.
void fillRemainder(StorageNode& rest, const std::string& folderID, std::int64_t items, std::int64_t bytes,
                   std::int64_t files, std::int64_t folders);
// The items a remainder's name and "Items" say it sums; 0 for "Everything else".
std::int64_t remainderItems(const StorageNode& rest);
// The remainder now sums `items`: its name and "Items" say so.
void countRemainderItems(StorageNode& rest, std::int64_t items);
// Puts `rest` among `children` (largest first) where its size belongs.
void insertBySize(std::vector<StorageNode>& children, StorageNode rest);

// One node of the compact tree a folder scan builds while it walks: a name
// instead of a path, no optional fields, no remainder node yet. The walk
// hands these up from folder to folder and cuts them cheaply; the finished
// tree becomes `StorageNode`s once, at the end.
struct ScanTreeNode {
    static constexpr std::chrono::system_clock::time_point noDate = std::chrono::system_clock::time_point::min();

    std::string name;
    std::int64_t bytes = 0;
    std::int64_t foldBytes = 0;  // a folder's bytes without a node of their own
    std::int64_t foldCount = 0;  // files, packages and cut children behind foldBytes
    // A folder's files (and packages) and opened folders at any depth below it.
    std::int64_t files = 0;
    std::int64_t folders = 0;
    // A file's or package's own; a folder's newest of itself and all it holds;
    // `noDate` when nothing was seen.
    std::chrono::system_clock::time_point modified = noDate;
    std::chrono::system_clock::time_point foldModified = noDate;  // newest behind foldBytes
    // foldBytes by age; `ofNodeDate()` when all of them fall in the cell of
    // foldModified, which `stamp` then holds (a folder has no age of its own).
    AgeProfile foldAges;
    // A folder's bytes that are neither a child's nor folded (ownBytes()), by
    // age; `ofNodeDate()` when all of them, the folder's own blocks among
    // them, fall in the cell of `modified`, which `stamp` then holds.
    AgeProfile ownAges;
    AgeProfile::Stamp stamp;  // a file's or package's own age, where `dated`
    FileKind kind = FileKind::folders;  // a folder's dominant kind, a file's kind by name
    bool isFolder = false;
    bool dated = false;
    // Where another file system is mounted, its kind (MountedFileSystem);
    // 0 for everything else.
    std::uint8_t mount = 0;
    // Its position in its folder's listing, which orders children of equal size.
    std::uint32_t seq = 0;
    std::vector<ScanTreeNode> children;  // a folder's kept children, largest first

    // Adds the ages of every byte of the node to `into`, its children's too.
    void collectAges(AgeTally& into) const;
    // Files and folders a folder holds without a node of its own: those
    // behind foldBytes.
    std::int64_t foldedItems() const;
    // A folder's own blocks and those of what never gets a node (links and
    // the like): what neither its children nor its remainder hold.
    std::int64_t ownBytes() const;
    using StampOf = std::function<AgeProfile::Stamp(std::chrono::system_clock::time_point)>;
    // The node at `path` (this node's own path) and everything below it; a
    // folder's remainder comes after its kept children of equal size. With
    // `stampOf`, an age profile that says no more than the node's own date
    // keeps no cells. Consumes the node so its memory goes as the other grows.
    StorageNode toStorageNode(std::string path, const StampOf& stampOf = {}) &&;

private:
    // toStorageNode() into a node made in place, as a child of a vector
    // reserved for all of them: no node is moved or destroyed on the way.
    void fill(StorageNode& node, std::string path, const StampOf& stampOf) &&;
};

// What one folder gathers from its own listing and from its subfolders:
// bytes per file kind, the children that may keep a node, the remainder.
// Pure bookkeeping; a folder read in parts (or by several workers) merges
// the parts.
class FolderTally {
public:
    static constexpr std::size_t kindCount = 9;
    explicit FolderTally(std::size_t keep)
        : keep_(static_cast<std::uint32_t>(std::min<std::size_t>(keep, UINT32_MAX))) {}

    using Time = std::chrono::system_clock::time_point;

    using Stamp = std::optional<AgeProfile::Stamp>;

    // A regular file or package: it counts toward the kind tally; with a
    // node it becomes a child (dated by the node), else it folds into the
    // remainder with `modified` and its age `stamp`. A folded item's `name`
    // lets a remainder of that one item alone become its node after all.
    void addItem(std::uint32_t seq, FileKind tallyKind, std::int64_t bytes, ScanTreeNode* node,
                 Time modified = ScanTreeNode::noDate, Stamp stamp = std::nullopt, std::string_view name = {});
    // What addItem does for an item without a node, with its age: the walk's
    // path for nearly every file, so it costs a few additions.
    void addFolded(std::uint32_t seq, FileKind tallyKind, std::int64_t bytes, Time modified,
                   AgeProfile::Stamp stamp, std::string_view name) {
        if (foldCount_ == 0 && !name.empty()) keepFirstFolded(seq, name, bytes, modified, tallyKind, stamp);
        countFolded(tallyKind, bytes, modified);
        foldAges_.add(stamp, bytes, 1);
    }
    // Files without a node counted together: for each, what addFolded does
    // but for its name and age, which the caller gives the tally apart
    // (addFolded for a first file that may be named, addFoldedAges).
    struct FoldedRun {
        std::array<std::int64_t, kindCount> kindBytes{};
        std::array<bool, kindCount> met{};  // a kind met with 0 bytes is still met
        std::int64_t count = 0;
        std::int64_t newestSecond = INT64_MIN;  // UTC seconds

        std::int64_t bytes() const {
            std::int64_t sum = 0;
            for (std::int64_t kindSum : kindBytes) sum += kindSum;
            return sum;
        }
    };
    void addFoldedRun(const FoldedRun& run) {
        if (run.count == 0) return;
        const std::int64_t bytes = run.bytes();
        for (std::size_t i = 0; i < kindCount; ++i) {
            kindBytes_[i] += run.kindBytes[i];
            kindPresent_ = static_cast<std::uint16_t>(kindPresent_ | (run.met[i] ? 1u : 0u) << i);
        }
        folderBytes_ += bytes;
        files_ += run.count;
        const Time newest = FileDate::fromSeconds(run.newestSecond);
        newest_ = std::max(newest_, newest);
        heldNewest_ = std::max(heldNewest_, newest);
        foldNewest_ = std::max(foldNewest_, newest);
        foldBytes_ += bytes;
        foldCount_ += run.count;
    }
    void addFoldedAges(AgeProfile::Stamp stamp, std::int64_t bytes, std::uint32_t files) {
        foldAges_.add(stamp, bytes, files);
    }
    // Files and packages folded so far.
    std::int64_t foldedCount() const { return foldCount_; }
    // A finished subfolder holding `files` and `folders` at any depth: it
    // counts under its dominant kind; its node (if any) becomes a child, else
    // its bytes fold without counting as an item, with `newest` (the folder's
    // own newest) and `ages` (all of its bytes'). `held` is the newest of
    // what it holds, its folders' own times aside: a folded folder dates the
    // remainder by it (a folder that only had an entry put back is not new),
    // by `newest` when it holds nothing.
    void addFolder(std::uint32_t seq, FileKind kind, std::int64_t bytes, ScanTreeNode* node,
                   Time newest = ScanTreeNode::noDate, AgeTally&& ages = {}, std::int64_t files = 0,
                   std::int64_t folders = 0, Time held = ScanTreeNode::noDate);
    // A folder where another file system is mounted: a child that counts
    // for nothing, neither bytes nor files nor folders.
    void addMount(std::uint32_t seq, ScanTreeNode&& node) { addChild(seq, std::move(node)); }
    // A file whose bytes are counted apart (one of several names of a file):
    // only its kind counts here, so that the folder takes the colour of what
    // it holds.
    void tallyKind(FileKind kind, std::int64_t bytes) { tally(kind, bytes); }
    // The folder may be listed but not entered: what it lists cannot be
    // looked at, so it is left out whole.
    void markUnenterable() { unenterable_ = true; }
    bool unenterable() const { return unenterable_; }
    // Blocks of the folder itself and of entries that never get a node
    // (links, sockets): the folder's own bytes, with their ages; their time
    // counts toward the folder's newest, not its remainder's. `items` is 1
    // for the folder's own blocks (they stand for the folder), else 0.
    void addOwn(std::int64_t bytes, Time modified = ScanTreeNode::noDate, Stamp stamp = std::nullopt,
                std::uint32_t items = 0) {
        ownBytes_ += bytes;
        newest_ = std::max(newest_, modified);
        if (stamp) ownAges_.add(*stamp, bytes, items);
    }
    void merge(FolderTally&& other);
    // Room for `count` children, which are about to come (at most as many
    // as the list holds before it is cut): grown one by one, a folder's list
    // would be moved to larger room several times.
    void expectChildren(std::size_t count) {
        children_.reserve(std::min<std::size_t>(count, 4 * std::size_t{keep_} + 65));
    }

    // Everything the folder holds, its own blocks included.
    std::int64_t totalBytes() const { return folderBytes_ + ownBytes_; }
    // The newest modification time the folder saw, its own included.
    Time newest() const { return newest_; }
    // The newest of the files it holds at any depth (no folder's own time).
    Time heldNewest() const { return heldNewest_; }
    // Files (and packages) and folders counted below the folder, at any depth.
    std::int64_t files() const { return files_; }
    std::int64_t folders() const { return folders_; }
    // The kind holding the most bytes among the direct contents; on a tie
    // the earlier kind in declaration order; nothing met gives folders.
    FileKind dominant() const;
    // The folder's compact node: the `keep` largest children (equal sizes
    // in listing order), the rest folded into the remainder; a remainder of
    // one named file and nothing else is that file's node instead. With
    // `stamper`, a remainder whose bytes are all of its own date's cell
    // makes no profile (most do, and the profile would only be given back
    // when the node becomes a StorageNode).
    ScanTreeNode finish(std::string name, AgeStamper* stamper = nullptr);
    // For a folder that gets no node: the ages of everything it holds.
    AgeTally takeAges();

private:
    // Equal sizes in listing order; a type, so that sorting inlines it.
    struct LargestFirst {
        bool operator()(const ScanTreeNode& a, const ScanTreeNode& b) const {
            if (a.bytes != b.bytes) return a.bytes > b.bytes;
            return a.seq < b.seq;
        }
    };
    void tally(FileKind kind, std::int64_t bytes) {
        const auto i = static_cast<std::size_t>(kind);
        kindBytes_[i] += bytes;
        kindPresent_ = static_cast<std::uint16_t>(kindPresent_ | 1u << i);
    }
    // An item without a node, but for its name and age.
    void countFolded(FileKind kind, std::int64_t bytes, Time modified) {
        folderBytes_ += bytes;
        files_ += 1;
        tally(kind, bytes);
        newest_ = std::max(newest_, modified);
        heldNewest_ = std::max(heldNewest_, modified);
        foldNewest_ = std::max(foldNewest_, modified);
        foldBytes_ += bytes;
        foldCount_ += 1;
    }
    void keepFirstFolded(std::uint32_t seq, std::string_view name, std::int64_t bytes, Time modified,
                         FileKind kind, Stamp stamp);
    void addChild(std::uint32_t seq, ScanTreeNode&& node);
    void cutChildren();

    // Sizes packed: a scan keeps a tally for every folder it has open.
    std::array<std::int64_t, kindCount> kindBytes_{};
    std::uint32_t keep_;
    std::uint16_t kindPresent_ = 0;  // one bit a kind: a kind met with 0 bytes differs from one never met
    bool unenterable_ = false;
    std::vector<ScanTreeNode> children_;  // each with its position in the listing
    std::int64_t folderBytes_ = 0;  // files, packages and subfolders
    std::int64_t foldBytes_ = 0;
    std::int64_t foldCount_ = 0;
    std::int64_t ownBytes_ = 0;
    Time newest_ = ScanTreeNode::noDate;
    Time foldNewest_ = ScanTreeNode::noDate;
    Time heldNewest_ = ScanTreeNode::noDate;
    std::int64_t files_ = 0;
    std::int64_t folders_ = 0;
    // The first named item folded, while it may turn out the only one.
    struct Folded {
        std::string name;
        std::int64_t bytes = 0;
        Time modified = ScanTreeNode::noDate;
        AgeProfile::Stamp stamp;
        std::uint32_t seq = 0;
        FileKind kind = FileKind::any;
        bool dated = false;  // `stamp` holds its age
    };
    Folded firstFolded_;
    AgeTally foldAges_;
    // A folder's own blocks and its links' come a few at a time, mostly of
    // one cell: kept as a run, they make no profile unless they differ.
    AgeTally ownAges_;
};

}  // namespace korvane
