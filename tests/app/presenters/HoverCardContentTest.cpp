#include <gtest/gtest.h>

#include "app/presenters/CanvasItemReading.h"
#include "app/presenters/HoverCardContent.h"
#include "core/explorer/FileTreeScanner.h"

using namespace korvane;

TEST(HoverCardContent, ReadsAsOneSentenceForScreenReaders) {
    struct Case {
        HoverCardContent content;
        std::string text;
    };
    HoverCardContent full{CleanupCategory::node,  "node_modules", SafetyLevel::caution, "1.2", "GB", "\u00B7 5.0%",
                          "1 GB reclaimable",     "3 weeks ago",  "Spans Days and Buried", "~/src"};
    HoverCardContent bare{std::nullopt,   "a, b",       std::nullopt, "0",          "KB",
                          "\u00B7 <0.1%", std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    for (const auto& c :
         {Case{full,
               "node_modules, 1.2 GB, 5.0% of the view, Review recommended, 1 GB reclaimable, "
               "3 weeks ago, Spans Days and Buried, in ~/src"},
          Case{bare, "a, b, 0 KB, <0.1% of the view"}})
        EXPECT_EQ(hoverCardDescription(c.content), c.text);
}

TEST(HoverCardContent, ShareTexts) {
    struct Case {
        std::int64_t node, root;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {5, 100, "\u00B7 5.0%"}, {1234, 10000, "\u00B7 12%"}, {5, 10000, "\u00B7 <0.1%"}, {9996, 10000, "\u00B7 100%"},
        {7, 0, "\u00B7 <0.1%"}, {0, 100, "\u00B7 <0.1%"}, {1, 1000, "\u00B7 0.1%"},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(hoverCardShareText(c.node, c.root), c.text) << c.node;
}

TEST(HoverCardContent, NamesTheFolderAnItemLiesIn) {
    const auto now = std::chrono::system_clock::now();
    StorageNode root;
    root.bytes = 100;
    StorageNode file;
    file.name = "system.img";
    file.path = "/data/sdk/system-images/android-34/system.img";
    StorageNode rest;
    rest.name = "3 smaller items";
    rest.id = FileTreeScanner::remainderID("/data/photos");
    StorageNode top;
    top.path = "/";
    StorageNode sum;  // a canvas's sum of nodes from several folders
    sum.name = "30 smaller items";
    sum.id = "/data//smaller";
    const std::pair<StorageNode, std::optional<std::string>> cases[] = {
        {file, "/data/sdk/system-images/android-34"},
        {rest, "/data/photos"},
        {top, std::nullopt},
        {sum, std::nullopt}};
    for (const auto& [node, folder] : cases)
        EXPECT_EQ(hoverCardContent(node, root, now).folder, folder) << node.name;
    auto content = hoverCardContent(file, root, now);
    EXPECT_TRUE(hoverCardDescription(content).ends_with(", in /data/sdk/system-images/android-34"));

    // A line break in a name or a folder is shown, not followed.
    StorageNode odd;
    odd.name = "a\nb";
    odd.path = "/data/x\ny/a\nb";
    content = hoverCardContent(odd, root, now);
    EXPECT_EQ(content.name, "a\u23CEb");
    EXPECT_EQ(content.folder, "/data/x\u23CEy");
}

// A table row is read by its columns: what it has and nothing for what it lacks.
TEST(CanvasItemReading, ATableRowReadsItsColumns) {
    StorageNode bare;
    bare.name = "docs";
    bare.bytes = 5'000;
    StorageNode mount = bare, full = bare;
    mount.details = {{std::string(FileTreeScanner::mountPointDetail), "tmpfs"}};
    full.name = "npm\ncache";
    full.bytes = 2'000'000;
    full.reclaimable = 1'000'000;
    full.safety = SafetyLevel::safe;
    EXPECT_EQ(tableRowReading(full).name, "npm\u23CEcache, 2 MB, 1 MB reclaimable, Safe to remove");
    EXPECT_EQ(tableRowReading(bare).name, "docs, 5 KB");
    EXPECT_EQ(tableRowReading(mount).name, "docs, Not counted");
}
