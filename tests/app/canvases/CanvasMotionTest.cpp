#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <functional>
#include <memory>

#include "app/canvases/CanvasFactory.h"
#include "app/canvases/FoldersCanvas.h"
#include "app/canvases/StrataCanvas.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

// The canvases' own motions, each stepped along the canvas's clock: the
// value read at chosen times lies on its curve, the jump-to-end switch
// lands it at once, and the canvas stops repainting once it has arrived.

namespace korvane {
namespace {

using std::chrono::hours;
using Mode = AppState::CanvasMode;

class CanvasMotionTest : public testing::FlowFixture {
public:
    using testing::FlowFixture::state;

    void SetUp() override {
        launch();
        now_ = std::chrono::system_clock::now();
        root_ = makeTree();
    }
    void TearDown() override {
        canvas_.reset();
        AppMotion::setJumpToEnd(false);
    }

    StorageNode leaf(const std::string& id, std::int64_t bytes, int daysOld) {
        StorageNode node;
        node.id = id;
        node.name = id;
        node.kind = StorageNode::Kind::item;
        node.bytes = bytes;
        node.category = CleanupCategory::node;
        node.safety = SafetyLevel::safe;
        node.candidateID = UUID::random();
        node.lastModified = now_ - hours(24 * daysOld + 2);
        return node;
    }
    StorageNode folder(const std::string& id, std::vector<StorageNode> children) {
        StorageNode node;
        node.id = id;
        node.name = id;
        node.kind = StorageNode::Kind::group;
        node.category = CleanupCategory::node;
        for (const auto& child : children) node.bytes += child.bytes;
        node.children = std::move(children);
        return node;
    }
    // Two folders of a recent and an old leaf each.
    StorageNode makeTree() {
        StorageNode root;
        root.id = "root";
        root.name = "root";
        root.kind = StorageNode::Kind::root;
        root.children = {folder("big", {leaf("b1", 3000, 2), leaf("b2", 1000, 400)}),
                         folder("mid", {leaf("m1", 1500, 3), leaf("m2", 500, 500)})};
        for (const auto& child : root.children) root.bytes += child.bytes;
        return root;
    }

    // The canvas of `mode` on a clock the test moves, with animations jumping to their end until the motion.
    CanvasBase& open(Mode mode) {
        AppMotion::setJumpToEnd(true);
        now_seconds_ = 0;
        state().navigation().setSelectedID(std::nullopt);
        canvas_.reset(makeCanvas(mode, {state().navigation(), state().developer(), state().desktop()}, nullptr));
        setEnvironmentPalette(canvas_.get(), ThemeID::paper);
        canvas_->setTimeSource([this] { return now_seconds_; });
        canvas_->setDepth(canvasDepth(mode, 3));
        canvas_->setClock(CanvasClock(now_, QTimeZone(3600)));
        canvas_->resize(900, 600);
        canvas_->setRoot(&root_);
        canvas_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(canvas_.get()));
        // The pointer starts off the canvas: a move to where it last stood would not count.
        QTest::mouseMove(canvas_.get(), QPoint(-5, -5));
        canvas_->repaint();
        return *canvas_;
    }

    // The clock moved to `seconds` after the act, and a frame painted.
    void stepTo(double seconds) {
        now_seconds_ = start_ + seconds;
        canvas_->repaint();
    }
    void startClock() { start_ = now_seconds_ = 100; }

    template <typename Canvas>
    Canvas& canvas() {
        return dynamic_cast<Canvas&>(*canvas_);
    }
    StrataCanvas& strata() { return canvas<StrataCanvas>(); }
    std::size_t depositNamed(const std::string& id) {
        const auto& deposits = strata().currentLayout().deposits;
        for (std::size_t i = 0; i < deposits.size(); ++i)
            if (deposits[i].node->id == id) return i;
        ADD_FAILURE() << "no deposit " << id;
        return 0;
    }
    QPoint folderTile(std::size_t index) { return canvas_->itemBounds(index).center().toPoint(); }

    std::chrono::system_clock::time_point now_;
    StorageNode root_;
    std::unique_ptr<CanvasBase> canvas_;
    double now_seconds_ = 0;
    double start_ = 0;
};

struct Case {
    const char* what;
    Mode mode;
    std::function<void(CanvasMotionTest&)> act;
    std::function<double(CanvasMotionTest&)> read;
    Motion motion;
    double tolerance;
    // A second value that moves on the same curve, if any (the folder tile's border with its growth).
    std::function<double(CanvasMotionTest&)> alongside = nullptr;
};

std::vector<Case> cases() {
    const auto hoverFirstHeader = [](CanvasMotionTest& t) {
        QTest::mouseMove(t.canvas_.get(), t.strata().currentLayout().bands[0].header.center().toPoint());
    };
    return {
        {"strata band header's hover", Mode::strata, hoverFirstHeader,
         [](CanvasMotionTest& t) { return t.strata().shownHeaderHover(0); }, AppMotion::fade, 1e-6},
        {"strata band header's hover leaving", Mode::strata,
         [=](CanvasMotionTest& t) {
             const bool jumping = AppMotion::jumpsToEnd();
             AppMotion::setJumpToEnd(true);
             hoverFirstHeader(t);
             AppMotion::setJumpToEnd(jumping);
             QTest::mouseMove(t.canvas_.get(), QPoint(t.canvas_->width() - 2, t.canvas_->height() - 2));
         },
         [](CanvasMotionTest& t) { return t.strata().shownHeaderHover(0); }, AppMotion::fade, 1e-6},
        {"strata tile selected", Mode::strata,
         [](CanvasMotionTest& t) { t.state().navigation().setSelectedID(std::string("b1")); },
         [](CanvasMotionTest& t) { return t.strata().shownTileBorder(t.depositNamed("b1")); }, AppMotion::snappy,
         1e-6},
        {"strata tile left by the selection", Mode::strata,
         [](CanvasMotionTest& t) {
             const bool jumping = AppMotion::jumpsToEnd();
             AppMotion::setJumpToEnd(true);
             t.state().navigation().setSelectedID(std::string("b1"));
             t.canvas_->repaint();
             AppMotion::setJumpToEnd(jumping);
             t.state().navigation().setSelectedID(std::string("m1"));
         },
         [](CanvasMotionTest& t) { return t.strata().shownTileBorder(t.depositNamed("b1")); }, AppMotion::snappy,
         1e-6},
        {"folder tile's hover border", Mode::folders,
         [](CanvasMotionTest& t) { QTest::mouseMove(t.canvas_.get(), t.folderTile(0)); },
         [](CanvasMotionTest& t) { return t.canvas<FoldersCanvas>().shownTileBorder(0); }, AppMotion::snappy, 1e-6,
         [](CanvasMotionTest& t) { return t.canvas<FoldersCanvas>().shownTileScale(0); }},
    };
}

TEST_F(CanvasMotionTest, EachMotionFollowsItsCurveArrivesAndStopsOrLandsAtOnceWhenAsked) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        open(c.mode);
        AppMotion::setJumpToEnd(false);
        startClock();
        c.act(*this);
        stepTo(0);
        const double from = c.read(*this);
        const double alongFrom = c.alongside ? c.alongside(*this) : 0;
        stepTo(5);
        const double to = c.read(*this);
        const double alongTo = c.alongside ? c.alongside(*this) : 0;
        EXPECT_GT(std::abs(to - from), 0.1) << "nothing moves";
        stepTo(5.1);
        EXPECT_FALSE(canvas_->isAnimating()) << "the canvas keeps repainting after the motion arrived";

        // Again, stepped on the way.
        open(c.mode);
        AppMotion::setJumpToEnd(false);
        startClock();
        c.act(*this);
        for (const double seconds : {0.0, 0.05, 0.1, 0.16, 0.2}) {
            stepTo(seconds);
            const double p = c.motion.progress(seconds);
            EXPECT_NEAR(c.read(*this), from + (to - from) * p, c.tolerance) << "at " << seconds << " s";
            if (c.alongside) {
                EXPECT_NEAR(c.alongside(*this), alongFrom + (alongTo - alongFrom) * p, c.tolerance)
                    << "alongside at " << seconds << " s";
            }
        }
        EXPECT_TRUE(canvas_->isAnimating());

        // With the jump-to-end switch on, as open() leaves it.
        open(c.mode);
        startClock();
        c.act(*this);
        stepTo(0);
        EXPECT_NEAR(c.read(*this), to, c.tolerance) << "the switch does not land it at once";
        EXPECT_FALSE(canvas_->isAnimating());
    }
}

// Shown while motions land at once, a canvas stands whole: switched back on,
// motion does not play its entrance late, from halfway.
TEST_F(CanvasMotionTest, AnEntranceDueWhileMotionsLandAtOnceDoesNotPlayLater) {
    for (const Mode mode : allCanvasModes()) {
        SCOPED_TRACE(std::string(rawValue(mode)));
        open(mode);
        const QImage whole = canvas_->grab().toImage();
        AppMotion::setJumpToEnd(false);
        now_seconds_ = 0.15;
        EXPECT_EQ(canvas_->grab().toImage(), whole);
        EXPECT_FALSE(canvas_->isAnimating());
    }
}

// The band header says what a click on it does, on every band that holds candidates.
TEST_F(CanvasMotionTest, EveryBandHeaderOffersItsHelp) {
    open(Mode::strata);
    const auto& bands = strata().currentLayout().bands;
    ASSERT_GE(bands.size(), 2u);
    for (const auto& band : bands)
        EXPECT_EQ(strata().helpAt(band.header.center()), QStringLiteral("Select everything in this band"));
    EXPECT_TRUE(strata().helpAt(strata().currentLayout().deposits.front().rect.center()).isEmpty());
}

// A band with nothing to select promises nothing: its header keeps its
// resting look under the pointer, with no hint.
TEST_F(CanvasMotionTest, ABandWithoutCandidatesShowsNoHint) {
    for (auto& child : root_.children)
        for (auto& grandchild : child.children) grandchild.candidateID.reset();
    open(Mode::strata);
    const QRect header = strata().currentLayout().bands[0].header.toAlignedRect();
    const QImage resting = canvas_->grab(header).toImage();
    QTest::mouseMove(canvas_.get(), header.center());
    EXPECT_DOUBLE_EQ(strata().shownHeaderHover(0), 0.0);
    EXPECT_EQ(canvas_->grab(header).toImage(), resting) << "a hint drawn";
}

}  // namespace
}  // namespace korvane
