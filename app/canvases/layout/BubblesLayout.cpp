#include "app/canvases/layout/BubblesLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <unordered_map>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "app/presenters/SummaryNode.h"
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

// std::floor as an integer, without the library call.
std::int64_t floorToInt(double v) {
    const auto truncated = static_cast<std::int64_t>(v);
    return v < static_cast<double>(truncated) ? truncated - 1 : truncated;
}

// Circles filed by the cell of their centre. A cell is a little wider than
// the largest reach r + r[m] + 1 of any pair, so every circle that could
// refuse a candidate lies in the candidate's cell or one of its eight
// neighbours; all others are farther than their reach and would accept it.
// The cells form a square around the origin that doubles as circles land
// farther out; circles beyond its largest size wait in a list checked always.
// A finer bitmap marks the small squares lying wholly inside some circle's
// reach r[m] + 1 (with a margin far above rounding): a candidate there is
// refused by every radius, so it is refused without measuring.
class GridTest {
public:
    GridTest(Placed placed, double largestRadius)
        : placed_(placed), cell_((2 * largestRadius + 1) * 1.01), fine_(cell_ / finePerCell), perFine_(1 / fine_) {
        resize(16);
    }

    void add(std::size_t m) {
        auto [ix, iy] = cellOf(placed_.centres[m]);
        while (!holds(ix, iy) && half_ < maximumHalf) resize(2 * half_);
        if (holds(ix, iy))
            cells_[index(ix, iy)].push_back(static_cast<std::uint32_t>(m));
        else
            outside_.push_back(static_cast<std::uint32_t>(m));
        cover(m);
    }

    bool fits(QPointF candidate, double r, std::size_t) const {
        // A product and a truncation rather than a division and a library
        // floor: this runs millions of times. Off by a rounding at a square's
        // edge, the candidate still lies far within the reach's margin.
        const std::int64_t fx = floorToInt(candidate.x() * perFine_) + fineHalf();
        const std::int64_t fy = floorToInt(candidate.y() * perFine_) + fineHalf();
        if (fx >= 0 && fy >= 0 && fx < 2 * fineHalf() && fy < 2 * fineHalf() &&
            covered_[static_cast<std::size_t>(fx * 2 * fineHalf() + fy)])
            return false;
        const auto [ix, iy] = cellOf(candidate);
        for (std::int64_t x = ix - 1; x <= ix + 1; ++x)
            for (std::int64_t y = iy - 1; y <= iy + 1; ++y) {
                if (!holds(x, y)) continue;
                for (auto m : cells_[index(x, y)])
                    if (!placed_.clear(candidate, r, m)) return false;
            }
        for (auto m : outside_)
            if (!placed_.clear(candidate, r, m)) return false;
        return true;
    }

private:
    static constexpr std::int64_t maximumHalf = 128;  // 388 units either way, far beyond 5,000 unit circles
    static constexpr std::int64_t finePerCell = 12;

    std::int64_t fineHalf() const { return half_ * finePerCell; }

    void cover(std::size_t m) {
        const QPointF c = placed_.centres[m];
        const double reach = placed_.radii[m] + 1 - 1e-9;
        const std::int64_t side = 2 * fineHalf();
        const auto lo = [&](double v) { return static_cast<std::int64_t>(std::floor((v - reach) / fine_)); };
        const auto hi = [&](double v) { return static_cast<std::int64_t>(std::floor((v + reach) / fine_)); };
        const auto within = [&](double x, double y) {
            const double dx = x - c.x(), dy = y - c.y();
            return dx * dx + dy * dy <= reach * reach;
        };
        for (std::int64_t x = std::max(lo(c.x()), -fineHalf()); x <= std::min(hi(c.x()), fineHalf() - 1); ++x)
            for (std::int64_t y = std::max(lo(c.y()), -fineHalf()); y <= std::min(hi(c.y()), fineHalf() - 1); ++y) {
                const double x0 = static_cast<double>(x) * fine_, y0 = static_cast<double>(y) * fine_;
                const double x1 = x0 + fine_, y1 = y0 + fine_;
                if (within(x0, y0) && within(x1, y0) && within(x0, y1) && within(x1, y1))
                    covered_[static_cast<std::size_t>((x + fineHalf()) * side + (y + fineHalf()))] = 1;
            }
    }

    std::pair<std::int64_t, std::int64_t> cellOf(QPointF p) const {
        return {static_cast<std::int64_t>(std::floor(p.x() / cell_)),
                static_cast<std::int64_t>(std::floor(p.y() / cell_))};
    }
    bool holds(std::int64_t x, std::int64_t y) const { return x >= -half_ && x < half_ && y >= -half_ && y < half_; }
    std::size_t index(std::int64_t x, std::int64_t y) const {
        return static_cast<std::size_t>((x + half_) * 2 * half_ + (y + half_));
    }
    void resize(std::int64_t half) {
        std::vector<std::vector<std::uint32_t>> old;
        old.swap(cells_);
        const std::int64_t oldHalf = half_;
        half_ = half;
        cells_.assign(static_cast<std::size_t>(4 * half * half), {});
        for (std::int64_t x = -oldHalf; x < oldHalf; ++x)
            for (std::int64_t y = -oldHalf; y < oldHalf; ++y)
                cells_[index(x, y)] = std::move(old[static_cast<std::size_t>((x + oldHalf) * 2 * oldHalf + (y + oldHalf))]);
        covered_.assign(static_cast<std::size_t>(4 * fineHalf() * fineHalf()), 0);
        for (const auto& cell : cells_)
            for (auto m : cell) cover(m);
        for (auto m : outside_) cover(m);
    }

    Placed placed_;
    double cell_;
    double fine_;
    double perFine_;
    std::int64_t half_ = 0;
    std::vector<std::uint8_t> covered_;
    std::vector<std::vector<std::uint32_t>> cells_;
    std::vector<std::uint32_t> outside_;
};

// The unit directions of the k angles of a ring, computed once per k with the
// very expression the search would evaluate, so the candidates are the same
// to the last bit.
class Directions {
public:
    const std::vector<QPointF>& of(std::size_t k) {
        auto& directions = byCount_[k];
        if (directions.empty()) {
            directions.reserve(k);
            for (std::size_t j = 0; j < k; ++j) {
                const double theta = twoPi * static_cast<double>(j) / static_cast<double>(k);
                directions.emplace_back(std::cos(theta), std::sin(theta));
            }
        }
        return directions;
    }

private:
    std::unordered_map<std::size_t, std::vector<QPointF>> byCount_;
};

// Places the circles in order, each where the ring rule puts it.
template <typename Test>
void search(const std::vector<double>& radii, std::vector<QPointF>& centres, Test& test) {
    test.add(0);
    Directions directions;
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
            const auto& ring = directions.of(k);
            for (std::size_t j = first; j < k; ++j) {
                const QPointF candidate(d * ring[j].x(), d * ring[j].y());
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

// Beyond this the search walks too many rings for the little it gains.
constexpr double maximumSearchScale = 24;
// The search's gap of 1 stands between the rings' circles: measured against
// the largest of them it should be a narrow seam, not a moat that leaves
// every bubble a fraction of the area its bytes ask for.
constexpr double largestSearchRadius = 8;

// Centres in unit space for unit radii (largest first), searched with the
// radii scaled so that the gap is small beside the largest and the smallest
// is not far below it.
std::vector<QPointF> placeUnits(const std::vector<double>& radii) {
    if (radii.empty()) return {};
    const double smallest = *std::min_element(radii.begin(), radii.end());
    const double largest = *std::max_element(radii.begin(), radii.end());
    const double wanted = std::max(smallest > 0 ? BubblesLayout::smallestSearchRadius / smallest : 1.0,
                                   largest > 0 ? largestSearchRadius / largest : 1.0);
    const double factor = std::clamp(wanted, 1.0, maximumSearchScale);
    if (factor == 1.0) return BubblesLayout::place(radii);
    std::vector<double> scaled;
    scaled.reserve(radii.size());
    for (const double r : radii) scaled.push_back(r * factor);
    auto centres = BubblesLayout::place(scaled);
    for (auto& centre : centres) centre /= factor;
    return centres;
}

// Children drawn no larger than this radius (points) are left out.
constexpr double smallestDrawnRadius = 2;
static_assert(smallestDrawnRadius < BubblesLayout::visibleRadius);

// A circle's room for its children, or where a group of circles lies.
struct Disc {
    QPointF centre;
    double radius = 0;
};

// How far from `from` the circles reach.
double reachFrom(QPointF from, const std::vector<double>& radii, const std::vector<QPointF>& centres) {
    double reach = 0;
    for (std::size_t i = 0; i < radii.size(); ++i) {
        const QPointF d = centres[i] - from;
        reach = std::max(reach, std::hypot(d.x(), d.y()) + radii[i]);
    }
    return reach;
}

// The smallest disc around the placed circles, to within a little: the ring
// search grows its group to one side of the first circle, so a disc around
// that circle holds the others far off centre. From the middle of their
// bounds the centre walks toward the farthest circle by ever shorter steps
// (the method of Badoiu and Clarkson), and the best centre seen is kept.
Disc enclosingDisc(const std::vector<double>& radii, const std::vector<QPointF>& centres) {
    QRectF bounds;
    for (std::size_t i = 0; i < radii.size(); ++i)
        bounds |= QRectF(centres[i] - QPointF(radii[i], radii[i]), QSizeF(2 * radii[i], 2 * radii[i]));
    Disc best{bounds.center(), reachFrom(bounds.center(), radii, centres)};
    QPointF at = best.centre;
    for (int step = 1; step <= 64; ++step) {
        std::size_t farthest = 0;
        double reach = -1;
        for (std::size_t i = 0; i < radii.size(); ++i) {
            const QPointF d = centres[i] - at;
            if (const double r = std::hypot(d.x(), d.y()) + radii[i]; r > reach) {
                reach = r;
                farthest = i;
            }
        }
        if (reach < best.radius) best = {at, reach};
        const QPointF d = centres[farthest] - at;
        const double length = std::hypot(d.x(), d.y());
        const QPointF edge = length > 0 ? centres[farthest] + d * (radii[farthest] / length) : centres[farthest];
        at += (edge - at) / (step + 1);
    }
    return best;
}

// Where a circle's children may lie: 86 % of its radius around its centre,
// and below the label it writes at its top, so no child's edge runs through it.
Disc childRoom(const BubblesLayout::Circle& circle, const BubblesLayout::LabelSize& labelSize) {
    const double inner = circle.radius * 0.86;
    const Disc room{circle.centre, inner};
    if (!labelSize || !circle.hasLabel()) return room;
    constexpr double labelGap = 3;
    const double below = circle.topLabelBox(labelSize(circle)).bottom() + labelGap - circle.centre.y();
    if (below <= -inner) return room;
    // The largest disc inside the room's circle below the label's line.
    return {circle.centre + QPointF(0, (inner + below) / 2), (inner - below) / 2};
}

// Builds one summing bubble's node for `nodes`, kept with the layout.
const StorageNode* summing(const StorageNode& owner, std::span<const StorageNode* const> nodes,
                           BubblesLayout& layout) {
    layout.summaries.push_back(std::make_shared<const StorageNode>(summaryNode(owner.id, nodes)));
    return layout.summaries.back().get();
}

// Puts `summary` among `children` (largest first) before those of its size.
std::size_t insertBySize(std::vector<const StorageNode*>& children, const StorageNode* summary) {
    const auto at = std::find_if(children.begin(), children.end(),
                                 [summary](const StorageNode* child) { return child->bytes <= summary->bytes; });
    const auto index = static_cast<std::size_t>(at - children.begin());
    children.insert(at, summary);
    return index;
}

// A folder's children as placed in its room: which nodes, at what radius
// and centre in unit space, and the scale into points.
struct Group {
    std::vector<const StorageNode*> children;
    std::optional<std::size_t> summaryAt;
    std::vector<double> radii;
    std::vector<QPointF> centres;
    Disc enclosing;
    double scale = 0;

    // Areas follow the byte shares; the group fills the room.
    void place(std::int64_t total, double room) {
        radii.clear();
        for (const auto* child : children)
            radii.push_back(std::sqrt(static_cast<double>(child->bytes) / static_cast<double>(total)));
        centres = placeUnits(radii);
        enclosing = enclosingDisc(radii, centres);
        scale = enclosing.radius > 0 ? room / enclosing.radius : 0;
    }
};

// The children of `node` to draw in a room of `room` points: a folder of
// more children than can be told apart packs its largest ones with one
// bubble summing the rest (packed one by one, thousands of children spread
// so far that even the largest would be a speck), and children drawn too
// small to see are summed into one bubble too.
Group groupChildren(const StorageNode& node, double room, BubblesLayout& layout) {
    Group group;
    const auto all = visibleChildren(node);
    SizeSum sum;
    for (const auto* child : all) sum += child->bytes;
    const std::int64_t total = sum.total();
    if (total <= 0) return group;
    group.children = all;
    if (all.size() > BubblesLayout::tightPackLimit) {
        const std::size_t kept = BubblesLayout::widestKept;
        const StorageNode* rest = summing(node, std::span(all.data() + kept, all.size() - kept), layout);
        group.children.resize(kept);
        group.summaryAt = insertBySize(group.children, rest);
    }
    group.place(total, room);
    if (!(group.scale > 0)) return group;

    std::size_t seen = 0;
    while (seen < group.radii.size() && group.radii[seen] * group.scale >= BubblesLayout::visibleRadius) ++seen;
    // `children` is `all` cut short, with the summing bubble (if any) put in.
    const bool summarySeen = group.summaryAt && *group.summaryAt < seen;
    const std::size_t ownSeen = seen - (summarySeen ? 1 : 0);
    const std::size_t ownUnseen = group.children.size() - seen - (group.summaryAt && !summarySeen ? 1 : 0);
    // Only beside children drawn on their own, since one bubble for all says
    // little, unless a folder of thousands has none: then specks say less.
    if ((ownSeen >= 1 || group.summaryAt) && ownUnseen >= 1 && all.size() - ownSeen >= 2) {
        if (group.summaryAt) layout.summaries.pop_back();
        const StorageNode* rest = summing(node, std::span(all.data() + ownSeen, all.size() - ownSeen), layout);
        group.children.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(ownSeen));
        group.summaryAt = insertBySize(group.children, rest);
        group.place(total, room);
    }
    return group;
}

void pack(const StorageNode& node, int depth, QPointF centre, double radius, BubblesLayout& layout,
          const BubblesLayout::LabelSize& labelSize, bool isSummary = false) {
    const std::size_t self = layout.circles.size();
    layout.circles.push_back({&node, centre, radius, depth});
    layout.circles[self].isSummary = isSummary;
    if (depth >= BubblesLayout::maxDepth || radius <= 18) return;
    const Disc room = childRoom(layout.circles[self], labelSize);
    if (!(room.radius > 0)) return;
    const Group group = groupChildren(node, room.radius, layout);
    if (!(group.scale > 0)) return;
    for (std::size_t i = 0; i < group.children.size(); ++i) {
        const double scaled = group.radii[i] * group.scale;
        if (!(scaled > smallestDrawnRadius)) continue;
        layout.circles[self].holdsChildren = true;
        pack(*group.children[i], depth + 1, room.centre + (group.centres[i] - group.enclosing.centre) * group.scale,
             scaled, layout, labelSize, group.summaryAt == i);
    }
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

BubblesLayout BubblesLayout::make(const StorageNode& root, QSizeF size, const LabelSize& labelSize) {
    BubblesLayout layout;
    const double radius = 0.5 * std::min(size.width(), size.height()) - 6;
    // Without room for the root circle there is nothing to draw.
    if (radius > 0) pack(root, 0, QPointF(0.5 * size.width(), 0.5 * size.height()), radius, layout, labelSize);
    if (labelSize) layout.placeLabels(labelSize);
    return layout;
}

QRectF BubblesLayout::Circle::labelBox(QSizeF labelSize) const {
    return depth == 0 || holdsChildren ? topLabelBox(labelSize) : centredLabelBox(labelSize);
}

QRectF BubblesLayout::Circle::topLabelBox(QSizeF labelSize) const {
    const double height = labelSize.height();
    double width = std::min(labelSize.width(), std::max(radius * 1.9 - 8, 0.0));
    // Its middle 16 points below the top, or lower while its top corners
    // would stand on or outside the edge, down to a quarter of the radius;
    // narrower where even that is not enough.
    const double nominal = std::max(16 - height / 2, labelMargin);
    const double half = width / 2 + labelMargin;
    const double clear = half < radius ? radius - std::sqrt(radius * radius - half * half) + labelMargin : radius;
    const double inset = std::clamp(clear, nominal, std::max(nominal, radius * 0.25));
    const double chord = std::sqrt(std::max(inset * (2 * radius - inset), 0.0));
    width = std::min(width, std::max(2 * (chord - labelMargin), 0.0));
    return {centre.x() - width / 2, centre.y() - radius + inset, width, height};
}

QRectF BubblesLayout::Circle::centredLabelBox(QSizeF labelSize) const {
    const double height = labelSize.height();
    // Its corners within the edge.
    const double inside = radius - labelMargin;
    const double corner = inside > height / 2 ? 2 * std::sqrt(inside * inside - height * height / 4) : 0;
    const double width = std::min({labelSize.width(), std::max(radius * 1.9 - 8, 0.0), corner});
    return {centre.x() - width / 2, centre.y() - height / 2, width, height};
}

void BubblesLayout::placeLabels(const LabelSize& labelSize) {
    std::vector<QRectF> kept;
    for (auto& circle : circles) {
        circle.labelShown = false;
        if (!circle.hasLabel()) continue;
        const QRectF box = circle.labelBox(labelSize(circle));
        circle.labelRest = box;
        if (std::any_of(kept.begin(), kept.end(), [&box](const QRectF& other) { return other.intersects(box); }))
            continue;
        kept.push_back(box);
        circle.labelShown = true;
    }
}

std::optional<std::size_t> BubblesLayout::circleAt(QPointF point) const {
    return topmostHit(circles, point, [](const Circle& circle, QPointF p) {
        const QPointF d = p - circle.centre;
        return std::hypot(d.x(), d.y()) <= circle.radius;
    });
}

}  // namespace korvane
