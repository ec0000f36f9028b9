#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "app/canvases/layout/SunburstLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

constexpr double pi = std::numbers::pi;

StorageNode sampleRoot() { return folder("r", {sizedFolder("a", {2, 1}), leaf("zero", 0), leaf("b", 1)}); }

QPointF polarPoint(QPointF centre, double radius, double angle) {
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

}  // namespace

TEST(SunburstLayout, RadiiAndArcsInStoredOrderFromTwelveOClock) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    EXPECT_EQ(layout.centre, QPointF(200, 150));
    EXPECT_DOUBLE_EQ(layout.hole, 48);
    struct Ring {
        int ring;
        double inner, outer;
    };
    for (const auto& r : {Ring{0, 48, 78.46}, Ring{1, 79.96, 110.42}, Ring{2, 111.92, 142.38}}) {
        EXPECT_NEAR(layout.innerRadius(r.ring), r.inner, 1e-9) << r.ring;
        EXPECT_NEAR(layout.outerRadius(r.ring), r.outer, 1e-9) << r.ring;
    }

    struct Expected {
        const char* id;
        double start, end;
        int ring;
    };
    // The 0-byte child takes no angle; children follow their parent (pre-order).
    const Expected expected[] = {
        {"a", -pi / 2, pi, 0}, {"a/0", -pi / 2, pi / 2, 1}, {"a/1", pi / 2, pi, 1}, {"b", pi, 1.5 * pi, 0}};
    ASSERT_EQ(layout.arcs.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.arcs.size(); ++i) {
        EXPECT_EQ(layout.arcs[i].node->id, expected[i].id);
        EXPECT_NEAR(layout.arcs[i].start, expected[i].start, 1e-12) << i;
        EXPECT_NEAR(layout.arcs[i].end, expected[i].end, 1e-12) << i;
        EXPECT_EQ(layout.arcs[i].ring, expected[i].ring) << i;
    }
    EXPECT_EQ(SunburstLayout::make(root, {400, 300}, 1).arcs.size(), 2u);  // depth 1: the first ring only
}

TEST(SunburstLayout, NoSectorsWithoutDepthRoomOrBytes) {
    const auto root = sampleRoot();
    EXPECT_TRUE(SunburstLayout::make(root, {400, 300}, 0).arcs.empty());
    EXPECT_TRUE(SunburstLayout::make(root, {400, 300}, -2).arcs.empty());
    EXPECT_TRUE(SunburstLayout::make(root, {10, 10}, 3).arcs.empty());
    EXPECT_TRUE(SunburstLayout::make(root, {0, 0}, 3).arcs.empty());
    const auto weightless = sizedFolder("r", {0, -3});
    EXPECT_TRUE(SunburstLayout::make(weightless, {400, 300}, 3).arcs.empty());
    EXPECT_EQ(SunburstLayout::make(root, {10, 10}, 3).arcAt({5, 5}), std::nullopt);

    // 2π / 1001 ≈ 0.0063 rad: the tiny sector is drawn, its child is not.
    const auto crowded = folder("r", {sizedFolder("big", {1000}), sizedFolder("tiny", {1})});
    const auto layout = SunburstLayout::make(crowded, {400, 400}, 3);
    ASSERT_EQ(layout.arcs.size(), 3u);
    EXPECT_EQ(layout.arcs[2].node->id, "tiny");
}

TEST(SunburstLayout, PolarHitTestAndSectorPaths) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    const QPointF c = layout.centre;
    struct Case {
        const char* name;
        QPointF point;
        const char* id;
    };
    // clang-format off
    const Case cases[] = {
        {"centre", c, nullptr},
        {"hole edge", polarPoint(c, 47.9, 0), nullptr},
        {"first ring at twelve o'clock", polarPoint(c, 60, -pi / 2), "a"},
        {"just before twelve o'clock", polarPoint(c, 60, -pi / 2 - 0.01), "b"},
        {"gap between rings", polarPoint(c, 79, 0), nullptr},
        {"second ring", polarPoint(c, 100, 0), "a/0"},
        {"second ring past the split", polarPoint(c, 100, 0.75 * pi), "a/1"},
        {"nothing beneath a leaf", polarPoint(c, 100, pi + 0.1), nullptr},
        {"beyond the last ring", polarPoint(c, 143, 0), nullptr},
    };
    // clang-format on
    for (const auto& k : cases) {
        const auto hit = layout.arcAt(k.point);
        EXPECT_EQ(hit ? layout.arcs[*hit].node->id : "", k.id ? k.id : "") << k.name;
    }
    for (const auto& arc : layout.arcs) {
        const auto path = layout.path(arc);
        const double mid = 0.5 * (arc.start + arc.end);
        const double radius = 0.5 * (layout.innerRadius(arc.ring) + layout.outerRadius(arc.ring));
        EXPECT_TRUE(path.contains(polarPoint(c, radius, mid))) << arc.node->id;
        EXPECT_FALSE(path.contains(polarPoint(c, radius, arc.end + 0.05))) << arc.node->id;
        EXPECT_FALSE(path.contains(polarPoint(c, layout.innerRadius(arc.ring) - 1, mid))) << arc.node->id;
    }
}

TEST(SunburstLayout, CentreNodeAndOpacities) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    EXPECT_EQ(layout.centreNode(root, "a/1").id, "a/1");
    EXPECT_EQ(&layout.centreNode(root, std::nullopt), &root);
    // A node not drawn at this depth leaves the root in the centre.
    EXPECT_EQ(&SunburstLayout::make(root, {400, 300}, 1).centreNode(root, "a/1"), &root);
    EXPECT_NEAR(SunburstLayout::fillOpacity(0, false), 0.62, 1e-12);
    EXPECT_NEAR(SunburstLayout::fillOpacity(6, false), 0.16, 1e-12);
    EXPECT_NEAR(SunburstLayout::fillOpacity(6, true), 0.44, 1e-12);
}

TEST(SunburstLayout, EverySectorKnowsItsFirstRingBranch) {
    const auto root = folder("r", {sizedFolder("a", {2, 1}), leaf("zero", 0), sizedFolder("b", {4, 4}), leaf("c", 1)});
    const auto layout = SunburstLayout::make(root, {400, 400}, 3);
    std::map<std::string, int> branch;
    for (const auto& arc : layout.arcs) branch[arc.node->id] = arc.branch;
    // The empty child takes no sector, so it takes no branch either.
    EXPECT_EQ(branch, (std::map<std::string, int>{
                          {"a", 0}, {"a/0", 0}, {"a/1", 0}, {"b", 1}, {"b/0", 1}, {"b/1", 1}, {"c", 2}}));
}

TEST(SunburstLayout, ALabelStaysInsideItsSector) {
    const auto root = folder("r", {sizedFolder("a", {50, 30, 1}), sizedFolder("b", std::vector<std::int64_t>(40, 1)),
                                   leaf("c", 15)});
    const auto layout = SunburstLayout::make(root, {700, 700}, 2);
    struct Case {
        QSizeF text;
        double minimum;
    };
    int placed = 0;
    for (const auto& c : {Case{{60, 13}, 30}, Case{{200, 13}, 30}, Case{{30, 13}, 20}}) {
        for (std::size_t i = 0; i < layout.arcs.size(); ++i) {
            const auto& arc = layout.arcs[i];
            const auto label = layout.label(arc, c.text, c.minimum);
            if (!label) continue;
            ++placed;
            EXPECT_GE(label->width, std::min(c.text.width(), c.minimum));
            // The corners of the text's box, turned as drawn, lie on this sector.
            const double w = std::min(label->width, c.text.width()), h = c.text.height();
            const double turn = label->rotation * pi / 180;
            const QPointF along(std::cos(turn), std::sin(turn)), across(-std::sin(turn), std::cos(turn));
            for (const double x : {-w / 2, w / 2})
                for (const double y : {-h / 2, h / 2})
                    EXPECT_EQ(layout.arcAt(label->centre + along * x + across * y), i)
                        << arc.node->id << " text " << c.text.width();
        }
    }
    EXPECT_GE(placed, 6);
    // A sliver of a sector holds no label.
    const auto& tiny = *std::find_if(layout.arcs.begin(), layout.arcs.end(),
                                     [](const auto& arc) { return arc.node->id == "b/0"; });
    EXPECT_FALSE(layout.label(tiny, {60, 13}, 30));
}
