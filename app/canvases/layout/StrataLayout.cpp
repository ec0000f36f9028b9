#include "app/canvases/layout/StrataLayout.h"

#include <algorithm>
#include <bit>
#include <span>
#include <string>

#include "app/canvases/layout/AgeParts.h"
#include "app/canvases/layout/CanvasHitTest.h"
#include "app/presenters/SummaryNode.h"
#include "core/model/BandLayout.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

int StrataLayout::age(const StorageNode& leaf, const CanvasClock& clock) {
    if (!leaf.lastModified) return undatedAge;
    return clock.elapsedDays(*leaf.lastModified);
}

int StrataLayout::bandFor(int ageDays) {
    for (int i = 0; i < ageBandCount; ++i)
        if (bandTable[static_cast<std::size_t>(i)].maxDays >= ageDays) return i;
    return ageBandCount - 1;
}

std::uint8_t StrataLayout::ageBands(const StorageNode& leaf, const CanvasClock& clock) {
    auto bands = static_cast<std::uint8_t>(1u << bandFor(age(leaf, clock)));
    const AgeProfile& ages = leaf.ages;
    for (std::size_t i = 0; i < ages.size(); ++i)
        bands |= static_cast<std::uint8_t>(
            1u << bandFor(clock.elapsedDays(ages.cell(i), ages.referenceMillisecond())));
    return bands;
}

std::optional<std::string> StrataLayout::spanText(std::uint8_t ageBands) {
    const int count = std::popcount(static_cast<unsigned>(ageBands));
    if (count < 2) return std::nullopt;
    const auto name = [](int band) { return std::string(bandTable[static_cast<std::size_t>(band)].name); };
    const std::string newest = name(std::countr_zero(static_cast<unsigned>(ageBands)));
    const std::string oldest = name(std::bit_width(static_cast<unsigned>(ageBands)) - 1);
    if (count == 2) return "Spans " + newest + " and " + oldest;
    return "Spans " + std::to_string(count) + " bands, " + newest + " to " + oldest;
}

namespace {

// Each size sits beside its node, so the sorts never follow a pointer into
// the tree: a folder scan has tens of thousands of leaves. One entry is the
// node's bytes in one band, with the bands all of its bytes lie in.
struct Sized {
    std::int64_t bytes;
    const StorageNode* node;
    std::uint8_t ageBands;
    std::int64_t items;  // those its bytes in the band are
};
using LeavesByBand = std::array<std::vector<Sized>, StrataLayout::bandTable.size()>;

// What a node holds besides its children where nothing dates it (a
// footprint beyond its items that no child names), node by node.
void addNotOffered(const StorageNode& node, std::vector<Sized>& band, std::size_t& count) {
    if (node.children.empty()) return;
    if (node.ages.empty()) {
        SizeSum held;
        for (const StorageNode& child : node.children) held += child.bytes;
        if (const std::int64_t own = node.bytes - held.total(); own >= 1) {
            band.push_back({own, &node, static_cast<std::uint8_t>(1u << StrataLayout::notOfferedBand), 0});
            ++count;
        }
    }
    for (const StorageNode& child : node.children) addNotOffered(child, band, count);
}

// Every byte under the root in the band of its own file's age, as the age
// map counts it: a leaf whose bytes share one age is one entry; a folder's
// remainder (or a folder below the tree's depth) whose files lie in several
// bands is one entry in each, with its bytes there; a folder's own blocks are
// an entry of the folder. `count` says how many entries.
LeavesByBand leavesByBand(const StorageNode& root, const CanvasClock& clock, std::size_t& count) {
    LeavesByBand byBand;
    count = 0;
    const StorageNode* node = nullptr;
    std::array<SizeSum, StrataLayout::bandTable.size()> inBand{};
    std::array<std::int64_t, StrataLayout::bandTable.size()> itemsInBand{};
    std::uint8_t bands = 0;
    const auto endNode = [&] {
        for (std::size_t b = 0; b < inBand.size(); ++b) {
            if (inBand[b].total() < 1) continue;
            byBand[b].push_back({inBand[b].total(), node, bands, itemsInBand[b]});
            inBand[b] = SizeSum();
            itemsInBand[b] = 0;
            ++count;
        }
        bands = 0;
    };
    forEachAgePart(root, [&](const AgePart& part) {
        if (part.node != node) {
            endNode();
            node = part.node;
        }
        const int band = part.notOffered ? StrataLayout::notOfferedBand
                                         : StrataLayout::bandFor(part.isDated() ? part.elapsedDays(clock)
                                                                                : StrataLayout::undatedAge);
        inBand[static_cast<std::size_t>(band)] += part.bytes;
        itemsInBand[static_cast<std::size_t>(band)] += part.items;
        bands |= static_cast<std::uint8_t>(1u << band);
    });
    endNode();
    addNotOffered(root, byBand[StrataLayout::notOfferedBand], count);
    return byBand;
}

// Sorts each band's leaves largest first and adds a band for each that holds
// a byte; gives the totals of the added bands.
std::vector<std::int64_t> addBands(StrataLayout& layout, LeavesByBand& byBand) {
    std::vector<std::int64_t> totals;
    for (std::size_t b = 0; b < byBand.size(); ++b) {
        auto& list = byBand[b];
        std::stable_sort(list.begin(), list.end(),
                         [](const Sized& x, const Sized& y) { return x.bytes > y.bytes; });
        SizeSum total;
        for (const Sized& sized : list) total += sized.bytes;
        if (total.total() < 1) continue;
        StrataLayout::Band band;
        band.bandIndex = static_cast<int>(b);
        band.total = total.total();
        layout.bands.push_back(band);
        totals.push_back(total.total());
    }
    return totals;
}

// The tile summing a band's smallest leaves: their bytes in this band, dated
// by the newest of those wholly in it (a share of a node has the band's age,
// not the node's date).
StorageNode bandSummary(std::string id, std::span<const StorageNode* const> nodes,
                        std::span<const std::int64_t> bytes, std::span<const std::int64_t> items) {
    SizeSum held;
    for (const std::int64_t each : items) held += each;
    StorageNode summary = summaryNode(id, nodes, held.total());
    SizeSum total;
    summary.lastModified.reset();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        total += bytes[i];
        const auto& date = nodes[i]->lastModified;
        if (bytes[i] == nodes[i]->bytes && date && (!summary.lastModified || *date > *summary.lastModified))
            summary.lastModified = date;
    }
    summary.bytes = total.total();
    return summary;
}

// What a tile of a sum whose files lie in several bands stands for: the
// items of it in this band ("30 smaller items" of 31), with their bytes.
// The node itself for any other tile.
const StorageNode* bandPiece(StrataLayout& layout, const Sized& sized) {
    const StorageNode& node = *sized.node;
    if (std::popcount(static_cast<unsigned>(sized.ageBands)) < 2 || sized.items < 1 ||
        !FileTreeScanner::isRemainderID(node.id))
        return &node;
    auto piece = std::make_shared<StorageNode>(node);
    piece->name = smallerItemsName(sized.items);
    piece->bytes = sized.bytes;
    // Its band says their age: the remainder's newest date is another band's.
    piece->lastModified.reset();
    piece->details["Items"] = ByteFormat::groupedInteger(sized.items);
    const StorageNode* shown = piece.get();
    layout.summaries.push_back(std::move(piece));
    return shown;
}

// The band's deposits along its strip, largest first; the unreadable tail
// (two tiles or more) is summed into one tile at the end.
void placeDeposits(StrataLayout& layout, StrataLayout::Band& band, const std::vector<Sized>& list,
                   const StorageNode& root) {
    band.firstDeposit = layout.deposits.size();
    const double scale = band.strip.width() / static_cast<double>(std::max<std::int64_t>(band.total, 1));
    std::size_t readable = 0;
    while (readable < list.size() &&
           static_cast<double>(list[readable].bytes) * scale >= StrataLayout::readableTileWidth)
        ++readable;
    if (list.size() - readable < 2) readable = list.size();
    double x = band.strip.left();
    const auto place = [&](const StorageNode* node, std::int64_t bytes, bool isSummary,
                           std::uint8_t ageBands) {
        StrataLayout::Deposit deposit;
        deposit.node = node;
        deposit.bytes = bytes;
        deposit.bandIndex = band.bandIndex;
        deposit.nominalWidth = static_cast<double>(bytes) * scale;
        const double width =
            std::max(deposit.nominalWidth - StrataLayout::tileGap, StrataLayout::minimumTileWidth);
        deposit.rect = QRectF(x, band.strip.top(), width, band.strip.height());
        deposit.isUninspected = node->kind == StorageNode::Kind::uninspected;
        if (deposit.isUninspected && !node->isNotOffered()) deposit.nameNote = " \u00B7 not inspected";
        deposit.hasLabel = deposit.nominalWidth > StrataLayout::labelWidth;
        deposit.isSummary = isSummary;
        deposit.ageBands = ageBands;
        layout.deposits.push_back(deposit);
        x += width + StrataLayout::tileGap;
    };
    for (std::size_t d = 0; d < readable; ++d)
        place(bandPiece(layout, list[d]), list[d].bytes, false, list[d].ageBands);
    if (readable < list.size()) {
        const std::size_t first = band.firstLeaf + readable;
        const std::size_t summedCount = list.size() - readable;
        auto summary = std::make_shared<const StorageNode>(bandSummary(
            root.id + "/" +
                std::string(StrataLayout::bandTable[static_cast<std::size_t>(band.bandIndex)].name),
            {layout.leaves.data() + first, summedCount}, {layout.leafBytes.data() + first, summedCount},
            {layout.leafItems.data() + first, summedCount}));
        std::uint8_t summedBands = 0;
        for (std::size_t d = readable; d < list.size(); ++d) summedBands |= list[d].ageBands;
        place(summary.get(), summary->bytes, true, summedBands);
        layout.deposits.back().firstSummed = first;
        layout.deposits.back().summedCount = summedCount;
        layout.summaries.push_back(std::move(summary));
    }
    band.depositCount = layout.deposits.size() - band.firstDeposit;
}

}  // namespace

StrataLayout StrataLayout::make(const StorageNode& root, QSizeF size, const CanvasClock& clock) {
    std::size_t depositCount = 0;
    LeavesByBand byBand = leavesByBand(root, clock, depositCount);
    StrataLayout layout;
    layout.deposits.reserve(depositCount);
    layout.leaves.reserve(depositCount);
    layout.leafBytes.reserve(depositCount);
    layout.leafItems.reserve(depositCount);
    const std::vector<std::int64_t> totals = addBands(layout, byBand);
    if (layout.bands.empty()) return layout;

    const double W = std::max(size.width(), 0.0);
    const double gaps = bandSpacing * static_cast<double>(layout.bands.size() - 1);
    const auto heights = BandLayout::widths(totals, size.height() - gaps, minimumBandHeight);
    const double stripX = headerWidth + headerTrailing;
    const double stripWidth = std::max(W - stripX, 0.0);

    double y = 0;
    for (std::size_t i = 0; i < layout.bands.size(); ++i) {
        Band& band = layout.bands[i];
        const double h = heights[i];
        band.row = QRectF(0, y, W, h);
        band.header = QRectF(0, y, headerWidth, h);
        band.strip = QRectF(stripX, y, stripWidth, h);
        band.firstLeaf = layout.leaves.size();
        const auto& list = byBand[static_cast<std::size_t>(band.bandIndex)];
        for (const Sized& sized : list) {
            layout.leaves.push_back(sized.node);
            layout.leafBytes.push_back(sized.bytes);
            layout.leafItems.push_back(sized.items);
        }
        band.leafCount = list.size();
        placeDeposits(layout, band, list, root);
        y += h + bandSpacing;
    }
    return layout;
}

StrataLayout::HeaderLines StrataLayout::headerLines(double bandHeight, double titleHeight, double sizeHeight,
                                                    double hintLineHeight, int hintLines) {
    HeaderLines lines;
    double room = bandHeight - 2 * headerPadding - titleHeight;
    if (room < 1 + sizeHeight) return lines;
    lines.size = true;
    room -= 1 + sizeHeight + 1;
    // Half a sentence reads as a different one: the description shows whole or not at all.
    if (room >= hintLineHeight * hintLines) lines.hint = hintLines;
    return lines;
}

bool StrataLayout::hasCandidates(const Band& band) const {
    return isFullySelected(band, [](const UUID&) { return true; });
}

bool StrataLayout::isFullySelected(const Band& band, const std::function<bool(const UUID&)>& isInSelection) const {
    // Its header toggles nothing (see `nodes`), so it offers nothing either.
    if (band.bandIndex == notOfferedBand) return false;
    bool any = false;
    for (std::size_t i = band.firstLeaf; i < band.firstLeaf + band.leafCount; ++i) {
        const StorageNode& node = *leaves[i];
        if (node.safety == SafetyLevel::dangerous || !node.candidateID) continue;
        any = true;
        if (!isInSelection(*node.candidateID)) return false;
    }
    return any;
}

std::vector<const StorageNode*> StrataLayout::nodes(const Band& band) const {
    // Toggling those would take every item of their toolchains along.
    if (band.bandIndex == notOfferedBand) return {};
    const auto first = leaves.begin() + static_cast<std::ptrdiff_t>(band.firstLeaf);
    return {first, first + static_cast<std::ptrdiff_t>(band.leafCount)};
}

std::span<const StorageNode* const> StrataLayout::summed(const Deposit& deposit) const {
    if (!deposit.isSummary) return {};
    return {leaves.data() + deposit.firstSummed, deposit.summedCount};
}

std::span<const std::int64_t> StrataLayout::summedBytes(const Deposit& deposit) const {
    if (!deposit.isSummary) return {};
    return {leafBytes.data() + deposit.firstSummed, deposit.summedCount};
}

std::optional<std::size_t> StrataLayout::depositAt(QPointF point) const {
    for (const Band& band : bands) {
        if (point.y() < band.row.top() || point.y() >= band.row.bottom()) continue;
        // Tiles run left to right without overlap: the last one starting at or
        // before the point is the only candidate.
        const auto first = deposits.begin() + static_cast<std::ptrdiff_t>(band.firstDeposit);
        const auto last = first + static_cast<std::ptrdiff_t>(band.depositCount);
        auto it = std::upper_bound(first, last, point.x(),
                                   [](double x, const Deposit& deposit) { return x < deposit.rect.left(); });
        if (it == first) return std::nullopt;
        --it;
        if (point.x() < it->rect.right()) return static_cast<std::size_t>(it - deposits.begin());
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::size_t> StrataLayout::headerAt(QPointF point) const {
    for (std::size_t i = 0; i < bands.size(); ++i)
        if (inside(bands[i].header, point)) return i;
    return std::nullopt;
}

}  // namespace korvane
