#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "app/canvases/CanvasFactory.h"
#include "app/canvases/FoldersCanvas.h"
#include "app/canvases/MindMapCanvas.h"
#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/SunburstCanvas.h"
#include "app/canvases/TreemapCanvas.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/theme/Palette.h"
#include "tests/app/state/FlowFixture.h"

// The canvases painted from a resting picture: a hover move draws only the
// hovered items again and repaints only their areas, while a change of what
// the picture shows (theme, size, selection, scroll) draws it again.

namespace korvane {
namespace {

using Mode = AppState::CanvasMode;

// Collects the regions the canvas is asked to repaint.
class PaintRegions : public QObject {
public:
    QRegion seen;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) seen += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

class RestingPictureTest : public testing::FlowFixture {
protected:
    void SetUp() override {
        AppMotion::setJumpToEnd(true);
        launch();
        root_.id = "root";
        root_.name = "root";
        root_.kind = StorageNode::Kind::root;
        // Sixty children of falling sizes, two of them folders with children.
        for (int i = 0; i < 60; ++i) {
            StorageNode child;
            child.id = "c" + std::to_string(i);
            child.name = child.id;
            child.kind = StorageNode::Kind::item;
            child.category = i % 2 ? CleanupCategory::node : CleanupCategory::docker;
            child.bytes = 100'000 - 1'500 * i;
            if (i < 2) {
                child.kind = StorageNode::Kind::group;
                for (int j = 0; j < 3; ++j) {
                    StorageNode inner = child;
                    inner.kind = StorageNode::Kind::item;
                    inner.id = child.id + "-" + std::to_string(j);
                    inner.name = inner.id;
                    inner.bytes = child.bytes / 3;
                    child.children.push_back(inner);
                }
            }
            root_.bytes += child.bytes;
            root_.children.push_back(child);
        }
    }
    void TearDown() override {
        canvas_.reset();
        AppMotion::setJumpToEnd(false);
    }

    CanvasBase& open(Mode mode, ThemeID theme = ThemeID::paper) {
        canvas_.reset(
            makeCanvas(mode, {state().navigation(), state().developer(), state().desktop()}, nullptr));
        setEnvironmentPalette(canvas_.get(), theme);
        canvas_->setDepth(canvasDepth(mode, 3));
        canvas_->resize(900, 600);
        canvas_->setRoot(&root_);
        canvas_->show();
        return *canvas_;
    }

    QImage render(ThemeID theme = ThemeID::paper) {
        QImage image(canvas_->size(), QImage::Format_ARGB32);
        image.fill(Palette::forTheme(theme).canvas);
        QPainter painter(&image);
        canvas_->paintInto(painter);
        return image;
    }

    void hover(QPointF point) {
        QMouseEvent move(QEvent::MouseMove, point, canvas_->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(canvas_.get(), &move);
    }

    // A point on the item, clear of what lies inside it.
    QPointF pointOf(std::size_t item) {
        if (auto* sun = dynamic_cast<SunburstCanvas*>(canvas_.get())) {
            const auto& layout = sun->currentLayout();
            const auto& arc = layout.arcs[item];
            const double angle = (arc.start + arc.end) / 2;
            const double radius = (layout.innerRadius(arc.ring) + layout.outerRadius(arc.ring)) / 2;
            return layout.centre + radius * QPointF(std::cos(angle), std::sin(angle));
        }
        if (auto* map = dynamic_cast<MindMapCanvas*>(canvas_.get())) return map->currentLayout().dots[item].point;
        const QRectF bounds = canvas_->itemBounds(item);
        return {bounds.center().x(), bounds.top() + 12};
    }

    std::optional<std::size_t> itemOf(const std::string& id) {
        for (std::size_t i = 0; const StorageNode* node = canvas_->itemNode(i); ++i)
            if (node->id == id) return i;
        return std::nullopt;
    }

    StorageNode root_;
    std::unique_ptr<CanvasBase> canvas_;
};

// Pixels that differ by more than antialiasing between two pictures.
int differing(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) + std::abs(p.blue() - q.blue()) > 12)
                ++count;
        }
    return count;
}

const Mode restingModes[] = {Mode::treemap, Mode::folders, Mode::sunburst, Mode::mindMap};

TEST_F(RestingPictureTest, AHoverMoveDrawsOnlyTheHoveredItemsOverThePictureAtRest) {
    for (const Mode mode : restingModes) {
        SCOPED_TRACE(rawValue(mode));
        CanvasBase& canvas = open(mode);
        const QImage rest = render();
        const std::size_t draws = canvas.restingDraws();
        EXPECT_EQ(draws, 1u);
        const std::size_t a = *itemOf("c3"), b = *itemOf("c4");
        hover(pointOf(a));
        ASSERT_EQ(canvas.hovered(), (CanvasBase::Hit{CanvasBase::Hit::item, a}));
        const QImage hoveringA = render();
        hover(pointOf(b));
        ASSERT_EQ(canvas.hovered(), (CanvasBase::Hit{CanvasBase::Hit::item, b}));
        const QImage hoveringB = render();
        EXPECT_EQ(canvas.restingDraws(), draws) << "hover never draws the picture at rest again";

        // The hovered item shows its hover look; the one left returns to rest.
        const QPoint onA = pointOf(a).toPoint(), onB = pointOf(b).toPoint();
        if (mode == Mode::treemap || mode == Mode::sunburst) {  // their hover changes the fill
            EXPECT_NE(hoveringA.pixel(onA), rest.pixel(onA));
            EXPECT_NE(hoveringB.pixel(onB), rest.pixel(onB));
        }
        EXPECT_GT(differing(hoveringA, rest), 20);
        EXPECT_GT(differing(hoveringB, hoveringA), 20);
        const QColor left = hoveringB.pixelColor(onA), resting = rest.pixelColor(onA);
        EXPECT_NEAR(left.red(), resting.red(), 2);
        EXPECT_NEAR(left.green(), resting.green(), 2);
        EXPECT_NEAR(left.blue(), resting.blue(), 2);

        // A picture drawn again while an item is hovered shows it at rest.
        state().navigation().setSelectedID(std::string("c0"));
        render();
        hover(QPointF(canvas.width() + 10, -10));
        const QColor after = render().pixelColor(onB), before = rest.pixelColor(onB);
        EXPECT_NEAR(after.red(), before.red(), 2);
        EXPECT_NEAR(after.green(), before.green(), 2);
        EXPECT_NEAR(after.blue(), before.blue(), 2);
        state().navigation().setSelectedID(std::nullopt);
    }
}

TEST_F(RestingPictureTest, AHoverMoveRepaintsOnlyTheItemsAndTheCardNotTheWholeCanvas) {
    for (const Mode mode : restingModes) {
        SCOPED_TRACE(rawValue(mode));
        CanvasBase& canvas = open(mode);
        render();
        const std::size_t a = *itemOf("c5"), b = *itemOf("c9");
        hover(pointOf(a));
        QApplication::processEvents();
        PaintRegions regions;
        canvas.installEventFilter(&regions);
        const QRegion before = canvas.hoverRegion();
        hover(pointOf(b));
        const QRegion after = canvas.hoverRegion();
        QApplication::processEvents();
        canvas.removeEventFilter(&regions);
        EXPECT_FALSE(regions.seen.isEmpty());
        EXPECT_TRUE(regions.seen.subtracted(before + after).isEmpty()) << "repainted beyond the old and new hover";
        EXPECT_LT(regions.seen.boundingRect().width() * regions.seen.boundingRect().height(),
                  canvas.width() * canvas.height());
        // Both items' areas are among what is repainted.
        EXPECT_TRUE(regions.seen.contains(pointOf(a).toPoint()));
        EXPECT_TRUE(regions.seen.contains(pointOf(b).toPoint()));
    }
}

TEST_F(RestingPictureTest, ThemeSizeSelectionZoomAndScrollDrawThePictureAgain) {
    struct Change {
        const char* what;
        Mode mode;
        std::function<void(AppState&, CanvasBase&)> apply;
    };
    const Change changes[] = {
        {"theme", Mode::treemap,
         [](AppState&, CanvasBase& c) { setEnvironmentPalette(&c, ThemeID::graphite); }},
        {"size", Mode::sunburst, [](AppState&, CanvasBase& c) { c.resize(700, 600); }},
        {"selection", Mode::treemap,
         [](AppState& s, CanvasBase&) { s.navigation().setSelectedID(std::string("c0")); }},
        {"selection", Mode::folders,
         [](AppState& s, CanvasBase&) { s.navigation().setSelectedID(std::string("c1")); }},
        {"zoom", Mode::mindMap,
         [](AppState&, CanvasBase& c) { dynamic_cast<MindMapCanvas&>(c).zoomBy(1.3); }},
        {"scroll", Mode::folders,
         [](AppState&, CanvasBase& c) { dynamic_cast<ScrollingCanvas&>(c).scrollTo(150); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        state().navigation().setSelectedID(std::nullopt);
        CanvasBase& canvas = open(change.mode);
        const QImage before = render();
        const std::size_t draws = canvas.restingDraws();
        change.apply(state(), canvas);
        const ThemeID theme = std::string(change.what) == "theme" ? ThemeID::graphite : ThemeID::paper;
        const QImage after = render(theme);
        EXPECT_NE(after, before) << "a stale picture";
        // A moving view is painted directly, and its picture drawn once it rests.
        const bool moved = std::string(change.what) == "zoom" || std::string(change.what) == "scroll";
        EXPECT_EQ(canvas.restingDraws(), draws + (moved ? 0 : 1));
        EXPECT_EQ(differing(render(theme), after), 0) << "the picture shows what was painted directly";
        EXPECT_EQ(canvas.restingDraws(), draws + 1);
        render(theme);
        EXPECT_EQ(canvas.restingDraws(), draws + 1) << "drawn once per change";
    }
}

TEST_F(RestingPictureTest, APixelRatioOfTwoDrawsThePictureAgainAtTwiceTheDetail) {
    CanvasBase& canvas = open(Mode::treemap);
    const QImage single = render();
    const std::size_t draws = canvas.restingDraws();
    QImage twice(canvas.size() * 2, QImage::Format_ARGB32);
    twice.setDevicePixelRatio(2);
    twice.fill(Palette::forTheme(ThemeID::paper).canvas);
    {
        QPainter painter(&twice);
        canvas.paintInto(painter);
    }
    EXPECT_EQ(canvas.restingDraws(), draws + 1);
    // The whole canvas is covered at the finer ratio, its far corner too.
    const QRectF last = canvas.itemBounds(*itemOf("c59"));
    const QPoint inside = QPointF(last.center().x(), last.bottom() - 3).toPoint();
    EXPECT_EQ(twice.pixelColor(inside * 2), single.pixelColor(inside));
}

TEST_F(RestingPictureTest, TheTreemapInTheDarkThemeFillsTilesWithTheDarkColours) {
    CanvasBase& canvas = open(Mode::treemap);
    render();
    setEnvironmentPalette(&canvas, ThemeID::graphite);
    const Palette& dark = Palette::forTheme(ThemeID::graphite);
    const QImage image = render(ThemeID::graphite);
    const std::size_t item = *itemOf("c7");
    const QRectF frame = canvas.itemBounds(item);
    const QColor expected = [&] {
        const QColor top = dark.colorForNode(*canvas.itemNode(item));
        const double a = dark.fillStrength;
        const auto mix = [a](int t, int b) { return static_cast<int>(std::lround(t * a + b * (1 - a))); };
        return QColor(mix(top.red(), dark.canvas.red()), mix(top.green(), dark.canvas.green()),
                      mix(top.blue(), dark.canvas.blue()));
    }();
    const QColor actual = image.pixelColor(QPointF(frame.center().x(), frame.bottom() - 4).toPoint());
    EXPECT_NEAR(actual.red(), expected.red(), 3);
    EXPECT_NEAR(actual.green(), expected.green(), 3);
    EXPECT_NEAR(actual.blue(), expected.blue(), 3);
}

}  // namespace
}  // namespace korvane
