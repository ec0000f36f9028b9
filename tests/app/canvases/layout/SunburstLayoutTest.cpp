#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/canvases/layout/SunburstLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

constexpr double pi = std::numbers::pi;

StorageNode sampleRoot() {
    return folder("r", {sizedFolder("a", {2, 1}), leaf("zero", 0), leaf("b", 1)});
}

QPointF polarPoint(QPointF centre, double radius, double angle) {
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

}  // namespace

TEST(SunburstLayout, RadiiForDepthThreeIn400By300) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    EXPECT_DOUBLE_EQ(layout.hole, 48);
    EXPECT_NEAR(layout.pitch, 31.96, 1e-12);
    struct Ring {
        int ring;
        double inner, outer;
    };
    for (const auto& r : {Ring{0, 48, 78.46}, Ring{1, 79.96, 110.42}, Ring{2, 111.92, 142.38}}) {
        EXPECT_NEAR(layout.innerRadius(r.ring), r.inner, 1e-9) << r.ring;
        EXPECT_NEAR(layout.outerRadius(r.ring), r.outer, 1e-9) << r.ring;
    }
    EXPECT_NEAR(layout.labelWidth(), 81.6, 1e-12);
    EXPECT_EQ(layout.centre, QPointF(200, 150));
}

TEST(SunburstLayout, ArcsInStoredOrderFromTwelveOClockInPreOrder) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    struct Expected {
        const char* id;
        double start, end;
        int ring;
    };
    const Expected expected[] = {
        {"a", -pi / 2, pi, 0}, {"a/0", -pi / 2, pi / 2, 1}, {"a/1", pi / 2, pi, 1}, {"b", pi, 1.5 * pi, 0}};
    ASSERT_EQ(layout.arcs.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.arcs.size(); ++i) {
        EXPECT_EQ(layout.arcs[i].node->id, expected[i].id);
        EXPECT_NEAR(layout.arcs[i].start, expected[i].start, 1e-12) << i;
        EXPECT_NEAR(layout.arcs[i].end, expected[i].end, 1e-12) << i;
        EXPECT_EQ(layout.arcs[i].ring, expected[i].ring) << i;
    }
    // Depth 1 keeps only the first ring.
    EXPECT_EQ(SunburstLayout::make(root, {400, 300}, 1).arcs.size(), 2u);
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
}

TEST(SunburstLayout, TinySectorsGetNothingBeneathThem) {
    const auto root = folder("r", {sizedFolder("big", {5, 5}), sizedFolder("tiny", {1})});
    const auto roomy = SunburstLayout::make(root, {400, 400}, 3);
    EXPECT_EQ(roomy.arcs.size(), 5u);

    const auto crowded = folder("r", {sizedFolder("big", {1000}), sizedFolder("tiny", {1})});
    const auto layout = SunburstLayout::make(crowded, {400, 400}, 3);
    // 2π / 1001 ≈ 0.0063 rad: the tiny sector is drawn, its child is not.
    ASSERT_EQ(layout.arcs.size(), 3u);
    EXPECT_EQ(layout.arcs[2].node->id, "tiny");
}

TEST(SunburstLayout, PolarHitTest) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    const QPointF c = layout.centre;
    struct Case {
        const char* name;
        QPointF point;
        const char* id;
    };
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
    for (const auto& k : cases) {
        const auto hit = layout.arcAt(k.point);
        if (!k.id) {
            EXPECT_EQ(hit, std::nullopt) << k.name;
        } else {
            ASSERT_TRUE(hit.has_value()) << k.name;
            EXPECT_EQ(layout.arcs[*hit].node->id, k.id) << k.name;
        }
    }
}

TEST(SunburstLayout, SectorPathCoversItsMiddle) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    for (const auto& arc : layout.arcs) {
        const auto path = layout.path(arc);
        const double mid = 0.5 * (arc.start + arc.end);
        const double radius = 0.5 * (layout.innerRadius(arc.ring) + layout.outerRadius(arc.ring));
        EXPECT_TRUE(path.contains(polarPoint(layout.centre, radius, mid))) << arc.node->id;
        EXPECT_FALSE(path.contains(polarPoint(layout.centre, radius, arc.end + 0.05))) << arc.node->id;
        EXPECT_FALSE(path.contains(polarPoint(layout.centre, layout.innerRadius(arc.ring) - 1, mid)));
    }
}

TEST(SunburstLayout, CentreNodeAndOpacities) {
    const auto root = sampleRoot();
    const auto layout = SunburstLayout::make(root, {400, 300}, 3);
    EXPECT_EQ(layout.centreNode(root, "a/1").id, "a/1");
    EXPECT_EQ(&layout.centreNode(root, "r"), &root);
    EXPECT_EQ(&layout.centreNode(root, std::nullopt), &root);
    EXPECT_EQ(&SunburstLayout::make(root, {400, 300}, 1).centreNode(root, "a/1"), &root);

    struct Case {
        int ring;
        double plain, emphasised;
    };
    for (const auto& c : {Case{0, 0.62, 0.90}, Case{1, 0.46, 0.74}, Case{2, 0.30, 0.58}, Case{3, 0.16, 0.44},
                          Case{6, 0.16, 0.44}}) {
        EXPECT_NEAR(SunburstLayout::fillOpacity(c.ring, false), c.plain, 1e-12) << c.ring;
        EXPECT_NEAR(SunburstLayout::fillOpacity(c.ring, true), c.emphasised, 1e-12) << c.ring;
    }
}
