#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// The radial mind map: the root in the centre, its largest children on the
// first ring, theirs on the next; every node's wedge follows the square root
// of its size, and its dot the square root of its share of the root.
struct MindMapLayout {
    static constexpr double rootDot = 84;
    static constexpr std::size_t rootChildLimit = 14;
    static constexpr std::size_t childLimit = 8;
    static constexpr double minimumZoom = 0.4;
    static constexpr double maximumZoom = 4.0;
    static constexpr double zoomStep = 1.3;

    struct Dot {
        const StorageNode* node = nullptr;
        QPointF point;
        std::optional<std::size_t> parent;  // index of the parent's dot
        int depth = 0;
        double dotRadius = rootDot;  // the side of the square the dot is drawn in
        // Dots other than the root carry a permanent label above 11 points.
        bool hasLabel() const { return depth > 0 && dotRadius > 11; }
        // Whether that label is drawn at rest (see placeLabels), and whether
        // below the dot rather than above it.
        bool labelShown = false;
        bool labelBelow = false;
    };

    QPointF centre;
    double radius = 0;
    double ringSpacing = 0;  // the rings' even spacing, where the first clears the root's disc
    std::vector<Dot> dots;  // placement order: a node, then its children's subtrees

    static MindMapLayout make(const StorageNode& root, QSizeF size, int maxDepth);
    static MindMapLayout make(const StorageNode&& root, QSizeF size, int maxDepth) = delete;

    // The box of a dot's label of this size: centred on the dot, its top
    // lifted half the dot and 16 points above the dot's frame.
    // Below the dot, the box starts 4 points under the dot's frame.
    static QRectF labelBox(const Dot& dot, QSizeF labelSize, bool below = false);
    // Chooses the permanent labels to draw. On a crowded ring the labels of
    // neighbouring branches meet, so from the largest node down a label
    // goes above its dot, else below it, where its box crosses neither a
    // label already kept nor the root's disc; otherwise it stays hidden and
    // hovering its dot still shows it.
    void placeLabels(const std::function<QSizeF(const StorageNode&)>& labelSize);

    // The link to a dot of this depth is drawn this wide.
    static double linkWidth(int depth);
    static double clampZoom(double zoom);
    // "130%": the zoom in whole percent, the fraction cut off.
    static std::string zoomText(double zoom);

    // From the widget's coordinates to the map's, undoing the zoom about the
    // centre and then the pan.
    QPointF toMap(QPointF point, double zoom, QPointF pan) const;
    // The topmost dot under a point in map coordinates.
    std::optional<std::size_t> dotAt(QPointF mapPoint) const;
};

}  // namespace korvane
