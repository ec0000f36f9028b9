#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>

#include "app/canvases/AgeMapCanvas.h"
#include "app/canvases/BarsCanvas.h"
#include "app/canvases/BubblesCanvas.h"
#include "app/canvases/CanvasFactory.h"
#include "app/canvases/CanvasPaint.h"
#include "app/canvases/FlameCanvas.h"
#include "app/canvases/FoldersCanvas.h"
#include "app/canvases/MindMapCanvas.h"
#include "app/canvases/SunburstCanvas.h"
#include "app/canvases/TableCanvas.h"
#include "app/canvases/TreemapCanvas.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

// The nine canvases drawn on the shared canvas: what each click does, the
// colours they paint, and that hover and selection never lay out again.

namespace korvane {
namespace {

using Mode = AppState::CanvasMode;
using std::chrono::hours;

const Mode drawnModes[] = {Mode::ageMap,  Mode::treemap, Mode::folders, Mode::bubbles, Mode::flame,
                           Mode::mindMap, Mode::sunburst, Mode::bars,   Mode::table};

class CanvasesTest : public testing::FlowFixture {
protected:
    void SetUp() override {
        AppMotion::setJumpToEnd(true);
        launch();
        now_ = std::chrono::system_clock::now();
        root_ = makeTree();
    }
    void TearDown() override {
        canvas_.reset();
        AppMotion::setJumpToEnd(false);
    }

    StorageNode leaf(const std::string& id, std::int64_t bytes, CleanupCategory category, int daysOld) {
        StorageNode node;
        node.id = id;
        node.name = id;
        node.kind = StorageNode::Kind::item;
        node.bytes = bytes;
        node.category = category;
        node.lastModified = now_ - hours(24 * daysOld + 2);
        return node;
    }
    static StorageNode folder(const std::string& id, CleanupCategory category, std::vector<StorageNode> children) {
        StorageNode node;
        node.id = id;
        node.name = id;
        node.kind = StorageNode::Kind::group;
        node.category = category;
        for (const auto& child : children) node.bytes += child.bytes;
        node.children = std::move(children);
        return node;
    }
    // A folder of two, a folder of two, a lone old file and an empty file.
    StorageNode makeTree() {
        StorageNode root;
        root.id = "root";
        root.name = "root";
        root.kind = StorageNode::Kind::root;
        root.children = {
            folder("big", CleanupCategory::node,
                   {leaf("b1", 3000, CleanupCategory::node, 2), leaf("b2", 1000, CleanupCategory::node, 400)}),
            folder("mid", CleanupCategory::docker,
                   {leaf("m1", 1500, CleanupCategory::docker, 800), leaf("m2", 500, CleanupCategory::docker, 10)}),
            leaf("lone", 1000, CleanupCategory::xcode, 500),
            leaf("empty", 0, CleanupCategory::xcode, 1),
        };
        for (const auto& child : root.children) root.bytes += child.bytes;
        return root;
    }

    CanvasBase& open(Mode mode, QSize size = QSize(900, 600), ThemeID theme = ThemeID::paper) {
        canvas_.reset(
            makeCanvas(mode, {state().navigation(), state().developer(), state().desktop()}, nullptr));
        setEnvironmentPalette(canvas_.get(), theme);
        canvas_->setDepth(canvasDepth(mode, 3));
        canvas_->setClock(CanvasClock(now_, QTimeZone(3600)));
        canvas_->resize(size);
        canvas_->setRoot(&root_);
        canvas_->show();
        return *canvas_;
    }

    // The first item whose node has this id.
    std::optional<std::size_t> itemOf(const std::string& id) {
        for (std::size_t i = 0; const StorageNode* node = canvas_->itemNode(i); ++i)
            if (node->id == id) return i;
        return std::nullopt;
    }

    // A point on the item: its centre, or on the radial canvases (whose items
    // span the whole canvas) the middle of its sector or dot.
    QPoint pointOf(std::size_t item) {
        if (auto* sun = dynamic_cast<SunburstCanvas*>(canvas_.get())) {
            const auto& layout = sun->currentLayout();
            const auto& arc = layout.arcs[item];
            const double angle = (arc.start + arc.end) / 2;
            const double radius = (layout.innerRadius(arc.ring) + layout.outerRadius(arc.ring)) / 2;
            return (layout.centre + radius * QPointF(std::cos(angle), std::sin(angle))).toPoint();
        }
        if (auto* map = dynamic_cast<MindMapCanvas*>(canvas_.get()))
            return map->currentLayout().dots[item].point.toPoint();
        const QRectF bounds = canvas_->itemBounds(item);
        // Clear of what lies inside: a treemap tile's inner tiles, a bubble's children.
        if (dynamic_cast<TreemapCanvas*>(canvas_.get())) return QPointF(bounds.center().x(), bounds.top() + 10).toPoint();
        if (dynamic_cast<BubblesCanvas*>(canvas_.get()))
            return (bounds.center() - QPointF(bounds.width() * 0.45, 0)).toPoint();
        return bounds.center().toPoint();
    }

    // As a real double click arrives: a click, then the double click.
    void doubleClick(QPoint point) {
        QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(canvas_.get(), Qt::LeftButton, {}, point);
    }
    // Paints the canvas as the window would.
    void paint() { render(ThemeID::paper); }

    std::optional<std::string> focused() { return state().navigation().focusedID(); }
    std::optional<std::string> selected() { return state().navigation().selectedID(); }

    QImage render(ThemeID theme) {
        QImage image(canvas_->size(), QImage::Format_ARGB32);
        image.fill(Palette::forTheme(theme).canvas);
        QPainter painter(&image);
        canvas_->paintInto(painter);
        return image;
    }

    std::chrono::system_clock::time_point now_;
    StorageNode root_;
    std::unique_ptr<CanvasBase> canvas_;
};

TEST_F(CanvasesTest, EveryModeHasItsCanvasNamedByItsTitle) {
    for (const Mode mode : drawnModes) {
        CanvasBase& canvas = open(mode);
        EXPECT_EQ(canvas.accessibleName().toStdString(), title(mode));
        EXPECT_EQ(canvas.mode(), mode);
    }
}

// What a click, a double click and a right click do on a folder and on a file.
struct ClickRule {
    Mode mode;
    bool clickOnFolderDrills;
    bool doubleClickOnFolderDrills;
    bool doubleClickOnFileSelectsIt;  // through the drill, which only selects a leaf
    bool hasMenu;
};

TEST_F(CanvasesTest, ClicksDoubleClicksAndRightClicksFollowEachCanvasesRule) {
    const ClickRule rules[] = {
        {Mode::treemap, false, true, true, true},  {Mode::bars, false, true, true, false},
        {Mode::sunburst, false, true, true, true}, {Mode::flame, false, true, false, true},
        {Mode::folders, false, true, false, true}, {Mode::bubbles, true, true, false, true},
        {Mode::mindMap, true, true, false, true},  {Mode::table, false, false, false, true},
    };
    for (const ClickRule& rule : rules) {
        SCOPED_TRACE(rawValue(rule.mode));
        // A single click on a folder selects it; some canvases also drill in.
        state().navigation().setFocusedID(std::nullopt);
        state().navigation().setSelectedID(std::nullopt);
        open(rule.mode);
        const auto big = itemOf("big");
        ASSERT_TRUE(big);
        QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, pointOf(*big));
        EXPECT_EQ(selected(), "big");
        EXPECT_EQ(focused(), rule.clickOnFolderDrills ? std::optional<std::string>("big") : std::nullopt);

        // A double click on a folder drills in where the canvas drills by double click.
        state().navigation().setFocusedID(std::nullopt);
        open(rule.mode);
        doubleClick(pointOf(*itemOf("big")));
        EXPECT_EQ(focused() == std::optional<std::string>("big"), rule.doubleClickOnFolderDrills);

        // A double click on a file never focuses it.
        state().navigation().setFocusedID(std::nullopt);
        state().navigation().setSelectedID(std::nullopt);
        open(rule.mode);
        const auto lone = itemOf("lone");
        ASSERT_TRUE(lone);
        doubleClick(pointOf(*lone));
        EXPECT_EQ(focused(), std::nullopt);
        EXPECT_EQ(selected(), "lone");

        // A right click offers the node's actions, except on the bars.
        open(rule.mode);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pointOf(*itemOf("big")),
                                    canvas_->mapToGlobal(pointOf(*itemOf("big"))));
        QApplication::sendEvent(canvas_.get(), &menuEvent);
        QMenu* menu = canvas_->findChild<QMenu*>();
        EXPECT_EQ(menu != nullptr, rule.hasMenu);
        if (menu) menu->close();
    }
}

// The table has no hover look; a canvas that shows the hovered item leaves the selection alone.
TEST_F(CanvasesTest, ARightClickSelectsTheTableRowItsMenuIsFor) {
    for (const Mode mode : {Mode::table, Mode::treemap}) {
        SCOPED_TRACE(rawValue(mode));
        state().navigation().setSelectedID(std::nullopt);
        open(mode);
        const QPoint point = pointOf(*itemOf("big"));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, point, canvas_->mapToGlobal(point));
        QApplication::sendEvent(canvas_.get(), &menuEvent);
        EXPECT_EQ(selected(), mode == Mode::table ? std::optional<std::string>("big") : std::nullopt);
        QMenu* menu = canvas_->findChild<QMenu*>();
        ASSERT_NE(menu, nullptr);
        menu->close();
    }
}

TEST_F(CanvasesTest, TheTableOpensAndClosesRowsOnAClickAndNeverDrills) {
    auto& table = dynamic_cast<TableCanvas&>(open(Mode::table));
    EXPECT_EQ(table.currentLayout().rows.size(), 4u) << "every child, 0 bytes too";
    QTest::mouseClick(&table, Qt::LeftButton, {}, pointOf(*itemOf("big")));
    EXPECT_TRUE(table.expanded().contains("big"));
    EXPECT_EQ(table.currentLayout().rows.size(), 6u);
    EXPECT_EQ(table.currentLayout().rows[1].node->id, "b1");
    QTest::mouseClick(&table, Qt::LeftButton, {}, pointOf(*itemOf("lone")));
    EXPECT_EQ(selected(), "lone");
    EXPECT_EQ(table.currentLayout().rows.size(), 6u) << "a leaf opens nothing";
    QTest::mouseClick(&table, Qt::LeftButton, {}, pointOf(*itemOf("big")));
    EXPECT_FALSE(table.expanded().contains("big"));
    EXPECT_EQ(selected(), "big");
    EXPECT_EQ(focused(), std::nullopt);
}

TEST_F(CanvasesTest, ATableNameTooLongForItsCellKeepsAGapBeforeTheSafetyTag) {
    StorageNode& lone = root_.children[2];
    lone.name = "API 34 (Android 14) system image with Google APIs, Play Store and more · google_apis · x86_64";
    lone.safety = SafetyLevel::caution;
    for (const ThemeID theme : {ThemeID::paper, ThemeID::terminal}) {
        auto& table = dynamic_cast<TableCanvas&>(open(Mode::table, QSize(700, 300), theme));
        const QRectF row = table.itemBounds(*itemOf(lone.id));
        const QImage image = render(theme);
        // The tag stands at the left of its 130-wide column, before size (84) and reclaimable (90).
        const int tagLeft = static_cast<int>(row.right() - 12 - 90 - 84 - 130);
        // Nothing but the ground (and its faint texture) just before the tag.
        const QColor ground = Palette::forTheme(theme).canvas;
        const auto blank = [&ground](QColor c) {
            return std::abs(c.red() - ground.red()) + std::abs(c.green() - ground.green()) +
                       std::abs(c.blue() - ground.blue()) <= 12;
        };
        int inkRight = 0;
        for (int x = 0; x < tagLeft; ++x)
            for (int y = static_cast<int>(row.top()) + 2; y < static_cast<int>(row.bottom()) - 2; ++y)
                if (!blank(image.pixelColor(x, y))) inkRight = x;
        EXPECT_GE(tagLeft - inkRight, 12) << "name ends at " << inkRight;
    }
}

TEST_F(CanvasesTest, OnlyTheAgeMapsUntouchedRowsAreItemsAndTheyOnlySelect) {
    auto& ages = dynamic_cast<AgeMapCanvas&>(open(Mode::ageMap));
    // Over a year old, largest first: m1 (800 days), lone (500), b2 (400).
    ASSERT_EQ(ages.currentPage().ages.bigUntouched.size(), 3u);
    EXPECT_EQ(canvas_->itemNode(0)->id, "m1");
    EXPECT_FALSE(itemOf("big"));
    doubleClick(pointOf(*itemOf("lone")));
    EXPECT_EQ(selected(), "lone");
    EXPECT_EQ(focused(), std::nullopt);
}

TEST_F(CanvasesTest, TheAgeMapStandsItsThirdPanelBesideTheOthersFrom720PointsWide) {
    for (const int width : {719, 720, 1100}) {
        auto& ages = dynamic_cast<AgeMapCanvas&>(open(Mode::ageMap, QSize(width, 600)));
        const auto& page = ages.currentPage();
        if (width < 720) {
            EXPECT_FALSE(page.isWide);
            EXPECT_EQ(page.bigPanel.left(), 0);
            EXPECT_GE(page.bigPanel.top(), page.monthPanel.bottom() + 14);
        } else {
            EXPECT_TRUE(page.isWide);
            EXPECT_EQ(page.bigPanel.width(), 320);
            EXPECT_EQ(page.bigPanel.top(), 0);
            EXPECT_NEAR(page.bigPanel.left(), page.bucketPanel.right() + 14, 0.01);
        }
    }
    // A month cell answers with its bytes; a month without any says so.
    auto& ages = dynamic_cast<AgeMapCanvas&>(*canvas_);
    const auto& page = ages.currentPage();
    ASSERT_FALSE(page.yearRows.empty());
    int withBytes = 0;
    for (int month = 1; month <= 12; ++month) {
        const QPointF centre = page.monthCell(0, month).center();
        const auto tip = ages.monthTooltipAt(centre);
        ASSERT_TRUE(tip);
        if (*tip != QStringLiteral("Nothing modified this month")) ++withBytes;
    }
    EXPECT_GE(withBytes, 1);
}

TEST_F(CanvasesTest, TheAgeMapsNothingUntouchedSentenceWrapsWithinItsPanel) {
    // Nothing over a year old: the sentence stands in the panel, read whole.
    root_.children = {leaf("new", 3000, CleanupCategory::node, 2)};
    root_.bytes = 3000;
    for (const int width : {500, 720, 1100}) {
        auto& ages = dynamic_cast<AgeMapCanvas&>(open(Mode::ageMap, QSize(width, 600)));
        const auto& page = ages.currentPage();
        ASSERT_TRUE(page.ages.bigUntouched.empty());
        const QRectF needed = QFontMetricsF(AppFont::font(11)).boundingRect(
            QRectF(page.untouchedNote.topLeft(), QSizeF(page.untouchedNote.width(), 1e6)),
            Qt::AlignLeft | Qt::TextWordWrap, QStringLiteral("Nothing here has been sitting for a year. Unusual, and good."));
        EXPECT_LE(needed.width(), page.untouchedNote.width() + 0.5) << width;
        EXPECT_LE(needed.height(), page.untouchedNote.height() + 0.5) << width;
        EXPECT_TRUE(page.bigPanel.contains(page.untouchedNote)) << width;
        // 320 wide beside the others it takes a second line.
        if (page.isWide) {
            EXPECT_GT(page.untouchedNote.height(), 1.5 * QFontMetricsF(AppFont::font(11)).height());
        }
    }
}

TEST_F(CanvasesTest, FoldersShowTheEmptyStateWhenNoChildHoldsAByte) {
    root_.children = {leaf("zero", 0, CleanupCategory::node, 1)};
    root_.bytes = 0;
    auto& folders = dynamic_cast<FoldersCanvas&>(open(Mode::folders));
    EXPECT_TRUE(folders.currentLayout().isEmpty());
    EXPECT_EQ(folders.itemNode(0), nullptr);
    EXPECT_TRUE(folders.accessibleDescription().startsWith(QStringLiteral("Nothing to open")));
}

TEST_F(CanvasesTest, ScreenReadersHearTheHoveredItemAndAnOpenMenuHidesTheCard) {
    for (const Mode mode : {Mode::bubbles, Mode::sunburst, Mode::treemap, Mode::mindMap}) {
        SCOPED_TRACE(rawValue(mode));
        CanvasBase& canvas = open(mode);
        paint();
        // At rest the sunburst reads out its centre, the others nothing of their own.
        const QString resting = mode == Mode::sunburst
                                    ? QStringLiteral("root, ") + QString::fromStdString(ByteFormat::string(root_.bytes))
                                    : QString();
        EXPECT_EQ(canvas.accessibleDescription(), resting);
        const QPoint point = pointOf(*itemOf("big"));
        QTest::mouseMove(&canvas, point);
        ASSERT_TRUE(canvas.hovered());
        EXPECT_TRUE(canvas.accessibleDescription().startsWith(QStringLiteral("big, ")))
            << canvas.accessibleDescription().toStdString();
        EXPECT_FALSE(canvas.hoverCardRect().isEmpty());

        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, point, canvas.mapToGlobal(point));
        QApplication::sendEvent(&canvas, &menuEvent);
        QMenu* menu = canvas.findChild<QMenu*>();
        ASSERT_TRUE(menu);
        EXPECT_FALSE(canvas.hovered());
        EXPECT_TRUE(canvas.hoverCardRect().isEmpty());
        EXPECT_EQ(canvas.accessibleDescription(), resting);
        menu->close();
    }
}

TEST_F(CanvasesTest, HoverAndSelectionNeverLayOutAgain) {
    for (const Mode mode : drawnModes) {
        SCOPED_TRACE(rawValue(mode));
        CanvasBase& canvas = open(mode);
        paint();
        const std::size_t builds = canvas.layoutBuilds();
        EXPECT_GE(builds, 1u);
        for (int move = 0; move < 30; ++move) {
            QTest::mouseMove(&canvas, QPoint(20 + 28 * move, 15 + 19 * move));
            paint();
        }
        state().navigation().setSelectedID(std::string("b1"));
        paint();
        EXPECT_EQ(canvas.layoutBuilds(), builds);
    }
}

// The colour an item is painted with, over what lies beneath it.
QColor over(QColor top, double opacity, QColor bottom) {
    auto mix = [opacity](int t, int b) { return static_cast<int>(std::lround(t * opacity + b * (1 - opacity))); };
    return {mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue())};
}

class CanvasColours : public CanvasesTest, public ::testing::WithParamInterface<ThemeID> {
public:
    CanvasBase& canvas() { return *canvas_; }
    std::size_t item(const std::string& id) { return *itemOf(id); }
    QPoint at(std::size_t item) { return pointOf(item); }
    const StorageNode& node(std::size_t item) { return *canvas_->itemNode(item); }
};

struct Probe {
    Mode mode;
    // Where to look, and the colour expected there.
    std::function<std::pair<QPoint, QColor>(CanvasColours&, const Palette&)> expect;
};

TEST_P(CanvasColours, ItemsAreFilledWithTheirColourAtTheirOpacity) {
    const ThemeID theme = GetParam();
    const Probe probes[] = {
        {Mode::treemap,  // a tile without inner tiles, below its label
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("lone");
             return std::pair{t.at(i), over(p.colorForNode(t.node(i)), p.fillStrength, p.canvas)};
         }},
        {Mode::sunburst,  // a sector of the first ring
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("mid");
             return std::pair{t.at(i), over(p.colorForCategory(CleanupCategory::docker), 0.62, p.canvas)};
         }},
        {Mode::flame,  // a cell one row down, right of its label
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("mid");
             const QRectF r = t.canvas().itemBounds(i);
             return std::pair{QPoint(int(r.right() - 12), int(r.center().y())),
                              over(p.colorForNode(t.node(i)), std::min(0.9 * p.fillStrength * 3.2, 1.0), p.canvas)};
         }},
        {Mode::bars,  // the size bar past its reclaimable part
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("mid");
             const QRectF row = t.canvas().itemBounds(i);
             const auto bar = BarsLayout::columns(row.width()).bar;
             return std::pair{QPoint(int(bar.left() + bar.width() * 0.25), int(row.center().y())),
                              over(p.colorForCategory(CleanupCategory::docker), p.fillStrength, p.canvas)};
         }},
        {Mode::folders,  // the tile's body, above its label block
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("big");
             const QRectF r = t.canvas().itemBounds(i);
             return std::pair{QPoint(int(r.center().x()), int(r.top() + 45)),
                              over(p.colorForNode(t.node(i)), p.fillStrength * 1.5, p.canvas)};
         }},
        {Mode::bubbles,  // a child inside the root's half-panel fill, below its label
         [](CanvasColours& t, const Palette& p) {
             const auto i = t.item("lone");
             const QRectF r = t.canvas().itemBounds(i);
             const QColor base = over(p.panel, 0.5, p.canvas);
             return std::pair{QPoint(int(r.center().x()), int(r.center().y() + r.height() * 0.35)),
                              over(p.colorForNode(t.node(i)), std::min(1.35 * p.fillStrength, 0.6), base)};
         }},
        {Mode::mindMap,  // the root's dot, below its label
         [](CanvasColours& t, const Palette& p) {
             const QPoint centre = t.at(0);
             return std::pair{centre + QPoint(0, 30), p.solid};
         }},
        {Mode::table,  // the selected row's background, right of its name
         [](CanvasColours& t, const Palette& p) {
             const QRectF r = t.canvas().itemBounds(t.item("mid"));
             return std::pair{QPoint(int(r.left() + 300), int(r.center().y())), p.hover};
         }},
        {Mode::ageMap,  // the "Last 7 days" bar on its panel
         [](CanvasColours& t, const Palette& p) {
             const auto& page = dynamic_cast<AgeMapCanvas&>(t.canvas()).currentPage();
             const QRectF row = page.bucketRows[0];
             return std::pair{QPoint(int(row.left() + 96 + 10 + 1), int(row.center().y())),
                              over(p.accent, 0.30, p.panel)};
         }},
    };
    for (const Probe& probe : probes) {
        SCOPED_TRACE(rawValue(probe.mode));
        open(probe.mode, QSize(900, 600), theme);
        if (probe.mode == Mode::table) state().navigation().setSelectedID(std::string("mid"));
        const QImage image = render(theme);
        const auto [point, expected] = probe.expect(*this, Palette::forTheme(theme));
        const QColor actual = image.pixelColor(point);
        EXPECT_NEAR(actual.red(), expected.red(), 3) << point.x() << "," << point.y();
        EXPECT_NEAR(actual.green(), expected.green(), 3);
        EXPECT_NEAR(actual.blue(), expected.blue(), 3);
        state().navigation().setSelectedID(std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, CanvasColours, ::testing::Values(ThemeID::paper, ThemeID::graphite));

TEST_F(CanvasesTest, TheMindMapZoomsInStepsWithinItsRangeAndShowsTheReadout) {
    auto& map = dynamic_cast<MindMapCanvas&>(open(Mode::mindMap));
    EXPECT_EQ(map.zoomReadout()->text(), QStringLiteral("100%"));
    EXPECT_EQ(map.zoomInButton()->accessibleName(), QStringLiteral("Zoom in"));
    for (const char* expected : {"130%", "169%", "219%", "285%", "371%", "400%", "400%"}) {
        map.zoomInButton()->click();
        EXPECT_EQ(map.zoomReadout()->text(), QString::fromUtf8(expected));
    }
    map.resetButton()->click();
    for (const char* expected : {"76%", "59%", "45%", "40%", "40%"}) {
        map.zoomOutButton()->click();
        EXPECT_EQ(map.zoomReadout()->text(), QString::fromUtf8(expected));
    }
    map.resetButton()->click();
    EXPECT_EQ(map.zoomReadout()->text(), QStringLiteral("100%"));

    // Ctrl + wheel zooms like the buttons; a plain wheel does not.
    QWheelEvent wheel(QPointF(100, 100), map.mapToGlobal(QPointF(100, 100)), {}, QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map, &wheel);
    EXPECT_EQ(map.zoomReadout()->text(), QStringLiteral("130%"));
    QWheelEvent plain(QPointF(100, 100), map.mapToGlobal(QPointF(100, 100)), {}, QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map, &plain);
    EXPECT_EQ(map.zoomReadout()->text(), QStringLiteral("130%"));
}

TEST_F(CanvasesTest, TheMindMapPansPastTheThresholdAndANewRootPutsTheViewBack) {
    auto& map = dynamic_cast<MindMapCanvas&>(open(Mode::mindMap));
    map.zoomBy(1.3);
    const QPoint start = pointOf(*itemOf("lone"));
    // A short move is still a click.
    QTest::mousePress(&map, Qt::LeftButton, {}, start);
    QTest::mouseMove(&map, start + QPoint(5, 0));
    QTest::mouseRelease(&map, Qt::LeftButton, {}, start + QPoint(5, 0));
    EXPECT_EQ(map.pan(), QPointF());
    // A drag past 10 points pans, by the pointer's travel, and selects nothing.
    state().navigation().setSelectedID(std::nullopt);
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(50, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 90), map.mapToGlobal(QPointF(80, 90)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&map, &move);
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(80, 90));
    EXPECT_EQ(map.pan(), QPointF(30, 40));
    EXPECT_EQ(selected(), std::nullopt);

    // The same root keeps the view; another root puts it back at rest.
    map.setRoot(&root_);
    EXPECT_NE(map.zoom(), 1);
    map.setRoot(&root_.children[0]);
    EXPECT_EQ(map.zoom(), 1);
    EXPECT_EQ(map.pan(), QPointF());
    EXPECT_EQ(map.zoomReadout()->text(), QStringLiteral("100%"));
}

TEST_F(CanvasesTest, ScrollingListsPaintAndHitTheRowsInView) {
    StorageNode many = folder("many", CleanupCategory::node, {});
    for (int i = 0; i < 2000; ++i) many.children.push_back(leaf("n" + std::to_string(i), 100000 - i, CleanupCategory::node, 1));
    for (const auto& child : many.children) many.bytes += child.bytes;
    root_ = many;
    for (const Mode mode : {Mode::bars, Mode::table, Mode::folders}) {
        SCOPED_TRACE(rawValue(mode));
        auto& list = dynamic_cast<ScrollingCanvas&>(open(mode));
        paint();
        ASSERT_TRUE(list.scrollBar()->isVisible());
        list.scrollTo(list.scrollBar()->maximum());
        paint();
        // The last item sits in view and answers a click.
        const QRectF last = list.itemBounds(1999);
        EXPECT_LE(last.bottom(), list.height() + 0.5);
        EXPECT_GE(last.top(), 0);
        QTest::mouseClick(&list, Qt::LeftButton, {}, last.center().toPoint());
        EXPECT_EQ(selected(), "n1999");
    }
}

// A name is data: a line break in it neither breaks a label in two nor runs its
// parts together, and what is drawn is measured as drawn (the treemap sets
// the size after the name by that width).
TEST(CanvasPaint, ANameWithALineBreakIsOneLineShowingTheBreak) {
    const QFont font = AppFont::font(11);
    const QString name = QStringLiteral("new\nline\tbin\r\nend");
    const QString shown = QStringLiteral("new\u23CEline\u21E5bin\u23CEend");
    EXPECT_EQ(oneLineLabel(name), shown);
    EXPECT_EQ(oneLineLabel(QStringLiteral("<b>a&b</b>")), QStringLiteral("<b>a&b</b>"));
    EXPECT_EQ(fittedText(name, font, 1000), shown);
    EXPECT_EQ(fittedTextLines(name, font, 1000, 2), QStringList{shown});
    QImage image(400, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    EXPECT_DOUBLE_EQ(drawLine(painter, QRectF(0, 0, 400, 40), name, font, Qt::black),
                     QFontMetricsF(font).horizontalAdvance(shown));
}

}  // namespace
}  // namespace korvane
