#include <gtest/gtest.h>

#include <algorithm>

#include "app/presenters/NodeActions.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/PlatformWords.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/CategoryResult.h"
#include "core/system/Paths.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Kind = StorageNode::Kind;
using Action = NodeActionEntry::Action;

StorageNode leaf(std::string id, SafetyLevel safety, bool withCandidate = true,
                 std::optional<std::string> path = std::nullopt) {
    StorageNode made;
    made.id = id;
    made.name = id;
    made.kind = Kind::item;
    made.safety = safety;
    if (withCandidate) made.candidateID = UUID::random();
    made.path = std::move(path);
    return made;
}

// A folder of a folder scan where another file system is mounted.
StorageNode mountPoint(const std::string& path) {
    StorageNode made;
    made.id = path;
    made.name = Paths::lastComponent(path);
    made.path = path;
    made.kind = Kind::group;
    made.details = {{std::string(FileTreeScanner::mountPointDetail), "tmpfs"}};
    return made;
}

// The entries as a menu reads: a divider as "---", a disabled entry in brackets.
std::vector<std::string> titles(const std::vector<NodeActionEntry>& entries) {
    std::vector<std::string> result;
    for (const NodeActionEntry& entry : entries)
        result.push_back(!entry.action ? "---" : entry.enabled ? entry.title : "[" + entry.title + "]");
    return result;
}

class NodeActionsTest : public testing::FlowFixture {
protected:
    std::vector<NodeActionEntry> entries(const StorageNode& node) {
        return nodeActionEntries(state().developer(), state().desktop(), node);
    }
    void run(Action action, const StorageNode& node) {
        runNodeAction(state().developer(), state().navigation(), state().desktop(), action, node);
    }
};

TEST_F(NodeActionsTest, EntriesFollowCandidatesChildrenAndPath) {
    launch();
    StorageNode group;
    group.id = "group";
    group.kind = Kind::group;
    group.path = "/home/u/group";
    group.children = {leaf("a", SafetyLevel::safe), leaf("b", SafetyLevel::caution)};
    StorageNode unmanaged;
    unmanaged.id = "plain";
    unmanaged.kind = Kind::group;
    unmanaged.children = {leaf("locked", SafetyLevel::dangerous)};
    // A group of items in many places ("Emulator System Images"): no path of its own.
    StorageNode scattered = group;
    scattered.id = "scattered";
    scattered.path.reset();
    CategoryResult android;
    android.category = CleanupCategory::android;
    const StorageNode notOffered = StorageNode::notOfferedNode(android, 4'000'000);

    const std::string reveal = platformWords::revealIn("");
    const std::pair<StorageNode, std::vector<std::string>> cases[] = {
        {leaf("protected", SafetyLevel::dangerous, true, "/home/u/locked"),
         {reveal, "Copy path", "---", "Never touch this"}},
        // Without a path of its own "Never touch this" has nothing to mark: it shows, disabled.
        {leaf("bare", SafetyLevel::safe, false), {"[Never touch this]"}},
        {leaf("safe", SafetyLevel::safe, true, "/home/u/cache"),
         {"Clean this\u2026", "Add to selection", "---", reveal, "Copy path", "---", "Never touch this"}},
        {leaf("managed", SafetyLevel::caution),
         {"Clean this\u2026", "Add to selection", "---", "[Never touch this]"}},
        {group,
         {"Clean this\u2026", "Add to selection", "---", "Focus here", reveal, "Copy path", "---",
          "Never touch this"}},
        {scattered,
         {"Clean this\u2026", "Add to selection", "---", "Focus here", "---", "[Never touch this]"}},
        // Only protected leaves below: nothing to clean, but there is something to focus on.
        {unmanaged, {"Focus here", "---", "[Never touch this]"}},
        // What a toolchain counts but offers not is no place on disk: nothing applies to it.
        {notOffered, {}},
        {mountPoint("/home/u/ram"), {"Scan on its own", reveal, "Copy path", "---", "Never touch this"}},
    };
    for (const auto& [node, expected] : cases) EXPECT_EQ(titles(entries(node)), expected) << node.id;
    // The desktop's own name for its file manager, when it gives one.
    desktop_.fileManager = "Dolphin";
    EXPECT_EQ(entries(group)[4].title, "Reveal in Dolphin");
    desktop_.fileManager.clear();

    // Partly selected offers to add; fully selected to remove.
    state().developer().setSelection({*group.children[0].candidateID});
    EXPECT_EQ(entries(group)[1].title, "Add to selection");
    run(Action::toggleSelection, group);
    EXPECT_EQ(state().developer().selection(),
              (std::set<UUID>{*group.children[0].candidateID, *group.children[1].candidateID}));
    EXPECT_EQ(entries(group)[1].title, "Remove from selection");
    run(Action::toggleSelection, group);
    EXPECT_TRUE(state().developer().selection().empty());
}

TEST_F(NodeActionsTest, ActionsReachTheState) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode root = state().developer().tree();
    const StorageNode category = root.children.front();
    const StorageNode item = *category.leaves().front();

    state().navigation().setFocusedID(category.id);
    run(Action::focusHere, root);
    EXPECT_EQ(state().navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state().navigation().selectedID(), "root");

    run(Action::cleanThis, item);
    EXPECT_EQ(state().developer().selection(), (std::set<UUID>{*item.candidateID}));
    EXPECT_EQ(state().navigation().sheet(), AppState::Sheet::review);

    run(Action::revealInFileManager, item);
    run(Action::copyPath, item);
    ASSERT_EQ(desktop_.revealed.size(), 1u);
    EXPECT_EQ(desktop_.revealed[0], (std::vector<std::string>{*item.path}));
    EXPECT_EQ(desktop_.copied, (std::vector<std::string>{*item.path}));
    StorageNode notText = item;  // a name that is not UTF-8 is copied as a shell reads it back
    notText.path = "/tmp/caf\xE9";
    run(Action::copyPath, notText);
    EXPECT_EQ(desktop_.copied.back(), "$'/tmp/caf\\xE9'");

    // Never touching a node without a path changes nothing.
    const ScanSettings before = state().preferences().settings();
    run(Action::neverTouch, category);
    EXPECT_EQ(state().preferences().settings(), before);
    EXPECT_EQ(state().developer().selection(), (std::set<UUID>{*item.candidateID}));
    run(Action::neverTouch, item);
    EXPECT_TRUE(state().preferences().settings().excludedPaths.contains(*item.path));
    EXPECT_TRUE(state().developer().selection().empty());
}

// Opened, a folder where another file system is mounted is scanned on its own.
TEST_F(NodeActionsTest, AMountPointOpensAsAScanOfItsOwn) {
    tree_.file("home/ram/inside.bin", 100'000);
    launch({"--mode", "general"});
    run(Action::focusHere, mountPoint(home_ + "/ram"));
    EXPECT_EQ(state().folderScan().scanRoot(), home_ + "/ram");
    ASSERT_TRUE(testing::waitUntil([this] { return state().folderScan().generalRoot() != nullptr; }));
    EXPECT_EQ(state().folderScan().generalRoot()->id, home_ + "/ram");
    EXPECT_EQ(state().folderScan().generalResult()->fileCount, 1);
}

// A tile summing the smallest items offers one thing: their folder, shown in
// the file manager; nothing where the folder has no place on disk.
TEST_F(NodeActionsTest, ASummedItemsMenuShowsTheirFolder) {
    launch();
    StorageNode folder = leaf("folder", SafetyLevel::safe, false, home_ + "/Movies");
    folder.kind = Kind::group;
    EXPECT_EQ(titles(summedItemsActionEntries(state().desktop(), folder)),
              (std::vector<std::string>{platformWords::showIn(state().desktop().fileManagerName())}));
    EXPECT_EQ(summedItemsActionEntries(state().desktop(), folder).front().action, Action::revealInFileManager);
    folder.path.reset();
    EXPECT_TRUE(summedItemsActionEntries(state().desktop(), folder).empty());

    // A folder scan's remainder ("31 smaller items") has no path of its own: it shows its folder.
    StorageNode remainder = leaf(FileTreeScanner::remainderID(home_ + "/Movies"), SafetyLevel::safe, false);
    remainder.name = "31 smaller items";
    const auto remainderEntries = entries(remainder);
    EXPECT_NE(std::find(remainderEntries.begin(), remainderEntries.end(),
                        NodeActionEntry{Action::revealInFileManager,
                                        platformWords::showIn(state().desktop().fileManagerName())}),
              remainderEntries.end());
    run(Action::revealInFileManager, remainder);
    EXPECT_EQ(desktop_.revealed, (std::vector<std::vector<std::string>>{{home_ + "/Movies"}}));
    // It opens into what it sums, read from the disk.
    remainder.bytes = 4096;
    EXPECT_EQ(titles(entries(remainder)).front(), "Focus here");
}

// In general mode a file or folder of the folder scan can go from its menu,
// through the review as a pick from the lists does: a small file no list
// shows is reached too. The scanned folder itself, and what is marked
// "Never touch", are not offered.
TEST_F(NodeActionsTest, AFolderScansFileOrFolderIsRemovedThroughTheReview) {
    tree_.file("home/Photos/tiny.jpg", 3000);
    AppState& state = launch({"--mode", "developer"});
    state.folderScan().scanFolder(home_);
    ASSERT_TRUE(testing::waitUntil([&] { return !state.folderScan().isScanningFolder(); }));
    const StorageNode* photos = state.folderScan().generalRoot()->find(at("Photos"));
    ASSERT_NE(photos, nullptr);
    StorageNode tiny;
    tiny.id = at("Photos/tiny.jpg");
    tiny.path = tiny.id;
    tiny.name = "tiny.jpg";
    tiny.kind = Kind::item;
    tiny.bytes = 4096;
    const auto offers = [&](const StorageNode& node) {
        const auto titled = titles(entries(node));
        return std::find(titled.begin(), titled.end(), "Remove\u2026") != titled.end();
    };
    EXPECT_TRUE(offers(tiny));
    EXPECT_TRUE(offers(*photos));
    EXPECT_FALSE(offers(*state.folderScan().generalRoot()));

    run(Action::remove, tiny);
    EXPECT_EQ(state.navigation().sheet(), Sheet::review);
    ASSERT_EQ(state.developer().stagedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().stagedCandidates().front().path, tiny.id);

    state.navigation().setSheet(std::nullopt);
    state.developer().neverTouch(*photos);
    EXPECT_FALSE(offers(tiny));
    EXPECT_FALSE(offers(*state.folderScan().generalRoot()->find(at("Photos"))));
    state.preferences().setMode(Mode::developer);
    EXPECT_FALSE(offers(*state.developer().tree().leaves().front())) << "developer items go through Clean this";
}

// What is marked already, or lies in what is, offers the mark greyed, as the
// inspector does: pressing it again would only say the same thing again.
TEST_F(NodeActionsTest, WhatIsMarkedNeverTouchOffersTheMarkGreyed) {
    tree_.file("home/Photos/big.jpg", 5'000'000);
    AppState& state = launch({"--mode", "general"});
    state.folderScan().scanFolder(home_);
    ASSERT_TRUE(testing::waitUntil([&] { return !state.folderScan().isScanningFolder(); }));
    const auto mark = [&](const StorageNode& node) {
        const auto titled = titles(entries(node));
        return titled.empty() ? std::string() : titled.back();
    };
    const StorageNode photos = *state.folderScan().generalRoot()->find(at("Photos"));
    const StorageNode big = *state.folderScan().generalRoot()->find(at("Photos/big.jpg"));
    EXPECT_EQ(mark(photos), "Never touch this");
    state.developer().neverTouch(photos);
    EXPECT_EQ(mark(photos), "[Never touch this]");
    EXPECT_EQ(mark(big), "[Never touch this]");
}

// Where no file manager answers, the user is told so in the window's alert,
// not only on the terminal; where one does, nothing is said.
TEST_F(NodeActionsTest, AShowOrOpenThatNothingAnswersIsSaidInAnAlert) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode item = *state().developer().tree().children.front().leaves().front();
    ASSERT_TRUE(item.path);
    run(Action::revealInFileManager, item);
    EXPECT_FALSE(state().developer().errorMessage());

    desktop_.answersRequests = false;
    run(Action::revealInFileManager, item);
    EXPECT_EQ(state().developer().errorMessage(), DesktopActions::unansweredRevealText({*item.path}));
    EXPECT_NE(state().developer().errorMessage()->find(Paths::lastComponent(*item.path)), std::string::npos);
    state().desktop().open(*item.path);
    EXPECT_EQ(state().developer().errorMessage(), DesktopActions::unansweredOpenText(*item.path));
    state().desktop().openTrash();
    EXPECT_EQ(state().developer().errorMessage(), DesktopActions::unansweredTrashText());
}

}  // namespace
}  // namespace korvane
