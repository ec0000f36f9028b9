#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/canvases/layout/CanvasClock.h"
#include "core/model/StorageNode.h"

namespace korvane {

// Every byte of the root sorted by its own file's age into five bands
// stacked from recent (top) to old, each band as high as its share of the
// bytes, each leaf's bytes in a band (a deposit) as wide as their share of
// it. A leaf whose bytes lie in several bands (a folder's remainder) is a
// deposit in each; a folder's own blocks are a deposit of the folder.
struct StrataLayout {
    struct BandInfo {
        std::string_view name;
        std::string_view blurb;
        int maxDays;
    };
    // Five bands of age, then the bytes a toolchain holds besides its items
    // (no file, so no age): below the others, so that the bands hold all
    // that the page's header counts. The edges are the age map's, so a band
    // and its bucket never differ by a day's files.
    static constexpr std::array<BandInfo, 6> bandTable{{
        {"Days", "Touched in the last week", 7},
        {"Weeks", "Within the last month", 30},
        {"Months", "One to three months ago", 92},
        {"Seasons", "Three months to a year", 365},
        {"Buried", "Over a year untouched", std::numeric_limits<int>::max()},
        {"Not offered", "Counted in a toolchain, not offered", std::numeric_limits<int>::max()},
    }};
    static constexpr int ageBandCount = 5;
    static constexpr int notOfferedBand = 5;
    // A leaf without a date counts as this many days old (it is buried).
    static constexpr int undatedAge = 400;
    static constexpr double bandSpacing = 6;
    static constexpr double minimumBandHeight = 34;
    static constexpr double headerWidth = 108;
    static constexpr double headerTrailing = 10;
    static constexpr double tileGap = 1.5;
    static constexpr double minimumTileWidth = 2;
    static constexpr double labelWidth = 62;
    // Tiles narrower than this (before the gap) are too thin to read: two or
    // more of them are summed into one "N smaller items" tile at the band's end.
    static constexpr double readableTileWidth = 24;
    // At least this much room above and below a header's lines.
    static constexpr double headerPadding = 2;

    struct Deposit {
        const StorageNode* node = nullptr;
        // The node's bytes in this band: all of them, or a share.
        std::int64_t bytes = 0;
        int bandIndex = 0;
        double nominalWidth = 0;
        // The tile as drawn: its nominal width less the gap, at least 2 points.
        QRectF rect;
        bool isUninspected = false;
        // Said after the name: " · not inspected" where the scanner could not
        // look inside; nothing on what a toolchain holds besides its items,
        // which was measured, only not offered.
        std::string_view nameNote;
        // The name fits when the nominal width is above 62 points.
        bool hasLabel = false;
        // The tile sums the band's smallest leaves: those from `firstSummed`
        // in `leaves`, `summedCount` of them. It selects like any tile, but
        // no node action applies to it.
        bool isSummary = false;
        std::size_t firstSummed = 0;
        std::size_t summedCount = 0;
        // The bands its node's bytes fall in, one bit per band: a
        // remainder's files may lie in several.
        std::uint8_t ageBands = 0;
    };

    struct Band {
        int bandIndex = 0;  // row of bandTable
        std::int64_t total = 0;
        QRectF row;
        QRectF header;  // the header button's column
        QRectF strip;   // where the deposits run (they may run on past it)
        std::size_t firstDeposit = 0;
        std::size_t depositCount = 0;
        // Every leaf of the band, summed ones included, largest first.
        std::size_t firstLeaf = 0;
        std::size_t leafCount = 0;
    };

    // Which lines of a band header fit its height: the title always, then
    // the size, then the description when all of its lines fit; what does
    // not fit whole is left out, never cut.
    struct HeaderLines {
        bool size = false;
        int hint = 0;
        friend bool operator==(const HeaderLines&, const HeaderLines&) = default;
    };
    static HeaderLines headerLines(double bandHeight, double titleHeight, double sizeHeight, double hintLineHeight,
                                   int hintLines);

    // Only bands holding at least one byte, in band order.
    std::vector<Band> bands;
    // Deposits band by band, largest first within a band (ties keep leaf order).
    std::vector<Deposit> deposits;
    // The leaves of all bands, band by band, in deposit order, each with
    // its bytes in that band.
    std::vector<const StorageNode*> leaves;
    std::vector<std::int64_t> leafBytes;
    // And the items those bytes are: a sum's tile counts what it holds.
    std::vector<std::int64_t> leafItems;
    // The nodes of the summing tiles, and of the pieces of a folder's
    // remainder that lie in several bands, which the deposits point to.
    std::vector<std::shared_ptr<const StorageNode>> summaries;

    // Shapes point into the tree, which must outlive the layout.
    static StrataLayout make(const StorageNode& root, QSizeF size, const CanvasClock& clock);
    static StrataLayout make(const StorageNode&& root, QSizeF size, const CanvasClock& clock) = delete;

    // Days since the leaf was last modified (undated leaves count 400).
    static int age(const StorageNode& leaf, const CanvasClock& clock);
    // The first band of age whose maxDays reaches the age.
    static int bandFor(int ageDays);
    // The bands the leaf's bytes fall in, by its age profile where it has one.
    static std::uint8_t ageBands(const StorageNode& leaf, const CanvasClock& clock);
    // What a tile's hover card says when its bytes span several bands:
    // "Spans Days and Buried", "Spans 3 bands, Days to Buried"; none otherwise.
    static std::optional<std::string> spanText(std::uint8_t ageBands);

    bool isEmpty() const { return bands.empty(); }

    // Whether every candidate of the band (protected ones and nodes without a
    // candidate left out) is in the selection; a band without any is not.
    bool isFullySelected(const Band& band, const std::function<bool(const UUID&)>& isInSelection) const;
    // Whether the band holds any candidate the header could select.
    bool hasCandidates(const Band& band) const;
    // The band's leaves in deposit order, summed ones included, as the header
    // toggles them; none for the band of what is not an item.
    std::vector<const StorageNode*> nodes(const Band& band) const;
    // What a summing tile sums, largest first; nothing for another tile.
    std::span<const StorageNode* const> summed(const Deposit& deposit) const;
    // Their bytes in the tile's band, in the same order.
    std::span<const std::int64_t> summedBytes(const Deposit& deposit) const;

    std::optional<std::size_t> depositAt(QPointF point) const;
    // Position in `bands` of the header under the point.
    std::optional<std::size_t> headerAt(QPointF point) const;
};

}  // namespace korvane
