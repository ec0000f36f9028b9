#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

#include "app/canvases/layout/CanvasClock.h"
#include "app/presenters/SummaryNode.h"
#include "core/model/SizeSum.h"
#include "core/model/StorageNode.h"

namespace korvane {

// A share of the bytes under a root that has one age: a leaf's bytes by its
// date, or one cell of an age profile (a folder remainder's files, a folder's
// own blocks), or bytes with no date at all.
struct AgePart {
    // The node whose bytes these are: a leaf, or a folder for its own bytes.
    const StorageNode* node = nullptr;
    std::int64_t bytes = 0;
    // The items these bytes are (heldItems): files, and folders by their own blocks.
    std::int64_t items = 0;
    bool uninspected = false;
    bool notOffered = false;  // counted by a toolchain, offered as no item: it has no age
    std::optional<std::chrono::system_clock::time_point> date;
    std::optional<AgeProfile::Cell> cell;
    std::int32_t referenceMillisecond = 0;

    bool isDated() const { return date || cell; }
    // Only for a dated part.
    int elapsedDays(const CanvasClock& clock) const {
        return cell ? clock.elapsedDays(*cell, referenceMillisecond) : clock.elapsedDays(*date);
    }
    // A date ahead of now (a clock set wrong, an archive's dates) counts as
    // now, as it does for ages.
    CanvasClock::YearMonth yearMonth(const CanvasClock& clock) const {
        if (cell)
            return cell->day > clock.localNow().day ? clock.yearMonth(clock.now())
                                                    : CanvasClock::yearMonth(*cell);
        return clock.yearMonth(std::min(*date, clock.now()));
    }
};

namespace detail {

template <typename Visit>
void visitProfile(const StorageNode& node, Visit& visit) {
    const AgeProfile& ages = node.ages;
    AgePart part;
    part.node = &node;
    part.referenceMillisecond = ages.referenceMillisecond();
    for (std::size_t i = 0; i < ages.size(); ++i) {
        part.cell = ages.cell(i);
        part.bytes = part.cell->bytes;
        part.items = part.cell->items;
        visit(static_cast<const AgePart&>(part));
    }
}

inline std::int64_t profiledItems(const AgeProfile& ages) {
    std::int64_t items = 0;
    for (std::size_t i = 0; i < ages.size(); ++i) items += ages.cell(i).items;
    return items;
}

template <typename Visit>
void visitAgeParts(const StorageNode& node, Visit& visit, SizeSum& seen) {
    if (node.children.empty()) {
        if (node.bytes < 1) return;
        seen += node.bytes;
        std::int64_t rest = node.bytes;
        std::int64_t restItems = heldItems(node);
        const bool uninspected = node.kind == StorageNode::Kind::uninspected;
        if (!uninspected && node.ages.size() > 0) {
            const std::int64_t profiled = node.ages.total();
            if (profiled <= node.bytes) {
                visitProfile(node, visit);
                rest -= profiled;
                restItems -= profiledItems(node.ages);
            }
        }
        if (rest >= 1) {
            AgePart part;
            part.node = &node;
            part.bytes = rest;
            part.items = std::max<std::int64_t>(restItems, 0);
            part.uninspected = uninspected;
            part.notOffered = node.isNotOffered();
            part.date = node.lastModified;
            visit(static_cast<const AgePart&>(part));
        }
        return;
    }
    // A folder's own bytes, those no child holds, where its profile dates them.
    if (!node.ages.empty()) {
        SizeSum held;
        for (const StorageNode& child : node.children) held += child.bytes;
        const std::int64_t own = std::max<std::int64_t>(node.bytes, 0) - held.total();
        if (node.ages.isNodeDate()) {
            if (own >= 1 && node.lastModified) {
                AgePart part;
                part.node = &node;
                part.bytes = own;
                // A folder's own blocks stand for the folder; the scanned folder is no item of its own.
                part.items = node.kind == StorageNode::Kind::group ? 1 : 0;
                part.date = node.lastModified;
                visit(static_cast<const AgePart&>(part));
                seen += own;
            }
        } else if (const std::int64_t profiled = node.ages.total(); profiled <= own) {
            visitProfile(node, visit);
            seen += profiled;
        }
    }
    for (const StorageNode& child : node.children) visitAgeParts(child, visit, seen);
}

}  // namespace detail

// Visits the root's bytes part by part: every leaf holding a byte (its
// profile's cells, the rest by its date), and the own bytes of folders whose
// profile dates them. Gives the bytes visited; what a tree does not break out
// (a category's footprint beyond its items) is not.
template <typename Visit>
std::int64_t forEachAgePart(const StorageNode& root, Visit&& visit) {
    SizeSum seen;
    detail::visitAgeParts(root, visit, seen);
    return seen.total();
}

}  // namespace korvane
