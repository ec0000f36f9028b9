#include "app/canvases/layout/BubblesLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "core/model/SizeSum.h"

namespace korvane {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

struct Placed {
    const std::vector<double>& radii;
    std::vector<QPointF>& centres;

    // The one distance rule both collision tests share, so that they decide
    // every candidate identically.
    bool clear(QPointF candidate, double r, std::size_t m) const {
        const double dx = candidate.x() - centres[m].x();
        const double dy = candidate.y() - centres[m].y();
        return std::sqrt(dx * dx + dy * dy) >= r + radii[m] + 1;
    }
};

class PlainTest {
public:
    explicit PlainTest(Placed placed) : placed_(placed) {}
    void add(std::size_t) {}
    bool fits(QPointF candidate, double r, std::size_t count) const {
        for (std::size_t m = 0; m < count; ++m)
            if (!placed_.clear(candidate, r, m)) return false;
        return true;
    }

private:
    Placed placed_;
};

// Circles filed by the cell of their centre. A cell is a little wider than
// the largest reach r + r[m] + 1 of any pair, so every circle that could
// refuse a candidate lies in the candidate's cell or one of its eight
// neighbours; all others are farther than their reach and would accept it.
class GridTest {
public:
    GridTest(Placed placed, double largestRadius) : placed_(placed), cell_((2 * largestRadius + 1) * 1.01) {}

    void add(std::size_t m) {
        const auto [ix, iy] = cellOf(placed_.centres[m]);
        cells_[key(ix, iy)].push_back(static_cast<std::uint32_t>(m));
    }

    bool fits(QPointF candidate, double r, std::size_t) const {
        const auto [ix, iy] = cellOf(candidate);
        for (std::int64_t x = ix - 1; x <= ix + 1; ++x)
            for (std::int64_t y = iy - 1; y <= iy + 1; ++y) {
                const auto it = cells_.find(key(x, y));
                if (it == cells_.end()) continue;
                for (auto m : it->second)
                    if (!placed_.clear(candidate, r, m)) return false;
            }
        return true;
    }

private:
    std::pair<std::int64_t, std::int64_t> cellOf(QPointF p) const {
        return {static_cast<std::int64_t>(std::floor(p.x() / cell_)),
                static_cast<std::int64_t>(std::floor(p.y() / cell_))};
    }
    static std::uint64_t key(std::int64_t x, std::int64_t y) {
        return (static_cast<std::uint64_t>(x) << 32) ^ (static_cast<std::uint64_t>(y) & 0xffffffffu);
    }

    Placed placed_;
    double cell_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
};

template <typename Test>
void search(const std::vector<double>& radii, std::vector<QPointF>& centres, Test& test) {
    test.add(0);
    // Where the previous circle was accepted. A circle of the same radius
    // walks the very same rings and angles, and everything before that spot
    // refused the previous circle against fewer obstacles, so it would refuse
    // this one too: the search may start just after it.
    double lastRadius = -1, lastDistance = 0;
    std::size_t lastAngle = 0;
    for (std::size_t i = 1; i < radii.size(); ++i) {
        const double r = radii[i];
        double d = radii[0] + r;
        std::size_t first = 0;
        if (r == lastRadius) {
            d = lastDistance;
            first = lastAngle + 1;
        }
        for (;;) {
            if (d >= BubblesLayout::farthestRing) {
                centres[i] = QPointF(d, 0);
                lastAngle = 0;
                break;
            }
            const auto k = std::max(static_cast<std::size_t>(std::max(twoPi * d, 1.0) / std::max(r, 2.0)),
                                    std::size_t{8});
            bool placed = false;
            for (std::size_t j = first; j < k; ++j) {
                const double theta = twoPi * static_cast<double>(j) / static_cast<double>(k);
                const QPointF candidate(d * std::cos(theta), d * std::sin(theta));
                if (test.fits(candidate, r, i)) {
                    centres[i] = candidate;
                    lastAngle = j;
                    placed = true;
                    break;
                }
            }
            if (placed) break;
            first = 0;
            d += std::max(r * 0.5, 1.0);
        }
        lastRadius = r;
        lastDistance = d;
        test.add(i);
    }
}

void pack(const StorageNode& node, int depth, QPointF centre, double radius,
          std::vector<BubblesLayout::Circle>& circles) {
    circles.push_back({&node, centre, radius, depth});
    if (depth >= BubblesLayout::maxDepth || radius <= 18) return;
    const auto children = visibleChildren(node);
    SizeSum total;
    for (const auto* child : children) total += child->bytes;
    if (total.total() <= 0) return;

    std::vector<double> radii;
    radii.reserve(children.size());
    for (const auto* child : children)
        radii.push_back(std::sqrt(static_cast<double>(child->bytes) / static_cast<double>(total.total())));
    const auto centres = BubblesLayout::place(radii);
    double enclosing = 0;
    for (std::size_t i = 0; i < radii.size(); ++i)
        enclosing = std::max(enclosing, std::hypot(centres[i].x(), centres[i].y()) + radii[i]);
    if (!(enclosing > 0)) return;
    const double scale = radius * 0.86 / enclosing;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (radii[i] * scale > 2) pack(*children[i], depth + 1, centre + centres[i] * scale, radii[i] * scale, circles);
}

}  // namespace

double BubblesLayout::Circle::nameFontSize() const { return std::min(std::max(radius / 4.5, 9.0), 13.0); }

double BubblesLayout::Circle::sizeFontSize() const { return std::min(std::max(radius / 6, 8.0), 11.0); }

std::vector<QPointF> BubblesLayout::place(const std::vector<double>& radii, CollisionTest test) {
    std::vector<QPointF> centres(radii.size());
    if (radii.empty()) return centres;
    Placed placed{radii, centres};
    if (test == CollisionTest::plain) {
        PlainTest plain(placed);
        search(radii, centres, plain);
    } else {
        GridTest grid(placed, *std::max_element(radii.begin(), radii.end()));
        search(radii, centres, grid);
    }
    return centres;
}

BubblesLayout BubblesLayout::make(const StorageNode& root, QSizeF size) {
    BubblesLayout layout;
    const double radius = 0.5 * std::min(size.width(), size.height()) - 6;
    // Without room for the root circle there is nothing to draw.
    if (radius > 0) pack(root, 0, QPointF(0.5 * size.width(), 0.5 * size.height()), radius, layout.circles);
    return layout;
}

std::optional<std::size_t> BubblesLayout::circleAt(QPointF point) const {
    return topmostHit(circles, point, [](const Circle& circle, QPointF p) {
        const QPointF d = p - circle.centre;
        return std::hypot(d.x(), d.y()) <= circle.radius;
    });
}

}  // namespace korvane
