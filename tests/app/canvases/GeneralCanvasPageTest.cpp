#include <gtest/gtest.h>

#include <QApplication>
#include <functional>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/kit/ElidedLabel.h"
#include "tests/app/state/FlowFixture.h"

// The general page follows the folder scan and the navigation by itself: no
// one else tells it that a scan started, finished or was drilled into.

namespace korvane {
namespace {

StorageNode folder(std::string id, std::vector<StorageNode> children = {}) {
    StorageNode node;
    node.name = id;
    node.path = id;
    node.id = std::move(id);
    node.bytes = 100;
    node.kind = StorageNode::Kind::group;
    node.children = std::move(children);
    return node;
}

FileTreeScanner::Result scanOf(std::string root) {
    FileTreeScanner::Result result;
    result.root = folder(root, {folder(root + "/inner", {folder(root + "/inner/deep", {StorageNode{}})})});
    result.root.kind = StorageNode::Kind::root;
    return result;
}

class GeneralCanvasPageTest : public testing::FlowFixture {};

TEST_F(GeneralCanvasPageTest, FollowsTheFolderScanAndTheFolderOnShow) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    GeneralCanvasPage page(state.folderScan(), {state.navigation(), state.developer(), state.desktop()});
    page.resize(900, 600);
    using Body = GeneralCanvasContent::Body;
    const struct {
        const char* step;
        std::function<void()> apply;
        Body body;
        std::string name;
    } steps[] = {
        {"before any scan", [] {}, Body::nothingScanned, ""},
        {"scan started", [&] { state.folderScan().setIsScanningFolder(true); }, Body::scanning, ""},
        {"scan arrived", [&] { state.folderScan().setGeneralResult(scanOf("/a")); }, Body::tree, "/a"},
        {"drilled in", [&] { state.navigation().focusOn("/a/inner"); }, Body::tree, "/a/inner"},
        {"up again", [&] { state.navigation().focusUp(); }, Body::tree, "/a"},
        {"a new scan", [&] { state.folderScan().setGeneralResult(scanOf("/b")); }, Body::tree, "/b"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.apply();
        EXPECT_EQ(page.content().body, s.body);
        EXPECT_EQ(page.content().name, s.name);
        // The canvas never holds a node of a tree that has gone.
        ASSERT_NE(page.drawing()->canvas(), nullptr);
        EXPECT_EQ(page.drawing()->canvas()->root(), page.content().root);
    }
}

// The folder's name stands where it stood once the user comes back up: the
// empty row of ways back takes no room before any drilling either.
TEST_F(GeneralCanvasPageTest, TheHeadlineStandsStillAfterDrillingInAndBack) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    state.folderScan().setGeneralResult(scanOf("/a"));
    GeneralCanvasPage page(state.folderScan(), {state.navigation(), state.developer(), state.desktop()});
    page.resize(900, 600);
    page.show();
    const auto nameLeft = [&] {
        QApplication::processEvents();
        for (ElidedLabel* label : page.findChildren<ElidedLabel*>())
            if (label->text() == QString::fromStdString(page.content().name))
                return label->mapTo(&page, QPoint()).x();
        ADD_FAILURE() << "no headline";
        return -1;
    };
    const int before = nameLeft();
    state.navigation().focusOn("/a/inner");
    EXPECT_GT(nameLeft(), before) << "below the crumbs' row";
    state.navigation().focusUp();
    EXPECT_EQ(nameLeft(), before);
}

}  // namespace
}  // namespace korvane
