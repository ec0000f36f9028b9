#include <gtest/gtest.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>
#include <string>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/state/DemonstrationData.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/app/state/FlowFixture.h"

// A step of the state may replace a tree and then picture the window (a
// change of screen fades from a picture of the old one) before the pages
// hear of the new tree: a canvas pictured then must not read the nodes of
// the tree that has gone.

namespace korvane {
namespace {

StorageNode folder(std::string id, std::int64_t bytes, std::vector<StorageNode> children = {}) {
    return canvastest::pathNode(std::move(id), bytes, std::move(children));
}

FileTreeScanner::Result scanOf(const std::string& root) {
    FileTreeScanner::Result result;
    result.root = folder(root, 3000,
                         {folder(root + "/inner", 2000, {folder(root + "/inner/a", 1500), folder(root + "/inner/b", 500)}),
                          folder(root + "/file", 1000)});
    result.root.kind = StorageNode::Kind::root;
    return result;
}

class CanvasTreeLifetimeTest : public testing::FlowFixture {
protected:
    void SetUp() override {
        // Freed nodes read as garbage at once, not as the values they held.
        mallopt(M_PERTURB, 0x5c);
        AppMotion::setJumpToEnd(true);
    }
    void TearDown() override {
        mallopt(M_PERTURB, 0);
        AppMotion::setJumpToEnd(false);
    }
};

TEST_F(CanvasTreeLifetimeTest, ACanvasPicturedBeforeItsPageHearsOfANewTreeDrawsNoneOfTheOld) {
    AppState& state = launch();
    const CanvasParts parts{state.navigation(), state.developer(), state.desktop()};
    const struct {
        const char* name;
        AppState::Mode mode;
        std::function<void()> prepare;
        std::function<void()> replace;
    } cases[] = {
        // The filter hides the focused category, so the page shows it from the whole tree.
        {"developer tree rebuilt", AppState::Mode::developer,
         [&] {
             state.developer().showRestoredScan(DemonstrationData::scan(), false);
             state.navigation().setFocusedID("docker");
             state.navigation().setSearchText("storefront");
         },
         [&] { state.developer().setShowsProtected(!state.developer().showsProtected()); }},
        {"developer scan replaced", AppState::Mode::developer,
         [&] {
             state.developer().showRestoredScan(DemonstrationData::scan(), false);
             state.navigation().setFocusedID("docker");
             state.navigation().setSearchText("storefront");
         },
         [&] { state.developer().showRestoredScan(DemonstrationData::scan(), false); }},
        {"folder scan replaced", AppState::Mode::general,
         [&] {
             state.navigation().setSearchText({});
             state.folderScan().setGeneralResult(scanOf("/a"));
             state.navigation().focusOn("/a/inner");
         },
         [&] { state.folderScan().setGeneralResult(scanOf("/a")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state.preferences().setMode(c.mode);
        std::unique_ptr<QWidget> page;
        CanvasDrawing* drawing = nullptr;
        std::function<const StorageNode*()> shown;
        if (c.mode == AppState::Mode::developer) {
            auto* own = new DeveloperCanvasPage(parts);
            page.reset(own);
            drawing = own->drawing();
            shown = [own] { return own->content().root; };
        } else {
            auto* own = new GeneralCanvasPage(state.folderScan(), parts);
            page.reset(own);
            drawing = own->drawing();
            shown = [own] { return own->content().root; };
        }
        page->resize(980, 680);
        page->show();
        for (const auto mode : allCanvasModes()) {
            SCOPED_TRACE(std::string(rawValue(mode)));
            state.navigation().setCanvasMode(mode);
            c.prepare();
            QApplication::processEvents();
            ASSERT_NE(drawing->canvas()->root(), nullptr);
            {
                const StateChanges::Batch batch(state.navigation().changes());
                c.replace();
                page->grab();
            }
            CanvasBase* canvas = drawing->canvas();
            EXPECT_EQ(canvas->root(), shown());
            QImage image(canvas->size(), QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&image);
            canvas->paintInto(painter);
        }
    }
}

}  // namespace
}  // namespace korvane
