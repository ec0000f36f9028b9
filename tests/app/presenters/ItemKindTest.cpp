#include <gtest/gtest.h>

#include "app/canvases/layout/FoldersLayout.h"
#include "app/presenters/CountText.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/SummaryNode.h"
#include "core/explorer/FileTreeScanner.h"

// What a folder scan's nodes are called and how what they hold is counted.

namespace korvane {
namespace {

using Kind = StorageNode::Kind;

StorageNode walked(const std::string& name, Kind kind, std::int64_t files = 0, std::int64_t folders = 0) {
    StorageNode node;
    node.id = "/home/u/" + name;
    node.path = node.id;
    node.name = name;
    node.kind = kind;
    node.fileCount = files;
    node.folderCount = folders;
    if (kind == Kind::item) node.fileKind = classifyFileKind(name, name.ends_with(".app"));
    return node;
}

TEST(ItemKind, FolderScanNodesAreFoldersFilesOrSumsCountedAsTheWalkCounted) {
    StorageNode rest;
    rest.id = FileTreeScanner::remainderID("/home/u/Pictures");
    rest.name = "226 smaller items";
    rest.kind = Kind::item;
    rest.fileCount = 230;
    rest.folderCount = 2;
    StorageNode leaf = walked("a.jpg", Kind::item);
    const StorageNode* parts[] = {&leaf};
    const StorageNode summary = summaryNode("/home/u/Buried", parts);
    StorageNode mount = walked("ram", Kind::group);
    mount.details = {{std::string(FileTreeScanner::mountPointDetail), "tmpfs"}};
    StorageNode otherNames = walked("b", Kind::group);
    otherNames.details = {{std::string(FileTreeScanner::otherNamesDetail), "2 files, counted in ~/Links/a"}};
    StorageNode withChild = walked("Projects", Kind::group, 240, 1);
    withChild.children.push_back(walked("Projects/weather", Kind::group, 240));

    const struct {
        StorageNode node;
        const char* label;
        const char* symbol;
        const char* tile;  // the folders canvas's line under the name
    } cases[] = {
        {walked("Summer 2021", Kind::group, 31), "Folder", "folder", "31 items"},
        {withChild, "Folder", "folder", "241 items"},
        {walked("debian-12-amd64-netinst.iso", Kind::item), "Disk image", "opticaldisc", "Disk image"},
        {walked("system.img", Kind::item), "Disk image", "opticaldisc", "Disk image"},
        {walked("holiday video.mp4", Kind::item), "Video", "film", "Video"},
        {walked("IMG_0031.JPG", Kind::item), "Image", "photo", "Image"},
        {walked("Rapport d'activité 2025.pdf", Kind::item), "Document", "doc.richtext", "Document"},
        {walked("menu déjà vu.txt", Kind::item), "Document", "doc.text", "Document"},
        {walked("backup.dmg", Kind::item), "Archive", "doc.zipper", "Archive"},
        {walked("tool-linux-x86_64", Kind::item), "File", "doc", "File"},
        {walked(".bashrc", Kind::item), "File", "doc", "File"},
        {walked("Tool.app", Kind::item), "Application", "app.badge", "Application"},
        {rest, "Smaller items", "square.stack.3d.up", "232 items"},
        {summary, "Smaller items", "square.stack.3d.up", "1 item"},
        // Another file system: nothing in it is counted.
        {mount, "Mount point", "externaldrive", "Mount point"},
        {otherNames, "Folder", "folder", "2 files, counted in ~/Links/a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node.name);
        EXPECT_EQ(itemKindLabel(c.node), c.label);
        EXPECT_EQ(itemSymbol(c.node), c.symbol);
        EXPECT_EQ(FoldersLayout::itemsText(c.node), c.tile);
    }
    // A developer tree's group counts its items, as its page's header does.
    StorageNode group;
    group.id = "node/rule";
    group.kind = Kind::group;
    group.children.resize(3);
    group.children[0].candidateID = UUID::random();
    group.children[1].candidateID = UUID::random();
    EXPECT_EQ(FoldersLayout::itemsText(group), "2 items");
    EXPECT_FALSE(itemCountText(group));
}

// A folder holding only other names of files counted elsewhere says so,
// rather than that it holds nothing; a mount point opens, a file does not.
TEST(ItemKind, WhatAFolderHoldsAndWhetherItOpens) {
    StorageNode links = walked("Links/b", Kind::group);
    links.details = {{std::string(FileTreeScanner::otherNamesDetail), "2 files, counted in ~/Links/a"}};
    StorageNode both = walked("Links", Kind::group, 3, 2);
    both.details = links.details;
    StorageNode mount = walked("ram", Kind::group);
    mount.details = {{std::string(FileTreeScanner::mountPointDetail), "tmpfs"}};
    StorageNode developer;
    developer.id = "node";
    EXPECT_EQ(walkedFilesText(links), "2 files, counted in ~/Links/a");
    EXPECT_EQ(walkedFilesText(both), "3 files");
    EXPECT_EQ(walkedFilesText(walked("Empty", Kind::group)), "0 files");
    EXPECT_EQ(walkedFilesText(developer), std::nullopt);
    EXPECT_TRUE(opensFurther(mount));
    both.children.push_back(links);
    EXPECT_TRUE(opensFurther(both));
    EXPECT_FALSE(opensFurther(links));
    EXPECT_FALSE(opensFurther(walked("a.jpg", Kind::item)));
}

TEST(CountText, OneRuleForEveryCount) {
    const struct {
        std::int64_t count;
        const char* singular;
        const char* plural;
        const char* text;
    } cases[] = {
        {0, "item", nullptr, "0 items"},    {1, "item", nullptr, "1 item"},
        {2, "item", nullptr, "2 items"},    {1234, "file", nullptr, "1,234 files"},
        {1, "entry", "entries", "1 entry"}, {2, "entry", "entries", "2 entries"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.plural ? countText(c.count, c.singular, c.plural) : countText(c.count, c.singular),
                  c.text);
}

}  // namespace
}  // namespace korvane
