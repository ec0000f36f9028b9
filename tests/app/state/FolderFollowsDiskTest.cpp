#include <gtest/gtest.h>

#include <filesystem>

#include "app/state/FolderFollowsDisk.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/RemainderListing.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Place = DiskChange::Place;

// A small home: a film with a node of its own (and on the large-files list),
// a folder of notes folded into their folder's remainder, a project folder
// and a file in the Trash.
class FolderFollowsDiskTest : public ::testing::Test {
protected:
    FolderFollowsDiskTest() {
        tree.file("Movies/holiday.mov", 53'000'000);
        tree.file("Documents/notes.txt", 200'000);
        tree.file("Documents/letter.txt", 100'000);
        tree.file("Projects/app/main.cpp", 300'000);
        tree.file("Projects/app/lib.cpp", 100'000);
        tree.file(".local/share/Trash/files/old.bin", 5'000'000);
    }

    FileTreeScanner::Result scan() const {
        FileTreeScanner::Options options;
        options.largeFileThreshold = 50'000'000;
        return FileTreeScanner(options).scan(tree.root());
    }
    static bool lists(const std::vector<FileTreeScanner::Entry>& entries, const std::string& path) {
        return std::any_of(entries.begin(), entries.end(),
                           [&path](const FileTreeScanner::Entry& entry) { return entry.path == path; });
    }

    // Files and folders the node at this path counts inside it.
    static std::pair<std::uint32_t, std::uint32_t> countsAt(const StorageNode& node, const std::string& path) {
        if (node.path == path) return {node.fileCount, node.folderCount};
        for (const StorageNode& child : node.children)
            if (child.path && path.starts_with(*child.path)) return countsAt(child, path);
        return {~0u, ~0u};
    }

    testing::TempTree tree;
    testing::TempTree aside;  // where a file goes while the tree is scanned without it
};

TEST_F(FolderFollowsDiskTest, WhatLeftLeavesTheTreeTheListsAndTheSizesAboveIt) {
    struct Case {
        const char* relative;
        bool inTrash;
        bool exact;  // a file with its own node; anything else is scanned again for its counts
    };
    const Case cases[] = {
        {"Movies/holiday.mov", false, true},
        {"Projects/app", false, false},
        {"Documents/notes.txt", false, false},
        {".local/share/Trash/files/old.bin", true, false},
    };
    for (const Case& c : cases) {
        FileTreeScanner::Result result = scan();
        const std::string path = tree.path(c.relative);
        const bool isFolder = std::filesystem::is_directory(path);
        // A folder is not listed itself: the files in it are.
        ASSERT_TRUE(lists(result.index, isFolder ? path + "/main.cpp" : path)) << c.relative;
        DiskChange change;
        // The size a cleanup reports is the one the scan measured.
        std::int64_t bytes = 400'000;
        for (const auto& entry : result.index)
            if (entry.path == path) bytes = entry.size;
        change.left = {{path, bytes, std::nullopt, c.inTrash}};
        ASSERT_TRUE(FolderFollowsDisk::touches(result, change));
        const auto outcome = FolderFollowsDisk::apply(result, change);
        EXPECT_TRUE(outcome.changed) << c.relative;
        EXPECT_EQ(outcome.exact, c.exact) << c.relative;

        // The disk as the action left it, scanned afresh.
        const std::string moved = aside.path("moved");
        std::filesystem::rename(path, moved);
        const FileTreeScanner::Result fresh = scan();
        std::filesystem::rename(moved, path);
        EXPECT_EQ(result.root.bytes, fresh.root.bytes) << c.relative;
        EXPECT_EQ(result.root.find(path), nullptr) << c.relative;
        EXPECT_FALSE(lists(result.index, isFolder ? path + "/main.cpp" : path)) << c.relative;
        EXPECT_EQ(result.largest.size(), fresh.largest.size()) << c.relative;
        EXPECT_EQ(result.index.size(), fresh.index.size()) << c.relative;
        if (c.exact) {
            EXPECT_EQ(result.fileCount, fresh.fileCount) << c.relative;
            EXPECT_EQ(result.folderCount, fresh.folderCount) << c.relative;
            // The counts each folder above shows follow too.
            const std::string folder = std::filesystem::path(path).parent_path().string();
            for (const std::string& above : {tree.root(), folder})
                EXPECT_EQ(countsAt(result.root, above), countsAt(fresh.root, above)) << c.relative << " " << above;
        }
    }
}

// A file listed in an opened remainder has a node of its own there: it
// leaves it exactly, and the sizes above it fall by its size.
TEST_F(FolderFollowsDiskTest, AFileListedInAnOpenedRemainderLeavesItExactly) {
    FileTreeScanner::Result result = scan();
    const std::string documents = tree.path("Documents");
    const std::string rest = FileTreeScanner::remainderID(documents);
    ASSERT_NE(result.root.find(rest), nullptr);
    ASSERT_TRUE(RemainderListing::graft(
        result, *RemainderListing::read(documents, RemainderListing::shownBeside(result.root.pathTo(rest)), rest)));
    const std::string notes = tree.path("Documents/notes.txt");
    ASSERT_NE(result.root.find(notes), nullptr);
    DiskChange change;
    change.left = {{notes, result.root.find(notes)->bytes, std::nullopt, false}};
    const auto outcome = FolderFollowsDisk::apply(result, change);
    EXPECT_TRUE(outcome.exact);

    const std::string moved = aside.path("moved");
    std::filesystem::rename(notes, moved);
    const FileTreeScanner::Result fresh = scan();
    std::filesystem::rename(moved, notes);
    EXPECT_EQ(result.root.find(notes), nullptr);
    for (const std::string& id : {tree.root(), documents})
        EXPECT_EQ(result.root.find(id)->bytes, fresh.root.find(id)->bytes) << id;
    const StorageNode& opened = *result.root.find(rest);
    ASSERT_EQ(opened.children.size(), 1u);
    EXPECT_EQ(opened.bytes, opened.children[0].bytes);
}

// An opened remainder emptied item by item counts the rows it still holds and leaves with the
// last; listing one row, it sums the other in a remainder of its own, and follows alike.
TEST_F(FolderFollowsDiskTest, AnOpenedRemainderBeingEmptiedCountsItsRows) {
    for (const int rows : {45, 1}) {
        FileTreeScanner::Options options;
        options.maxChildren = rows;
        FileTreeScanner::Result result = scan();
        const std::string documents = tree.path("Documents"), rest = FileTreeScanner::remainderID(documents);
        ASSERT_TRUE(RemainderListing::graft(result, *RemainderListing::read(documents, {}, rest, options)));
        for (const char* left : {"1 smaller item", ""}) {
            const std::string path = documents + (*left ? "/notes.txt" : "/letter.txt");
            DiskChange change;
            change.left = {{path, static_cast<std::int64_t>(std::filesystem::file_size(path)), std::nullopt, false}};
            FolderFollowsDisk::apply(result, change);
            const StorageNode* opened = result.root.find(rest);
            EXPECT_EQ(opened ? opened->name : "", left) << rows;
            EXPECT_TRUE(!opened || opened->details.at("Items") == std::to_string(opened->children.size())) << rows;
        }
        EXPECT_TRUE(result.root.find(documents)->isLeaf());
    }
}

TEST_F(FolderFollowsDiskTest, WhatArrivesOrHappensElsewhereIsNotGuessed) {
    const FileTreeScanner::Result before = scan();
    DiskChange elsewhere;
    elsewhere.left = {{"/somewhere/else", 10, std::nullopt, false}};
    EXPECT_FALSE(FolderFollowsDisk::touches(before, elsewhere));

    FileTreeScanner::Result result = before;
    DiskChange back;
    back.action = DiskChange::Action::putBack;
    back.arrived = {{tree.path("Movies/trailer.mov"), 10, std::nullopt, false}};
    ASSERT_TRUE(FolderFollowsDisk::touches(result, back));
    const auto outcome = FolderFollowsDisk::apply(result, back);
    EXPECT_FALSE(outcome.changed);
    EXPECT_FALSE(outcome.exact);
    EXPECT_EQ(result.root.bytes, before.root.bytes);

    DiskChange command;
    command.removedByCommand = {UUID::random()};
    EXPECT_FALSE(FolderFollowsDisk::apply(result, command).exact);

    // A removal stopped partway: what is left inside is known only to a new walk.
    DiskChange stopped;
    stopped.shrank = {{tree.path("Movies"), 5, std::nullopt, false}};
    ASSERT_TRUE(FolderFollowsDisk::touches(result, stopped));
    EXPECT_FALSE(FolderFollowsDisk::apply(result, stopped).exact);
}

}  // namespace
}  // namespace korvane
