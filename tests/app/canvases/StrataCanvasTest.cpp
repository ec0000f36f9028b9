#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "app/canvases/StrataCanvas.h"
#include "core/text/ByteFormat.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/presenters/InspectorContent.h"
#include "app/state/PlatformWords.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/Palette.h"
#include "tests/app/state/FlowFixture.h"

// The strata canvas as a widget: clicks, band headers, hover and its card,
// relayouts, and the colours it paints.

namespace korvane {
namespace {

using std::chrono::hours;

class StrataCanvasTest : public testing::FlowFixture {
protected:
    void SetUp() override {
        AppMotion::setJumpToEnd(true);
        launch();
        now_ = std::chrono::system_clock::now();
        root_ = makeTree();
        const CanvasParts parts{state().navigation(), state().developer(), state().desktop()};
        canvas_ = std::make_unique<StrataCanvas>(parts);
        canvas_->setClock(CanvasClock(now_, QTimeZone(3600)));
        canvas_->resize(900, 500);
        canvas_->setRoot(&root_);
        canvas_->show();
    }
    void TearDown() override {
        canvas_.reset();
        AppMotion::setJumpToEnd(false);
    }

    StorageNode leaf(const std::string& id, std::int64_t bytes, int daysOld, SafetyLevel safety) {
        StorageNode node;
        node.id = id;
        node.name = id;
        node.kind = StorageNode::Kind::item;
        node.bytes = bytes;
        node.category = CleanupCategory::node;
        node.safety = safety;
        node.candidateID = UUID::random();
        node.lastModified = now_ - hours(24 * daysOld + 2);
        return node;
    }

    // Two recent candidates, one protected old leaf and one old candidate.
    StorageNode makeTree() {
        StorageNode root;
        root.id = "root";
        root.name = "Developer storage";
        root.children = {leaf("fresh-a", 600, 1, SafetyLevel::safe), leaf("fresh-b", 400, 3, SafetyLevel::caution),
                         leaf("old-protected", 800, 500, SafetyLevel::dangerous),
                         leaf("old-safe", 200, 400, SafetyLevel::safe)};
        for (const auto& child : root.children) root.bytes += child.bytes;
        return root;
    }

    const StrataLayout& layout() { return canvas_->currentLayout(); }
    QPoint centreOf(const QRectF& rect) { return rect.center().toPoint(); }
    std::size_t depositNamed(const std::string& id) {
        const auto& deposits = layout().deposits;
        for (std::size_t i = 0; i < deposits.size(); ++i)
            if (deposits[i].node->id == id) return i;
        ADD_FAILURE() << "no deposit " << id;
        return 0;
    }

    std::chrono::system_clock::time_point now_;
    StorageNode root_;
    std::unique_ptr<StrataCanvas> canvas_;
};

TEST_F(StrataCanvasTest, AClickOnADepositSelectsItsNode) {
    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, centreOf(layout().deposits[depositNamed("fresh-b")].rect));
    ASSERT_TRUE(state().navigation().selectedID());
    EXPECT_EQ(*state().navigation().selectedID(), "fresh-b");
    EXPECT_TRUE(state().developer().selection().empty()) << "a click selects the node, not its candidate";
}

// A tile summing the band's smallest leaves selects like any tile, and the
// inspector lists what it sums, largest first, each row a way to that leaf.
// No node action applies to it: its parts lie in many places.
TEST_F(StrataCanvasTest, TheSummingTileSelectsAndTheInspectorListsWhatItSums) {
    state().preferences().setMode(AppState::Mode::developer);
    for (int i = 0; i < 30; ++i) {
        root_.children.push_back(
            leaf("speck" + std::to_string(i), 5 + (i == 20 ? 3 : 0), 2, SafetyLevel::safe));
        root_.children.back().reclaimable = root_.children.back().bytes;
    }
    root_.bytes += 153;
    canvas_->setRoot(nullptr);
    canvas_->setRoot(&root_);
    const auto& deposits = layout().deposits;
    const auto summary = std::find_if(deposits.begin(), deposits.end(), [](const auto& d) { return d.isSummary; });
    ASSERT_NE(summary, deposits.end());
    EXPECT_EQ(summary->node->name, "30 smaller items");
    state().navigation().setSelectedID(std::string("fresh-a"));
    const QPoint point = centreOf(summary->rect);
    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, point);
    EXPECT_EQ(state().navigation().selectedID(), summary->node->id);

    const auto content = inspectorContent(state().navigation(), state().developer(), state().folderScan(),
                                          state().preferences().mode(), now_);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->name, "30 smaller items");
    EXPECT_EQ(content->kindLabel, "Smaller items");
    EXPECT_EQ(content->tileSymbol, "square.stack.3d.up");
    EXPECT_FALSE(content->canFocus);
    EXPECT_FALSE(content->canReveal);
    EXPECT_TRUE(content->cleanupEnabled) << "its candidates can go into the cleanup at once";
    ASSERT_TRUE(content->largest);
    EXPECT_EQ(content->largest->count, "30 items");
    std::vector<std::string> rows;
    for (const auto& row : content->largest->rows) rows.push_back(row.id);
    EXPECT_EQ(rows, (std::vector<std::string>{"speck20", "speck0", "speck1", "speck2", "speck3", "speck4",
                                              "speck5", "speck6"}));
    EXPECT_EQ(std::count_if(content->details.begin(), content->details.end(),
                            [](const InspectorDetailRow& row) { return row.label == "Items"; }),
              1);

    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, point, canvas_->mapToGlobal(point));
    QApplication::sendEvent(canvas_.get(), &menuEvent);
    EXPECT_EQ(canvas_->findChild<QMenu*>(), nullptr);
    // Its band's header still selects every leaf, the summed ones too.
    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, centreOf(layout().bands[0].header));
    EXPECT_EQ(state().developer().selection().size(), 32u);
}

TEST_F(StrataCanvasTest, ABandHeaderTogglesTheBandsCandidatesLeavingProtectedOnesOut) {
    ASSERT_EQ(layout().bands.size(), 2u);
    const QPoint days = centreOf(layout().bands[0].header);
    const QPoint buried = centreOf(layout().bands[1].header);

    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, days);
    EXPECT_EQ(state().developer().selection(),
              (std::set<UUID>{*root_.children[0].candidateID, *root_.children[1].candidateID}));
    EXPECT_TRUE(canvas_->isBandFullySelected(0));
    EXPECT_FALSE(canvas_->isBandFullySelected(1));

    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, buried);
    EXPECT_TRUE(state().developer().selection().contains(*root_.children[3].candidateID));
    EXPECT_FALSE(state().developer().selection().contains(*root_.children[2].candidateID))
        << "protected stays out";
    EXPECT_TRUE(canvas_->isBandFullySelected(1));

    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, days);
    EXPECT_EQ(state().developer().selection(), (std::set<UUID>{*root_.children[3].candidateID}));
    EXPECT_FALSE(canvas_->isBandFullySelected(0));
    EXPECT_FALSE(state().navigation().selectedID()) << "a header click selects no node";
}

// From the keyboard the headers are stops too: Left from a band's first tile
// reaches its header, and Space there works it as a click does.
TEST_F(StrataCanvasTest, TheArrowsReachTheBandHeadersAndSpaceWorksThem) {
    canvas_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(canvas_.get(), Qt::Key_Home);
    ASSERT_EQ(canvas_->keyboardTarget(), (CanvasHit{StrataCanvas::headerZone, 0}));
    EXPECT_FALSE(state().navigation().selectedID()) << "arriving on a header selects nothing";
    QTest::keyClick(canvas_.get(), Qt::Key_Right);
    ASSERT_TRUE(state().navigation().selectedID());
    EXPECT_EQ(*state().navigation().selectedID(), layout().deposits[layout().bands[0].firstDeposit].node->id);
    QTest::keyClick(canvas_.get(), Qt::Key_Down);
    EXPECT_EQ(canvas_->keyboardTarget()->zone, CanvasHit::item);
    EXPECT_EQ(*state().navigation().selectedID(), layout().deposits[layout().bands[1].firstDeposit].node->id)
        << "Down goes to the band below";
    QTest::keyClick(canvas_.get(), Qt::Key_Up);
    QTest::keyClick(canvas_.get(), Qt::Key_Left);
    ASSERT_EQ(canvas_->keyboardTarget(), (CanvasHit{StrataCanvas::headerZone, 0}));
    QTest::keyClick(canvas_.get(), Qt::Key_Space);
    EXPECT_TRUE(canvas_->isBandFullySelected(0));
    QTest::keyClick(canvas_.get(), Qt::Key_Return);
    EXPECT_FALSE(canvas_->isBandFullySelected(0));
}

// The arrows work from the first key and go on from a clicked item; only
// Return waits for the keys to have moved the target.
TEST_F(StrataCanvasTest, TheArrowsMoveBeforeAnyOtherKeyAndAfterAClick) {
    canvas_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(canvas_.get(), Qt::Key_Down);
    EXPECT_EQ(canvas_->keyboardTarget(), (CanvasHit{StrataCanvas::headerZone, 0})) << "the first arrow";
    const CanvasHit clicked{CanvasHit::item, depositNamed("fresh-a")};
    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, centreOf(layout().deposits[clicked.index].rect));
    ASSERT_EQ(canvas_->keyboardTarget(), clicked);
    QTest::keyClick(canvas_.get(), Qt::Key_Left);
    EXPECT_NE(canvas_->keyboardTarget(), clicked) << "an arrow after a click";
}

// A band header promises a selection only where its click makes one: the
// hover hint and mark, the help and the keyboard's stop belong to a band
// holding candidates that are not protected; a band of protected leaves, the
// band of what is not offered, and a folder scan's bands (no candidates in
// general mode) take no pointer and offer nothing.
TEST_F(StrataCanvasTest, OnlyAHeaderWhoseClickSelectsSomethingOffersTo) {
    struct Row {
        const char* name;
        AppState::Mode mode;
        std::vector<StorageNode> children;
        int band;
        bool selects;
    };
    StorageNode toolchain = leaf("toolchain", 900, 1, SafetyLevel::safe);
    toolchain.kind = StorageNode::Kind::category;
    toolchain.lastModified.reset();
    StorageNode empty = leaf("empty-item", 0, 1, SafetyLevel::safe);
    toolchain.children = {empty};
    StorageNode folderFile = leaf("/data/file", 700, 1, SafetyLevel::safe);
    folderFile.candidateID.reset();
    folderFile.category.reset();
    const std::vector<Row> rows = {
        {"candidates", AppState::Mode::developer, {leaf("fresh", 500, 1, SafetyLevel::safe)}, 0, true},
        {"only protected", AppState::Mode::developer, {leaf("kept", 500, 1, SafetyLevel::dangerous)}, 0, false},
        {"not offered", AppState::Mode::developer, {toolchain}, StrataLayout::notOfferedBand, false},
        {"a folder scan", AppState::Mode::general, {folderFile}, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        state().preferences().setMode(row.mode);
        state().developer().setSelection({});
        root_ = StorageNode();
        root_.id = "root";
        root_.children = row.children;
        for (const auto& child : root_.children) root_.bytes += child.bytes;
        canvas_->setRoot(nullptr);
        canvas_->setRoot(&root_);
        ASSERT_EQ(layout().bands.size(), 1u);
        ASSERT_EQ(layout().bands[0].bandIndex, row.band);
        const QPoint header = centreOf(layout().bands[0].header);

        QTest::mouseMove(canvas_.get(), header);
        EXPECT_EQ(canvas_->headerSelects(0), row.selects);
        EXPECT_EQ(canvas_->hovered().has_value(), row.selects);
        EXPECT_EQ(canvas_->shownHeaderHover(0) > 0, row.selects) << "the hint and mark";
        EXPECT_EQ(canvas_->helpAt(header), row.selects ? "Select everything in this band" : "");
        canvas_->setFocus(Qt::TabFocusReason);
        QTest::keyClick(canvas_.get(), Qt::Key_Home);
        EXPECT_EQ(canvas_->keyboardTarget() == (CanvasHit{StrataCanvas::headerZone, 0}), row.selects);
        QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, header);
        EXPECT_EQ(state().developer().selection().empty(), !row.selects);
        QTest::mouseMove(canvas_.get(), QPoint(canvas_->width() - 2, canvas_->height() - 2));
    }
}

// A tile summing a band's smallest leaves offers to show the folder they
// lie in: the canvas's root, from which the band's leaves all come.
TEST_F(StrataCanvasTest, TheSummingTileShowsItsFolderInTheFileManager) {
    root_.path = home_;
    for (int i = 0; i < 30; ++i) root_.children.push_back(leaf("speck" + std::to_string(i), 5, 2, SafetyLevel::safe));
    root_.bytes += 150;
    canvas_->setRoot(nullptr);
    canvas_->setRoot(&root_);
    const auto& deposits = layout().deposits;
    const auto summary = std::find_if(deposits.begin(), deposits.end(), [](const auto& d) { return d.isSummary; });
    ASSERT_NE(summary, deposits.end());
    const QPoint point = centreOf(summary->rect);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, point, canvas_->mapToGlobal(point));
    QApplication::sendEvent(canvas_.get(), &menuEvent);
    auto* menu = canvas_->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(),
              QString::fromStdString(platformWords::showIn(state().desktop().fileManagerName())));
    menu->actions().front()->trigger();
    EXPECT_EQ(desktop_.revealed, (std::vector<std::vector<std::string>>{{home_}}));
}

TEST_F(StrataCanvasTest, ABandOfOnlyProtectedLeavesIsNeverFullySelected) {
    root_.bytes -= root_.children[3].bytes;
    root_.children.erase(root_.children.begin() + 3);
    canvas_->setRoot(&root_);
    ASSERT_EQ(layout().bands.back().bandIndex, 4);
    QTest::mouseClick(canvas_.get(), Qt::LeftButton, {}, centreOf(layout().bands.back().header));
    EXPECT_TRUE(state().developer().selection().empty());
    EXPECT_FALSE(canvas_->isBandFullySelected(layout().bands.size() - 1));
}

TEST_F(StrataCanvasTest, TheCardShowsForTheHoveredDepositAndHoverNeverRelaysOut) {
    const std::size_t target = depositNamed("fresh-a");
    const QRectF tile = layout().deposits[target].rect;
    QTest::mouseMove(canvas_.get(), centreOf(tile));
    ASSERT_TRUE(canvas_->hovered());
    EXPECT_EQ(canvas_->hovered()->index, target);
    const QRectF card = canvas_->hoverCardRect();
    ASSERT_FALSE(card.isEmpty());
    EXPECT_GE(card.left(), 8);
    EXPECT_LE(card.right(), canvas_->width() - 8);
    EXPECT_TRUE(card.top() >= tile.bottom() + 10 || card.bottom() <= tile.top() - 10 || card.top() == 8 ||
                card.bottom() == canvas_->height() - 8)
        << "beside the tile, or clamped to an edge";

    QTest::mouseMove(canvas_.get(), centreOf(layout().bands[0].header));
    EXPECT_EQ(canvas_->hovered()->zone, StrataCanvas::headerZone);
    EXPECT_TRUE(canvas_->hoverCardRect().isEmpty()) << "headers have no card";

    for (int move = 0; move < 40; ++move) QTest::mouseMove(canvas_.get(), QPoint(120 + 19 * move, 10 + 11 * move));
    state().navigation().setSelectedID(std::string("fresh-a"));
    canvas_->repaint();
    EXPECT_EQ(canvas_->layoutBuilds(), 1u);

    canvas_->resize(700, 400);
    canvas_->repaint();
    EXPECT_EQ(canvas_->layoutBuilds(), 2u) << "a new size lays out again";
}

TEST_F(StrataCanvasTest, ARebuiltTreeAtTheSameAddressIsLaidOutAfresh) {
    canvas_->repaint();
    const std::size_t before = canvas_->layoutBuilds();
    root_ = makeTree();  // same address, id and size, new nodes
    canvas_->setRoot(&root_);
    EXPECT_EQ(layout().deposits.front().node, &root_.children[0]);
    EXPECT_EQ(canvas_->layoutBuilds(), before + 1);
}

// A leaf whose files have several ages lies in the band of each, with its
// bytes there; the card (and what a screen reader hears) gives those bytes,
// not the leaf's newest date, and says which bands they span.
TEST_F(StrataCanvasTest, TheCardOfATileWhoseBytesSpanSeveralBandsSaysSo) {
    root_ = makeTree();
    const AgeProfile::Moment today = canvas_->clock().localNow();
    root_.children[0].ages.add(AgeProfile::stamp(today, today.day - 1, 0), 300);
    root_.children[0].ages.add(AgeProfile::stamp(today, today.day - 500, 0), 300);
    canvas_->setRoot(&root_);
    std::vector<int> bands;
    for (const auto& deposit : layout().deposits)
        if (deposit.node->id == "fresh-a") bands.push_back(deposit.bandIndex);
    EXPECT_EQ(bands, (std::vector<int>{0, 4}));
    for (const std::string id : {"fresh-a", "fresh-b"}) {
        QTest::mouseMove(canvas_.get(), centreOf(layout().deposits[depositNamed(id)].rect));
        const QString heard = canvas_->accessibleDescription();
        const auto [number, unit] = ByteFormat::parts(id == "fresh-a" ? 300 : 400);
        EXPECT_TRUE(heard.startsWith(QString::fromStdString(id + ", " + number + " " + unit + ",")))
            << heard.toStdString();
        EXPECT_EQ(heard.endsWith(QStringLiteral(", Spans Days and Buried")), id == "fresh-a")
            << heard.toStdString();
        EXPECT_EQ(heard.contains(QStringLiteral(" ago")), id == "fresh-b") << heard.toStdString();
    }
}

QColor over(QColor top, double opacity, QColor bottom) {
    auto mix = [opacity](int t, int b) { return static_cast<int>(std::lround(t * opacity + b * (1 - opacity))); };
    return {mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue())};
}

class StrataCanvasColours : public StrataCanvasTest, public ::testing::WithParamInterface<ThemeID> {
protected:
    // The canvas painted over the theme's canvas colour at a pixel ratio.
    QImage paint(ThemeID theme, double ratio = 1) {
        setEnvironmentPalette(canvas_.get(), theme);
        QImage image(canvas_->size() * ratio, QImage::Format_ARGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Palette::forTheme(theme).canvas);
        {
            QPainter painter(&image);
            canvas_->paintInto(painter);
        }
        return image;
    }

    // The deposit shows its colour at its band's strength over the canvas.
    void expectFilled(const QImage& image, ThemeID theme, const std::string& id) {
        const Palette& palette = Palette::forTheme(theme);
        const auto& deposit = layout().deposits[depositNamed(id)];
        // Above the centre, clear of the label.
        const double ratio = image.devicePixelRatio();
        const QPoint probe(static_cast<int>(deposit.rect.center().x() * ratio),
                           static_cast<int>((deposit.rect.top() + deposit.rect.height() * 0.2) * ratio));
        const double strength = std::min((deposit.bandIndex * 0.13 + 0.62) * palette.fillStrength * 3.6, 0.92);
        const QColor expected = over(palette.colorForNode(*deposit.node), strength, palette.canvas);
        const QColor actual = image.pixelColor(probe);
        EXPECT_NEAR(actual.red(), expected.red(), 3) << id << " at ratio " << ratio;
        EXPECT_NEAR(actual.green(), expected.green(), 3) << id << " at ratio " << ratio;
        EXPECT_NEAR(actual.blue(), expected.blue(), 3) << id << " at ratio " << ratio;
    }
};

TEST_P(StrataCanvasColours, ADepositIsFilledWithItsColourAtTheBandsStrength) {
    const QImage image = paint(GetParam());
    for (const char* id : {"fresh-a", "old-safe"}) expectFilled(image, GetParam(), id);
}

TEST_P(StrataCanvasColours, AHoveredOrSelectedDepositIsFilledOnce) {
    paint(GetParam());
    state().navigation().setSelectedID(std::string("fresh-a"));
    const QPointF point = layout().deposits[depositNamed("old-safe")].rect.center();
    QMouseEvent move(QEvent::MouseMove, point, canvas_->mapToGlobal(point), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas_.get(), &move);
    ASSERT_TRUE(canvas_->hovered());
    const QImage image = paint(GetParam());
    for (const char* id : {"fresh-a", "old-safe"}) expectFilled(image, GetParam(), id);
}

TEST_P(StrataCanvasColours, TheTilesFollowAChangeOfThemeOrPixelRatio) {
    const ThemeID other = GetParam() == ThemeID::paper ? ThemeID::graphite : ThemeID::paper;
    for (const auto& [theme, ratio] : {std::pair{GetParam(), 1.0}, {other, 1.0}, {other, 2.0}, {GetParam(), 2.0}}) {
        const QImage image = paint(theme, ratio);
        for (const char* id : {"fresh-a", "old-safe"}) expectFilled(image, theme, id);
    }
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, StrataCanvasColours, ::testing::Values(ThemeID::paper, ThemeID::graphite));

}  // namespace
}  // namespace korvane
