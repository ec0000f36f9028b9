#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include <QRectF>

namespace korvane {

// Where an arrow key takes the keyboard among a canvas's shapes. Pure
// geometry: the canvas hands in the rectangles of the shapes it lets the
// keyboard reach and gets back the index of the one to go to, or none where
// nothing lies that way (the keyboard stays put; nothing wraps round).
namespace KeyboardStep {

enum class Direction { left, right, up, down };

// For shapes set out in rows (tiles, cells, bands, list rows): the nearest
// shape lying wholly beyond the start's edge. Left and right stay in the
// start's row (the shape must share part of its height); up and down go to
// the next row that way, to the shape most in line with the start, else the
// one nearest it across.
std::optional<std::size_t> alongRows(const QRectF& from, std::span<const QRectF> shapes, Direction direction);

// For shapes scattered over the plane (the mind map's dots): among those
// whose centre lies within 45 degrees of the arrow from the start's centre,
// the nearest, weighing distance across twice as much as distance along.
std::optional<std::size_t> scattered(const QRectF& from, std::span<const QRectF> shapes, Direction direction);

}  // namespace KeyboardStep

}  // namespace korvane
